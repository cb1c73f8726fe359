// Host references as numbers, instances by name, and the three function addresses.
#include <gtest/gtest.h>

#include <cstdint>

#include "tests/plugin/bundle.h"

namespace {

using fake::Host;
using fake::LoadedPlugin;

using CountHandler = intptr_t(void *);

TEST(References, AddressIsTheReferenceItself) {
  LoadedPlugin plugin;
  auto address = plugin.host.Global<intptr_t(void *)>("GetObjectMemoryAddressQRV(o as object) as integer");
  HostObject block = plugin.host.MakeMemoryBlock("a");
  HostString text = plugin.host.MakeString("b");
  EXPECT_EQ(address(block), reinterpret_cast<intptr_t>(block));
  EXPECT_EQ(address(text), reinterpret_cast<intptr_t>(text));
  EXPECT_EQ(address(nullptr), 0);
  plugin.host.ReleaseObject(block);
  plugin.host.Release(text);
}

TEST(References, CountLeavesOutTheCallersReference) {
  LoadedPlugin plugin;
  auto count = plugin.host.Method<CountHandler>("object", "ReferenceCountQRV as Integer");
  HostObject block = plugin.host.MakeMemoryBlock("abc");
  EXPECT_EQ(count(block), 0);
  plugin.host.ReleaseObject(plugin.host.NewInstance("StyleDataQRV"));
  HostObject run = plugin.host.NewInstance("StyleDataQRV");
  static_cast<HostObjectRecord *>(run)->referenceCount = 3;
  EXPECT_EQ(count(run), 2);
  static_cast<HostObjectRecord *>(run)->referenceCount = HostWord{1} << (sizeof(HostWord) * 8 - 1);
  EXPECT_EQ(count(run), INTPTR_MAX) << "the lowest signed count wraps as an unsigned word";
  static_cast<HostObjectRecord *>(run)->referenceCount = 1;
  EXPECT_EQ(count(nullptr), 0);
  plugin.host.ReleaseObject(block);
  plugin.host.ReleaseObject(run);
}

// Hosts before 5.4 kept the count elsewhere: word 4 from 5.0, word 0 before that.
TEST(References, CountWordFollowsTheHostVersion) {
  LoadedPlugin from50(5.0);
  auto count50 = from50.host.Global<CountHandler>("GetObjectLockCountQRV(o as object) as integer");
  HostObject block = from50.host.MakeMemoryBlock("abcdefg");  // word 4 holds the size, 7
  EXPECT_EQ(count50(block), 6);
  from50.host.ReleaseObject(block);

  LoadedPlugin before50(4.9);
  auto count49 = before50.host.Global<CountHandler>("GetStringLockCountQRV(s as string) as integer");
  HostString text = before50.host.MakeString("abcdef");
  EXPECT_EQ(count49(text), 0);  // word 0 of a string record is its count
  before50.host.Release(text);
}

TEST(References, NewInstanceAsksTheHostByName) {
  LoadedPlugin plugin;
  auto newInstance = plugin.host.Global<HostObject(HostString)>("NewInstanceQRV(ClassName as string) as object");
  HostString name = plugin.host.MakeString("StyleDataQRV");
  HostObject made = newInstance(name);
  EXPECT_EQ(plugin.host.ClassOf(made), "StyleDataQRV");
  EXPECT_EQ(newInstance(nullptr), nullptr);
  EXPECT_EQ(plugin.host.instanceRequests, (std::vector<std::string>{"StyleDataQRV", ""}));
  plugin.host.ReleaseObject(made);
  plugin.host.Release(name);
}

TEST(References, FunctionAddressesReturnZeroOrTheirThirdArgument) {
  LoadedPlugin plugin;
  using Target = int32_t(int32_t, int32_t, int32_t);
  auto in = plugin.host.Global<intptr_t()>("ReturnInPtrQRV as Integer");
  auto out = plugin.host.Global<intptr_t()>("ReturnOutPtrQRV as Integer");
  auto err = plugin.host.Global<intptr_t()>("ReturnErrPtrQRV as Integer");
  EXPECT_EQ(reinterpret_cast<int32_t (*)()>(in())(), 0);
  EXPECT_EQ(reinterpret_cast<Target *>(out())(1, 2, 3), 3);
  EXPECT_EQ(reinterpret_cast<Target *>(err())(4, 5, -6), -6);
  EXPECT_NE(out(), err());
  EXPECT_NE(in(), out());
}

}  // namespace
