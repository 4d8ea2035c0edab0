// Opening files as Bento containers: the label, the TOC forms, damaged containers, reuse of
// one parser for many files, and the real containers beside the repository.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "inspection/bento_constants.h"
#include "inspection/container_files.h"
#include "support/bento_writer.h"
#include "support/omf_builder.h"
#include "support/realdata.h"

namespace {

// A container of two objects and a clip mob list.
BentoWriter SmallContainer() {
  BentoWriter w = BentoBegin();
  std::vector<uint8_t> list = BentoMobList(w, {{1, 2, 0x20000}});
  BentoAddCode(w, 1, PROP_CLASS, TYPE_CLASS_ID, "HEAD");
  BentoAddStored(w, 1, PROP_CLIP_MOB_LIST, TYPE_MOB_INDEX_LIST, list.data(), list.size());
  BentoAddCode(w, 0x20000, PROP_CLASS, TYPE_CLASS_ID, "MMOB");
  BentoAddStored(w, 0x20000, PROP_MOB_NAME, TYPE_STRING, "Clip", 5);
  return w;
}

bool IsReset(const MediaFileParser &p) {
  return p.open == 0 && p.valid == 0 && p.entryCount == 0 && p.objectCount == 0 &&
         !p.reader.IsOpen() && p.clipMobIndex.count == 0 && p.objectIndex.count == 0;
}

struct MediaFileParserTest : ::testing::Test {
  ContainerFiles files;
  std::unique_ptr<MediaFileParser> parser = std::make_unique<MediaFileParser>();
};

TEST_F(MediaFileParserTest, VersionOneContainerOpensAndIndexes) {
  ASSERT_EQ(1, files.Open(*parser, BentoFinish(SmallContainer())));
  EXPECT_EQ(1u, parser->valid);
  EXPECT_EQ(1u, parser->open);
  EXPECT_EQ(1u, parser->littleEndian);
  EXPECT_EQ(4u, parser->entryCount);
  EXPECT_EQ(2u, parser->objectCount);
  EXPECT_EQ(0x20000u, parser->LookupMob(&parser->clipMobIndex, {1, 2}));
  EXPECT_EQ(2, parser->FirstEntryOfObject(0x20000));
}

TEST_F(MediaFileParserTest, LabelsThatAreRefused) {
  const std::vector<uint8_t> good = BentoFinish(SmallContainer());
  BentoLabel badMagic;
  badMagic.badMagic = true;
  BentoLabel tocTooLarge;
  tocTooLarge.tocSize = static_cast<int64_t>(good.size()) + 1;
  BentoLabel offsetPastEnd;
  offsetPastEnd.tocOffset = static_cast<int64_t>(good.size()) + 100;
  BentoLabel tocPastEnd; // each field alone fits the file, together they leave it
  tocPastEnd.tocOffset = static_cast<int64_t>(good.size()) - 40;
  const std::vector<std::vector<uint8_t>> refused = {
      BentoFinish(SmallContainer(), badMagic),
      BentoFinish(SmallContainer(), tocTooLarge),
      BentoFinish(SmallContainer(), offsetPastEnd),
      BentoFinish(SmallContainer(), tocPastEnd),
      std::vector<uint8_t>(good.end() - 23, good.end()), // shorter than a label
      {},
  };
  for (size_t i = 0; i < refused.size(); ++i) {
    ASSERT_EQ(1, files.Open(*parser, good));
    EXPECT_EQ(0, files.Open(*parser, refused[i])) << "case " << i;
    EXPECT_TRUE(IsReset(*parser)) << "case " << i;
  }
  EXPECT_EQ(0, parser->OpenMediaFile(files.dir.File("missing.omf").wstring().c_str()));
  EXPECT_TRUE(IsReset(*parser));
}

TEST_F(MediaFileParserTest, MajorVersionsTwoAndOthersOpenWithoutEntries) {
  BentoLabel two;
  two.majorVersion = 2;
  ASSERT_EQ(1, files.Open(*parser, BentoFinish(SmallContainer(), two)));
  EXPECT_EQ(0u, parser->valid);
  EXPECT_EQ(1u, parser->open);
  EXPECT_EQ(0u, parser->entryCount);
  EXPECT_EQ(-1, parser->FirstEntryOfObject(0x20000));

  BentoLabel three;
  three.majorVersion = 3;
  ASSERT_EQ(1, files.Open(*parser, BentoFinish(SmallContainer(), three)));
  EXPECT_EQ(1u, parser->valid);
  EXPECT_EQ(0u, parser->entryCount);
  EXPECT_EQ(0u, parser->ReadValue(0));
}

TEST_F(MediaFileParserTest, TocSizeCountsWholeEntries) {
  BentoWriter w = BentoBegin();
  BentoAddCode(w, 1, PROP_CLASS, TYPE_CLASS_ID, "HEAD");
  for (int64_t size : {23, 24, 25}) {
    BentoLabel label;
    label.tocSize = size;
    const int expected = size >= 24 ? 1 : 0; // no entry means no object
    EXPECT_EQ(expected, files.Open(*parser, BentoFinish(w, label))) << size;
    EXPECT_EQ(static_cast<uint32_t>(expected), parser->entryCount) << size;
  }
}

TEST_F(MediaFileParserTest, TocOfOnlyObjectZeroYieldsNothing) {
  BentoWriter w = BentoBegin();
  BentoAddCode(w, 0, PROP_CLASS, TYPE_CLASS_ID, "HEAD");
  BentoAddCode(w, 0, PROP_CLASS, TYPE_CLASS_ID, "HEAD");
  EXPECT_EQ(0, files.Open(*parser, BentoFinish(w)));
  EXPECT_TRUE(IsReset(*parser));
}

TEST_F(MediaFileParserTest, ASecondOpenClearsEveryResult) {
  ASSERT_EQ(1, files.Open(*parser, BentoFinish(SmallContainer())));
  std::wcscpy(parser->results.projectName, L"Old project");
  std::wcscpy(parser->results.sourceName, L"Old tape");
  std::memcpy(parser->results.mediaType, "_VID", 4);
  parser->results.unitSize = 9;
  parser->results.clipMobKey = {1, 2};

  BentoWriter other = BentoBegin();
  BentoAddCode(other, 1, PROP_CLASS, TYPE_CLASS_ID, "HEAD");
  const std::filesystem::path second = files.Write(BentoFinish(other));
  ASSERT_EQ(1, parser->OpenMediaFile(second.wstring().c_str()));
  EXPECT_EQ(second.wstring(), parser->results.fileName);
  EXPECT_EQ(0u, parser->MobCount(&parser->clipMobIndex));
  ParserResults empty{};
  std::wcscpy(empty.fileName, parser->results.fileName);
  EXPECT_EQ(0, std::memcmp(&empty, &parser->results, sizeof empty));
}

TEST_F(MediaFileParserTest, ResetKeepsResultsAndReleaseKeepsTheParserUsable) {
  const std::filesystem::path file = files.Write(BentoFinish(SmallContainer()));
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
  ASSERT_EQ(1, files.Open(*parser, OmfFinish(big)));
  const uint8_t *buffer = parser->tocBuffer;
  ASSERT_EQ(1, files.Open(*parser, BentoFinish(SmallContainer())));
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
  const int opened = files.Open(*parser, BentoFinish(SmallContainer()));
  SetParserAllocator(previous);
  EXPECT_EQ(0, opened);
  EXPECT_TRUE(IsReset(*parser));
  EXPECT_EQ(1, files.Open(*parser, BentoFinish(SmallContainer())));
}

// ---- Real containers written by other programs ----

struct RealContainer {
  const char *file;
  uint32_t entries;
  uint32_t objects;
};

TEST(RealContainers, VersionOneFilesOpenAndIndex) {
  const RealContainer kVersionOne[] = {
      {"omfkt22/Complx1x.omf", 695, 301}, {"omfkt22/DupMob1x.omf", 386, 229},
      {"omfkt22/Film1x.omf", 753, 308},   {"omfkt22/ManyO1x.omf", 1272, 413},
      {"omfkt22/NgCloneX.omf", 268, 229}, {"omfkt22/Patch1x.omf", 275, 213},
      {"omfkt22/PatchIMA.omf", 275, 213}, {"omfkt22/PrivR1x.omf", 279, 217},
      {"omfkt22/Simple1x.omf", 369, 228}, {"omfkt22/TstAttr1x.omf", 303, 220},
  };
  auto parser = std::make_unique<MediaFileParser>();
  int seen = 0;
  for (const RealContainer &real : kVersionOne) {
    std::filesystem::path file = RealdataFile(real.file);
    if (file.empty()) continue;
    ++seen;
    ASSERT_EQ(1, parser->OpenMediaFile(file.wstring().c_str())) << real.file;
    EXPECT_EQ(1u, parser->valid) << real.file;
    EXPECT_EQ(real.entries, parser->entryCount) << real.file;
    EXPECT_EQ(real.objects, parser->objectCount) << real.file;
    // Their byte-order field is not "II"; object 1, the OMF head, begins the table.
    EXPECT_EQ(0u, parser->littleEndian) << real.file;
    EXPECT_EQ(1u, parser->GetEntry(0).objectId) << real.file;
    EXPECT_EQ(0u, parser->MobCount(&parser->clipMobIndex)) << real.file;
  }
  if (seen == 0) GTEST_SKIP() << "real containers not found beside the repository";
}

TEST(RealContainers, VersionTwoFilesOpenWithoutEntriesAndAFragmentIsRefused) {
  auto parser = std::make_unique<MediaFileParser>();
  std::filesystem::path two = RealdataFile("omfkt22/Media2x.omf");
  std::filesystem::path fragment = RealdataFile("aaf-sdk/vs10_Complx2x_truncated.omf");
  if (two.empty() || fragment.empty()) GTEST_SKIP() << "real containers not found";
  ASSERT_EQ(1, parser->OpenMediaFile(two.wstring().c_str()));
  EXPECT_EQ(0u, parser->valid);
  EXPECT_EQ(0u, parser->entryCount);
  EXPECT_EQ(2u, parser->label.majorVersion);
  EXPECT_EQ(0, parser->OpenMediaFile(fragment.wstring().c_str()));
  EXPECT_TRUE(IsReset(*parser));
}

} // namespace
