// Labels, text fields and push buttons, and what every control view shares.
#include "runtime/core/string_functions.h"
#include "runtime/gtk/control_view.h"
#include "runtime/gtk/display_text.h"
#include "runtime/gtk/widget_style.h"

namespace rt::gtk {

ControlView::ControlView(Control &control, CoreGate &gate, GtkWidget *widget, GtkWidget *focusWidget)
    : control_(control), gate_(gate), widget_(widget), focusWidget_(focusWidget) {
  ApplyFont(focusWidget_, control.TextSize, control.Bold);
}

void ControlView::Update() {
  updating_ = true;
  gtk_widget_set_sensitive(widget_, control_.Enabled());
  UpdateContent();
  updating_ = false;
}

void ControlView::SetShown(bool shown) { gtk_widget_set_visible(widget_, shown); }

namespace {

class StaticTextView : public ControlView {
 public:
  StaticTextView(StaticText &text, CoreGate &gate, GtkWidget *label, GtkWidget *placed)
      : ControlView(text, gate, placed, label), text_(text), label_(GTK_LABEL(label)) {
    // The text starts at the top of its box, as on the Mac, and one line that does not fit is
    // cut short rather than widening the box.
    gtk_label_set_yalign(label_, 0.0f);
    gtk_label_set_xalign(label_, text.TextAlign == 1 ? 0.5f : text.TextAlign == 2 ? 1.0f : 0.0f);
    gtk_label_set_ellipsize(label_, text.ShowsEnd ? PANGO_ELLIPSIZE_START : PANGO_ELLIPSIZE_END);
    gtk_label_set_single_line_mode(label_, TRUE);
    if (placed != label) {
      g_signal_connect(placed, "button-press-event", G_CALLBACK(OnButtonPress), this);
    }
  }

 private:
  void UpdateContent() override {
    std::string text = DisplayText(text_.Text());
    if (text != gtk_label_get_text(label_)) gtk_label_set_text(label_, text.c_str());
  }

  static gboolean OnButtonPress(GtkWidget *, GdkEventButton *event, gpointer self) {
    auto *view = static_cast<StaticTextView *>(self);
    if (event->type != GDK_BUTTON_PRESS || event->button != GDK_BUTTON_PRIMARY) return FALSE;
    StaticText *text = &view->text_;
    int x = static_cast<int>(event->x), y = static_cast<int>(event->y);
    view->gate_.Run([text, x, y] {
      if (text->MouseDown) text->MouseDown(x, y);
    });
    return TRUE;
  }

  StaticText &text_;
  GtkLabel *label_;
};

std::unique_ptr<ControlView> MakeStaticTextView(StaticText &text, CoreGate &gate) {
  GtkWidget *label = gtk_label_new(nullptr);
  GtkWidget *placed = label;
  if (text.MouseDown) {
    // A label has no window of its own to receive clicks.
    placed = gtk_event_box_new();
    gtk_container_add(GTK_CONTAINER(placed), label);
  }
  return std::make_unique<StaticTextView>(text, gate, label, placed);
}

// One line in a GtkEntry, several in a GtkTextView. The native widget edits; each change goes to
// the core's field with SetText, which raises TextChange.
class EditFieldView : public ControlView {
 public:
  EditFieldView(EditField &field, CoreGate &gate, GtkWidget *placed, GtkWidget *editor)
      : ControlView(field, gate, placed, editor), field_(field) {
    if (field.MultiLine) {
      GtkTextView *view = GTK_TEXT_VIEW(editor);
      gtk_text_view_set_wrap_mode(view, GTK_WRAP_WORD_CHAR);
      gtk_text_view_set_accepts_tab(view, field.AcceptTabs);
      gtk_text_view_set_editable(view, !field.ReadOnly);
      g_signal_connect(gtk_text_view_get_buffer(view), "changed", G_CALLBACK(OnChanged), this);
    } else {
      GtkEntry *entry = GTK_ENTRY(editor);
      gtk_entry_set_visibility(entry, !field.Password);
      gtk_editable_set_editable(GTK_EDITABLE(entry), !field.ReadOnly);
      gtk_entry_set_width_chars(entry, 1);  // the layout gives the width
      g_signal_connect(entry, "changed", G_CALLBACK(OnChanged), this);
    }
  }

  bool EditsKeyNatively(const std::string &key) const override {
    int code = static_cast<unsigned char>(key[0]);
    if (code >= 32 && code != 127) return true;  // a typed character
    switch (code) {
      case 8: case 127: case 28: case 29:  // Backspace, Delete, left, right
        return true;
      case 30: case 31: case 13: case 3:  // up, down, Return and Enter move and break lines of several
        return field_.MultiLine;
      case 9:
        return field_.MultiLine && field_.AcceptTabs;
      default:
        return false;
    }
  }

