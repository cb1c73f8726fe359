// The desktop backend's translations, which need no display: hot keys into keybinder
// accelerators, GDK keys into the core's key texts, menu texts into GTK mnemonic labels, strings
// into text GTK can show. Then the backend on an X server of its own (on_private_display.sh):
// keyboard order, the keys that press buttons, control sizes, dialog icons and hot keys the server
// keeps.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/store/preferences.h"
#include "app/windows/about_window.h"
#include "app/windows/ask_for_text_window.h"
#include "app/windows/preferences_window.h"
#include "runtime/core/clipboard.h"
#include "runtime/core/runtime.h"
#include "runtime/core/string.h"
#include "runtime/core/window_list.h"
#include "runtime/gtk/display_text.h"
#include "runtime/gtk/gtk_backend.h"
#include "runtime/gtk/gtk_dialogs.h"
#include "runtime/gtk/key_text.h"
#include "runtime/gtk/mac_key_codes.h"
#include "runtime/gtk/menu_bar_view.h"

namespace {

using rt::gtk::HotKeyAccelerator;
using rt::gtk::KeyText;

// Every key the preferences editor offers, by its Mac key code.
constexpr uint32_t kHotKeyCodes[] = {122, 120, 99,  118, 96,  97,  98,  100, 101, 109, 103,
                                     111, 105, 107, 113, 106, 53,  48,  49,  126, 125, 123,
                                     124, 51,  36,  117, 114, 116, 121, 115, 119};

TEST(HotKeyAccelerator, EveryKeyOfTheEditorNamesAnX11Key) {
  for (uint32_t code : kHotKeyCodes) {
    std::string accelerator = HotKeyAccelerator(code, 0);
    guint keyval = 0;
    GdkModifierType mods = GdkModifierType(0);
    gtk_accelerator_parse(accelerator.c_str(), &keyval, &mods);
    EXPECT_NE(keyval, 0u) << "key code " << code << " gives \"" << accelerator << "\"";
    EXPECT_EQ(mods, 0) << accelerator;
  }
}

TEST(HotKeyAccelerator, MacModifiersBecomeTheirX11Modifiers) {
  guint keyval = 0;
  GdkModifierType mods = GdkModifierType(0);
  // command 0x100, shift 0x200, option 0x800, control 0x1000
  gtk_accelerator_parse(HotKeyAccelerator(99, 0x100 | 0x200 | 0x800 | 0x1000).c_str(), &keyval, &mods);
  EXPECT_EQ(keyval, static_cast<guint>(GDK_KEY_F3));
  EXPECT_EQ(mods, GDK_SUPER_MASK | GDK_SHIFT_MASK | GDK_MOD1_MASK | GDK_CONTROL_MASK);

  gtk_accelerator_parse(HotKeyAccelerator(122, 0x800).c_str(), &keyval, &mods);
  EXPECT_EQ(keyval, static_cast<guint>(GDK_KEY_F1));
  EXPECT_EQ(mods, GDK_MOD1_MASK) << "option alone is Alt";

  // The Mac's caps lock (0x400) and the mouse button bit are no hot key modifiers.
  EXPECT_EQ(HotKeyAccelerator(99, 0x400 | 0x80), "F3");
}

TEST(HotKeyAccelerator, UnknownKeyCodeGivesNothing) {
  EXPECT_EQ(HotKeyAccelerator(0, 0), "");
  EXPECT_EQ(HotKeyAccelerator(200, 0x100), "");
}

TEST(KeyText, EditingKeysBecomeTheCoresControlCharacters) {
  const std::pair<guint, char> keys[] = {
      {GDK_KEY_Return, 13},   {GDK_KEY_KP_Enter, 3}, {GDK_KEY_Escape, 27},      {GDK_KEY_BackSpace, 8},
      {GDK_KEY_Tab, 9},       {GDK_KEY_ISO_Left_Tab, 9}, {GDK_KEY_Left, 28},    {GDK_KEY_Right, 29},
      {GDK_KEY_Up, 30},       {GDK_KEY_Down, 31},    {GDK_KEY_Delete, 127},     {GDK_KEY_KP_Left, 28},
  };
  for (const auto &[keyval, code] : keys) {
    EXPECT_EQ(KeyText(keyval), std::string(1, code)) << gdk_keyval_name(keyval);
  }
}

TEST(KeyText, TypedCharactersComeAsUtf8AndKeysWithoutTextAsNothing) {
  EXPECT_EQ(KeyText(GDK_KEY_w), "w");
  EXPECT_EQ(KeyText(GDK_KEY_W), "W");
  EXPECT_EQ(KeyText(GDK_KEY_space), " ");
  EXPECT_EQ(KeyText(GDK_KEY_KP_5), "5");
  EXPECT_EQ(KeyText(GDK_KEY_eacute), "\xC3\xA9");
  EXPECT_EQ(KeyText(GDK_KEY_EuroSign), "\xE2\x82\xAC");
  for (guint keyval : {GDK_KEY_Shift_L, GDK_KEY_Control_L, GDK_KEY_F3, GDK_KEY_Home, GDK_KEY_Page_Down,
                       GDK_KEY_dead_acute}) {
    EXPECT_FALSE(KeyText(keyval).has_value()) << gdk_keyval_name(keyval);
  }
}

TEST(MnemonicLabel, AmpersandMarksTheMnemonicAndUnderscoresStayText) {
  EXPECT_EQ(rt::gtk::MnemonicLabel("&File"), "_File");
  EXPECT_EQ(rt::gtk::MnemonicLabel("Cu&t"), "Cu_t");
  EXPECT_EQ(rt::gtk::MnemonicLabel("Select &All"), "Select _All");
  EXPECT_EQ(rt::gtk::MnemonicLabel("About Tovra!"), "About Tovra!");
  EXPECT_EQ(rt::gtk::MnemonicLabel("Save && Quit"), "Save & Quit");
  EXPECT_EQ(rt::gtk::MnemonicLabel("snake_case"), "snake__case");
}

TEST(DisplayText, BrokenBytesShowAsReplacementAndOtherEncodingsAsUtf8) {
  using rt::gtk::DisplayText;
  EXPECT_EQ(DisplayText(rt::String("caf\xC3\xA9 \xE6\x97\xA5")), "caf\xC3\xA9 \xE6\x97\xA5");
  // A name from a damaged file: stray bytes and a cut-off character.
  EXPECT_EQ(DisplayText(rt::String(std::string_view("q\xFF\xFEz\xE6\x97", 6), rt::kEncodingNone)),
            "q\xEF\xBF\xBD\xEF\xBF\xBDz\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(DisplayText(rt::String(std::string_view("caf\x8E", 4), rt::kEncodingMacRoman)), "caf\xC3\xA9");
  EXPECT_EQ(DisplayText(rt::String()), "");
}

// The backend on the private display, opened once for the process. Without one these cases
// skip: they grab keys and put windows on the display.
class OnDisplay : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static rt::GtkBackend *opened = [] {
      if (!std::getenv("TOVRA_PRIVATE_DISPLAY")) return static_cast<rt::GtkBackend *>(nullptr);
      int argc = 0;
      char **argv = nullptr;
      rt::GtkBackend *backend = rt::GtkBackend::Open(&argc, &argv).release();
      if (backend) rt::RuntimeInit(*backend);
      return backend;
    }();
    backend = opened;
  }

