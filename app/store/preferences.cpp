#include "app/store/preferences.h"

#include "app/store/builtin_searches.h"
#include "runtime/core/case_folding.h"
#include "runtime/core/runtime.h"

namespace tovra {

long Preferences::FindMacro(const rt::String &name) const {
  const rt::EqualIgnoringCaseTo isWanted(name);
  for (size_t i = 0; i < macroName.size(); ++i) {
    rt::YieldPoint();
    if (isWanted(macroName[i])) return static_cast<long>(i);
  }
  return -1;
}

void Preferences::DefineMacro(const rt::String &name, const rt::String &body) {
  long i = FindMacro(name);
  if (i >= 0) {
    macroBody[static_cast<size_t>(i)] = body;
    return;
  }
  macroName.push_back(name);
  macroBody.push_back(body);
}

rt::String Preferences::LookupMacro(const rt::String &name) const {
  long i = FindMacro(name);
  return i >= 0 ? macroBody[static_cast<size_t>(i)] : rt::String("");
}

void Preferences::DeleteMacro(const rt::String &name) {
  long i = FindMacro(name);
  if (i < 0) return;
  macroName.erase(macroName.begin() + i);
  macroBody.erase(macroBody.begin() + i);
}

int Preferences::CompleteMacro(const rt::String &prefix, std::vector<rt::String> &results) const {
  // The caller's list is written over in place: a name that stays in its slot is touched once,
  // not dropped and taken again.
  const rt::LeftEqualsIgnoringCase completes(prefix);
  size_t found = 0;
  for (const rt::String &name : macroName) {
    rt::YieldPoint();
    if (!completes(name)) continue;
    if (found < results.size()) {
      results[found] = name;
    } else {
      results.push_back(name);
    }
    ++found;
  }
  results.resize(found);
  return static_cast<int>(found);
}

void Preferences::copyFrom(const Preferences &other) {
  hotkey = other.hotkey;
  hotkeyModifier = other.hotkeyModifier;
  macroName.resize(other.macroName.size());
  macroBody.resize(other.macroBody.size());
  for (size_t i = 0; i < other.macroName.size(); ++i) {
    macroName[i] = other.macroName[i];
    macroBody[i] = other.macroBody[i];
  }
}

std::shared_ptr<Preferences> Preferences::clone() const {
  auto copy = std::make_shared<Preferences>();
  copy->copyFrom(*this);
  return copy;
}

bool Preferences::MacroExists(const rt::String &name) const { return FindMacro(name) >= 0; }

void Preferences::RenameMacro(const rt::String &oldName, const rt::String &newName) {
  long i = FindMacro(oldName);
  if (i >= 0) macroName[static_cast<size_t>(i)] = newName;
}

void Preferences::AddDefaultSearches() {
  for (const BuiltinSearch &search : BuiltinSearches()) {
    DefineMacro(rt::String(search.name), rt::String(search.body));
  }
}

}  // namespace tovra
