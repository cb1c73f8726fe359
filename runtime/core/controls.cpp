#include "runtime/core/controls.h"

#include "runtime/core/runtime.h"
#include "runtime/core/string_functions.h"
#include "runtime/core/window.h"

namespace rt {

void Control::Changed() {
  if (owner_ && owner_->IsOpen()) CurrentBackend().ControlChanged(*this);
}

void Control::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (owner_ && !enabled) owner_->KeepFocusOnUsableControl();
  Changed();
}

void Control::SetVisible(bool visible) {
  visible_ = visible;
  if (owner_ && !visible) owner_->KeepFocusOnUsableControl();
  Changed();
}

void StaticText::SetText(const String &text) {
  text_ = text;
  Changed();
}

void EditField::SetText(const String &text) {
  bool differs = text.Bytes() != text_.Bytes();
  text_ = text;
  Changed();
  if (differs && TextChange) TextChange();
}

bool EditField::HandleKey(const String &key) {
  if (ReadOnly) return false;
  int code = Asc(key);
  if (code == 8) {
    if (!text_.IsEmpty()) SetText(rt::Left(text_, rt::Len(text_) - 1));
    return true;
  }
  if (code == 13 || code == 3) {
    if (!MultiLine) return false;
    SetText(text_ + String("\n"));
    return true;
  }
  if (code == 9) {
    if (!AcceptTabs) return false;
    SetText(text_ + key);
    return true;
  }
  if (code >= 32 && code != 127) {
    SetText(text_ + key);
    return true;
  }
  return false;
}

bool PushButton::HandleKey(const String &key) {
  int code = Asc(key);
  if (code != 13 && code != 3 && code != 32) return false;
  Push();
  return true;
}

void PushButton::Push() {
  if (Enabled() && Action) Action();
}

bool Listbox::HandleKey(const String &key) {
  int code = Asc(key);
  if (code == 30 && !rows_.empty()) {
    SetListIndex(listIndex_ <= 0 ? 0 : listIndex_ - 1);
    return true;
  }
  if (code == 31 && !rows_.empty()) {
    SetListIndex(listIndex_ + 1 >= ListCount() ? ListCount() - 1 : listIndex_ + 1);
    return true;
  }
  return false;
}

void Listbox::AddRow(const String &text) {
  rows_.push_back(text);
  if (addedRowsNoticed_) return;
  addedRowsNoticed_ = true;
  Changed();
}

void Listbox::RemoveRow(int row) {
  if (row < 0 || row >= ListCount()) return;
  rows_.erase(rows_.begin() + row);
  if (listIndex_ >= ListCount()) {
    SetListIndex(ListCount() - 1);
  } else if (listIndex_ == row) {
    SetListIndex(-1);
  } else if (listIndex_ > row) {
    --listIndex_;
  }
  Changed();
}

void Listbox::DeleteAllRows() {
  rows_.clear();
  if (listIndex_ != -1) SetListIndex(-1);
  Changed();
}

void Listbox::SetListIndex(int index) {
  if (index < -1 || index >= ListCount()) index = -1;
  if (index == listIndex_) return;
  listIndex_ = index;
  Changed();
  if (Change) Change();
}

String Listbox::Text() const { return listIndex_ >= 0 ? rows_[static_cast<size_t>(listIndex_)] : String(""); }

String Listbox::Cell(int row, int column) const {
  if (row < 0 || row >= ListCount() || column != 0) return String("");
  return rows_[static_cast<size_t>(row)];
}

void Listbox::SetCell(int row, int column, const String &text) {
  if (row < 0 || row >= ListCount() || column != 0) return;
  rows_[static_cast<size_t>(row)] = text;
  Changed();
}

void PopupMenu::AddRow(const String &text) {
  rows_.push_back(text);
  Changed();
}

void PopupMenu::DeleteAllRows() {
  rows_.clear();
  listIndex_ = -1;
  Changed();
}

String PopupMenu::List(int row) const {
  return row >= 0 && row < ListCount() ? rows_[static_cast<size_t>(row)] : String("");
}

void PopupMenu::SetListIndex(int index) {
  if (index < -1 || index >= ListCount()) index = -1;
  if (index == listIndex_) return;
  listIndex_ = index;
  Changed();
  if (Change) Change();
}

String PopupMenu::Text() const { return List(listIndex_); }

void TabPanel::SetValue(int page) {
  if (page == value_) return;
  value_ = page;
  if (Owner()) Owner()->KeepFocusOnUsableControl();
  Changed();
  if (Change) Change();
}

void TabPanel::TurnPage(int step) {
  int pages = static_cast<int>(Tabs.size());
  if (pages == 0) return;
  SetValue(((value_ + step) % pages + pages) % pages);
}

bool TabPanel::HandleKey(const String &key) {
  int code = Asc(key);
  if (code != 28 && code != 29) return false;
  TurnPage(code == 28 ? -1 : 1);
  return true;
}

}  // namespace rt