  bool Edit(EditCommand command) override {
    if (!field_.MultiLine) {
      GtkEditable *entry = GTK_EDITABLE(FocusWidget());
      switch (command) {
        case EditCommand::kCut: gtk_editable_cut_clipboard(entry); break;
        case EditCommand::kCopy: gtk_editable_copy_clipboard(entry); break;
        case EditCommand::kPaste: gtk_editable_paste_clipboard(entry); break;
        case EditCommand::kClear: gtk_editable_delete_selection(entry); break;
        case EditCommand::kSelectAll: gtk_editable_select_region(entry, 0, -1); break;
      }
      return true;
    }
    GtkTextBuffer *buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(FocusWidget()));
    GtkClipboard *clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    bool editable = !field_.ReadOnly;
    switch (command) {
      case EditCommand::kCut: gtk_text_buffer_cut_clipboard(buffer, clipboard, editable); break;
      case EditCommand::kCopy: gtk_text_buffer_copy_clipboard(buffer, clipboard); break;
      case EditCommand::kPaste: gtk_text_buffer_paste_clipboard(buffer, clipboard, nullptr, editable); break;
      case EditCommand::kClear: gtk_text_buffer_delete_selection(buffer, TRUE, editable); break;
      case EditCommand::kSelectAll: {
        GtkTextIter start, end;
        gtk_text_buffer_get_bounds(buffer, &start, &end);
        gtk_text_buffer_select_range(buffer, &start, &end);
        break;
      }
    }
    return true;
  }

 private:
  std::string NativeText() const {
    if (!field_.MultiLine) return gtk_entry_get_text(GTK_ENTRY(FocusWidget()));
    GtkTextBuffer *buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(FocusWidget()));
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    gchar *text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
    std::string result(text);
    g_free(text);
    return result;
  }

  void UpdateContent() override {
    std::string text = DisplayText(field_.Text());
    if (text == NativeText()) return;
    if (field_.MultiLine) {
      gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(FocusWidget())), text.c_str(), -1);
    } else {
      GtkEntry *entry = GTK_ENTRY(FocusWidget());
      gtk_entry_set_text(entry, text.c_str());
      gtk_editable_set_position(GTK_EDITABLE(entry), -1);
    }
  }

  static void OnChanged(gpointer, gpointer self) {
    auto *view = static_cast<EditFieldView *>(self);
    if (!view->IsUserChange()) return;
    EditField *field = &view->field_;
    String text(view->NativeText());
    view->gate_.Run([field, text] { field->SetText(text); });
  }

  EditField &field_;
};

std::unique_ptr<ControlView> MakeEditFieldView(EditField &field, CoreGate &gate) {
  if (!field.MultiLine) {
    GtkWidget *entry = gtk_entry_new();
    return std::make_unique<EditFieldView>(field, gate, entry, entry);
  }
  GtkWidget *scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scrolled), GTK_SHADOW_IN);
  GtkWidget *text = gtk_text_view_new();
  gtk_container_add(GTK_CONTAINER(scrolled), text);
  return std::make_unique<EditFieldView>(field, gate, scrolled, text);
}

// Return and Escape reach the core, which pushes the default and cancel buttons itself; GTK's
// default only marks the button.
class PushButtonView : public ControlView {
 public:
  PushButtonView(PushButton &button, CoreGate &gate, GtkWidget *widget)
      : ControlView(button, gate, widget, widget), button_(button) {
    if (button.Default) {
      gtk_widget_set_can_default(widget, TRUE);
      gtk_style_context_add_class(gtk_widget_get_style_context(widget), GTK_STYLE_CLASS_SUGGESTED_ACTION);
    }
    g_signal_connect(widget, "clicked", G_CALLBACK(OnClicked), this);
  }

 private:
  void UpdateContent() override {
    std::string caption = DisplayText(button_.Caption);
    if (caption != gtk_button_get_label(GTK_BUTTON(Widget()))) gtk_button_set_label(GTK_BUTTON(Widget()), caption.c_str());
  }

  static void OnClicked(GtkButton *, gpointer self) {
    auto *view = static_cast<PushButtonView *>(self);
    PushButton *button = &view->button_;
    view->gate_.Run([button] { button->Push(); });
  }

  PushButton &button_;
};

}  // namespace

std::unique_ptr<ControlView> ControlView::Create(Control &control, CoreGate &gate) {
  switch (control.ControlKind()) {
    case Control::Kind::kStaticText:
      return MakeStaticTextView(static_cast<StaticText &>(control), gate);
    case Control::Kind::kEditField:
      return MakeEditFieldView(static_cast<EditField &>(control), gate);
    case Control::Kind::kPushButton: {
      auto &button = static_cast<PushButton &>(control);
      return std::make_unique<PushButtonView>(button, gate, gtk_button_new_with_label(DisplayText(button.Caption).c_str()));
    }
    case Control::Kind::kListbox:
      return MakeListboxView(static_cast<Listbox &>(control), gate);
    case Control::Kind::kPopupMenu:
      return MakePopupMenuView(static_cast<PopupMenu &>(control), gate);
    case Control::Kind::kTabPanel:
      return MakeTabPanelView(static_cast<TabPanel &>(control), gate);
  }
  return nullptr;
}

}  // namespace rt::gtk
