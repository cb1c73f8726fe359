// The answer box of a modal dialog: the opener makes one, the dialog fills it, the opener reads
// it once the dialog has closed.
#pragma once

#include "runtime/core/string.h"

namespace tovra {

class StringHolder {
 public:
  rt::String theString;
  bool cancelled = false;
};

}  // namespace tovra
