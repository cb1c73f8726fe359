#include "app/store/preferences_ft.h"

#include <memory>

#include "runtime/core/errors.h"

namespace tovra::PreferencesFT {
namespace {
std::unique_ptr<rt::FileType> pPreferences;
}

void _Initialize() {
  pPreferences = std::make_unique<rt::FileType>();
  pPreferences->Name = "Preferences";
  pPreferences->Extensions = ".tovraprefs";
  pPreferences->MacType = "";
  pPreferences->MacCreator = "";
  (void)pPreferences->ToName();  // registers the type with the runtime
}

const rt::FileType &Preferences() { return rt::Deref(pPreferences); }

void Release() { pPreferences.reset(); }

}  // namespace tovra::PreferencesFT
