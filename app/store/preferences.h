// The search macro store: the hot key and the macros, each a name with a URL template, kept in
// two parallel lists in insertion or file order. Names compare without regard to letter case;
// every lookup finds the first equal name.
#pragma once

#include <memory>
#include <vector>

#include "runtime/core/string.h"

namespace tovra {

class Preferences {
 public:
  rt::String hotkey;
  rt::String hotkeyModifier;
  std::vector<rt::String> macroName;
  std::vector<rt::String> macroBody;

  void LoadPreferences();
  // False when the file could not be written; the old file is then left as it was.
  bool SavePreferences();
  void DefineMacro(const rt::String &name, const rt::String &body);
  rt::String LookupMacro(const rt::String &name) const;
  void DeleteMacro(const rt::String &name);
  // Empties `results`, then appends every name whose first characters, as many as `prefix` has
  // (the whole name when it is shorter), equal `prefix`; returns their number.
  int CompleteMacro(const rt::String &prefix, std::vector<rt::String> &results) const;
  void copyFrom(const Preferences &other);
  std::shared_ptr<Preferences> clone() const;
  bool MacroExists(const rt::String &name) const;
  void RenameMacro(const rt::String &oldName, const rt::String &newName);
  void AddDefaultSearches();

 private:
  // Index of the first name equal to `name`, or -1.
  long FindMacro(const rt::String &name) const;
};

}  // namespace tovra
