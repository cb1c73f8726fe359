#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "runtime/core/declarations.h"
#include "runtime/core/host_objects.h"
#include "runtime/core/runtime.h"
#include "runtime/headless/headless_backend.h"
#include "runtime/vendor/carbon_hot_key.h"
#include "runtime/vendor/vendor_components.h"

namespace {

using ObjectFunction = void (*)(HostObject);
using AddKeyFunction = void (*)(HostObject, intptr_t, intptr_t, intptr_t, intptr_t);

constexpr const char *kAddKey =
    "CarbonHotKeyQRV.AddKey(keycode as integer, keymodifier as integer, hotkeysignature as integer, "
    "hotkeyid as integer)";

// Reached the way the application reaches them: by declaration string.
template <class Function>
Function Member(const char *declaration) {
  void *entry = rt::RuntimeLookupPluginEntrypoint(declaration);
  if (!entry) throw std::runtime_error(std::string("not registered: ") + declaration);
  return reinterpret_cast<Function>(entry);
}

struct RecordingSink : rt::HostEventSink {
  std::vector<std::tuple<std::string, intptr_t, intptr_t>> events;
  std::function<void()> handler;
  void RaiseHostEvent(std::string_view event, intptr_t a, intptr_t b) override {
    events.emplace_back(std::string(event), a, b);
    if (handler) handler();
  }
};

class Vendor : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::RuntimeInit(backend);
    rt::RegisterVendorComponents();
  }
  void TearDown() override {
    rt::RuntimeExit();
    rt::ForgetDeclarations();
    rt::ForgetHostClasses();
  }

  static intptr_t LastError(HostObjectRecord *hotKey) {
    intptr_t value = -1;
    EXPECT_TRUE(rt::GetIntegerProperty(hotKey, "LastError", value));
    return value;
  }

  // A listener constructed and destroyed through its members, as the application does it.
  HostObjectRecord *NewListener(RecordingSink &sink) {
    HostObjectRecord *listener = rt::NewHostInstance("CarbonApplicationEventsQRV", false);
    Member<ObjectFunction>("CarbonApplicationEventsQRV.__init")(listener);
    rt::SetEventSink(listener, &sink);
    return listener;
  }
  static void DropListener(HostObjectRecord *listener) {
    Member<ObjectFunction>("CarbonApplicationEventsQRV.__exit")(listener);
    rt::MarkDestructed(listener);
    rt::UnlockHostObject(listener);
  }

  void Press() {
    ASSERT_FALSE(backend.HotKeys().empty());
    backend.HotKeys().rbegin()->second.pressed();
  }

  rt::HeadlessBackend backend;
};

TEST_F(Vendor, AHotKeyObjectHoldsOneRegistrationUntilItIsDestroyed) {
  HostObjectRecord *hotKey = rt::NewHostInstance("CarbonHotKeyQRV");
  EXPECT_TRUE(backend.HotKeys().empty()) << "a fresh object registers nothing";
  EXPECT_EQ(LastError(hotKey), 0);

  Member<AddKeyFunction>(kAddKey)(hotKey, 99, 0x300, 0x51525647, 5);
  EXPECT_EQ(LastError(hotKey), 0);
  ASSERT_EQ(backend.HotKeys().size(), 1u);
  EXPECT_EQ(backend.HotKeys().begin()->second.keyCode, 99u);
  EXPECT_EQ(backend.HotKeys().begin()->second.modifierMask, 0x300u);
  auto key = rt::vendor::ActiveHotKeyOf(hotKey);
  ASSERT_TRUE(key);
  EXPECT_EQ(key->signature, 0x51525647);
  EXPECT_EQ(key->id, 5);

  backend.RefuseNextHotKey();
  Member<AddKeyFunction>(kAddKey)(hotKey, 118, 0, 0x51525647, 5);
  EXPECT_NE(LastError(hotKey), 0);
  EXPECT_TRUE(backend.HotKeys().empty()) << "the object's earlier key ended first";
  Member<AddKeyFunction>(kAddKey)(hotKey, 118, 0, 0x51525647, 5);
  EXPECT_EQ(LastError(hotKey), 0);

  HostObjectRecord *other = rt::NewHostInstance("CarbonHotKeyQRV");
  Member<AddKeyFunction>(kAddKey)(other, 96, 0, 1, 6);
  ASSERT_EQ(backend.HotKeys().size(), 2u);
  Member<ObjectFunction>("CarbonHotKeyQRV.__exit")(hotKey);  // as the application destroys it
  rt::MarkDestructed(hotKey);
  rt::UnlockHostObject(hotKey);
  ASSERT_EQ(backend.HotKeys().size(), 1u);
  EXPECT_EQ(backend.HotKeys().begin()->second.keyCode, 96u);
  rt::UnlockHostObject(other);  // the runtime runs the destructor itself
  EXPECT_TRUE(backend.HotKeys().empty());
}

TEST_F(Vendor, PressesReachListeningObjectsOnTheLoopWhileTheyExist) {
  RecordingSink first, second, third, deaf;
  HostObjectRecord *a = NewListener(first);
  HostObjectRecord *b = NewListener(second);
  HostObjectRecord *c = NewListener(third);
  HostObjectRecord *d = NewListener(deaf);
  for (HostObjectRecord *listener : {a, b, c}) {
    Member<ObjectFunction>("CarbonApplicationEventsQRV.Listen")(listener);
  }
  rt::ObjectRef hotKey = rt::ObjectRef::Adopt(rt::NewHostInstance("CarbonHotKeyQRV"));
  Member<AddKeyFunction>(kAddKey)(hotKey.Get(), 99, 0, 0x51525647, 5);

  Press();
  EXPECT_TRUE(second.events.empty()) << "raised later, on the loop, not inside the press";
  DropListener(a);                            // between the press and the loop
  second.handler = [c] { DropListener(c); };  // by an earlier listener's handler
  rt::RunPendingEvents();
  EXPECT_TRUE(first.events.empty());
  using Event = std::tuple<std::string, intptr_t, intptr_t>;
  EXPECT_EQ(second.events, (std::vector<Event>{{"HotKeyPressed", 0x51525647, 5}}));
  EXPECT_TRUE(third.events.empty());
  EXPECT_TRUE(deaf.events.empty()) << "it never called Listen";
  DropListener(b);
  DropListener(d);
}

TEST_F(Vendor, SettingFrontmostTrueBringsTheApplicationToTheFront) {
  auto setFrontmost = Member<void (*)(HostObject, bool)>("application.FrontmostQRV as Boolean.Set");
  setFrontmost(nullptr, false);
  EXPECT_EQ(backend.applicationToFrontCount, 0);
  setFrontmost(nullptr, true);
  EXPECT_EQ(backend.applicationToFrontCount, 1);
  Member<void (*)()>("UseQRVCFPlugin")();  // nothing relies on it; it must merely be there
}

}  // namespace
