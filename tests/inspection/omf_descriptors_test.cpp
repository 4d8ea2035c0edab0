// The walks over OMF objects: from a database record's keys or a media file's media data
// to project, clip, source, type and format.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "inspection/container_test.h"
#include "support/log_capture.h"
#include "support/omf_builder.h"
#include "support/omf_media.h"

namespace {

constexpr MobKey kFile = {0x1001, 0xF1};
constexpr MobKey kClip = {0x2001, 0xC1};
constexpr MobKey kTape = {0x3001, 0x71};

std::string Code(const char *four) {
  return std::string(four, 4);
}

struct OmfDescriptorsTest : ContainerTest {
  using ContainerTest::Open;
  OmfBuilder b = OmfBegin();

  void Open() { ASSERT_EQ(1, Open(OmfFinish(b))); }
  const ParserResults &Db(const MobKey &file = kFile, const MobKey &clip = kClip) {
    parser->DescribeDatabaseMob(file, clip);
    return parser->results;
  }
  const ParserResults &MediaFile() {
    parser->DescribeMediaFile();
    return parser->results;
  }
  // A source mob with a video descriptor whose single slot's source clip names source.
  void AddFileMob(const MobKey &source, uint32_t attributes = 0, const MobKey &key = kFile) {
    const uint32_t descriptor = OmfAddVideoDescriptor(b, OmfVideo{});
    const uint32_t slot = OmfAddSlot(b, OmfAddSourceClip(b, source));
    OmfAddMob(b, OmfMob{key, "file", -1, descriptor, attributes, {slot}}, OmfList::Source);
  }
  void AddMob(const MobKey &key, const std::string &name, int64_t usage, uint32_t descriptor,
              uint32_t attributes = 0) {
    OmfAddMob(b, OmfMob{key, name, usage, descriptor, attributes, {}},
              usage >= 0 ? OmfList::Clip : OmfList::Source);
  }
};

// A clip name longer than the results hold is cut to 256 characters and dots.
TEST_F(OmfDescriptorsTest, TapeChainGivesTheTapeNameAndItsProject) {
  AddMob(kTape, "Reel 12", -1, OmfAddTapeDescriptor(b), OmfAddProjectAttributes(b, "Tape P"));
  AddFileMob(kTape); // the file mob has no project of its own
  AddMob(kClip, std::string(300, 'n'), 7, 0);
  Open();
  const ParserResults &r = Db();
  EXPECT_EQ(L"Reel 12", std::wstring(r.sourceName));
  EXPECT_EQ(L"Tape P", std::wstring(r.projectName));
  EXPECT_EQ(std::wstring(256, L'n') + L"...", r.clipName);
  EXPECT_EQ(7u, r.clipUsage);
  EXPECT_EQ("_VID", Code(r.mediaType));
  EXPECT_EQ("JFIF", Code(r.formatCode));
  EXPECT_EQ(76u, r.compressionId);
  EXPECT_TRUE(MobKeyEqual(kClip, r.clipMobKey));
}

TEST_F(OmfDescriptorsTest, ImportedFileGivesTheFirstLocatorsPath) {
  const uint32_t windows = OmfAddLocator(b, "WINL", "D:\\Audio\\take1.wav");
  const uint32_t mac = OmfAddLocator(b, "MACL", "Media:take1.wav");
  const MobKey macImport = {0x3002, 0x71}, second = {0x1002, 0xF1};
  AddMob(kTape, "", -1, OmfAddFileDescriptor(b, {windows, mac}));
  AddMob(macImport, "", -1, OmfAddFileDescriptor(b, {mac, windows}));
  AddFileMob(kTape);
  AddFileMob(macImport, 0, second);
  Open();
  EXPECT_EQ(L"D:\\Audio\\take1.wav", std::wstring(Db().sourceName));
  EXPECT_EQ(L"Media:take1.wav", std::wstring(Db(second).sourceName));
}

TEST_F(OmfDescriptorsTest, UnknownSourceKeyStopsTheWalkAndTheClipPartRunsRegardless) {
  AddMob(kTape, "Reel 12", -1, OmfAddTapeDescriptor(b));
  AddFileMob({0x9999, 0x71}, OmfAddProjectAttributes(b, "P"));
  AddMob(kClip, "Clip", 7, 0);
  Open();
  const ParserResults &r = Db();
  EXPECT_EQ(0, r.sourceName[0]);
  EXPECT_EQ(L"P", std::wstring(r.projectName));
  EXPECT_EQ(L"Clip", std::wstring(r.clipName));
}

TEST_F(OmfDescriptorsTest, AnEmptyAttributeEndsTheProjectSearch) {
  const uint32_t other = OmfAddAttribute(b, "_XX", "not it");
  const uint32_t project = OmfAddAttribute(b, "_PJ", "Late Project");
  const MobKey second = {0x1002, 0xF1};
  AddMob(kFile, "", -1, 0, OmfAddAttributeList(b, {other, 0, project}));
  AddMob(second, "", -1, 0, OmfAddAttributeList(b, {other, project}));
  Open();
  EXPECT_EQ(0, Db().projectName[0]);
  EXPECT_EQ(L"Late Project", std::wstring(Db(second).projectName));
}

// A text fits when it and its terminator fit: one character more is cut to make room for
// "..."; a buffer too small for the dots keeps what fits; a zero byte ends the text.
TEST(CopyTruncated, ATextAsLongAsTheBufferIsCutWithDots) {
  const struct {
    const char *text;
    uint32_t length, capacity;
    const wchar_t *shown;
  } cases[] = {
      {"abcdefg", 7, 8, L"abcdefg"},      {"abcdefg", 8, 8, L"abcd..."},
      {"abcdefghijk", 12, 8, L"abcd..."}, {"abcdefg", 8, 3, L"ab"},
      {"ab\0cdefg", 8, 9, L"ab"},         {"abc", 0, 8, L""},
  };
  for (const auto &c : cases) {
    wchar_t shown[16] = {};
    CopyTruncated(reinterpret_cast<const uint8_t *>(c.text), c.length, shown, c.capacity);
    EXPECT_EQ(std::wstring(c.shown), shown) << c.text << " " << c.length << " " << c.capacity;
  }
}

TEST_F(OmfDescriptorsTest, EachDatabaseCallStartsEmpty) {
  std::vector<OmfMediaSpec> media = GenerateMediaSpecs(2, 1);
  media[1].kind = OmfMediaKind::Sd2;
  media[1].tapeName.clear();
  media[1].project.clear(); // stored as an empty text: no project
  for (const OmfMediaSpec &plan : media) OmfAddMedia(b, plan, false);
  Open();
  EXPECT_EQ(L"Tape 001", std::wstring(Db(media[0].fileMobKey, media[0].clipMobKey).sourceName));
  EXPECT_EQ(0, parser->results.fileName[0]);
  const ParserResults &second = Db(media[1].fileMobKey, media[1].clipMobKey);
  EXPECT_EQ(0, second.sourceName[0] | second.projectName[0]);
  EXPECT_EQ("_SD2", Code(second.mediaType));
  EXPECT_EQ(0u, second.compressionId | second.unitSize);
  EXPECT_EQ(L"Clip 00002", std::wstring(second.clipName));
  // A record whose file mob is unknown keeps only the clip part.
  const ParserResults &unknown = Db({1, 1}, media[0].clipMobKey);
  EXPECT_EQ(0, unknown.mediaType[0]);
  EXPECT_EQ(L"Clip 00001", std::wstring(unknown.clipName));
}

TEST_F(OmfDescriptorsTest, CyclicSourceChainEnds) {
  const MobKey a = {0x4001, 1}, c = {0x4002, 1};
  AddFileMob(c, 0, a);
  AddFileMob(a, 0, c);
  AddFileMob(a);
  Open();
  LogCapture log;
  EXPECT_EQ(0, Db().sourceName[0]);
  EXPECT_EQ(1u, log.Count(L"QEL::FindSourceName::Source chain loops back, walk stopped"));
}

// ---- The two walks compared ----

// A media file whose media data class says WAVE while its descriptor is a PCMA descriptor.
TEST_F(OmfDescriptorsTest, TypeComesFromMediaDataInFilesAndFromTheDescriptorInDatabases) {
  OmfAddMediaData(b, "WAVE", kFile, {1, 2, 3});
  AddMob(kFile, "", -1, OmfAddPcmDescriptor(b, 16, 88200));
  AddMob(kClip, "Clip", 7, 0);
  Open();
  EXPECT_EQ("_WAV", Code(MediaFile().mediaType));
  EXPECT_EQ(0, parser->results.formatCode[2]); // a PCMA descriptor has no WAVE summary
  EXPECT_TRUE(MobKeyEqual(kClip, parser->results.clipMobKey));
  const ParserResults &r = Db();
  EXPECT_EQ("_PCM", Code(r.mediaType));
  EXPECT_EQ("4416", Code(r.formatCode));
  EXPECT_EQ(2u, r.unitSize);
}

TEST_F(OmfDescriptorsTest, OnlyTheDatabaseWalkSwapsTheClipUsageOfABigEndianContainer) {
  OmfMediaSpec plan = GenerateMediaSpecs(1, 1)[0];
  plan.kind = OmfMediaKind::Video;
  b = OmfBegin(true);
  OmfAddMedia(b, plan, true);
  Open();
  EXPECT_EQ(0u, parser->littleEndian);
  const uint32_t stored = MediaFile().clipUsage;
  EXPECT_EQ(L"Tape 001", std::wstring(parser->results.sourceName));
  const ParserResults &r = Db(plan.fileMobKey, plan.clipMobKey);
  EXPECT_EQ(plan.clipUsage, r.clipUsage);
  EXPECT_EQ(plan.clipUsage << 24, stored);
  EXPECT_EQ(plan.compressionId, r.compressionId); // swapped back in both walks
}

// The media data whose data lies at the descriptor's data offset; without a match, the last.
TEST_F(OmfDescriptorsTest, MediaFileWalkFindsTheMediaDataAtTheDataOffset) {
  for (bool match : {true, false}) {
    b = OmfBegin();
    const MobKey second = {0x5002, 5}, third = {0x5003, 5};
    uint32_t secondOffset = 0;
    OmfAddMediaData(b, "JPEG", kFile, {1});
    OmfAddMediaData(b, "JPEG", second, {2}, &secondOffset);
    OmfAddMediaData(b, "JPEG", third, {3});
    OmfVideo video;
    video.dataOffset = match ? secondOffset : 12345;
    video.compressionId = 142;
    AddMob(kFile, "", -1, OmfAddVideoDescriptor(b, video), OmfAddProjectAttributes(b, "P"));
    Open();
    const ParserResults &r = MediaFile();
    EXPECT_TRUE(MobKeyEqual(match ? second : third, r.mediaMobKey)) << match;
    EXPECT_EQ(
        parser->FirstEntryOfObject(parser->MobAt(&parser->mediaDataIndex, match ? 1 : 2)->objectId),
        r.mediaDataEntry);
    EXPECT_EQ("_VID", Code(r.mediaType));
    EXPECT_EQ(142u, r.compressionId);
    EXPECT_EQ(L"P", std::wstring(r.projectName));
    EXPECT_TRUE(MobKeyEqual(kFile, r.fileMobKey));
    EXPECT_EQ(0, r.clipName[0]); // no clip mob list
  }
}

TEST_F(OmfDescriptorsTest, MediaFileWithoutMediaDataIsNone) {
  AddMob(kClip, "Clip", 1, 0);
  Open();
  EXPECT_EQ("NONE", Code(MediaFile().mediaType));
  EXPECT_EQ(L"Clip", std::wstring(parser->results.clipName));
  EXPECT_EQ(1u, parser->results.clipUsage);
}

TEST_F(OmfDescriptorsTest, GeneratedMediaFilesOfEveryKind) {
  const std::pair<OmfMediaKind, const char *> kinds[] = {{OmfMediaKind::Video, "_VID"},
                                                         {OmfMediaKind::Wave, "_WAV"},
                                                         {OmfMediaKind::Aifc, "_AIF"},
                                                         {OmfMediaKind::Sd2, "_SD2"}};
  for (const auto &[kind, type] : kinds) {
    OmfMediaSpec plan = GenerateMediaSpecs(1, 1)[0];
    plan.kind = kind;
    plan.sampleRate = 44100;
    plan.bits = 24;
    plan.channels = 2;
    ASSERT_EQ(1, Open(BuildMediaFile(plan)));
    const ParserResults &r = MediaFile();
    EXPECT_EQ(type, Code(r.mediaType));
    EXPECT_EQ(std::wstring(plan.project.begin(), plan.project.end()), r.projectName);
    EXPECT_EQ(L"Tape 001", std::wstring(r.sourceName));
    EXPECT_TRUE(MobKeyEqual(plan.fileMobKey, r.mediaMobKey));
    if (kind == OmfMediaKind::Wave || kind == OmfMediaKind::Aifc) {
      EXPECT_EQ("4424", Code(r.formatCode));
      EXPECT_EQ(6u, r.unitSize);
    }
  }
}

} // namespace

