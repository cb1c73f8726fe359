// The bundle's edge. The host calls the bundle from C: nothing thrown inside may unwind into it.
// Every handler the host is given, and the entry, is wrapped here, so that anything thrown (a
// failed allocation, an exception from a host routine) becomes the member's failure value.
#pragma once

#include <type_traits>

namespace qrv {

template <auto kHandler, auto kFailure>
struct Guard;

template <typename Result, typename... Args, Result (*kHandler)(Args...), auto kFailure>
struct Guard<kHandler, kFailure> {
  static Result Call(Args... args) noexcept {
    try {
      return kHandler(args...);
    } catch (...) {
      if constexpr (std::is_void_v<Result>) {
        return;
      } else if constexpr (std::is_pointer_v<Result>) {
        static_assert(kFailure == 0, "a pointer fails as null");
        return nullptr;
      } else {
        return static_cast<Result>(kFailure);
      }
    }
  }
};

// The guarded form of a handler, as the address the host calls. A handler fails with 0, false,
// 0.0 or nil unless `kFailure` says otherwise.
template <auto kHandler, auto kFailure = 0>
void *Guarded() {
  return reinterpret_cast<void *>(&Guard<kHandler, kFailure>::Call);
}

}  // namespace qrv
