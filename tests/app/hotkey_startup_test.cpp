#include "app/hotkey/carbon_hot_key.h"
#include "app_fixture.h"
#include "runtime/vendor/carbon_hot_key.h"

namespace {

class HotKeyStartUp : public AppFixture {
 protected:
  std::optional<rt::vendor::HotKeyRegistration> Registered() {
    return rt::vendor::ActiveHotKeyOf(tovra::the::App()->HotKeyRef->Object());
  }
};

TEST_F(HotKeyStartUp, FirstStartRegistersF3WithoutModifiersAndSaysNothing) {
  StartApp();
  ASSERT_TRUE(Registered());
  EXPECT_EQ(Registered()->keyCode, 99);
  EXPECT_EQ(Registered()->modifierMask, 0);
  EXPECT_EQ(Registered()->signature, 0x51525647);
  EXPECT_EQ(Registered()->id, 5);
  ASSERT_EQ(backend.HotKeys().size(), 1u);
  EXPECT_EQ(backend.HotKeys().begin()->second.keyCode, 99u);
  EXPECT_EQ(backend.HotKeys().begin()->second.modifierMask, 0u);
  EXPECT_TRUE(backend.messages.empty());
  EXPECT_FALSE(Search()->Visible());
  ASSERT_TRUE(driver.PressHotKey()) << "the listener is started";
  EXPECT_TRUE(Search()->Visible());
}

TEST_F(HotKeyStartUp, TheStoredKeyAndModifiersAreRegistered) {
  WritePreferencesFile(std::string("\0\0\0\1\x0dShift-Command\x03" "F16\0\0", 24));
  StartApp();
  ASSERT_TRUE(Registered());
  EXPECT_EQ(Registered()->keyCode, 106);
  EXPECT_EQ(Registered()->modifierMask, 0x300);
  EXPECT_TRUE(backend.messages.empty());
}

TEST_F(HotKeyStartUp, ARefusedRegistrationIsReportedOnceAndTheApplicationRunsOn) {
  backend.RefuseNextHotKey();
  StartApp();
  EXPECT_EQ(backend.messages, std::vector<std::string>{"The Hotkey could not be registered!"});
  // Then the search window comes up as the hot key brings it, so its File menu is at hand.
  EXPECT_TRUE(Search()->Visible());
  EXPECT_EQ(Search()->Left(), 345);
  EXPECT_EQ(Search()->Top(), 352);
  EXPECT_EQ(rt::ActiveWindow(), Search().get());
  EXPECT_EQ(backend.focusCount, 1);
  EXPECT_EQ(backend.applicationToFrontCount, 1);
  EXPECT_NE(tovra::the::App()->HotKeyRef->LastError(), 0);
  EXPECT_FALSE(rt::QuitRequested());
  EXPECT_EQ(Store().macroName.size(), 17u) << "the store is loaded all the same";
  EXPECT_TRUE(backend.HotKeys().empty());
  EXPECT_FALSE(driver.PressHotKey());
  EXPECT_EQ(backend.messages.size(), 1u) << "nothing is retried";
}

TEST_F(HotKeyStartUp, AFileOfAnotherVersionIsReportedBeforeF3IsRegistered) {
  WritePreferencesFile(std::string("\0\0\0\2\0\0\0\0", 8));
  StartApp();
  EXPECT_EQ(backend.messages, std::vector<std::string>{"The Tovra preferences have been corrupted"});
  ASSERT_TRUE(Registered());
  EXPECT_EQ(Registered()->keyCode, 99);
  EXPECT_EQ(Registered()->modifierMask, 0);
  EXPECT_TRUE(Store().macroName.empty());
}

TEST_F(HotKeyStartUp, ReleasingTheAppEndsTheRegistrationAndTheListener) {
  StartApp();
  std::weak_ptr<tovra::HotKeyEventHandler> listener = tovra::the::App()->eventHandler;
  rt::ForgetAllWindows();
  rt::RuntimeExit();
  EXPECT_TRUE(backend.HotKeys().empty());
  EXPECT_TRUE(listener.expired());
  rt::RuntimeInit(backend);  // the fixture's tear-down stops it again
}

}  // namespace
