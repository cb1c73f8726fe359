#include <gtest/gtest.h>

#include "app/store/builtin_searches.h"
#include "app/store/preferences.h"

namespace {

using tovra::Preferences;

std::vector<std::string> Names(const Preferences &p) {
  std::vector<std::string> out;
  for (const auto &n : p.macroName) out.push_back(n.ToStd());
  return out;
}

Preferences WithBuiltins() {
  Preferences p;
  p.AddDefaultSearches();
  return p;
}

TEST(Store, NewStoreIsEmpty) {
  Preferences p;
  EXPECT_TRUE(p.hotkey.IsEmpty());
  EXPECT_TRUE(p.hotkeyModifier.IsEmpty());
  EXPECT_TRUE(p.macroName.empty());
  EXPECT_TRUE(p.macroBody.empty());
}

TEST(Store, DefineReplacesBodyKeepingNameCaseAndPosition) {
  Preferences p = WithBuiltins();
  p.DefineMacro("Google", "x");
  EXPECT_EQ(p.macroName.size(), 17u);
  EXPECT_EQ(p.macroName[7].Bytes(), "google");
  EXPECT_EQ(p.LookupMacro("GOOGLE").Bytes(), "x");
  p.DefineMacro("mine", "y");
  EXPECT_EQ(Names(p).back(), "mine");
  EXPECT_EQ(p.macroBody.size(), p.macroName.size());
}

TEST(Store, LookupOfMissingNameIsEmpty) {
  Preferences p = WithBuiltins();
  EXPECT_TRUE(p.LookupMacro("nothing").IsEmpty());
  EXPECT_FALSE(p.MacroExists("nothing"));
  EXPECT_TRUE(p.MacroExists("WIKI"));
}

TEST(Store, CompletionMatchesPrefixesInStoreOrderIgnoringCase) {
  Preferences p = WithBuiltins();
  std::vector<rt::String> results{rt::String("stale")};
  EXPECT_EQ(p.CompleteMacro("goo", results), 2);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].Bytes(), "google");
  EXPECT_EQ(results[1].Bytes(), "googleon");
  EXPECT_EQ(p.CompleteMacro("GOO", results), 2);
  EXPECT_EQ(p.CompleteMacro("", results), 17);
  EXPECT_EQ(results.front().Bytes(), "amazon");
  EXPECT_EQ(p.CompleteMacro("googleonx", results), 0);
  EXPECT_TRUE(results.empty());
}

TEST(Store, CompletionCountsPrefixInCharacters) {
  Preferences p;
  p.DefineMacro("été", "a");
  p.DefineMacro("étage", "b");
  std::vector<rt::String> results;
  EXPECT_EQ(p.CompleteMacro("ét", results), 2);
  EXPECT_EQ(p.CompleteMacro("été", results), 1);
}

TEST(Store, NamesMatchIgnoringCaseOfEveryLetter) {
  Preferences p;
  p.DefineMacro("météo", "1");
  p.DefineMacro("Straße", "2");
  p.DefineMacro("MÉTÉO", "3");
  p.DefineMacro("STRASSE", "4");
  EXPECT_EQ(Names(p), (std::vector<std::string>{"météo", "Straße"}));
  EXPECT_EQ(p.LookupMacro("Météo").Bytes(), "3");
  EXPECT_EQ(p.LookupMacro("strasse").Bytes(), "4");
  EXPECT_TRUE(p.MacroExists("MÉTÉO"));
  p.DeleteMacro("MÉTÉO");
  EXPECT_EQ(Names(p), (std::vector<std::string>{"Straße"}));
  // The Kelvin sign takes three bytes and folds to "k": names of other lengths can be equal.
  Preferences q;
  q.DefineMacro("kelvin", "1");
  EXPECT_TRUE(q.MacroExists("\xE2\x84\xAA" "ELVIN"));
  q.DefineMacro("\xE2\x84\xAA" "elvin", "2");
  EXPECT_EQ(Names(q), (std::vector<std::string>{"kelvin"}));
  EXPECT_EQ(q.LookupMacro("KELVIN").Bytes(), "2");
  q.macroName[0] = "\xE2\x84\xAA" "elvin";
  EXPECT_EQ(q.LookupMacro("kelvin").Bytes(), "2");
  EXPECT_FALSE(q.MacroExists("kelvi"));
}

