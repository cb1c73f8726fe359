// Sorting a string list ascending while carrying a second list along in step.
#pragma once

#include <vector>

#include "runtime/core/string.h"

namespace rt {

// Ascending by text ignoring letter case, then by bytes; equal names keep their order.
// `carried` moves with `keys` entry by entry; it must be at least as long.
void SortWith(std::vector<String> &keys, std::vector<String> &carried);

}  // namespace rt
