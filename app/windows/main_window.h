// The search window. It has no control that takes the focus, so every key reaches its KeyDown,
// which edits the search line: the text of the label Status, and nowhere else.
#pragma once

#include <memory>

#include "runtime/core/controls.h"
#include "runtime/core/window.h"

namespace tovra {

class MainWindow : public rt::Window {
 public:
  std::shared_ptr<rt::StaticText> Status;
  std::shared_ptr<rt::StaticText> StaticText1;

  std::shared_ptr<rt::MenuItem> EditMenu() const { return Item("EditMenu"); }
  std::shared_ptr<rt::MenuItem> EditSelectAll() const { return Item("EditSelectAll"); }
  std::shared_ptr<rt::MenuItem> UntitledMenu0() const { return Item("UntitledMenu0"); }
  std::shared_ptr<rt::MenuItem> EditClear() const { return Item("EditClear"); }
  std::shared_ptr<rt::MenuItem> EditPaste() const { return Item("EditPaste"); }
  std::shared_ptr<rt::MenuItem> EditCopy() const { return Item("EditCopy"); }
  std::shared_ptr<rt::MenuItem> EditCut() const { return Item("EditCut"); }
  std::shared_ptr<rt::MenuItem> UntitledMenu1() const { return Item("UntitledMenu1"); }
  std::shared_ptr<rt::MenuItem> EditUndo() const { return Item("EditUndo"); }
  std::shared_ptr<rt::MenuItem> FileMenu() const { return Item("FileMenu"); }
  std::shared_ptr<rt::MenuItem> FileQuit() const { return Item("FileQuit"); }
  std::shared_ptr<rt::MenuItem> FileClose() const { return Item("FileClose"); }
  std::shared_ptr<rt::MenuItem> FilePreferences() const { return Item("FilePreferences"); }
  std::shared_ptr<rt::MenuItem> FileAboutTovra() const { return Item("FileAboutTovra"); }

  void Event_Open() override;
  void Event_EnableMenuItems() override;
  void Event_Activate() override;
  void Event_Deactivate() override;
  bool Event_KeyDown(const rt::String &key) override;

  bool _FileClose_Action();
  bool _FilePreferences_Action();
  bool _EditPaste_Action();

  rt::String QuoteBlanks(const rt::String &s) const;
  // Offers the names that begin with `prefix` in the modal completion dialog and puts the
  // chosen one, with a blank after it, in the search line.
  void DoCompletion(const rt::String &prefix);

 protected:
  void Layout() override;
  void CreateControls() override;
  void _CreateControls0();
  void AddMenuHandlers() override;

 private:
  std::shared_ptr<rt::MenuItem> Item(const char *name) const;
  void CompleteLine();
  void RunSearch();
};

namespace the {
// The open search window; a new one when none is open.
std::shared_ptr<tovra::MainWindow> MainWindow();
}  // namespace the

}  // namespace tovra
