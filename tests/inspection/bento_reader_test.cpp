// The indexes over a container's TOC and the access to its entries and values.
#include <gtest/gtest.h>

#include <cstring>

#include "inspection/container_test.h"

namespace {

constexpr uint32_t kSomeProperty = 0x10300;
constexpr uint32_t kSomeType = 0x10065;

using BentoReaderTest = ContainerTest;

TEST_F(BentoReaderTest, ObjectRunsAreCountedAndTheFirstRunKeepsItsIndex) {
  BentoWriter w = BentoBegin();
  BentoAddCode(w, 5, PROP_CLASS, TYPE_CLASS_ID, "MDES");
  BentoAddImmediateU32(w, 5, kSomeProperty, kSomeType, 11);
  BentoAddCode(w, 7, PROP_CLASS, TYPE_CLASS_ID, "WINL");
  BentoAddImmediateU32(w, 5, kSomeProperty + 1, kSomeType, 22);
  for (uint32_t table : {0u, 1u}) { // the object tree, and the sorted table
    parser->searchObjectTable = table;
    ASSERT_EQ(1, Open(BentoFinish(w)));
    EXPECT_EQ(4u, parser->entryCount);
    EXPECT_EQ(3u, parser->objectCount);
    EXPECT_EQ(0, parser->FirstEntryOfObject(5));
    EXPECT_EQ(2, parser->FirstEntryOfObject(7));
    EXPECT_EQ(-1, parser->FirstEntryOfObject(6));
    EXPECT_EQ(-1, parser->FirstEntryOfObject(0));
    // Object 1 is taken to begin the table even when it is missing.
    EXPECT_EQ(0, parser->FirstEntryOfObject(CM_StdObjID_TOC));
  }

  // A property is looked for only in the object's own run.
  EXPECT_EQ(1, parser->FindProperty(0, kSomeProperty));
  EXPECT_EQ(-1, parser->FindProperty(0, kSomeProperty + 1));
  EXPECT_EQ(-1, parser->FindProperty(-1, kSomeProperty));
  EXPECT_EQ(-1, parser->FindProperty(4, PROP_CLASS));
  EXPECT_EQ(-1, parser->FindProperty(0, 0));

  // The class is the immediate four characters of the first entry.
  ASSERT_EQ(4u, parser->ReadValue(0));
  EXPECT_EQ(0, std::memcmp(parser->valueBuffer, "MDES", 4));
  EXPECT_EQ(FourCharCode("MDES"), parser->GetEntry(0).value);
}

TEST_F(BentoReaderTest, MissingEntriesYieldTheEmptyEntry) {
  BentoWriter w = HeadContainer();
  ASSERT_EQ(1, Open(BentoFinish(w)));
  for (uint32_t index : {UINT32_MAX, 1u, 1000u}) {
    const TocEntry &entry = parser->GetEntry(index);
    EXPECT_EQ(&parser->emptyEntry, &entry);
    EXPECT_EQ(0u, entry.objectId | entry.propertyId | entry.value | entry.length);
    EXPECT_EQ(&entry, parser->currentEntry);
  }
  EXPECT_EQ(0u, parser->ReadValue(UINT32_MAX));
}

TEST_F(BentoReaderTest, MobListWithARepeatedKeyKeepsTheFirstObject) {
  BentoWriter w = HeadContainer();
  std::vector<uint8_t> list =
      BentoMobList(w, {{0x11, 0xAA, 100}, {0x22, 0xAA, 200}, {0x11, 0xAA, 300}, {0x33, 0x01, 400}});
  BentoAddStored(w, 1, PROP_SOURCE_MOB_LIST, TYPE_MOB_INDEX_LIST, list.data(), list.size());
  ASSERT_EQ(1, Open(BentoFinish(w)));

  MobIndex *index = &parser->sourceMobIndex;
  ASSERT_EQ(3u, parser->MobCount(index));
  EXPECT_EQ(100u, parser->LookupMob(index, {0x11, 0xAA}));
  EXPECT_EQ(200u, parser->LookupMob(index, {0x22, 0xAA}));
  EXPECT_EQ(400u, parser->LookupMob(index, {0x33, 0x01}));
  EXPECT_EQ(0u, parser->LookupMob(index, {0x33, 0x02}));
  EXPECT_EQ(0u, parser->LookupMob(nullptr, {0x11, 0xAA}));
  // Elements stand in list order, each key once.
  const uint32_t expected[] = {100, 200, 400};
  for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(expected[i], parser->MobAt(index, i)->objectId);
  EXPECT_EQ(nullptr, parser->MobAt(index, 3));
  EXPECT_EQ(0u, parser->MobCount(&parser->clipMobIndex));
}

TEST_F(BentoReaderTest, ListCountLargerThanTheValueReadsOnlyWhatItHolds) {
  BentoWriter w = HeadContainer();
  std::vector<uint8_t> list = BentoMobList(w, {{1, 1, 10}, {2, 1, 20}});
  list[0] = 200; // the count claims far more records
  BentoAddStored(w, 1, PROP_CLIP_MOB_LIST, TYPE_MOB_INDEX_LIST, list.data(), list.size());
  ASSERT_EQ(1, Open(BentoFinish(w)));
  EXPECT_EQ(2u, parser->MobCount(&parser->clipMobIndex));
}

TEST_F(BentoReaderTest, BigEndianSwapsTheCountOfStoredListsOnly) {
  BentoWriter w = HeadContainer(true);
  const std::vector<uint8_t> refs = {0x00, 0x03, 1, 0, 0, 0, 0, 0, 0, 0};
  const uint8_t immediate[2] = {0x00, 0x03};
  BentoAddStored(w, 1, kSomeProperty, TYPE_OBJECT_REF_ARRAY, refs.data(), refs.size());
  BentoAddImmediate(w, 1, kSomeProperty + 1, TYPE_OBJECT_REF_ARRAY, immediate, 2);
  BentoAddStored(w, 1, kSomeProperty + 2, TYPE_STRING, refs.data(), refs.size());
  ASSERT_EQ(1, Open(BentoFinish(w)));
  EXPECT_EQ(0u, parser->littleEndian);

  ASSERT_EQ(10u, parser->ReadValue(1));
  EXPECT_EQ(3, parser->valueBuffer[0] | parser->valueBuffer[1] << 8);
  ASSERT_EQ(2u, parser->ReadValue(2));
  EXPECT_EQ(0x00, parser->valueBuffer[0]);
  EXPECT_EQ(0x03, parser->valueBuffer[1]);
  ASSERT_EQ(10u, parser->ReadValue(3)); // other types keep their bytes
  EXPECT_EQ(0x00, parser->valueBuffer[0]);
}

TEST_F(BentoReaderTest, ValueReadsAndTheirBounds) {
  BentoWriter w = HeadContainer();
  const char text[] = "Reel 7";
  const uint8_t nine[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  BentoAddStored(w, 1, kSomeProperty, TYPE_STRING, text, sizeof text);    // 1
  BentoAddEntry(w, 1, kSomeProperty + 1, TYPE_STRING, 0, 0, 1);           // 2: empty
  BentoAddImmediate(w, 1, kSomeProperty + 2, TYPE_STRING, nine, 9);       // 3
  BentoAddEntry(w, 1, kSomeProperty + 3, TYPE_STRING, 16, 0xFFFFFFFE, 1); // 4
  BentoAddEntry(w, 1, kSomeProperty + 4, TYPE_STRING, 0xFFFFFFF0, 8, 1);  // 5
  BentoAddEntry(w, 1, kSomeProperty + 5, TYPE_STRING, 16, 0xFFFFFFFC, 0); // 6
  ASSERT_EQ(1, Open(BentoFinish(w)));

  ASSERT_EQ(sizeof text, parser->ReadValue(1));
  EXPECT_STREQ(text, reinterpret_cast<const char *>(parser->valueBuffer));
  // No value: length 0 and the previous bytes stay.
  EXPECT_EQ(0u, parser->ReadValue(2));
  EXPECT_EQ(0u, parser->valueLength);
  EXPECT_STREQ(text, reinterpret_cast<const char *>(parser->valueBuffer));
  // An immediate value has at most the entry's four bytes, followed by zeros.
  ASSERT_EQ(4u, parser->ReadValue(3));
  EXPECT_EQ(0, std::memcmp(parser->valueBuffer, "\x01\x02\x03\x04\0\0\0\0", 8));
  // Stored values whose range leaves the file read as absent, and the buffer is intact.
  const uint32_t capacity = parser->valueCapacity;
  EXPECT_EQ(0u, parser->ReadValue(4));
  EXPECT_EQ(0u, parser->ReadValue(5));
  EXPECT_EQ(capacity, parser->valueCapacity);
  EXPECT_EQ(4u, parser->ReadValue(6));
}

// The last bytes of the file (the label's) as a stored value: readable up to the very end,
// refused when the value would reach one byte past it, read field by field or whole.
TEST_F(BentoReaderTest, AStoredValueMayEndExactlyAtTheEndOfTheFile) {
  BentoWriter w = HeadContainer();
  const size_t atEnd = BentoAddEntry(w, 1, kSomeProperty, TYPE_STRING, 0, 8, 1);
  const size_t past = BentoAddEntry(w, 1, kSomeProperty + 1, TYPE_STRING, 0, 8, 1);
  const uint32_t size = static_cast<uint32_t>(BentoFinish(w).size());
  w.toc[atEnd].value = size - 8;
  w.toc[past].value = size - 7;
  const std::vector<uint8_t> bytes = BentoFinish(w);
  for (uint64_t wholeFile : {uint64_t{0}, kDatabaseImageLimit}) {
    parser->wholeFileLimit = wholeFile;
    ASSERT_EQ(1, Open(bytes));
    ASSERT_EQ(8u, parser->ReadValue(static_cast<uint32_t>(atEnd))) << wholeFile;
    EXPECT_EQ(0, std::memcmp(parser->valueBuffer, bytes.data() + size - 8, 8));
    EXPECT_EQ(0u, parser->ReadValue(static_cast<uint32_t>(past))) << wholeFile;
  }
}

TEST_F(BentoReaderTest, LargeValueGrowsTheBufferWithZerosBehind) {
  BentoWriter w = HeadContainer();
  std::vector<uint8_t> big(40000, 0x5A);
  BentoAddStored(w, 1, kSomeProperty, TYPE_STRING, big.data(), big.size());
  ASSERT_EQ(1, Open(BentoFinish(w)));
  ASSERT_EQ(40000u, parser->ReadValue(1));
  EXPECT_GE(parser->valueCapacity, 40004u);
  EXPECT_EQ(0x5A, parser->valueBuffer[39999]);
  EXPECT_EQ(0, std::memcmp(parser->valueBuffer + 40000, "\0\0\0\0", 4));
}

void *NoMemory(size_t) {
  return nullptr;
}

TEST_F(BentoReaderTest, ValueThatFindsNoMemoryReadsAsAbsent) {
  BentoWriter w = HeadContainer();
  std::vector<uint8_t> big(40000, 0x5A);
  const char text[] = "kept";
  BentoAddStored(w, 1, kSomeProperty, TYPE_STRING, big.data(), big.size());
  BentoAddStored(w, 1, kSomeProperty + 1, TYPE_STRING, text, sizeof text);
  ASSERT_EQ(1, Open(BentoFinish(w)));
  ParserAllocFunction previous = SetParserAllocator(NoMemory);
  EXPECT_EQ(0u, parser->ReadValue(1));
  EXPECT_EQ(sizeof text, parser->ReadValue(2)); // the old buffer still serves
  SetParserAllocator(previous);
  EXPECT_STREQ(text, reinterpret_cast<const char *>(parser->valueBuffer));
}

} // namespace
