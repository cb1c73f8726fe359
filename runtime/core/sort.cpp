#include "runtime/core/sort.h"

#include <algorithm>
#include <cctype>
#include <numeric>

namespace rt {

static int CompareIgnoringCase(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int ca = std::tolower(static_cast<unsigned char>(a[i]));
    int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void SortWith(std::vector<String> &keys, std::vector<String> &carried) {
  std::vector<size_t> order(keys.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) {
    int c = CompareIgnoringCase(keys[x].Bytes(), keys[y].Bytes());
    return c != 0 ? c < 0 : keys[x].Bytes() < keys[y].Bytes();
  });
  std::vector<String> sortedKeys;
  std::vector<String> sortedCarried;
  sortedKeys.reserve(keys.size());
  sortedCarried.reserve(keys.size());
  for (size_t i : order) {
    sortedKeys.push_back(keys[i]);
    if (i < carried.size()) sortedCarried.push_back(carried[i]);
  }
  for (size_t i = keys.size(); i < carried.size(); ++i) sortedCarried.push_back(carried[i]);
  keys = std::move(sortedKeys);
  carried = std::move(sortedCarried);
}

}  // namespace rt
