// The bundle's two makers of host values from bytes.
#include <gtest/gtest.h>

#include <string>

#include "plugin/host_callbacks.h"
#include "plugin/host_values.h"
#include "tests/plugin/fake_host.h"

namespace {

using fake::Host;

class Makers : public ::testing::Test {
 protected:
  Makers() { qrv::ConnectHost(Host::Resolver()); }
  Host host;
};

TEST_F(Makers, NoBytesMakeNoString) {
  EXPECT_EQ(qrv::NewStringFromBytes("abc", 0, HOST_ENCODING_UTF8), nullptr);
  EXPECT_EQ(qrv::NewStringFromBytes(nullptr, 3, HOST_ENCODING_UTF8), nullptr);
  EXPECT_EQ(qrv::NewStringFromBytes("abc", -1, HOST_ENCODING_UTF8), nullptr);
  EXPECT_EQ(host.Calls("REALBuildString"), 0);
}

TEST_F(Makers, Utf16BytesBecomeUtf8AndTheIntermediateIsReleased) {
  const char16_t text[] = u"Grüße";
  HostString made = qrv::NewStringFromBytes(text, 10, HOST_ENCODING_UTF16);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(Host::Text(made), "Grüße");
  EXPECT_EQ(Host::Encoding(made), HOST_ENCODING_UTF8);
  EXPECT_EQ(host.LiveStrings(), 1u);
  host.Release(made);
}

TEST_F(Makers, FailedUtf16ConversionGivesNilAndLeavesNothing) {
  host.Remove("REALConvertString");
  const char16_t text[] = u"ab";
  EXPECT_EQ(qrv::NewStringFromBytes(text, 4, HOST_ENCODING_UTF16), nullptr);
  EXPECT_EQ(host.LiveStrings(), 0u);
}

TEST_F(Makers, OtherEncodingsAreSetOnTheBuiltBytes) {
  HostString made = qrv::NewStringFromBytes("\xDB\x61", 2, HOST_ENCODING_MAC_ROMAN);
  EXPECT_EQ(Host::Text(made), "\xDB\x61");
  EXPECT_EQ(Host::Encoding(made), HOST_ENCODING_MAC_ROMAN);
  host.Release(made);
}

TEST_F(Makers, HostThatCannotBuildGivesNil) {
  host.Remove("REALBuildString");
  EXPECT_EQ(qrv::NewStringFromBytes("abc", 3, HOST_ENCODING_UTF8), nullptr);
}

TEST_F(Makers, NegativeLengthAsksTheHostForNoBlock) {
  EXPECT_EQ(qrv::NewMemoryBlockFromBytes("abc", -1), nullptr);
  EXPECT_EQ(qrv::NewMemoryBlockFromBytes("abc", 0), nullptr);
  EXPECT_EQ(qrv::NewMemoryBlockFromBytes(nullptr, 3), nullptr);
  EXPECT_EQ(host.Calls("newMemoryBlock"), 0);
}

TEST_F(Makers, BlockHoldsACopyOfTheBytes) {
  char bytes[] = "abcd";
  HostObject block = qrv::NewMemoryBlockFromBytes(bytes, 4);
  bytes[0] = 'z';
  EXPECT_EQ(host.BlockBytes(block), "abcd");
  host.ReleaseObject(block);
}

TEST_F(Makers, BlockWithoutBytesIsReleased) {
  host.Remove("memoryBlockGetPtr");
  EXPECT_EQ(qrv::NewMemoryBlockFromBytes("abc", 3), nullptr);
  EXPECT_EQ(host.LiveObjects(), 0u);
}

}  // namespace