  void SetUp() override {
    if (!backend) GTEST_SKIP() << "needs an X server of its own (on_private_display.sh)";
  }

  void TearDown() override {
    if (!backend) return;
    while (!rt::OpenWindows().empty()) rt::OpenWindows().front()->Close();
    Settle(50);
  }

  // Runs the GTK loop until `done` holds; false when `milliseconds` pass first.
  static bool RunUntil(const std::function<bool()> &done, int milliseconds = 3000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done()) {
      if (std::chrono::steady_clock::now() >= end) return false;
      while (gtk_events_pending()) gtk_main_iteration();
      g_usleep(1000);
    }
    return true;
  }

  // Lets GTK and the core handle what comes in for `milliseconds`.
  static void Settle(int milliseconds) { RunUntil([] { return false; }, milliseconds); }

  // Calls `visit` on the widget and everything inside it.
  static void ForEachWidget(GtkWidget *widget, const std::function<void(GtkWidget *)> &visit) {
    visit(widget);
    if (!GTK_IS_CONTAINER(widget)) return;
    GList *children = gtk_container_get_children(GTK_CONTAINER(widget));
    for (GList *c = children; c; c = c->next) ForEachWidget(GTK_WIDGET(c->data), visit);
    g_list_free(children);
  }

  static GtkWindow *ToplevelTitled(const char *title) {
    GList *all = gtk_window_list_toplevels();
    GtkWindow *found = nullptr;
    for (GList *w = all; w && !found; w = w->next) {
      const char *shown = gtk_window_get_title(GTK_WINDOW(w->data));
      if (shown && std::string(shown) == title && gtk_widget_get_visible(GTK_WIDGET(w->data))) {
        found = GTK_WINDOW(w->data);
      }
    }
    g_list_free(all);
    return found;
  }

  // An editor on a store with the built-in searches, on screen; its first search selected unless
  // `noSelection`, as the editor opens.
  std::shared_ptr<tovra::PreferencesWindow> OpenEditor(bool noSelection = false) {
    auto prefs = std::make_shared<tovra::Preferences>();
    prefs->AddDefaultSearches();
    auto editor = rt::Window::Create<tovra::PreferencesWindow>();
    editor->SetPreferences(prefs);
    if (!noSelection) editor->ListOfSearches->SetListIndex(0);
    EXPECT_TRUE(RunUntil([] {
      GtkWindow *top = ToplevelTitled("Tovra! Preferences");
      return top && gtk_widget_get_mapped(GTK_WIDGET(top));
    }));
    Settle(100);
    return editor;
  }

  // A key pressed and let go, as the X server would deliver it to the window: a button pressed
  // by GTK itself is clicked when its key comes up.
  static void PressKey(GtkWindow *window, guint keyval, GdkModifierType state) {
    for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
      GdkEvent *event = gdk_event_new(type);
      event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(GTK_WIDGET(window))));
      event->key.send_event = TRUE;
      event->key.time = GDK_CURRENT_TIME;
      event->key.keyval = keyval;
      event->key.state = state;
      GdkKeymapKey *keys = nullptr;
      gint count = 0;
      guint typed = keyval == GDK_KEY_ISO_Left_Tab ? GDK_KEY_Tab : keyval;
      GdkDisplay *display = gdk_display_get_default();
      if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(display), typed, &keys, &count) && count > 0) {
        event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
      }
      g_free(keys);
      gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(display)));
      gtk_main_do_event(event);
      gdk_event_free(event);
      Settle(20);
    }
  }

  // The names of the controls the focus goes to in `presses` presses of Tab (Shift+Tab).
  static std::vector<std::string> FocusWalk(rt::Window &window, int presses, bool backwards) {
    GtkWindow *top = ToplevelTitled(window.Title.ToStd().c_str());
    std::vector<std::string> names;
    for (int i = 0; i < presses; ++i) {
      PressKey(top, backwards ? GDK_KEY_ISO_Left_Tab : GDK_KEY_Tab, backwards ? GDK_SHIFT_MASK : GdkModifierType(0));
      rt::Control *focused = window.FocusedControl();
      names.push_back(focused ? focused->Name.ToStd() : "(none)");
    }
    return names;
  }

  // Tabs through the window until the focus is on `control`; false when it never comes there.
  static bool TabTo(rt::Window &window, const rt::Control &control) {
    for (int i = 0; i < 20 && window.FocusedControl() != &control; ++i) FocusWalk(window, 1, false);
    return window.FocusedControl() == &control;
  }

  static std::string FocusedName(const rt::Window &window) {
    return window.FocusedControl() ? window.FocusedControl()->Name.ToStd() : "(none)";
  }

  static rt::GtkBackend *backend;
};

