// Start-up with the real QRVUtil bundle in place of any stand-in.
#include "app_fixture.h"

#ifdef QRVUTIL_DIR
namespace {

TEST_F(AppFixture, FirstStartBindsTheSignatureFromTheBundle) {
  registerOSTypeDouble = false;
  pluginFolder = QRVUTIL_DIR;
  StartApp();
  EXPECT_TRUE(backend.messages.empty()) << backend.messages.front();
  ASSERT_EQ(backend.HotKeys().size(), 1u);
  EXPECT_EQ(backend.HotKeys().begin()->second.keyCode, 99u);
  driver.PressHotKey();
  EXPECT_TRUE(Search()->Visible());
}

}  // namespace
#endif
