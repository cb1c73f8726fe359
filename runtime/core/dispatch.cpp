#include "runtime/core/dispatch.h"

#include <optional>
#include <utility>

#include "runtime/core/application.h"
#include "runtime/core/clipboard.h"
#include "runtime/core/runtime.h"
#include "runtime/core/string_functions.h"
#include "runtime/core/window.h"
#include "runtime/core/window_list.h"

namespace rt {
namespace {

// The Edit menu's standard items that act on a text field; Undo, the other one, has nothing to
// undo here.
constexpr std::pair<const char *, EditCommand> kEditItems[] = {
    {"EditCut", EditCommand::kCut},     {"EditCopy", EditCommand::kCopy},
    {"EditPaste", EditCommand::kPaste}, {"EditClear", EditCommand::kClear},
    {"EditSelectAll", EditCommand::kSelectAll}};

std::optional<EditCommand> EditCommandOf(const String &name) {
  for (const auto &[itemName, command] : kEditItems) {
    if (name == String(itemName)) return command;
  }
  return std::nullopt;
}

bool IsStandardEditItem(const String &name) { return name == String("EditUndo") || EditCommandOf(name); }

EditField *FocusedEditField(Window *w) {
  if (!w || !w->FocusedControl()) return nullptr;
  Control *c = w->FocusedControl();
  return c->ControlKind() == Control::Kind::kEditField ? static_cast<EditField *>(c) : nullptr;
}

// The framework's own behaviour for items no handler took.
bool DefaultAction(const MenuItem &item, Window *front) {
  if (item.ItemRole() == MenuItem::Role::kQuit) {
    Quit();
    return true;
  }
  EditField *field = FocusedEditField(front);
  if (!field) return false;
  if (item.Name == String("EditUndo")) return true;
  std::optional<EditCommand> command = EditCommandOf(item.Name);
  if (!command) return false;
  if (CurrentBackend().EditNatively(*field, *command)) return true;
  // Without the platform's field there is no selection: the command acts on the whole text.
  switch (*command) {
    case EditCommand::kPaste: {
      Clipboard c;
      if (c.TextAvailable()) field->SetText(field->Text() + c.Text());
      break;
    }
    case EditCommand::kCopy:
      Clipboard().SetText(field->Text());
      break;
    case EditCommand::kCut:
      Clipboard().SetText(field->Text());
      field->SetText(String(""));
      break;
    case EditCommand::kClear:
      field->SetText(String(""));
      break;
    case EditCommand::kSelectAll:
      break;
  }
  return true;
}

void EnableDefaults(MenuItem &menu, Window *front, const Application *app) {
  for (int i = 0; i < menu.Count(); ++i) {
    MenuItem &item = *menu.Item(i);
    if (item.AutoEnable) {
      bool handled = (front && front->menuHandlers.Has(item.Name)) ||
                     (app && app->menuHandlers.Has(item.Name));
      bool standard = item.ItemRole() == MenuItem::Role::kQuit ||
                      (IsStandardEditItem(item.Name) && FocusedEditField(front) != nullptr);
      // Menus themselves stay enabled; their items decide.
      item.Enabled = item.Count() > 0 || handled || standard;
    }
    EnableDefaults(item, front, app);
  }
}

}  // namespace

MenuBar *CurrentMenuBar() {
  std::shared_ptr<Window> front = FrontWindow();
  if (front && front->MenuBar) return front->MenuBar.get();
  auto app = RuntimeAppObject();
  return app ? app->MenuBar.get() : nullptr;
}

void UpdateMenus() {
  std::shared_ptr<Window> front = FrontWindow();
  auto app = RuntimeAppObject();
  MenuBar *bar = CurrentMenuBar();
  if (bar) EnableDefaults(*bar, front.get(), app.get());
  if (front) front->Event_EnableMenuItems();
  if (app) app->Event_EnableMenuItems();
  if (bar) CurrentBackend().MenusChanged(*bar);
}

bool ChooseMenuItem(const String &itemName) {
  UpdateMenus();
  MenuBar *bar = CurrentMenuBar();
  std::shared_ptr<MenuItem> item = bar ? bar->Find(itemName) : nullptr;
  if (!item || !item->Enabled) return false;
  std::shared_ptr<Window> front = FrontWindow();
  if (front && front->menuHandlers.Run(itemName)) return true;
  auto app = RuntimeAppObject();
  if (app && app->menuHandlers.Run(itemName)) return true;
  return DefaultAction(*item, front.get());
}

bool KeyPressed(Window &window, const String &key, bool command) {
  auto keep = window.shared_from_this();
  if (command) {
    UpdateMenus();
    MenuBar *bar = CurrentMenuBar();
    std::shared_ptr<MenuItem> item = bar ? FindShortcut(*bar, key) : nullptr;
    if (item && item->Enabled) return ChooseMenuItem(item->Name);
    return false;
  }
  if (window.Event_KeyDown(key)) return true;
  if (!window.IsOpen()) return true;
  Control *focused = window.FocusedControl();
  int code = Asc(key);
  if (focused && focused->Enabled()) {
    if (focused->HandleKey(key)) return true;
    if ((code == 13 || code == 3) && focused->KeepsReturn()) return false;  // for the platform's widget
  }
  if (code == 13 || code == 3) {
    if (PushButton *b = window.DefaultButton()) {
      b->Push();
      return true;
    }
  }
  if (code == 27) {
    if (PushButton *b = window.CancelButton()) {
      b->Push();
      return true;
    }
  }
  return false;
}

}  // namespace rt
