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

// Each refusal after a good open leaves nothing of it behind.
TEST_F(MediaFileParserTest, LabelsThatAreRefused) {
  const std::vector<uint8_t> good = BentoFinish(SmallContainer());
  const int64_t size = static_cast<int64_t>(good.size());
  BentoLabel badMagic, tocTooLarge, offsetPastEnd, tocPastEnd, oneEntryCut;
  badMagic.badMagic = true;
  tocTooLarge.tocSize = size + 1;
  offsetPastEnd.tocOffset = size + 100;
  tocPastEnd.tocOffset = size - 40; // each field alone fits the file, together they leave it
  oneEntryCut.tocSize = 23;         // no whole entry: no object
  BentoWriter objectZero = BentoBegin();
  BentoAddCode(objectZero, 0, PROP_CLASS, TYPE_CLASS_ID, "HEAD");
  const struct {
    std::vector<uint8_t> bytes;
    ContainerStatus why;
  } refused[] = {
      {BentoFinish(SmallContainer(), badMagic), kContainerNoLabel},
      {BentoFinish(SmallContainer(), tocTooLarge), kContainerTocOutside},
      {BentoFinish(SmallContainer(), offsetPastEnd), kContainerTocOutside},
      {BentoFinish(SmallContainer(), tocPastEnd), kContainerTocOutside},
      {BentoFinish(HeadContainer(), oneEntryCut), kContainerEmptyToc},
      {BentoFinish(objectZero), kContainerEmptyToc},
      {std::vector<uint8_t>(good.end() - 23, good.end()), kContainerTooSmall},
      {{}, kContainerTooSmall},
  };
  for (const auto &c : refused) {
    SCOPED_TRACE(testing::Message() << "case " << &c - refused);
    ASSERT_EQ(1, Open(good));
    EXPECT_EQ(1u, parser->valid);
    EXPECT_EQ(0x20000u, parser->LookupMob(&parser->clipMobIndex, {1, 2}));
    EXPECT_EQ(kContainerOpened, parser->status);
    EXPECT_EQ(0, Open(c.bytes));
    EXPECT_TRUE(IsReset(*parser));
    EXPECT_STREQ(ContainerStatusText(c.why), ContainerStatusText(parser->status));
  }
  EXPECT_EQ(0, parser->OpenMediaFile((dir.path / "missing.omf").wstring().c_str()));
  EXPECT_TRUE(IsReset(*parser));
  EXPECT_EQ(kContainerNotFound, parser->status);
  EXPECT_EQ(0, parser->OpenMediaFile(dir.path.wstring().c_str())); // a folder
  EXPECT_EQ(kContainerCannotOpen, parser->status);
}

TEST_F(MediaFileParserTest, TocSizeCountsWholeEntriesAndOtherVersionsOpenWithoutEntries) {
  for (int64_t size : {24, 25}) {
    BentoLabel label;
    label.tocSize = size;
    EXPECT_EQ(1, Open(BentoFinish(HeadContainer(), label))) << size;
    EXPECT_EQ(1u, parser->entryCount) << size;
  }
  for (uint16_t version : {2, 3}) {
    BentoLabel label;
    label.majorVersion = version;
    ASSERT_EQ(1, Open(BentoFinish(SmallContainer(), label)));
    EXPECT_EQ(version == 2 ? 0u : 1u, parser->valid) << version;
    EXPECT_EQ(0u, parser->entryCount);
    EXPECT_EQ(-1, parser->FirstEntryOfObject(0x20000));
    EXPECT_EQ(0u, parser->ReadValue(0));
    EXPECT_EQ(kContainerUnsupportedVersion, parser->status);
  }
}

TEST_F(MediaFileParserTest, ASecondOpenClearsEveryResult) {
  ASSERT_EQ(1, Open(BentoFinish(SmallContainer())));
  std::wcscpy(parser->results.projectName, L"Old project");
  std::memcpy(parser->results.mediaType, "_VID", 4);
  parser->results.unitSize = 9;
  parser->results.clipMobKey = {1, 2};

  const std::filesystem::path second = Write(BentoFinish(HeadContainer()));
  ASSERT_EQ(1, parser->OpenMediaFile(second.wstring().c_str()));
  EXPECT_EQ(second.wstring(), parser->results.fileName);
  EXPECT_EQ(0u, parser->MobCount(&parser->clipMobIndex));
  ParserResults empty{};
  std::wcscpy(empty.fileName, parser->results.fileName);
  EXPECT_EQ(0, std::memcmp(&empty, &parser->results, sizeof empty));
}

TEST_F(MediaFileParserTest, ResetKeepsResultsAndReleaseKeepsTheParserUsable) {
  const std::filesystem::path file = Write(BentoFinish(SmallContainer()));
  ASSERT_EQ(1, parser->OpenMediaFile(file.wstring().c_str()));
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

TEST_F(MediaFileParserTest, SmallerTocReusesTheBufferAndIndexesOnlyItsOwnEntries) {
  OmfBuilder big = OmfBegin();
  for (int i = 0; i < 50; ++i)
    OmfAddMob(big, OmfMob{{static_cast<uint32_t>(i + 1), 9}, "m", 7, 0, 0, {}}, OmfList::Clip);
  ASSERT_EQ(1, Open(OmfFinish(big)));
  const uint8_t *buffer = parser->tocBuffer;
  ASSERT_EQ(1, Open(BentoFinish(SmallContainer())));
  EXPECT_EQ(buffer, parser->tocBuffer);
  EXPECT_EQ(2u, parser->objectCount);
  EXPECT_EQ(1u, parser->MobCount(&parser->clipMobIndex));
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