rt::GtkBackend *OnDisplay::backend = nullptr;

// The suites that need the display end in "OnDisplay": only their run on an X server of its own
// lists them (tests/e2e/CMakeLists.txt).
using KeyboardOrderOnDisplay = OnDisplay;

TEST_F(KeyboardOrderOnDisplay, TabFollowsTheTabIndicesOfThePageThenOfTheWindow) {
  auto editor = OpenEditor();
  ASSERT_EQ(editor->FocusedControl(), editor->ListOfSearches.get());
  EXPECT_EQ(FocusWalk(*editor, 9, false),
            (std::vector<std::string>{"NewSearchButton", "RemoveSearchButton", "SearchText", "RenameSearchButton",
                                      "DoneButton", "CancelButton", "DefaultsButton", "thePanel", "ListOfSearches"}));
  EXPECT_EQ(FocusWalk(*editor, 4, true),
            (std::vector<std::string>{"thePanel", "DefaultsButton", "CancelButton", "DoneButton"}));

  editor->thePanel->SetValue(0);  // the Hot Key page
  Settle(50);
  EXPECT_EQ(FocusWalk(*editor, 5, false),
            (std::vector<std::string>{"CancelButton", "DefaultsButton", "thePanel", "ModifierMenu", "HotKeyMenu"}));
}

