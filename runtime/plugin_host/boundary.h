// Host routines are called from C code inside bundles: no exception may unwind into it.
#pragma once

#include <utility>

namespace rt {

template <class Result, class Routine>
Result AtBoundary(Result failure, Routine &&routine) noexcept {
  try {
    return std::forward<Routine>(routine)();
  } catch (...) {
    return failure;
  }
}

template <class Routine>
void AtBoundary(Routine &&routine) noexcept {
  try {
    std::forward<Routine>(routine)();
  } catch (...) {
  }
}

}  // namespace rt
