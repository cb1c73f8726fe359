// The preferences editor. It edits a clone of the live store; only Done copies the clone back,
// saves it and registers the hot key anew. Every change handler does nothing while `updating`
// is set, so the window's own selections never count as edits.
#pragma once

#include <memory>

#include "runtime/core/controls.h"
#include "runtime/core/window.h"

namespace tovra {

class Preferences;

class PreferencesWindow : public rt::Window {
 public:
  std::shared_ptr<Preferences> thePreferences;
  std::shared_ptr<Preferences> originalPreferences;
  bool updating = false;

  std::shared_ptr<rt::TabPanel> thePanel;
  std::shared_ptr<rt::StaticText> StaticText1, StaticText2;
  std::shared_ptr<rt::PopupMenu> ModifierMenu, HotKeyMenu;
  std::shared_ptr<rt::Listbox> ListOfSearches;
  std::shared_ptr<rt::PushButton> NewSearchButton, RemoveSearchButton;
  std::shared_ptr<rt::EditField> SearchText;
  std::shared_ptr<rt::PushButton> RenameSearchButton, DoneButton, CancelButton, DefaultsButton;

  void thePanel_Open();
  void ModifierMenu_Change();
  void HotKeyMenu_Change();
  void ListOfSearches_Change();
  void NewSearchButton_Action();
  void RemoveSearchButton_Action();
  void SearchText_TextChange();
  void RenameSearchButton_Action();
  void DoneButton_Action();
  void CancelButton_Action();
  void DefaultsButton_Action();
  void SetPreferences(std::shared_ptr<Preferences> prefs);
  void UpdateSearchList();

 protected:
  void Layout() override;
  void CreateControls() override;
  void _CreateControls0();

 private:
  void SetSearchControlsEnabled(bool enabled);
  void SelectRowNamed(const rt::String &name);
};

// The rows the editor offers for the hot key.
inline constexpr const char *kModifierRows[] = {
    "None", "Command", "Control", "Command-Control", "Shift", "Shift-Command",
    "Shift-Command-Control", "Option", "Option-Command", "Option-Command-Control",
    "Shift-Option", "Shift-Option-Command", "Shift-Option-Command-Control"};
inline constexpr int kHotKeyRowCount = 16;  // "F1" to "F16"

// The template a new macro starts with.
inline constexpr const char *kNewSearchTemplate = "http://search.example.com?query=$*";

}  // namespace tovra