TEST_F(KeyboardOrderOnDisplay, DisabledControlsArePassedOver) {
  auto editor = OpenEditor();
  editor->ListOfSearches->SetListIndex(-1);  // Remove, the template and Rename go grey
  Settle(50);
  EXPECT_EQ(FocusWalk(*editor, 6, false),
            (std::vector<std::string>{"NewSearchButton", "DoneButton", "CancelButton", "DefaultsButton", "thePanel",
                                      "ListOfSearches"}));
}

// The arrows on the tab strip, and Ctrl+Page Up and Down from the strip or a control of a page,
// turn the pages; the focus stays in the panel, on the strip or on the new page.
TEST_F(KeyboardOrderOnDisplay, PagesTurnByKeyboardFromAnywhereInThePanel) {
  auto editor = OpenEditor();
  GtkWindow *top = ToplevelTitled("Tovra! Preferences");
  GtkNotebook *notebook = nullptr;
  ForEachWidget(GTK_WIDGET(top), [&notebook](GtkWidget *w) {
    if (GTK_IS_NOTEBOOK(w)) notebook = GTK_NOTEBOOK(w);
  });
  ASSERT_NE(notebook, nullptr);
  auto page = [&] { return std::pair{editor->thePanel->Value(), gtk_notebook_get_current_page(notebook)}; };
  auto focused = [&] { return editor->FocusedControl() ? editor->FocusedControl()->Name.ToStd() : "(none)"; };

  PressKey(top, GDK_KEY_Page_Down, GDK_CONTROL_MASK);  // from the list
  EXPECT_EQ(page(), std::pair(0, 0));
  EXPECT_EQ(focused(), "ModifierMenu");
  PressKey(top, GDK_KEY_Page_Up, GDK_CONTROL_MASK);  // from the Hot Key page
  EXPECT_EQ(page(), std::pair(1, 1));
  EXPECT_EQ(focused(), "ListOfSearches");

  EXPECT_EQ(FocusWalk(*editor, 1, true), std::vector<std::string>{"thePanel"});
  PressKey(top, GDK_KEY_Left, GdkModifierType(0));
  EXPECT_EQ(page(), std::pair(0, 0));
  PressKey(top, GDK_KEY_Left, GdkModifierType(0));  // past the first page to the last
  EXPECT_EQ(page(), std::pair(1, 1));
  PressKey(top, GDK_KEY_Right, GdkModifierType(0));
  PressKey(top, GDK_KEY_Page_Down, GDK_CONTROL_MASK);
  EXPECT_EQ(page(), std::pair(1, 1));
  EXPECT_EQ(focused(), "thePanel");
}

