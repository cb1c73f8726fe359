// Turning the search line into a URL.
#pragma once

#include "runtime/core/string.h"

namespace tovra {

// Trimmed, with runs of blanks shortened by two passes of "  " to " ".
rt::String NormaliseLine(const rt::String &line);
// Every blank as "+".
rt::String QuoteBlanks(const rt::String &s);
// The template with $1..$9 filled from the words of `rest` (missing ones emptied) and $* from
// all of it.
rt::String ExpandTemplate(const rt::String &urlTemplate, const rt::String &rest);

}  // namespace tovra