// Of each name, as many characters as the prefix has (the whole name when it is shorter) are
// compared with the prefix: a letter whose folding is longer or shorter does not stretch it.
TEST(Store, CompletionComparesAsManyCharactersOfEachNameAsThePrefixHas) {
  Preferences p;
  for (const char *name : {"météo", "Straße", "metro", "ßeta", "sun", "İstanbul", "ırmak"}) p.DefineMacro(name, "x");
  const std::pair<const char *, std::vector<std::string>> cases[] = {
      {"MÉT", {"météo"}},
      {"M", {"météo", "metro"}},
      {"STRASSE", {"Straße"}},  // the whole name, shorter than the prefix, equals it
      {"straße", {"Straße"}},
      {"STRAS", {}},            // "Straß" is not "STRAS"
      {"STRASS", {}},
      {"s", {"Straße", "sun"}}, // "ß" is not "s"
      {"SSETA", {"ßeta"}},
      {"ß", {"ßeta"}},
      {"i", {}},                // "İ" is not "i"
      {"İ", {"İstanbul"}},
      {"\xC3", {}},             // a byte never matches a character
  };
  std::vector<rt::String> results;
  for (const auto &[prefix, names] : cases) {
    EXPECT_EQ(p.CompleteMacro(prefix, results), static_cast<int>(names.size())) << prefix;
    std::vector<std::string> got;
    for (const rt::String &r : results) got.push_back(r.ToStd());
    EXPECT_EQ(got, names) << prefix;
  }
}

TEST(Store, DeleteRemovesOnlyTheFirstEqualName) {
  Preferences p;
  p.DefineMacro("a", "1");
  p.DefineMacro("b", "2");
  p.RenameMacro("b", "A");
  EXPECT_EQ(p.LookupMacro("a").Bytes(), "1");
  p.DeleteMacro("missing");
  EXPECT_EQ(p.macroName.size(), 2u);
  p.DeleteMacro("a");
  ASSERT_EQ(p.macroName.size(), 1u);
  EXPECT_EQ(p.macroName[0].Bytes(), "A");
  EXPECT_EQ(p.macroBody[0].Bytes(), "2");
}

TEST(Store, RenameOntoTakenNameLeavesBothAndFindsTheFirst) {
  Preferences p;
  p.DefineMacro("one", "1");
  p.DefineMacro("two", "2");
  p.RenameMacro("two", "one");
  EXPECT_EQ(Names(p), (std::vector<std::string>{"one", "one"}));
  EXPECT_EQ(p.LookupMacro("one").Bytes(), "1");
  p.RenameMacro("missing", "x");
  EXPECT_EQ(Names(p), (std::vector<std::string>{"one", "one"}));
}

TEST(Store, DefaultsTwiceRestoreBuiltinsAndKeepUserMacros) {
  Preferences p;
  p.DefineMacro("mine", "m");
  p.DefineMacro("WIKI", "changed");
  p.AddDefaultSearches();
  p.AddDefaultSearches();
  EXPECT_EQ(p.macroName.size(), 18u);
  EXPECT_EQ(p.macroName[1].Bytes(), "WIKI");
  EXPECT_EQ(p.LookupMacro("wiki").Bytes(), tovra::BuiltinSearches()[15].body);
  EXPECT_EQ(p.LookupMacro("mine").Bytes(), "m");
}

TEST(Store, BuiltinsKeepTheirFixedShapes) {
  auto searches = tovra::BuiltinSearches();
  ASSERT_EQ(searches.size(), 17u);
  for (const auto &s : searches) {
    std::string body = s.body;
    EXPECT_EQ(body.rfind("https://", 0), 0u) << s.name;
  }
  std::string orbitz = searches[11].body;
  EXPECT_EQ(orbitz.substr(orbitz.find("/App/")).size(), 306u);
  EXPECT_NE(std::string(searches[0].body).find("/417-2290364-5518920?"), std::string::npos);
}

TEST(Store, CopyAndCloneAreIndependentExactCopies) {
  Preferences big = WithBuiltins();
  Preferences small;
  small.hotkey = "F5";
  small.hotkeyModifier = "Shift";
  small.DefineMacro("x", "1");
  big.copyFrom(small);
  EXPECT_EQ(Names(big), std::vector<std::string>{"x"});
  EXPECT_EQ(big.macroBody.size(), 1u);
  EXPECT_EQ(big.hotkey.Bytes(), "F5");
  auto copy = big.clone();
  copy->DefineMacro("y", "2");
  copy->macroBody[0] = "changed";
  EXPECT_EQ(Names(big), std::vector<std::string>{"x"});
  EXPECT_EQ(big.macroBody[0].Bytes(), "1");
  EXPECT_EQ(copy->hotkeyModifier.Bytes(), "Shift");
}

}  // namespace
