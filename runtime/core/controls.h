// The framework's controls. A window creates each control, applies its layout, then binds its
// events, so the values a layout sets raise nothing.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "runtime/core/string.h"

namespace rt {

class Window;

enum LockEdge { kLockLeft = 1, kLockTop = 2, kLockRight = 4, kLockBottom = 8 };

class Control {
 public:
  enum class Kind { kStaticText, kEditField, kPushButton, kListbox, kPopupMenu, kTabPanel };

  virtual ~Control() = default;
  virtual Kind ControlKind() const = 0;
  // Whether the control takes the keyboard focus at all.
  virtual bool TakesFocus() const { return false; }
  // A key for the focused control; true when it used it.
  virtual bool HandleKey(const String &key) { (void)key; return false; }
  // Whether Return and Enter are the platform widget's own (a popup opens with them), so they
  // never press the window's default button.
  virtual bool KeepsReturn() const { return false; }

  String Name;
  int Left = 0, Top = 0, Width = 0, Height = 0;
  void SetBounds(int left, int top, int width, int height) {
    Left = left;
    Top = top;
    Width = width;
    Height = height;
  }
  int LockEdges = 0;
  int TabIndex = 0;
  int PanelIndex = 0;  // page of the tab panel it sits on; 0 when on the window itself
  String TextFont = "System";
  int TextSize = 0;
  bool Bold = false;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);

  // Raised once the window has made all its controls.
  std::function<void()> Open;

  Window *Owner() const { return owner_; }
  void SetOwner(Window *owner) { owner_ = owner; }

 protected:
  void Changed();

 private:
  Window *owner_ = nullptr;
  bool enabled_ = true;
  bool visible_ = true;
};

class StaticText : public Control {
 public:
  Kind ControlKind() const override { return Kind::kStaticText; }
  const String &Text() const { return text_; }
  void SetText(const String &text);
  int TextAlign = 0;  // 0 the default (left), 1 centred, 2 right
  // A line too long for the label shows its end, not its start.
  bool ShowsEnd = false;
  std::function<bool(int x, int y)> MouseDown;

 private:
  String text_;
};

class EditField : public Control {
 public:
  Kind ControlKind() const override { return Kind::kEditField; }
  bool TakesFocus() const override { return true; }
  bool HandleKey(const String &key) override;

  const String &Text() const { return text_; }
  // Raises TextChange when the text differs.
  void SetText(const String &text);

  bool MultiLine = false;
  bool AcceptTabs = false;
  bool ReadOnly = false;
  bool Password = false;
  std::function<void()> TextChange;

 private:
  String text_;
};

class PushButton : public Control {
 public:
  Kind ControlKind() const override { return Kind::kPushButton; }
  bool TakesFocus() const override { return true; }
  // Return, Enter and Space press the focused button, whichever button is the default.
  bool HandleKey(const String &key) override;
  String Caption;
  bool Default = false;
  bool Cancel = false;
  std::function<void()> Action;
  // A click: runs Action when the button is enabled.
  void Push();
};

class Listbox : public Control {
 public:
  Kind ControlKind() const override { return Kind::kListbox; }
  bool TakesFocus() const override { return true; }
  bool HandleKey(const String &key) override;  // the arrow keys move the selection

  // A list is filled a row at a time: the rows added after the count was last read raise one
  // change notice between them, however many they are.
  void AddRow(const String &text);
  void RemoveRow(int row);
  void DeleteAllRows();
  int ListCount() const {
    addedRowsNoticed_ = false;
    return static_cast<int>(rows_.size());
  }
  int ListIndex() const { return listIndex_; }
  // Raises Change at once when the selection moves, even when set from code.
  void SetListIndex(int index);
  // The selected row's text, or "" when none is selected.
  String Text() const;
  String Cell(int row, int column) const;
  void SetCell(int row, int column, const String &text);

  int ColumnCount = 1;
  std::function<void()> Change;
  std::function<void()> DoubleClick;

 private:
  std::vector<String> rows_;
  int listIndex_ = -1;
  mutable bool addedRowsNoticed_ = false;
};

class PopupMenu : public Control {
 public:
  Kind ControlKind() const override { return Kind::kPopupMenu; }
  bool TakesFocus() const override { return true; }
  bool KeepsReturn() const override { return true; }
  void AddRow(const String &text);
  void DeleteAllRows();
  int ListCount() const { return static_cast<int>(rows_.size()); }
  String List(int row) const;
  int ListIndex() const { return listIndex_; }
  void SetListIndex(int index);  // raises Change when the selection moves
  String Text() const;
  std::function<void()> Change;

 private:
  std::vector<String> rows_;
  int listIndex_ = -1;
};

// Its tab strip is a stop of the keyboard order, where the left and right arrows turn the pages.
class TabPanel : public Control {
 public:
  Kind ControlKind() const override { return Kind::kTabPanel; }
  bool TakesFocus() const override { return true; }
  bool HandleKey(const String &key) override;
  std::vector<String> Tabs;
  int Value() const { return value_; }
  void SetValue(int page);  // raises Change when the page changes
  // The page `step` pages on, past the last back to the first and before the first to the last.
  void TurnPage(int step);
  std::function<void()> Change;

 private:
  int value_ = 0;
};

}  // namespace rt
