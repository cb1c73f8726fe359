// Errors the runtime raises into the application: they end at the event loop's handling of
// unhandled exceptions.
#pragma once

#include <stdexcept>
#include <string>

namespace rt {

class RuntimeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class NilObjectError : public RuntimeError {
 public:
  NilObjectError() : RuntimeError("NilObjectException") {}
};

// Dereference that raises the framework's nil-object error instead of crashing.
template <class Pointer>
auto &Deref(const Pointer &p) {
  if (!p) throw NilObjectError();
  return *p;
}

}  // namespace rt
