// The searches every new user starts with.
#pragma once

#include <span>

namespace tovra {

struct BuiltinSearch {
  const char *name;
  const char *body;
};

std::span<const BuiltinSearch> BuiltinSearches();

}  // namespace tovra
