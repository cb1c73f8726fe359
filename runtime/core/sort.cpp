#include "runtime/core/sort.h"

#include <algorithm>
#include <numeric>
#include <string>

#include "runtime/core/case_folding.h"

namespace rt {

namespace {

bool InOrder(const String &a, const String &b) {
  int c = CompareIgnoringCase(a, b);
  return c != 0 ? c < 0 : a.Bytes() <= b.Bytes();
}

}  // namespace

void SortWith(std::vector<String> &keys, std::vector<String> &carried) {
  // A list kept sorted, as the preferences are once edited, is read once and left as it is.
  auto outOfOrder = [](const String &a, const String &b) { return !InOrder(a, b); };
  if (std::adjacent_find(keys.begin(), keys.end(), outOfOrder) == keys.end()) return;
  // Each name is folded once, not once per comparison.
  std::vector<std::string> folded;
  folded.reserve(keys.size());
  for (const String &key : keys) folded.push_back(FoldCase(key));
  std::vector<size_t> order(keys.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) {
    int c = folded[x].compare(folded[y]);
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
