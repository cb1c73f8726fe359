// The preferences file's type: known by its extension alone.
#pragma once

#include "runtime/core/files.h"

namespace tovra::PreferencesFT {

void _Initialize();
const rt::FileType &Preferences();
void Release();

}  // namespace tovra::PreferencesFT
