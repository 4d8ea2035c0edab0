// Opening files as Bento containers: the label, the TOC forms, damaged containers, reuse of
// one parser for many files.
#include <gtest/gtest.h>

#include <cstring>

#include "inspection/container_test.h"
#include "support/omf_builder.h"

namespace {

// A container of two objects and a clip mob list.
BentoWriter SmallContainer() {
  BentoWriter w = HeadContainer();
  std::vector<uint8_t> list = BentoMobList(w, {{1, 2, 0x20000}});
  BentoAddStored(w, 1, PROP_CLIP_MOB_LIST, TYPE_MOB_INDEX_LIST, list.data(), list.size());
  BentoAddCode(w, 0x20000, PROP_CLASS, TYPE_CLASS_ID, "MMOB");
  BentoAddStored(w, 0x20000, PROP_MOB_NAME, TYPE_STRING, "Clip", 5);
  return w;
}

bool IsReset(const MediaFileParser &p) {
  return p.open == 0 && p.valid == 0 && p.entryCount == 0 && p.objectCount == 0 &&
         !p.reader.IsOpen() && p.clipMobIndex.count == 0 && p.objectIndex.count == 0;
}

using MediaFileParserTest = ContainerTest;

// Each label after a good open: refused ones leave nothing of it behind; a TOC size counts
// whole entries; other versions than 1 open without entries.
TEST_F(MediaFileParserTest, LabelsAndTheirTables) {
  const std::vector<uint8_t> good = BentoFinish(SmallContainer());
  const int64_t size = static_cast<int64_t>(good.size());
  BentoLabel badMagic, tocTooLarge, offsetPastEnd, tocPastEnd, cut, plusOne, two, three;
  badMagic.badMagic = true;
  tocTooLarge.tocSize = size + 1;
  offsetPastEnd.tocOffset = size + 100;
  tocPastEnd.tocOffset = size - 40; // each field alone fits the file, together they leave it
  cut.tocSize = 23;                 // no whole entry: no object
  plusOne.tocSize = 25;
  two.majorVersion = 2;
  three.majorVersion = 3;
  BentoWriter objectZero = BentoBegin();
  BentoAddCode(objectZero, 0, PROP_CLASS, TYPE_CLASS_ID, "HEAD");
  const struct {
    std::vector<uint8_t> bytes;
    ContainerStatus status;
    uint32_t entries, valid;
  } cases[] = {
      {BentoFinish(SmallContainer(), badMagic), kContainerNoLabel, 0, 0},
      {BentoFinish(SmallContainer(), tocTooLarge), kContainerTocOutside, 0, 0},
      {BentoFinish(SmallContainer(), offsetPastEnd), kContainerTocOutside, 0, 0},
      {BentoFinish(SmallContainer(), tocPastEnd), kContainerTocOutside, 0, 0},
      {BentoFinish(HeadContainer(), cut), kContainerEmptyToc, 0, 0},
      {BentoFinish(objectZero), kContainerEmptyToc, 0, 0},
      {std::vector<uint8_t>(good.end() - 23, good.end()), kContainerTooSmall, 0, 0},
      {{}, kContainerTooSmall, 0, 0},
      {BentoFinish(HeadContainer(), plusOne), kContainerOpened, 1, 1},
      {BentoFinish(SmallContainer(), two), kContainerUnsupportedVersion, 0, 0},
      {BentoFinish(SmallContainer(), three), kContainerUnsupportedVersion, 0, 1},
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

void *NoMemory(size_t) {
  return nullptr;
}

TEST_F(MediaFileParserTest, TocThatFindsNoMemoryFailsTheOpen) {
  parser->ReleaseParserMemory();
  ParserAllocFunction previous = SetParserAllocator(NoMemory);
  const int opened = Open(BentoFinish(SmallContainer()));
  SetParserAllocator(previous);
  EXPECT_EQ(0, opened);
  EXPECT_TRUE(IsReset(*parser));
  EXPECT_EQ(kContainerNoMemory, parser->status);
  EXPECT_EQ(1, Open(BentoFinish(SmallContainer())));
}

} // namespace
