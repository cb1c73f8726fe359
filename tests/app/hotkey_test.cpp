#include <utility>
#include <vector>

#include "app/hotkey/carbon_hot_key.h"
#include "app/hotkey/hot_key_event_handler.h"
#include "app/hotkey/key_names.h"
#include "app/plugin_entries.h"
#include "app/single_copy.h"
#include "app_fixture.h"

namespace {

using tovra::Utilities::KeyNameToKeyCode;
using tovra::Utilities::ModifierNameToMask;

TEST(HotKeyNames, KeyNamesIgnoreCaseAndAreNotTrimmed) {
  const std::vector<std::pair<const char *, int32_t>> cases = {
      {"f3", 99},     {"F3", 99},        {"F16", 106},       {"enter", 36},     {"return", 36},
      {"esc", 53},    {"delete", 117},   {"backspace", 51},  {"page-start", 115}, {"page-end", 119},
      {"", 0},        {"F17", 0},        {"f 3", 0},         {" f3", 0},        {"f3 ", 0}};
  for (const auto &[name, code] : cases) EXPECT_EQ(KeyNameToKeyCode(name), code) << '"' << name << '"';
}

TEST(HotKeyNames, ModifierFieldsAreTakenOneByOneAsTheyStand) {
  const std::vector<std::pair<const char *, int32_t>> cases = {
      // the rows of the editor's popup
      {"None", 0x0}, {"Command", 0x100}, {"Control", 0x1000}, {"Command-Control", 0x1100},
      {"Shift", 0x200}, {"Shift-Command", 0x300}, {"Shift-Command-Control", 0x1300},
      {"Option", 0x800}, {"Option-Command", 0x900}, {"Option-Command-Control", 0x1900},
      {"Shift-Option", 0xA00}, {"Shift-Option-Command", 0xB00},
      {"Shift-Option-Command-Control", 0x1B00},
      // what else a file may hold
      {"none", 0}, {"", 0}, {"cmd", 0}, {"command-command", 0x100}, {"-command", 0x100},
      {"command-", 0x100}, {" command", 0}, {"command -shift", 0x200},
      {"control-option-shift-command", 0x1B00}};
  for (const auto &[modifiers, mask] : cases) {
    EXPECT_EQ(ModifierNameToMask(modifiers), mask) << '"' << modifiers << '"';
  }
}

// The backend of the running test, for the spies below.
rt::HeadlessBackend *spiedBackend = nullptr;

class HotKey : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    StartApp();
    spiedBackend = &backend;
  }
  void TearDown() override {
    spiedBackend = nullptr;
    AppFixture::TearDown();
  }

  // Puts `spy` in place of the member `entry` and binds the entry table again; the real member
  // is kept in `real` for the spy to call.
  template <class Function>
  void Spy(tovra::PluginEntry entry, Function spy, Function &real) {
    real = reinterpret_cast<Function>(rt::RuntimeLookupPluginEntrypoint(tovra::kPluginDeclarations[entry]));
    rt::RegisterDeclaration(tovra::kPluginDeclarations[entry], reinterpret_cast<void *>(spy));
    tovra::_InitPluginEntrypoints();
  }
};

using AddKeyFunction = void (*)(HostObject, intptr_t, intptr_t, intptr_t, intptr_t);
AddKeyFunction realAddKey = nullptr;
std::vector<size_t> keysActiveAtAddKey;

void AddKeySpy(HostObject object, intptr_t keycode, intptr_t modifiers, intptr_t signature, intptr_t id) {
  keysActiveAtAddKey.push_back(spiedBackend->HotKeys().size());
  realAddKey(object, keycode, modifiers, signature, id);
}

TEST_F(HotKey, EachSetupHotkeyEndsTheOldRegistrationBeforeTheNewAddKey) {
  Spy(tovra::kCarbonHotKeyAddKey, &AddKeySpy, realAddKey);
  keysActiveAtAddKey.clear();
  std::weak_ptr<tovra::CarbonHotKeyQRV> first = tovra::the::App()->HotKeyRef;
  tovra::the::App()->SetupHotkey();
  std::weak_ptr<tovra::CarbonHotKeyQRV> second = tovra::the::App()->HotKeyRef;
  tovra::the::App()->SetupHotkey();
  EXPECT_TRUE(first.expired());
  EXPECT_TRUE(second.expired());
  EXPECT_EQ(keysActiveAtAddKey, (std::vector<size_t>{0, 0}));
  ASSERT_EQ(backend.HotKeys().size(), 1u);
  EXPECT_EQ(backend.HotKeys().begin()->second.keyCode, 99u);
}

