#include "runtime/gtk/display_text.h"
#include "runtime/gtk/gtk_dialogs.h"

#include "runtime/gtk/menu_bar_view.h"

namespace rt::gtk {
namespace {

enum Answer { kAction = 0, kCancel = 1, kAlternate = 2 };

GtkWindow *waitingAlert = nullptr;

int RunAndDestroy(GtkWidget *dialog, GtkWindow *parent) {
  // Where no window manager places it, an alert still comes up in the middle, not in a corner.
  gtk_window_set_position(GTK_WINDOW(dialog), parent ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  // Shown first, then presented, so it has the keyboard focus even with no window manager to
  // hand it over: its keys would otherwise go to a window its modality shuts out.
  gtk_widget_show(dialog);
  gtk_window_present(GTK_WINDOW(dialog));
  GtkWindow *outer = waitingAlert;
  waitingAlert = GTK_WINDOW(dialog);
  int response = gtk_dialog_run(GTK_DIALOG(dialog));
  waitingAlert = outer;
  gtk_widget_destroy(dialog);
  return response;
}

// GTK's message dialogs no longer draw the icon of their message type; the caution icon goes
// before the text, where it stood.
void ShowCautionIcon(GtkWidget *dialog) {
  GtkWidget *row = gtk_widget_get_parent(gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog)));
  if (!GTK_IS_BOX(row)) return;
  GtkWidget *icon = gtk_image_new_from_icon_name("dialog-warning", GTK_ICON_SIZE_DIALOG);
  gtk_widget_set_valign(icon, GTK_ALIGN_START);
  gtk_box_pack_start(GTK_BOX(row), icon, FALSE, FALSE, 0);
  gtk_box_reorder_child(GTK_BOX(row), icon, 0);
  gtk_widget_show(icon);
}

}  // namespace

GtkWindow *WaitingAlert() { return waitingAlert; }

void RunMessageBox(GtkWindow *parent, const String &text) {
  GtkWidget *box = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER, GTK_BUTTONS_OK,
                                          "%s", DisplayText(text).c_str());
  RunAndDestroy(box, parent);
}

int RunMessageDialog(GtkWindow *parent, const MessageDialog &dialog) {
  GtkWidget *widget = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL,
                                             dialog.Icon == 1 ? GTK_MESSAGE_WARNING : GTK_MESSAGE_OTHER,
                                             GTK_BUTTONS_NONE, "%s", DisplayText(dialog.Message).c_str());
  if (dialog.Icon == 1) ShowCautionIcon(widget);
  if (!dialog.Title.IsEmpty()) gtk_window_set_title(GTK_WINDOW(widget), DisplayText(dialog.Title).c_str());
  if (!dialog.Explanation.IsEmpty()) {
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(widget), "%s",
                                             DisplayText(dialog.Explanation).c_str());
  }
  // Left to right as on the Mac: the alternate action, then Cancel, then the action.
  const std::pair<const MessageDialogButton *, Answer> buttons[] = {
      {&dialog.AlternateActionButton, kAlternate},
      {&dialog.CancelButton, kCancel},
      {&dialog.ActionButton, kAction},
  };
  for (const auto &[button, answer] : buttons) {
    if (!button->Visible) continue;
    gtk_dialog_add_button(GTK_DIALOG(widget), MnemonicLabel(DisplayText(button->Caption)).c_str(), answer);
    if (button->Default) gtk_dialog_set_default_response(GTK_DIALOG(widget), answer);
  }
  int response = RunAndDestroy(widget, parent);
  if (response >= kAction && response <= kAlternate) return response;
  // Escape or the close box: Cancel when the dialog has one.
  return dialog.CancelButton.Visible ? kCancel : kAction;
}

}  // namespace rt::gtk
