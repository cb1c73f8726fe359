// The class-registration step on records the bundle itself never has: classes with shared
// methods, on hosts either side of 2006.04. Driven through the bundle's code linked in here.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "plugin/host_callbacks.h"
#include "plugin/registration.h"
#include "tests/plugin/fake_host.h"

namespace {

using fake::Host;

void Make() {}
void Count() {}
void Draw() {}

struct WidgetRecords {
  PluginMethodRecord methods[1] = {{reinterpret_cast<void *>(&Draw), nullptr, "Draw()", 0}};
  PluginMethodRecord shared[2] = {
      {reinterpret_cast<void *>(&Make), reinterpret_cast<void *>(&Count), "Make(n as integer) as Widget", 0},
      {reinterpret_cast<void *>(&Count), nullptr, "Count as integer", 0}};
  PluginClassRecord record{};

  WidgetRecords() {
    record.version = 9;
    record.name = "Widget";
    record.methods = methods;
    record.methodCount = 1;
    record.sharedMethods = shared;
    record.sharedMethodCount = 2;
  }
};

TEST(ClassRegistration, OldHostGetsSharedMethodsAsPrefixedGlobals) {
  Host host(2006.03);
  qrv::ConnectHost(Host::Resolver());
  WidgetRecords widget;
  qrv::RegisterPluginClass(&widget.record);

  ASSERT_EQ(host.Classes().size(), 1u);
  EXPECT_TRUE(host.Classes()[0].sharedMethods.empty());
  EXPECT_EQ(widget.record.sharedMethods, nullptr);
  EXPECT_EQ(widget.record.sharedMethodCount, 0u);
  ASSERT_EQ(host.Classes()[0].methods.size(), 1u);
  EXPECT_EQ(host.Classes()[0].methods[0].declaration, "Draw()");

  ASSERT_EQ(host.Globals().size(), 2u);
  EXPECT_EQ(host.Globals()[0].declaration, "Widget_Make(n as integer) as Widget");
  EXPECT_EQ(host.Globals()[0].function, reinterpret_cast<void *>(&Make));
  EXPECT_EQ(host.Globals()[0].setter, nullptr);
  EXPECT_EQ(host.Globals()[1].declaration, "Widget_Count as integer");
  EXPECT_EQ(host.RegistrationLog(),
            (std::vector<std::string>{"class Widget", "global Widget_Make(n as integer) as Widget",
                                      "global Widget_Count as integer"}));
}

TEST(ClassRegistration, CurrentHostKeepsSharedMethodsInTheClass) {
  Host host(2006.04);
  qrv::ConnectHost(Host::Resolver());
  WidgetRecords widget;
  qrv::RegisterPluginClass(&widget.record);

  ASSERT_EQ(host.Classes().size(), 1u);
  const auto &shared = host.Classes()[0].sharedMethods;
  ASSERT_EQ(shared.size(), 2u);
  EXPECT_EQ(shared[0].declaration, "Make(n as integer) as Widget");
  EXPECT_EQ(shared[0].setter, reinterpret_cast<void *>(&Count));
  EXPECT_TRUE(host.Globals().empty());
}

TEST(ClassRegistration, VersionThatIsNotANumberKeepsEveryRecordAsBuilt) {
  Host host(std::nan(""));
  qrv::ConnectHost(Host::Resolver());
  WidgetRecords widget;
  qrv::RegisterPluginClass(&widget.record);
  EXPECT_EQ(widget.record.methods, widget.methods);  // not converted to the old form
  EXPECT_EQ(host.Classes()[0].sharedMethods.size(), 2u);
  EXPECT_TRUE(host.Globals().empty());
}

TEST(ClassRegistration, OldFormIsACopyAndTheVersionIsAskedForEachClass) {
  Host host(5.8);
  qrv::ConnectHost(Host::Resolver());
  WidgetRecords first;
  WidgetRecords second;
  qrv::RegisterPluginClass(&first.record);
  qrv::RegisterPluginClass(&second.record);
  EXPECT_NE(first.record.methods, first.methods);
  EXPECT_EQ(first.methods[0].declaration, std::string("Draw()"));  // the built table is untouched
  EXPECT_EQ(host.Classes()[1].methods[0].declaration, "Draw()");
  // Once for the cache, then once per class by the record-size step.
  EXPECT_EQ(host.Calls("REALGetRBVersion"), 3);
}

TEST(ClassRegistration, ExtensionWithoutItsCallbackIsLeftOut) {
  Host host;
  host.Remove("PluginRegisterClassExtension");
  qrv::ConnectHost(Host::Resolver());
  WidgetRecords widget;
  qrv::RegisterPluginClassExtension(&widget.record);
  EXPECT_TRUE(host.Classes().empty());
  EXPECT_EQ(host.Lookups("PluginRegisterClassExtension"), 1);
}

}  // namespace