// Focus that comes into the list leaves its selection as it was: no row, and the controls that
// act on a row stay grey. Space then selects the row the keyboard focus rests on.
TEST_F(KeyboardOrderOnDisplay, FocusArrivingInTheListSelectsNothing) {
  auto editor = OpenEditor(true);
  GtkWindow *top = ToplevelTitled("Tovra! Preferences");
  EXPECT_EQ(FocusWalk(*editor, 2, true), (std::vector<std::string>{"thePanel", "DefaultsButton"}));
  EXPECT_EQ(FocusWalk(*editor, 2, false), (std::vector<std::string>{"thePanel", "ListOfSearches"}));
  Settle(50);
  EXPECT_EQ(editor->ListOfSearches->ListIndex(), -1);
  EXPECT_FALSE(editor->RemoveSearchButton->Enabled());
  EXPECT_FALSE(editor->SearchText->Enabled());
  EXPECT_EQ(editor->SearchText->Text().ToStd(), "");

  PressKey(top, GDK_KEY_space, GdkModifierType(0));
  Settle(50);
  EXPECT_EQ(editor->ListOfSearches->Text().ToStd(), "amazon");
  EXPECT_TRUE(editor->RemoveSearchButton->Enabled());
}

// Keys that take the focused control off screen or grey it: the focus goes on to the first control
// that can have it, and Tab goes on from there.
TEST_F(KeyboardOrderOnDisplay, FocusLeavesAControlThatGoesGreyOrHidden) {
  auto editor = OpenEditor();
  GtkWindow *top = ToplevelTitled("Tovra! Preferences");
  ASSERT_TRUE(TabTo(*editor, *editor->RemoveSearchButton));
  PressKey(top, GDK_KEY_space, GdkModifierType(0));  // Remove greys itself
  Settle(50);
  ASSERT_FALSE(editor->RemoveSearchButton->Enabled());
  EXPECT_EQ(FocusedName(*editor), "ListOfSearches");
  EXPECT_TRUE(GTK_IS_TREE_VIEW(gtk_window_get_focus(top))) << "no widget has the keyboard focus";
  EXPECT_EQ(FocusWalk(*editor, 1, false), std::vector<std::string>{"NewSearchButton"});

  editor->NewSearchButton->SetVisible(false);
  Settle(50);
  EXPECT_EQ(FocusedName(*editor), "ListOfSearches");
  EXPECT_TRUE(GTK_IS_TREE_VIEW(gtk_window_get_focus(top))) << "no widget has the keyboard focus";
}

using ButtonKeysOnDisplay = OnDisplay;

