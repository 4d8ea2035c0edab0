// Opening files as Bento containers: the label, the TOC forms, damaged containers, reuse of
// one parser for many files; the indexes over a container's TOC and the access to its
// entries and values.

#include <cstring>

#include "inspection/container_test.h"
#include "support/omf_builder.h"

namespace {

// A container of two objects and a clip mob list.
BentoWriter SmallContainer() {
  BentoWriter w = HeadContainer();
  BentoAddStored(w, 1, PROP_CLIP_MOB_LIST, TYPE_MOB_INDEX_LIST, BentoMobList(w, {{1, 2, 0x20000}}));
  BentoAddCode(w, 0x20000, PROP_CLASS, TYPE_CLASS_ID, "MMOB");
  BentoAddStored(w, 0x20000, PROP_MOB_NAME, TYPE_STRING, "Clip", 5);
  return w;
}

bool IsReset(const MediaFileParser &p) {
  return p.open == 0 && p.valid == 0 && p.entryCount == 0 && p.objectCount == 0 &&
         !p.reader.IsOpen() && p.clipMobIndex.count == 0 && p.objectIndex.count == 0;
}

constexpr uint32_t kSomeProperty = 0x10300;
constexpr uint32_t kSomeType = 0x10065;

using MediaFileParserTest = ContainerTest;

// Each label after a good open: refused ones leave nothing of it behind; a TOC size counts
// whole entries; other versions than 1 open without entries.
TEST_F(MediaFileParserTest, LabelsAndTheirTables) {
  const std::vector<uint8_t> good = BentoFinish(SmallContainer());
  const int64_t size = static_cast<int64_t>(good.size());
  const int64_t bare = static_cast<int64_t>(BentoFinish(SmallContainer(), {.tocSize = 0}).size());
  BentoWriter objectZero = BentoBegin();
  BentoAddCode(objectZero, 0, PROP_CLASS, TYPE_CLASS_ID, "HEAD");
  const struct {
    std::vector<uint8_t> bytes;
    ContainerStatus status;
    uint32_t entries, valid;
  } cases[] = {
      {BentoFinish(SmallContainer(), {.badMagic = true}), kContainerNoLabel, 0, 0},
      {BentoFinish(SmallContainer(), {.tocSize = size + 1}), kContainerTocOutside, 0, 0},
      {BentoFinish(SmallContainer(), {.tocOffset = size + 100}), kContainerTocOutside, 0, 0},
      // Each field alone fits the file, together they leave it.
      {BentoFinish(SmallContainer(), {.tocOffset = size - 40}), kContainerTocOutside, 0, 0},
      {BentoFinish(HeadContainer(), {.tocSize = 23}), kContainerEmptyToc, 0, 0}, // no whole entry
      {BentoFinish(SmallContainer(), {.tocOffset = bare, .tocSize = 0}), kContainerEmptyToc, 0, 0},
      {BentoFinish(objectZero), kContainerEmptyToc, 0, 0},
      {std::vector<uint8_t>(good.end() - 23, good.end()), kContainerTooSmall, 0, 0},
      {{}, kContainerTooSmall, 0, 0},
      {BentoFinish(HeadContainer(), {.tocSize = 25}), kContainerOpened, 1, 1},
      {BentoFinish(SmallContainer(), {.majorVersion = 2}), kContainerUnsupportedVersion, 0, 0},
      {BentoFinish(SmallContainer(), {.majorVersion = 3}), kContainerUnsupportedVersion, 0, 1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << &c - cases);
    ASSERT_EQ(1, Open(good));
    EXPECT_EQ(0x20000u, parser->LookupMob(&parser->clipMobIndex, {1, 2}));
    EXPECT_EQ(kContainerOpened, parser->status);
    const bool opens = c.status == kContainerOpened || c.status == kContainerUnsupportedVersion;
    EXPECT_EQ(opens ? 1 : 0, Open(c.bytes));
    EXPECT_EQ(opens, !IsReset(*parser));
    EXPECT_STREQ(ContainerStatusText(c.status), ContainerStatusText(parser->status));
    EXPECT_EQ(c.entries, parser->entryCount);
    EXPECT_EQ(c.valid, parser->valid);
    EXPECT_EQ(-1, parser->FirstEntryOfObject(0x20000));
    EXPECT_EQ(c.entries != 0 ? 0 : -1, parser->FirstEntryOfObject(CM_StdObjID_TOC));
    EXPECT_EQ(0u, parser->MobCount(&parser->clipMobIndex));
  }
  EXPECT_EQ(0, parser->OpenMediaFile((dir.path / "missing.omf").wstring().c_str()));
  EXPECT_TRUE(IsReset(*parser));
  EXPECT_EQ(kContainerNotFound, parser->status);
  EXPECT_EQ(0, parser->OpenMediaFile(dir.path.wstring().c_str())); // a folder
  EXPECT_EQ(kContainerCannotOpen, parser->status);
}

// One parser for many files: a smaller TOC reuses the buffer and indexes only its own
// entries, an open clears every result of the last one, a reset keeps them, and a parser
// whose memory was released opens again.
TEST_F(MediaFileParserTest, OneParserForManyFiles) {
  OmfBuilder big = OmfBegin();
  for (int i = 0; i < 50; ++i)
    OmfAddMob(big, OmfMob{{static_cast<uint32_t>(i + 1), 9}, "m", 7, 0, 0, {}}, OmfList::Clip);
  ASSERT_EQ(1, Open(OmfFinish(big)));
  const uint8_t *buffer = parser->tocBuffer;
  std::wcscpy(parser->results.projectName, L"Old project");
  std::memcpy(parser->results.mediaType, "_VID", 4);
  parser->results.unitSize = 9;
  parser->results.clipMobKey = {1, 2};
  const std::filesystem::path file = Write(BentoFinish(SmallContainer()));
  ASSERT_EQ(1, parser->OpenMediaFile(file.wstring().c_str()));
  EXPECT_EQ(buffer, parser->tocBuffer);
  EXPECT_EQ(2u, parser->objectCount);
  EXPECT_EQ(1u, parser->MobCount(&parser->clipMobIndex));
  ParserResults empty{};
  std::wcscpy(empty.fileName, file.wstring().c_str());
  EXPECT_EQ(0, std::memcmp(&empty, &parser->results, sizeof empty));

  parser->ResetParser();
  EXPECT_TRUE(IsReset(*parser));
  EXPECT_EQ(file.wstring(), parser->results.fileName);
  parser->ReleaseParserMemory();
  EXPECT_EQ(nullptr, parser->tocBuffer);
  EXPECT_EQ(0u, parser->objectIndex.capacity);
  parser->EnsureTocBuffer();
  EXPECT_NE(nullptr, parser->tocBuffer);
  ASSERT_EQ(1, parser->OpenMediaFile(file.wstring().c_str()));
  EXPECT_EQ(0x20000u, parser->LookupMob(&parser->clipMobIndex, {1, 2}));
}

// ---- The indexes and the values ----
TEST_F(MediaFileParserTest, ObjectRunsAreCountedAndTheFirstRunKeepsItsIndex) {
  BentoWriter w = BentoBegin();
  BentoAddCode(w, 5, PROP_CLASS, TYPE_CLASS_ID, "MDES");
  BentoAddEntry(w, 5, kSomeProperty, kSomeType, 11, 4, 0);
  BentoAddCode(w, 7, PROP_CLASS, TYPE_CLASS_ID, "WINL");
  BentoAddEntry(w, 5, kSomeProperty + 1, kSomeType, 22, 4, 0);
  BentoAddCode(w, 3, PROP_CLASS, TYPE_CLASS_ID, "NAME"); // out of order, as dictionaries are
  for (uint32_t table : {0u, 1u}) {                      // the object tree, and the sorted table
    parser->searchObjectTable = table;
    ASSERT_EQ(1, Open(BentoFinish(w)));
    EXPECT_EQ(table, parser->objectTableSorted);
    EXPECT_EQ(5u, parser->entryCount);
    EXPECT_EQ(4u, parser->objectCount);
    // Object 1 is taken to begin the table even when it is missing.
    const std::pair<uint32_t, int32_t> firsts[] = {{5, 0},  {7, 2},  {3, 4},
                                                   {6, -1}, {0, -1}, {CM_StdObjID_TOC, 0}};
    for (const auto &[id, first] : firsts) EXPECT_EQ(first, parser->FirstEntryOfObject(id)) << id;
  }
  // A property is looked for only in the object's own run.
  EXPECT_EQ(1, parser->FindProperty(0, kSomeProperty));
  const std::pair<int32_t, uint32_t> misses[] = {
      {0, kSomeProperty + 1}, {-1, kSomeProperty}, {5, PROP_CLASS}, {0, 0}};
  for (const auto &[first, property] : misses)
    EXPECT_EQ(-1, parser->FindProperty(first, property)) << first << " " << property;
}

// A key met again keeps its first object; a count larger than the value reads what it holds.
TEST_F(MediaFileParserTest, MobListsKeepTheFirstObjectOfAKeyAndReadOnlyWhatTheyHold) {
  BentoWriter w = HeadContainer();
  BentoAddStored(
      w, 1, PROP_SOURCE_MOB_LIST, TYPE_MOB_INDEX_LIST,
      BentoMobList(w,
                   {{0x11, 0xAA, 100}, {0x22, 0xAA, 200}, {0x11, 0xAA, 300}, {0x33, 0x01, 400}}));
  std::vector<uint8_t> clips = BentoMobList(w, {{1, 1, 10}, {2, 1, 20}});
  clips[0] = 200;
  BentoAddStored(w, 1, PROP_CLIP_MOB_LIST, TYPE_MOB_INDEX_LIST, clips);
  ASSERT_EQ(1, Open(BentoFinish(w)));

  MobIndex *index = &parser->sourceMobIndex;
  ASSERT_EQ(3u, parser->MobCount(index));
  EXPECT_EQ(100u, parser->LookupMob(index, {0x11, 0xAA}));
  EXPECT_EQ(400u, parser->LookupMob(index, {0x33, 0x01}));
  EXPECT_EQ(0u, parser->LookupMob(index, {0x33, 0x02}) | parser->LookupMob(nullptr, {0x11, 0xAA}));
  const uint32_t inListOrder[] = {100, 200, 400};
  for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(inListOrder[i], parser->MobAt(index, i)->objectId);
  EXPECT_EQ(nullptr, parser->MobAt(index, 3));
  EXPECT_EQ(2u, parser->MobCount(&parser->clipMobIndex));
  EXPECT_EQ(0u, parser->MobCount(&parser->mediaDataIndex));
}

TEST_F(MediaFileParserTest, BigEndianSwapsTheCountOfStoredListsOnly) {
  BentoWriter w = HeadContainer(true);
  const std::vector<uint8_t> refs = {0x00, 0x03, 1, 0, 0, 0, 0, 0, 0, 0};
  const uint8_t immediate[2] = {0x00, 0x03};
  BentoAddStored(w, 1, kSomeProperty, TYPE_OBJECT_REF_ARRAY, refs);
  BentoAddImmediate(w, 1, kSomeProperty + 1, TYPE_OBJECT_REF_ARRAY, immediate, 2);
  BentoAddStored(w, 1, kSomeProperty + 2, TYPE_STRING, refs);
  ASSERT_EQ(1, Open(BentoFinish(w)));
  EXPECT_EQ(0u, parser->littleEndian);
  ASSERT_EQ(10u, parser->ReadValue(1));
  EXPECT_EQ(0, std::memcmp(parser->valueBuffer, "\x03\x00", 2));
  ASSERT_EQ(2u, parser->ReadValue(2));
  EXPECT_EQ(0, std::memcmp(parser->valueBuffer, "\x00\x03", 2));
  ASSERT_EQ(10u, parser->ReadValue(3)); // other types keep their bytes
  EXPECT_EQ(0, std::memcmp(parser->valueBuffer, "\x00\x03", 2));
}

// Read field by field and from the file's image alike. The last bytes of the file (the
// label's) as a stored value: readable up to the very end, refused one byte past it.
TEST_F(MediaFileParserTest, ValueReadsAndTheirBounds) {
  BentoWriter w = HeadContainer();
  const char text[] = "Reel 7";
  const uint8_t nine[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  BentoAddStored(w, 1, kSomeProperty, TYPE_STRING, text, sizeof text);    // 1
  BentoAddEntry(w, 1, kSomeProperty + 1, TYPE_STRING, 0, 0, 1);           // 2: empty
  BentoAddImmediate(w, 1, kSomeProperty + 2, TYPE_STRING, nine, 9);       // 3
  BentoAddEntry(w, 1, kSomeProperty + 3, TYPE_STRING, 16, 0xFFFFFFFE, 1); // 4
  BentoAddEntry(w, 1, kSomeProperty + 4, TYPE_STRING, 0xFFFFFFF0, 8, 1);  // 5
  BentoAddEntry(w, 1, kSomeProperty + 5, TYPE_STRING, 16, 0xFFFFFFFC, 0); // 6
  BentoAddEntry(w, 1, kSomeProperty + 6, TYPE_STRING, 0, 8, 1);           // 7: at the end
  BentoAddEntry(w, 1, kSomeProperty + 7, TYPE_STRING, 0, 8, 1);           // 8: one past
  const uint32_t size = static_cast<uint32_t>(BentoFinish(w).size());
  w.toc[7].value = size - 8;
  w.toc[8].value = size - 7;
  const std::vector<uint8_t> bytes = BentoFinish(w);
  for (uint64_t wholeFile : {uint64_t{0}, kDatabaseImageLimit}) {
    SCOPED_TRACE(wholeFile);
    parser->wholeFileLimit = wholeFile;
    ASSERT_EQ(1, Open(bytes));
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
    ASSERT_EQ(8u, parser->ReadValue(7));
    EXPECT_EQ(0, std::memcmp(parser->valueBuffer, bytes.data() + size - 8, 8));
    EXPECT_EQ(0u, parser->ReadValue(8));
  }
  // Entries that are not there: the empty entry, and no value.
  for (uint32_t index : {UINT32_MAX, 9u, 1000u}) {
    const TocEntry &entry = parser->GetEntry(index);
    EXPECT_EQ(&parser->emptyEntry, &entry);
    EXPECT_EQ(0u, entry.objectId | entry.propertyId | entry.value | entry.length);
    EXPECT_EQ(0u, parser->ReadValue(index));
  }
}

// A large value grows the buffer, with zeros behind it; a value that finds no memory reads
// as absent, and the old buffer still serves; a TOC that finds no memory fails the open.
TEST_F(MediaFileParserTest, LargeValuesGrowTheBufferAndWithoutMemoryReadAsAbsent) {
  BentoWriter w = HeadContainer();
  const std::vector<uint8_t> large(40000, 0x5A), larger(50000, 0x5B);
  const char text[] = "kept";
  BentoAddStored(w, 1, kSomeProperty, TYPE_STRING, large);
  BentoAddStored(w, 1, kSomeProperty + 1, TYPE_STRING, larger);
  BentoAddStored(w, 1, kSomeProperty + 2, TYPE_STRING, text, sizeof text);
  ASSERT_EQ(1, Open(BentoFinish(w)));
  ASSERT_EQ(40000u, parser->ReadValue(1));
  EXPECT_GE(parser->valueCapacity, 40004u);
  EXPECT_EQ(0x5A, parser->valueBuffer[39999]);
  EXPECT_EQ(0, std::memcmp(parser->valueBuffer + 40000, "\0\0\0\0", 4));
  ParserAllocFunction previous = SetParserAllocator([](size_t) -> void * { return nullptr; });
  EXPECT_EQ(0u, parser->ReadValue(2));
  EXPECT_EQ(sizeof text, parser->ReadValue(3));
  EXPECT_STREQ(text, reinterpret_cast<const char *>(parser->valueBuffer));
  parser->ReleaseParserMemory();
  EXPECT_EQ(0, Open(BentoFinish(w)));
  SetParserAllocator(previous);
  EXPECT_TRUE(IsReset(*parser));
  EXPECT_EQ(kContainerNoMemory, parser->status);
  EXPECT_EQ(1, Open(BentoFinish(w)));
}

} // namespace
