#include "app/windows/preferences_window.h"

#include "app/app.h"
#include "app/store/preferences.h"
#include "runtime/core/errors.h"
#include "runtime/core/runtime.h"
#include "runtime/core/string_functions.h"

namespace tovra {

namespace {

enum Page { kWindowPage = 0, kHotKeyPage = 1, kSearchesPage = 2 };

template <class C>
void Place(C &c, int page, int left, int top, int width, int height, int tabIndex, int locks) {
  c.PanelIndex = page;
  c.SetBounds(left, top, width, height);
  c.TabIndex = tabIndex;
  c.LockEdges = locks;
}

std::shared_ptr<rt::PushButton> Button(rt::Window &w, const char *name, const char *caption) {
  auto b = w.AddControl<rt::PushButton>(name);
  b->Caption = caption;
  return b;
}

}  // namespace

void PreferencesWindow::Layout() {
  Title = "Tovra! Preferences";
  FrameKind = kDocument;
  SetSize(400, 500);
}

void PreferencesWindow::CreateControls() { _CreateControls0(); }

void PreferencesWindow::_CreateControls0() {
  using rt::kLockBottom, rt::kLockLeft, rt::kLockRight, rt::kLockTop;

  thePanel = AddControl<rt::TabPanel>("thePanel");
  Place(*thePanel, kWindowPage, 20, 14, 360, 433, 0, kLockLeft | kLockTop | kLockRight | kLockBottom);
  thePanel->Tabs = {"Hot Key", "Searches"};
  thePanel->Open = [this] { thePanel_Open(); };

  StaticText1 = AddControl<rt::StaticText>("StaticText1");
  Place(*StaticText1, kHotKeyPage, 35, 73, 79, 20, 0, 0);
  StaticText1->TextAlign = 2;
  StaticText1->SetText("Modifier");

  StaticText2 = AddControl<rt::StaticText>("StaticText2");
  Place(*StaticText2, kHotKeyPage, 35, 104, 79, 20, 1, 0);
  StaticText2->TextAlign = 2;
  StaticText2->SetText("Hot Key");

  ModifierMenu = AddControl<rt::PopupMenu>("ModifierMenu");
  Place(*ModifierMenu, kHotKeyPage, 135, 73, 211, 20, 2, 0);
  for (const char *row : kModifierRows) ModifierMenu->AddRow(row);
  ModifierMenu->SetListIndex(0);
  ModifierMenu->Change = [this] { ModifierMenu_Change(); };

  HotKeyMenu = AddControl<rt::PopupMenu>("HotKeyMenu");
  Place(*HotKeyMenu, kHotKeyPage, 135, 104, 211, 20, 3, 0);
  for (int i = 1; i <= kHotKeyRowCount; ++i) HotKeyMenu->AddRow(rt::String("F") + rt::Str(i));
  HotKeyMenu->SetListIndex(0);
  HotKeyMenu->Change = [this] { HotKeyMenu_Change(); };

  ListOfSearches = AddControl<rt::Listbox>("ListOfSearches");
  Place(*ListOfSearches, kSearchesPage, 41, 67, 186, 132, 0, kLockLeft | kLockTop | kLockBottom);
  ListOfSearches->Change = [this] { ListOfSearches_Change(); };

  NewSearchButton = Button(*this, "NewSearchButton", "New");
  Place(*NewSearchButton, kSearchesPage, 281, 67, 78, 20, 1, kLockLeft | kLockBottom);
  NewSearchButton->Action = [this] { NewSearchButton_Action(); };

  RemoveSearchButton = Button(*this, "RemoveSearchButton", "Remove");
  Place(*RemoveSearchButton, kSearchesPage, 281, 99, 78, 20, 2, kLockLeft | kLockBottom);
  RemoveSearchButton->SetEnabled(false);
  RemoveSearchButton->Action = [this] { RemoveSearchButton_Action(); };

  SearchText = AddControl<rt::EditField>("SearchText");
  Place(*SearchText, kSearchesPage, 41, 215, 318, 216, 3, kLockLeft | kLockTop | kLockRight | kLockBottom);
  SearchText->MultiLine = true;
  SearchText->SetEnabled(false);
  SearchText->TextChange = [this] { SearchText_TextChange(); };

  RenameSearchButton = Button(*this, "RenameSearchButton", "Rename");
  Place(*RenameSearchButton, kSearchesPage, 281, 131, 78, 20, 5, kLockLeft | kLockBottom);
  RenameSearchButton->SetEnabled(false);
  RenameSearchButton->Action = [this] { RenameSearchButton_Action(); };

  DoneButton = Button(*this, "DoneButton", "Done");
  Place(*DoneButton, kWindowPage, 300, 459, 80, 20, 2, kLockRight | kLockBottom);
  DoneButton->Default = true;
  DoneButton->Action = [this] { DoneButton_Action(); };

  CancelButton = Button(*this, "CancelButton", "Cancel");
  Place(*CancelButton, kWindowPage, 20, 459, 80, 20, 3, kLockLeft | kLockBottom);
  CancelButton->Cancel = true;
  CancelButton->Action = [this] { CancelButton_Action(); };

  DefaultsButton = Button(*this, "DefaultsButton", "Defaults");
  Place(*DefaultsButton, kWindowPage, 160, 459, 80, 20, 4, kLockLeft | kLockBottom);
  DefaultsButton->Cancel = true;
  DefaultsButton->Action = [this] { DefaultsButton_Action(); };
}

void PreferencesWindow::thePanel_Open() { thePanel->SetValue(1); }

void PreferencesWindow::ModifierMenu_Change() {
  if (updating) return;
  rt::Deref(thePreferences).hotkeyModifier = ModifierMenu->Text();
}

void PreferencesWindow::HotKeyMenu_Change() {
  if (updating) return;
  rt::Deref(thePreferences).hotkey = HotKeyMenu->Text();
}

void PreferencesWindow::SetPreferences(std::shared_ptr<Preferences> prefs) {
  Preferences &live = rt::Deref(prefs);
  updating = true;
  for (int i = 0; i < ModifierMenu->ListCount(); ++i) {
    if (ModifierMenu->List(i) == live.hotkeyModifier) {
      ModifierMenu->SetListIndex(i);
      break;
    }
  }
  for (int i = 0; i < HotKeyMenu->ListCount(); ++i) {
    if (HotKeyMenu->List(i) == live.hotkey) {
      HotKeyMenu->SetListIndex(i);
      break;
    }
  }
  updating = false;
  originalPreferences = prefs;
  thePreferences = live.clone();
  UpdateSearchList();
}

void PreferencesWindow::DoneButton_Action() {
  rt::Deref(originalPreferences).copyFrom(rt::Deref(thePreferences));
  // Neither failure may pass for success: an unsaved change is gone at the next start, and
  // without its hot key the application cannot be reached.
  if (!originalPreferences->SavePreferences()) rt::MsgBox("The Tovra preferences could not be saved");
  the::App()->SetupHotkey();
  the::App()->ReportRefusedHotkey();
  Close();
}

void PreferencesWindow::CancelButton_Action() { Close(); }

}  // namespace tovra