// A database read in one piece, and objects found through the sorted table, describe every
// media exactly as reading value by value through the object tree does, in both byte
// orders (the generated TOC ends with dictionary objects out of order); a file above the
// limit is read value by value.
TEST_F(ContainerTest, DatabaseImageDescribesEveryMediaAsReadingValueByValue) {
  const std::vector<OmfMediaSpec> media = GenerateMediaSpecs(60, 4, 7);
  struct Way {
    uint64_t limit;
    uint32_t table;
  };
  const Way ways[] = {{0, 0}, {0, 1}, {kDatabaseImageLimit, 1}, {64, 0}};
  for (bool bigEndian : {false, true}) {
    const std::filesystem::path database = dir.path / (bigEndian ? "big.mdb" : "little.mdb");
    ASSERT_TRUE(WriteMediaDatabase(database, media, 40, bigEndian));
    std::vector<ParserResults> byValue;
    std::vector<int32_t> firstEntries;
    for (const Way &way : ways) {
      auto parser = std::make_unique<MediaFileParser>();
      parser->wholeFileLimit = way.limit;
      parser->searchObjectTable = way.table;
      ASSERT_EQ(1, parser->OpenMediaFile(database.wstring().c_str()));
      EXPECT_EQ(way.limit == kDatabaseImageLimit ? 1u : 0u, parser->imageLoaded);
      EXPECT_EQ(way.table, parser->objectTableSorted);
      const bool plain = &way == ways;
      for (uint32_t i = 0; i < parser->entryCount; ++i) {
        const int32_t first = parser->FirstEntryOfObject(parser->GetEntry(i).objectId + (i & 1));
        if (plain)
          firstEntries.push_back(first);
        else
          EXPECT_EQ(firstEntries[i], first) << "entry " << i;
      }
      for (size_t i = 0; i < media.size(); ++i) {
        parser->DescribeDatabaseMob(media[i].fileMobKey, media[i].clipMobKey);
        if (plain) {
          byValue.emplace_back();
          std::memcpy(&byValue.back(), &parser->results, sizeof(ParserResults)); // padding too
          EXPECT_NE(0, parser->results.clipName[0]) << i;
        } else {
          EXPECT_EQ(0, std::memcmp(&byValue[i], &parser->results, sizeof(ParserResults)))
              << "media " << i << (bigEndian ? " (big-endian)" : "");
        }
      }
    }
  }
}