// Return, Enter and Space press the button with the focus. Return and Enter press the default
// button only from a control that does not take them itself: a popup opens with them, and the
// template breaks its line.
TEST_F(ButtonKeysOnDisplay, KeysPressTheFocusedButtonAndReturnElseTheDefault) {
  struct Case {
    const char *window, *focus;
    guint keyval;
    const char *pressed;  // a button's name, "(popup)" for a popup opened, or "(none)"
  };
  const Case cases[] = {
      {"editor", "CancelButton", GDK_KEY_Return, "CancelButton"},
      {"editor", "CancelButton", GDK_KEY_KP_Enter, "CancelButton"},
      {"editor", "CancelButton", GDK_KEY_space, "CancelButton"},
      {"editor", "NewSearchButton", GDK_KEY_Return, "NewSearchButton"},
      {"editor", "RemoveSearchButton", GDK_KEY_Return, "RemoveSearchButton"},
      {"editor", "DefaultsButton", GDK_KEY_Return, "DefaultsButton"},
      {"editor", "DoneButton", GDK_KEY_space, "DoneButton"},
      {"editor", "ListOfSearches", GDK_KEY_Return, "DoneButton"},
      {"editor", "ListOfSearches", GDK_KEY_KP_Enter, "DoneButton"},
      {"editor", "SearchText", GDK_KEY_Return, "(none)"},
      {"editor", "SearchText", GDK_KEY_KP_Enter, "(none)"},
      {"editor", "HotKeyMenu", GDK_KEY_Return, "(popup)"},
      {"editor", "ModifierMenu", GDK_KEY_KP_Enter, "(popup)"},
      {"editor", "ModifierMenu", GDK_KEY_space, "(popup)"},
      {"prompt", "theText", GDK_KEY_Return, "OKButton"},
      {"prompt", "CancelButton", GDK_KEY_Return, "CancelButton"},
      {"prompt", "CancelButton", GDK_KEY_space, "CancelButton"},
      {"prompt", "OKButton", GDK_KEY_KP_Enter, "OKButton"},
      {"about", "DoneButton", GDK_KEY_Return, "DoneButton"},
  };
  auto editor = OpenEditor();
  auto prompt = rt::Window::Create<tovra::AskForTextWindow>();
  prompt->Title = "prompt";  // untitled, it would not be found
  prompt->SetLeft(prompt->Left());
  auto about = rt::Window::Create<tovra::AboutWindow>();
  Settle(100);
  const std::pair<const char *, rt::Window *> windows[] = {
      {"editor", editor.get()}, {"prompt", prompt.get()}, {"about", about.get()}};
  std::string pressed;
  for (const auto &[name, window] : windows) {
    for (const auto &c : window->Controls()) {
      if (c->ControlKind() != rt::Control::Kind::kPushButton) continue;
      static_cast<rt::PushButton &>(*c).Action = [&pressed, c = c.get()] { pressed = c->Name.ToStd(); };
    }
  }

  for (const Case &c : cases) {
    rt::Window *window = nullptr;
    for (const auto &[name, w] : windows) {
      if (std::string(name) == c.window) window = w;
    }
    rt::Control *focus = window->FindControl(c.focus).get();
    if (focus->PanelIndex > 0) editor->thePanel->SetValue(focus->PanelIndex - 1);
    if (rt::ActiveWindow() != window) {
      window->Show();
      Settle(50);
    }
    std::string what = std::string(c.window) + ", " + c.focus + ", " + gdk_keyval_name(c.keyval);
    ASSERT_TRUE(TabTo(*window, *focus)) << what;
    GtkWindow *top = ToplevelTitled(window->Title.ToStd().c_str());
    pressed = "(none)";
    PressKey(top, c.keyval, GdkModifierType(0));
    Settle(50);
    GtkWidget *combo = gtk_widget_get_ancestor(gtk_window_get_focus(top), GTK_TYPE_COMBO_BOX);
    gboolean popupShown = FALSE;
    if (combo) g_object_get(combo, "popup-shown", &popupShown, nullptr);
    if (popupShown) {
      gtk_combo_box_popdown(GTK_COMBO_BOX(combo));
      Settle(50);
      if (pressed == "(none)") pressed = "(popup)";
    }
    EXPECT_EQ(pressed, c.pressed) << what;
  }
  std::string text = editor->SearchText->Text().ToStd();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << "Return and Enter broke no line of the template";
}

// The desktop's own alerts keep the same rule.
TEST_F(ButtonKeysOnDisplay, AlertKeysPressTheFocusedButton) {
  struct Case {
    const char *focus;  // the caption of the button given the focus; nullptr leaves it as it opens
    guint keyval;
    int answer;  // 0 the action, 1 Cancel
  };
  static const Case *current = nullptr;
  const Case cases[] = {
      {nullptr, GDK_KEY_Return, 0}, {"Cancel", GDK_KEY_Return, 1}, {"Cancel", GDK_KEY_space, 1},
      {"Set Defaults", GDK_KEY_KP_Enter, 0}};
  for (const Case &c : cases) {
    current = &c;
    g_timeout_add(
        100,
        [](gpointer) -> gboolean {
          GtkWindow *alert = rt::gtk::WaitingAlert();
          if (!alert) return G_SOURCE_CONTINUE;
          ForEachWidget(GTK_WIDGET(alert), [](GtkWidget *w) {
            if (current->focus && GTK_IS_BUTTON(w) && gtk_button_get_label(GTK_BUTTON(w)) &&
                std::string(gtk_button_get_label(GTK_BUTTON(w))) == current->focus) {
              gtk_widget_grab_focus(w);
            }
          });
          PressKey(alert, current->keyval, GdkModifierType(0));
          return G_SOURCE_REMOVE;
        },
        nullptr);
    rt::MessageDialog dialog;
    dialog.ActionButton.Caption = "Set Defaults";
    dialog.CancelButton.Visible = true;
    dialog.Message = "Sure?";
    EXPECT_EQ(backend->ShowMessageDialog(dialog), c.answer)
        << (c.focus ? c.focus : "as it opens") << ", " << gdk_keyval_name(c.keyval);
  }
}

using ControlSizeOnDisplay = OnDisplay;

