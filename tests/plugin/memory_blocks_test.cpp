// Copies between strings and memory blocks, which never reach outside what they are handed.
#include <gtest/gtest.h>

#include <string>

#include "tests/plugin/bundle.h"

namespace {

using fake::Host;

class MemoryBlocks : public fake::PluginTest {
 protected:
  HostObject (*toBlock)(HostString) = host.Global<HostObject(HostString)>("StringToMemoryBlockQRV(s as string) as memoryblock");
  HostObject (*byReference)(HostString) =
      host.Global<HostObject(HostString)>("StringToMemoryBlockByReferenceQRV(s as string) as memoryblock");
  HostString (*toString)(HostObject) = host.Global<HostString(HostObject)>("MemoryBlockToStringQRV(s as memoryblock) as string");
  HostString (*toStringWithLength)(HostObject, intptr_t) = host.Global<HostString(HostObject, intptr_t)>(
      "MemoryBlockToStringWithLengthQRV(s as memoryblock,len as integer) as string");
  HostObject (*clone)(HostObject) = host.Global<HostObject(HostObject)>("CloneMemoryBlockQRV(s as memoryblock) as memoryblock");
  HostObject (*cloneWithLength)(HostObject, intptr_t) = host.Global<HostObject(HostObject, intptr_t)>(
      "CloneMemoryBlockWithLengthQRV(s as memoryblock,len as integer) as memoryblock");
};

TEST_F(MemoryBlocks, StringToBlockCopiesTheBytes) {
  HostString text = host.MakeString("hello");
  HostObject block = toBlock(text);
  EXPECT_EQ(host.BlockBytes(block), "hello");
  host.Release(text);
  EXPECT_EQ(host.BlockBytes(block), "hello");
  host.ReleaseObject(block);

  HostString empty = host.MakeString("");
  HostObject emptyBlock = toBlock(empty);
  ASSERT_NE(emptyBlock, nullptr);
  EXPECT_EQ(host.BlockBytes(emptyBlock), "");
  host.ReleaseObject(emptyBlock);
  host.Release(empty);

  EXPECT_EQ(toBlock(nullptr), nullptr);
  host.FailNextAllocations(1);
  HostString again = host.MakeString("x");
  EXPECT_EQ(toBlock(again), nullptr);
  host.Release(again);
}

TEST_F(MemoryBlocks, BlockByReferenceSharesTheTextAndHoldsNothing) {
  HostString text = host.MakeString("shared");
  HostObject block = byReference(text);
  auto *record = static_cast<HostStringRecord *>(text);
  EXPECT_EQ(reinterpret_cast<unsigned char *>(reinterpret_cast<HostWord *>(block)[fake::kBlockBytesWord]),
            record->storage + 1);
  EXPECT_EQ(Host::StringReferences(text), 1u);
  host.ReleaseObject(block);
  host.Release(text);
  EXPECT_EQ(byReference(nullptr), nullptr);
}

TEST_F(MemoryBlocks, BlockToStringTakesEveryByteWithoutEncoding) {
  HostObject block = host.MakeMemoryBlock(std::string("a\0b", 3));
  HostString text = toString(block);
  EXPECT_EQ(Host::Text(text), std::string("a\0b", 3));
  EXPECT_EQ(Host::Encoding(text), HOST_ENCODING_NONE);
  HostObject empty = host.MakeMemoryBlock("");
  EXPECT_EQ(toString(empty), nullptr);
  EXPECT_EQ(toString(nullptr), nullptr);
  host.Release(text);
  host.ReleaseObject(block);
  host.ReleaseObject(empty);
}

TEST_F(MemoryBlocks, LengthIsCutToTheBlockAndNegativeGivesNil) {
  HostObject block = host.MakeMemoryBlock("abcdef");
  HostString head = toStringWithLength(block, 3);
  EXPECT_EQ(Host::Text(head), "abc");
  HostString whole = toStringWithLength(block, 1000);
  EXPECT_EQ(Host::Text(whole), "abcdef");
  EXPECT_EQ(toStringWithLength(block, 0), nullptr);
  EXPECT_EQ(toStringWithLength(block, -1), nullptr);
  EXPECT_EQ(toStringWithLength(nullptr, 3), nullptr);

  HostObject headCopy = cloneWithLength(block, 2);
  EXPECT_EQ(host.BlockBytes(headCopy), "ab");
  HostObject wholeCopy = cloneWithLength(block, 1 << 20);
  EXPECT_EQ(host.BlockBytes(wholeCopy), "abcdef");
  EXPECT_EQ(cloneWithLength(block, -5), nullptr);
  EXPECT_EQ(cloneWithLength(nullptr, 2), nullptr);
  for (HostString s : {head, whole}) {
    host.Release(s);
  }
  for (HostObject o : {block, headCopy, wholeCopy}) {
    host.ReleaseObject(o);
  }
}

TEST_F(MemoryBlocks, CloneIsAnIndependentCopy) {
  HostObject block = host.MakeMemoryBlock("abc");
  HostObject copy = clone(block);
  ASSERT_NE(copy, block);
  EXPECT_EQ(host.BlockBytes(copy), "abc");
  host.ReleaseObject(block);
  EXPECT_EQ(host.BlockBytes(copy), "abc");
  host.ReleaseObject(copy);
  EXPECT_EQ(clone(nullptr), nullptr);

  HostObject another = host.MakeMemoryBlock("xyz");
  host.FailNextAllocations(1);
  EXPECT_EQ(clone(another), nullptr);
  host.ReleaseObject(another);
}

TEST_F(MemoryBlocks, UnreadableBlockGivesNil) {
  HostObject block = host.MakeMemoryBlock("abc");
  host.Remove("memoryBlockGetPtr");
  EXPECT_EQ(toString(block), nullptr);
  EXPECT_EQ(clone(block), nullptr);
  EXPECT_EQ(host.LiveObjects(), 1u);
  host.ReleaseObject(block);
}

class StringMemoryBlock : public fake::PluginTest {
 protected:
  HostObject (*newBlock)(HostString) =
      host.Global<HostObject(HostString)>("NewStringMemoryBlockQRV(data as string) as StringMemoryBlockQRV");
  HostString StorageString(HostObject block) {
    auto getter = reinterpret_cast<HostString (*)(HostObject)>(
        host.Property("StringMemoryBlockQRV", "StorageString")->getter);
    return getter(block);
  }
};

TEST_F(StringMemoryBlock, BytesAreTheStringsOwnStorage) {
  HostString text = host.MakeString("hello");
  HostObject block = newBlock(text);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(host.ClassOf(block), "StringMemoryBlockQRV");
  auto *bytes = static_cast<char *>(reinterpret_cast<void *>(reinterpret_cast<HostWord *>(block)[fake::kBlockBytesWord]));
  bytes[0] = 'j';
  EXPECT_EQ(Host::Text(text), "jello");
  EXPECT_EQ(host.LiveObjects(), 1u) << "the probe block is released";
  EXPECT_EQ(Host::StringReferences(text), 2u);

  HostString storage = StorageString(block);
  EXPECT_EQ(storage, text);
  EXPECT_EQ(Host::StringReferences(text), 3u);
  host.Release(storage);

  host.ReleaseObject(block);
  EXPECT_EQ(Host::StringReferences(text), 1u) << "the destructor drops the string";
  host.Release(text);
}

TEST_F(StringMemoryBlock, FailuresGiveNilAndReleaseWhatWasTaken) {
  EXPECT_EQ(newBlock(nullptr), nullptr);

  HostString text = host.MakeString("data");
  host.FailNextAllocations(1);
  EXPECT_EQ(newBlock(text), nullptr);

  host.Remove("PtrToMemoryBlock");
  EXPECT_EQ(newBlock(text), nullptr);
  EXPECT_EQ(host.LiveObjects(), 0u);
  EXPECT_EQ(Host::StringReferences(text), 1u);
  host.Release(text);
}

}  // namespace