TEST_F(HotKey, ARefusedRegistrationLaterIsSilentAndLeavesNoHotKey) {
  backend.RefuseNextHotKey();
  tovra::the::App()->SetupHotkey();
  EXPECT_NE(tovra::the::App()->HotKeyRef->LastError(), 0);
  EXPECT_TRUE(backend.HotKeys().empty()) << "the old registration ended all the same";
  EXPECT_FALSE(driver.PressHotKey());
  EXPECT_TRUE(backend.messages.empty());
  tovra::the::App()->SetupHotkey();
  EXPECT_EQ(tovra::the::App()->HotKeyRef->LastError(), 0);
  EXPECT_TRUE(driver.PressHotKey());
}

// What the window and the backend show at the moment the application is brought to the front.
struct FrontmostCall {
  bool frontmost, visible;
  int left, top, focusCount;
  bool operator==(const FrontmostCall &) const = default;
};
using FrontmostFunction = void (*)(HostObject, bool);
FrontmostFunction realSetFrontmost = nullptr;
std::vector<FrontmostCall> frontmostCalls;

void FrontmostSpy(HostObject application, bool frontmost) {
  auto w = tovra::the::MainWindow();
  frontmostCalls.push_back({frontmost, w->Visible(), w->Left(), w->Top(), spiedBackend->focusCount});
  realSetFrontmost(application, frontmost);
}

TEST_F(HotKey, PressWhileHiddenCentresShowsFocusesThenBringsTheApplicationToFront) {
  Spy(tovra::kApplicationFrontmostSet, &FrontmostSpy, realSetFrontmost);
  frontmostCalls.clear();
  Search()->SetLeft(3);
  Search()->SetTop(4);
  int focusBefore = backend.focusCount;
  ASSERT_TRUE(driver.PressHotKey());
  EXPECT_TRUE(Search()->Visible());
  EXPECT_EQ(Search()->Left(), 345);
  EXPECT_EQ(Search()->Top(), 352);
  EXPECT_EQ(rt::ActiveWindow(), Search().get());
  EXPECT_TRUE((frontmostCalls == std::vector<FrontmostCall>{{true, true, 345, 352, focusBefore + 1}}));
  EXPECT_EQ(backend.applicationToFrontCount, 1);
}

TEST_F(HotKey, PressWhileVisibleOnlyHides) {
  ShowSearchWindow();
  Search()->SetLeft(10);
  Search()->SetTop(20);
  int fronts = backend.applicationToFrontCount;
  int focuses = backend.focusCount;
  ASSERT_TRUE(driver.PressHotKey());
  EXPECT_FALSE(Search()->Visible());
  EXPECT_EQ(Search()->Left(), 10);
  EXPECT_EQ(Search()->Top(), 20);
  EXPECT_EQ(backend.applicationToFrontCount, fronts);
  EXPECT_EQ(backend.focusCount, focuses);
  ASSERT_TRUE(driver.PressHotKey());
  EXPECT_EQ(Search()->Left(), 345) << "a moved window comes back to the centre";
  EXPECT_EQ(Search()->Top(), 352);
}

TEST_F(HotKey, AClosedWindowIsReplacedByANewOneOnTheNextPress) {
  auto old = Search();
  driver.PressCloseBox(*old);
  ASSERT_TRUE(driver.PressHotKey());
  EXPECT_FALSE(old->IsOpen());
  EXPECT_NE(Search(), old);
  EXPECT_TRUE(Search()->Visible());
  EXPECT_EQ(Search()->Left(), 345);
  EXPECT_EQ(Search()->Top(), 352);
}

TEST_F(HotKey, ASecondStartBringsUpTheSearchWindowAsAPressDoesButNeverHidesIt) {
  rt::InstanceListener listener(configDir);
  ASSERT_GE(listener.Descriptor(), 0);
  tovra::AnswerSecondStarts(backend, listener);
  Search()->SetLeft(3);
  tovra::BringUpRunningCopy();
  driver.Settle();
  EXPECT_TRUE(Search()->Visible());
  EXPECT_EQ(Search()->Left(), 345);
  EXPECT_EQ(Search()->Top(), 352);
  EXPECT_EQ(rt::ActiveWindow(), Search().get());
  EXPECT_EQ(backend.applicationToFrontCount, 1);
  tovra::BringUpRunningCopy();
  driver.Settle();
  EXPECT_TRUE(Search()->Visible());
  EXPECT_EQ(backend.applicationToFrontCount, 2);
  backend.StopWatching(listener.Descriptor());
}

TEST_F(HotKey, TheEventsTwoIntegersChangeNothing) {
  tovra::HotKeyEventHandler &handler = *tovra::the::App()->eventHandler;
  Search()->SetLeft(0);
  handler.Event_HotKeyPressed(-1, 0x7FFFFFFF);
  EXPECT_TRUE(Search()->Visible());
  EXPECT_EQ(Search()->Left(), 345);
  EXPECT_EQ(Search()->Top(), 352);
  handler.Event_HotKeyPressed(0, 0);
  EXPECT_FALSE(Search()->Visible());
}

}  // namespace
