// The "Searches" page of the preferences editor and its Defaults button.
#include "app/store/preferences.h"
#include "app/windows/ask_for_text_window.h"
#include "app/windows/preferences_window.h"
#include "runtime/core/clipboard.h"
#include "runtime/core/errors.h"
#include "runtime/core/runtime.h"
#include "runtime/core/sort.h"
#include "runtime/core/string_functions.h"

namespace tovra {

namespace {

// Asks for a macro name with every blank removed. False when the user cancelled or gave no
// name at all: an empty name could never be typed into the search line as a macro.
bool AskForMacroName(const rt::String &question, rt::String &name) {
  rt::String answer;
  if (!Utilities::AskForText(question, answer)) return false;
  name = rt::ReplaceAll(answer, " ", "");
  return !name.IsEmpty();
}

rt::String AlreadyNamed(const rt::String &name) {
  return rt::String("There is already a search macro named ") + name;
}

}  // namespace

void PreferencesWindow::UpdateSearchList() {
  Preferences &working = rt::Deref(thePreferences);
  rt::SortWith(working.macroName, working.macroBody);
  updating = true;
  ListOfSearches->DeleteAllRows();
  for (const rt::String &name : working.macroName) {
    rt::YieldPoint();
    ListOfSearches->AddRow(name);
  }
  updating = false;
}

void PreferencesWindow::SetSearchControlsEnabled(bool enabled) {
  RemoveSearchButton->SetEnabled(enabled);
  RenameSearchButton->SetEnabled(enabled);
  SearchText->SetEnabled(enabled);
}

void PreferencesWindow::ListOfSearches_Change() {
  if (updating) return;
  SetSearchControlsEnabled(ListOfSearches->ListIndex() >= 0);
  if (SearchText->Enabled()) {
    updating = true;
    SearchText->SetText(rt::Deref(thePreferences).LookupMacro(ListOfSearches->Text()));
    updating = false;
  }
}

void PreferencesWindow::SearchText_TextChange() {
  if (updating) return;
  rt::Deref(thePreferences).DefineMacro(ListOfSearches->Text(), SearchText->Text());
}

void PreferencesWindow::SelectRowNamed(const rt::String &name) {
  for (int i = 0; i <= ListOfSearches->ListCount() - 1; ++i) {
    rt::YieldPoint();
    if (ListOfSearches->Cell(i, 0) == name) {
      ListOfSearches->SetListIndex(i);
      return;
    }
  }
}

void PreferencesWindow::NewSearchButton_Action() {
  rt::String name;
  if (!AskForMacroName("Name of new search macro", name)) return;
  Preferences &working = rt::Deref(thePreferences);
  if (working.MacroExists(name)) {
    rt::MsgBox(AlreadyNamed(name));
  } else {
    working.DefineMacro(name, kNewSearchTemplate);
    UpdateSearchList();
  }
  SelectRowNamed(name);
}

void PreferencesWindow::RemoveSearchButton_Action() {
  rt::Deref(thePreferences).DeleteMacro(ListOfSearches->Text());
  UpdateSearchList();
  SetSearchControlsEnabled(false);
}

void PreferencesWindow::RenameSearchButton_Action() {
  rt::String name;
  rt::String question = rt::String("New name for the ") + ListOfSearches->Text() + rt::String(" search macro");
  if (!AskForMacroName(question, name)) return;
  Preferences &working = rt::Deref(thePreferences);
  if (working.MacroExists(name)) {
    rt::MsgBox(AlreadyNamed(name));
    return;
  }
  working.RenameMacro(ListOfSearches->Text(), name);
  UpdateSearchList();
  SelectRowNamed(name);
}

void PreferencesWindow::DefaultsButton_Action() {
  rt::MessageDialog dialog;
  dialog.Icon = 1;
  dialog.ActionButton.Caption = "Set Defaults";
  dialog.CancelButton.Visible = true;
  dialog.Message = "Are you sure wish to add the default searches to the search engine list?";
  if (dialog.ShowModal() != &dialog.ActionButton) return;
  rt::Deref(thePreferences).AddDefaultSearches();
  UpdateSearchList();
  SetSearchControlsEnabled(false);
}

}  // namespace tovra
