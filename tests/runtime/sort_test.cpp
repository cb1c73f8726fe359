#include "runtime/core/sort.h"

#include <gtest/gtest.h>

using rt::String;

namespace {

std::vector<std::string> Texts(const std::vector<String> &list) {
  std::vector<std::string> out;
  for (const String &s : list) out.push_back(s.ToStd());
  return out;
}

TEST(Sort, IgnoresCaseOfEveryLetterAndCarriesTheSecondList) {
  std::vector<String> keys{"Émile", "éclair", "Zoe", "apple", "ÉCLAIR"};
  std::vector<String> carried{"1", "2", "3", "4", "5"};
  rt::SortWith(keys, carried);
  EXPECT_EQ(Texts(keys), (std::vector<std::string>{"apple", "Zoe", "ÉCLAIR", "éclair", "Émile"}));
  EXPECT_EQ(Texts(carried), (std::vector<std::string>{"4", "3", "5", "2", "1"}));
}

}  // namespace
