#include "app/hotkey_menu.h"

#include "runtime/core/errors.h"

namespace tovra {
namespace {

std::shared_ptr<HotKeyMenu> instance;

const char *const kNotSet = nullptr;

template <class Item>
std::shared_ptr<rt::MenuItem> Build(const char *name, const char *text, const char *shortcut) {
  auto item = std::make_shared<Item>();
  item->Name = name;
  item->AutoEnable = true;
  item->Text = text;
  if (shortcut != kNotSet) item->KeyboardShortcut = shortcut;
  return item;
}

}  // namespace

void HotKeyMenu::Constructor() {
  Untitled0();
  Untitled1();
}

void HotKeyMenu::Untitled0() {
  Append(Build<rt::MenuItem>("FileMenu", "&File", ""));
  auto file = Child("FileMenu");
  rt::Deref(file);
  file->Append(Build<rt::AppleMenuItem>("FileAboutTovra", "About Tovra!", ""));
  file->Append(Build<rt::PrefsMenuItem>("FilePreferences", "Preferences", "Cmd+,"));
  file->Append(Build<rt::MenuItem>("FileClose", "Close", "Cmd+W"));
  file->Append(Build<rt::QuitMenuItem>("FileQuit", "&Quit", "Cmd+Q"));
}

void HotKeyMenu::Untitled1() {
  Append(Build<rt::MenuItem>("EditMenu", "&Edit", ""));
  auto edit = Child("EditMenu");
  rt::Deref(edit);
  edit->Append(Build<rt::MenuItem>("EditUndo", "&Undo", "Cmd+Z"));
  edit->Append(Build<rt::MenuItem>("UntitledMenu1", "-", kNotSet));
  edit->Append(Build<rt::MenuItem>("EditCut", "Cu&t", "Cmd+X"));
  edit->Append(Build<rt::MenuItem>("EditCopy", "&Copy", "Cmd+C"));
  edit->Append(Build<rt::MenuItem>("EditPaste", "&Paste", "Cmd+V"));
  edit->Append(Build<rt::MenuItem>("EditClear", "&Delete", ""));
  edit->Append(Build<rt::MenuItem>("UntitledMenu0", "-", kNotSet));
  edit->Append(Build<rt::MenuItem>("EditSelectAll", "Select &All", "Cmd+A"));
}

namespace the {
std::shared_ptr<tovra::HotKeyMenu> HotKeyMenu() {
  if (!instance) {
    instance = std::make_shared<tovra::HotKeyMenu>();
    instance->Constructor();
  }
  return instance;
}
}  // namespace the

void ReleaseHotKeyMenu() { instance.reset(); }

}  // namespace tovra