// Each control the window shows, as GTK placed it, beside its layout.
TEST_F(ControlSizeOnDisplay, EveryControlOfTheEditorKeepsItsLaidOutSize) {
  auto editor = OpenEditor();
  editor->ModifierMenu->SetListIndex(12);  // "Shift-Option-Command-Control", the longest row
  GtkWidget *top = GTK_WIDGET(ToplevelTitled("Tovra! Preferences"));
  for (int page : {0, 1}) {
    editor->thePanel->SetValue(page);
    Settle(100);
    for (const auto &control : editor->Controls()) {
      if (!editor->Shows(*control)) continue;
      GtkWidget *placed = nullptr;
      ForEachWidget(top, [&](GtkWidget *w) {
        GtkWidget *parent = gtk_widget_get_parent(w);
        if (!GTK_IS_FIXED(parent) || !gtk_widget_get_visible(w)) return;
        int x = 0, y = 0;
        gtk_container_child_get(GTK_CONTAINER(parent), w, "x", &x, "y", &y, nullptr);
        if (x == control->Left && y == control->Top) placed = w;
      });
      ASSERT_NE(placed, nullptr) << control->Name.ToStd();
      EXPECT_EQ(gtk_widget_get_allocated_width(placed), control->Width)
          << control->Name.ToStd() << " on page " << page;
      EXPECT_EQ(gtk_widget_get_allocated_height(placed), control->Height)
          << control->Name.ToStd() << " on page " << page;
    }
  }
}

using MessageDialogIconOnDisplay = OnDisplay;

TEST_F(MessageDialogIconOnDisplay, DefaultsQuestionShowsTheCautionIcon) {
  auto editor = OpenEditor();
  bool cautionShown = false;
  // Looks at the question while it waits for its answer, then answers Cancel.
  g_timeout_add(
      100,
      [](gpointer shown) -> gboolean {
        GtkWindow *alert = rt::gtk::WaitingAlert();
        if (!alert) return G_SOURCE_CONTINUE;
        ForEachWidget(GTK_WIDGET(alert), [shown](GtkWidget *w) {
          if (!GTK_IS_IMAGE(w) || !gtk_widget_is_visible(w)) return;
          const char *name = nullptr;
          gtk_image_get_icon_name(GTK_IMAGE(w), &name, nullptr);
          if (name && std::string(name) == "dialog-warning" &&
              gtk_icon_theme_has_icon(gtk_icon_theme_get_default(), name)) {
            *static_cast<bool *>(shown) = true;
          }
        });
        gtk_dialog_response(GTK_DIALOG(alert), 1);
        return G_SOURCE_REMOVE;
      },
      &cautionShown);
  editor->DefaultsButton->Push();
  EXPECT_TRUE(cautionShown);
}

using ServerKeptHotKeyOnDisplay = OnDisplay;

// Ctrl+Alt with F1 to F12 switches terminals: the server's keymap keeps it, with Super or without.
TEST_F(ServerKeptHotKeyOnDisplay, CombinationTheServerActsOnIsRefused) {
  constexpr uint32_t kF1ToF12[] = {122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111};
  constexpr uint32_t kOptionCommandControl = 0x1900, kOptionControl = 0x1800;
  for (uint32_t key : kF1ToF12) {
    EXPECT_EQ(backend->RegisterHotKey(key, kOptionCommandControl, [] {}), 0) << "key code " << key;
    EXPECT_EQ(backend->RegisterHotKey(key, kOptionControl, [] {}), 0) << "key code " << key;
  }
}

TEST_F(ServerKeptHotKeyOnDisplay, OtherCombinationsOfTheSameKeysAreRegistered) {
  constexpr uint32_t kF1 = 122, kF6 = 97;
  const std::pair<uint32_t, uint32_t> keys[] = {
      {kF6, 0x1B00},  // Shift-Option-Command-Control: shifted, the key is F6 again
      {kF1, 0x900},   // Option-Command
      {kF1, 0x1100},  // Command-Control
  };
  for (const auto &[key, mask] : keys) {
    int handle = backend->RegisterHotKey(key, mask, [] {});
    EXPECT_NE(handle, 0) << "key code " << key << " mask " << mask;
    backend->UnregisterHotKey(handle);
  }
}

}  // namespace
