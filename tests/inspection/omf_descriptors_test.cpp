// The walks over OMF objects: from a database record's keys or a media file's media data to
// project, clip, source, type and format (rate, bit depth and unit size from WAVE and AIFC
// summaries and PCMA properties); the "Compression" column's text made of them.

#include <cstring>

#include "inspection/container_test.h"
#include "inspection/media_info_text.h"
#include "support/log_capture.h"
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
  void AddFileMob(const MobKey &key, const MobKey &source, uint32_t attributes = 0) {
    const uint32_t descriptor = OmfAddVideoDescriptor(b, OmfVideo{});
    const uint32_t slot = OmfAddSourceSlot(b, source);
    OmfAddMob(b, OmfMob{key, "file", -1, descriptor, attributes, {slot}}, OmfList::Source);
  }
  // A clip mob when usage is given, else a source mob.
  void AddMob(const MobKey &key, const std::string &name, int64_t usage, uint32_t descriptor,
              uint32_t attributes = 0) {
    OmfAddMob(b, OmfMob{key, name, usage, descriptor, attributes, {}},
              usage >= 0 ? OmfList::Clip : OmfList::Source);
  }
};

// From each file mob along its source clips: a tape's name, an imported file's first
// locator; the project of the first mob on the way that has one, up to the first empty
// element of its attribute list; a key that names no mob, or a chain that loops, ends the
// walk. The clip part runs regardless; a clip name too long is cut to 256 characters and dots.
TEST_F(OmfDescriptorsTest, DatabaseWalkAlongTheSourceChain) {
  const MobKey winImport = {0x3002, 0x71}, macImport = {0x3003, 0x71}, loopA = {0x4001, 1},
               loopB = {0x4002, 1}, tapeAtZero = {0x3004, 0x71};
  std::memcpy(&b.writer.toc[0].value, "MDTP", 4); // object 1 a tape: a descriptor at entry 0
  AddMob(tapeAtZero, "Reel 0", -1, CM_StdObjID_TOC);
  const uint32_t win = OmfAddLocator(b, "WINL", "D:\\Audio\\take1.wav");
  const uint32_t mac = OmfAddLocator(b, "MACL", "Media:take1.wav");
  const uint32_t other = OmfAddAttribute(b, "_XX", "not it");
  const uint32_t late = OmfAddAttribute(b, "_PJ", "Late Project");
  AddMob(kTape, "Reel 12", -1, OmfAddDescriptor(b, "MDTP"), OmfAddProjectAttributes(b, "Tape P"));
  AddMob(winImport, "", -1, OmfAddFileDescriptor(b, {win, mac}));
  AddMob(macImport, "", -1, OmfAddFileDescriptor(b, {mac, win}));
  const struct {
    MobKey file, source;
    uint32_t attributes;
    const wchar_t *sourceName, *project;
  } cases[] = {
      {kFile, kTape, 0, L"Reel 12", L"Tape P"}, // the file mob has no project of its own
      {{0x1002, 1}, {0x9999, 0x71}, OmfAddProjectAttributes(b, "P"), L"", L"P"},
      {{0x1003, 1}, winImport, 0, L"D:\\Audio\\take1.wav", L""},
      {{0x1004, 1}, macImport, 0, L"Media:take1.wav", L""},
      {{0x1005, 1}, kTape, OmfAddAttributeList(b, {other, 0, late}), L"Reel 12", L"Tape P"},
      {{0x1006, 1}, kTape, OmfAddAttributeList(b, {other, late}), L"Reel 12", L"Late Project"},
      {{0x1007, 1}, tapeAtZero, 0, L"Reel 0", L""},
      {loopA, loopB, 0, L"", L""},
  };
  for (const auto &c : cases) AddFileMob(c.file, c.source, c.attributes);
  AddFileMob(loopB, loopA);
  AddMob(kClip, std::string(300, 'n'), 7, 0);
  Open();
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << &c - cases);
    LogCapture log;
    const ParserResults &r = Db(c.file);
    EXPECT_EQ(c.sourceName, std::wstring(r.sourceName));
    EXPECT_EQ(c.project, std::wstring(r.projectName));
    EXPECT_EQ(std::wstring(256, L'n') + L"...", r.clipName);
    EXPECT_EQ(7u, r.clipUsage);
    EXPECT_EQ("_VID", Code(r.mediaType));
    EXPECT_EQ("JFIF", Code(r.formatCode));
    EXPECT_EQ(76u, r.compressionId);
    EXPECT_EQ(&c == std::end(cases) - 1 ? 1u : 0u,
              log.Count(L"QEL::FindSourceName::Source chain loops back, walk stopped"));
  }
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

// A WAVE summary is searched for its fmt chunk from offset 1 on; AIFC rates go by the top
// bits of the mantissa (the exponent is not read).
TEST_F(OmfDescriptorsTest, AudioFormatCodesAndUnitSizes) {
  std::vector<uint8_t> noRiff = WaveSummary(2, 48000, 16); // fmt chunk at offset 0
  noRiff.erase(noRiff.begin(), noRiff.begin() + 12);
  std::vector<uint8_t> oneByteIn = noRiff;
  oneByteIn.insert(oneByteIn.begin(), 'x');
  std::vector<uint8_t> twoFmt = WaveSummary(1, 48000, 16), later = WaveSummary(2, 44100, 24);
  twoFmt.resize(36); // the later fmt chunk counts
  twoFmt.insert(twoFmt.end(), later.begin() + 12, later.end());
  std::vector<uint8_t> shortLast = WaveSummary(1, 48000, 16); // fewer than 24 bytes behind
  shortLast.insert(shortLast.end(), {'f', 'm', 't', ' '});
  std::vector<uint8_t> noComm = AifcSummary(1, 48000, 16);
  noComm[24] = 'X';
  const struct {
    const char *descriptor;
    std::vector<uint8_t> summary;
    const char *formatCode;
    int64_t unitSize; // -1: not looked at
    uint16_t bits = 0;
    uint32_t byteRate = 0;
  } cases[] = {
      {"WAVD", WaveSummary(2, 48000, 24), "4824", 6},
      {"WAVD", WaveSummary(1, 64000, 16), "  16", -1},
      {"WAVD", WaveSummary(1, 22050, 8), "", 1},
      {"WAVD", noRiff, "", 0},
      {"WAVD", oneByteIn, "4816", 4},
      {"WAVD", std::vector<uint8_t>(24, 'x'), "", -1},
      {"WAVD", twoFmt, "4424", 6},
      {"WAVD", shortLast, "4816", -1},
      {"AIFD", AifcSummary(2, 44100, 24), "4424", 6},
      {"AIFD", AifcSummary(1, 64000, 16), "3216", -1},
      {"AIFD", AifcSummary(1, 37800, 32), "  32", -1},
      {"AIFD", noComm, "", -1},
      {"PCMA", {}, "4416", 2, 16, 88200},
      {"PCMA", {}, "  16", -1, 16, 64000}, // 32 kHz has no PCMA code
      {"PCMA", {}, "48", -1, 8, 48000},    // a rate, no depth code
      {"PCMA", {}, "", 0, 4, 48000},       // below 8 bits the rate is not divided out
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << &c - cases);
    b = OmfBegin();
    AddMob(kFile, "", -1, OmfAddDescriptor(b, c.descriptor, c.summary, c.bits, c.byteRate));
    Open();
    const ParserResults &r = Db(kFile, {});
    EXPECT_STREQ(c.formatCode, Code(r.formatCode).c_str()); // and zeros behind it
    EXPECT_EQ(c.unitSize >= 0 ? static_cast<uint32_t>(c.unitSize) : r.unitSize, r.unitSize);
    EXPECT_EQ("_" + std::string(c.descriptor, 3), Code(r.mediaType)); // _WAV, _AIF, _PCM
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

// ---- The two walks compared ----

// Generated media files of every kind. The media file walk takes the type from the media
// data's class (PCM media carry WAVE data, and a PCMA descriptor has no WAVE summary), the
// database walk from the descriptor; only the database walk swaps the clip usage of a
// big-endian container back, the compression ID is swapped back in both walks.
TEST_F(OmfDescriptorsTest, GeneratedMediaFilesOfEveryKindInBothByteOrders) {
  const struct {
    OmfMediaKind kind;
    const char *fileType, *dbType, *format;
    uint32_t unitSize; // in the database walk
  } kinds[] = {{OmfMediaKind::Video, "_VID", "_VID", "JFIF", 720 * 486 * 2},
               {OmfMediaKind::Wave, "_WAV", "_WAV", "4424", 6},
               {OmfMediaKind::Aifc, "_AIF", "_AIF", "4424", 6},
               {OmfMediaKind::Pcm, "_WAV", "_PCM", "4424", 3},
               {OmfMediaKind::Sd2, "_SD2", "_SD2", "\0\0\0\0", 0}};
  OmfMediaSpec plan = GenerateMediaSpecs(1, 1)[0];
  plan.sampleRate = 44100;
  plan.bits = 24;
  plan.channels = 2;
  for (bool big : {false, true}) {
    for (const auto &k : kinds) {
      SCOPED_TRACE(testing::Message() << k.dbType << (big ? " big-endian" : ""));
      plan.kind = k.kind;
      ASSERT_EQ(1, Open(BuildMediaFile(plan, big)));
      EXPECT_EQ(big ? 0u : 1u, parser->littleEndian);
      const ParserResults &r = MediaFile();
      EXPECT_EQ(k.fileType, Code(r.mediaType));
      EXPECT_EQ(k.kind == OmfMediaKind::Pcm ? std::string(4, '\0') : Code(k.format),
                Code(r.formatCode));
      EXPECT_EQ(std::wstring(plan.project.begin(), plan.project.end()), r.projectName);
      EXPECT_EQ(L"Tape 001", std::wstring(r.sourceName));
      EXPECT_TRUE(MobKeyEqual(plan.fileMobKey, r.mediaMobKey));
      EXPECT_TRUE(MobKeyEqual(plan.clipMobKey, r.clipMobKey));
      EXPECT_EQ(big ? plan.clipUsage << 24 : plan.clipUsage, r.clipUsage);
      EXPECT_EQ(k.kind == OmfMediaKind::Video ? plan.compressionId : 0u, r.compressionId);
      const ParserResults &db = Db(plan.fileMobKey, plan.clipMobKey);
      EXPECT_EQ(k.dbType, Code(db.mediaType));
      EXPECT_EQ(Code(k.format), Code(db.formatCode));
      EXPECT_EQ(k.unitSize, db.unitSize);
      EXPECT_EQ(plan.clipUsage, db.clipUsage);
      EXPECT_EQ(k.kind == OmfMediaKind::Video ? plan.compressionId : 0u, db.compressionId);
    }
  }
}

// The media data whose data lies at the descriptor's data offset; without a match, the last;
// without media data, "NONE".
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
  b = OmfBegin();
  AddMob(kClip, "Clip", 1, 0);
  Open();
  EXPECT_EQ("NONE", Code(MediaFile().mediaType));
  EXPECT_EQ(L"Clip", std::wstring(parser->results.clipName));
  EXPECT_EQ(1u, parser->results.clipUsage);
}

// The "Compression" column: a known compression ID gets its label (the first and last of the
// table), any other the raw form; audio fills its template (PCM one position earlier), a zero
// rate code ends the text; other types fall back to the raw form.
TEST(MediaInfoText, LabelsTemplatesAndFallbacks) {
  const char kZero[4] = {};
  const struct {
    const char *type;
    uint32_t compressionId;
    const char *formatCode;
    const wchar_t *text;
  } cases[] = {
      // clang-format off
      {"_VID", 75, "JFIF", L"JPEG: 10:1"},     {"_VID", 2022, "JFIF", L"UNCOMP: 1:1 10bit"},
      {"_VID", 81, "JFIF", L"_VID JFIF 0x51"}, {"_VID", ~0u, "JFIF", L"_VID JFIF 0xffffffff"},
      {"_WAV", 0, "4816", L"WAVE 48khz 16bit"}, {"_AIF", 0, "4424", L"AIFF 44khz 24bit"},
      {"_PCM", 0, "4816", L"PCM 48khz 16bit"}, {"_WAV", 0, "  16", L"WAVE   khz 16bit"},
      {"_WAV", 0, kZero, L"WAVE "}, {"_PCM", 0, kZero, L"PCM "}, {"_SD2", 0, kZero, L"_SD2 "},
      {kZero, 0x99, "JFIF", L""}, {"_MXF", 0, "JFIF", L"_MXF JFIF 0x0"},
      {"NONE", 5, kZero, L"NONE "}, {"_VI\0", 5, "JFIF", L"_VI"}
      // clang-format on
  };
  for (const auto &c : cases) {
    wchar_t out[kCompressionTextChars];
    for (wchar_t &ch : out) ch = L'#'; // no stale character may show through
    EXPECT_EQ(std::wstring(c.text),
              FormatCompressionText(out, c.compressionId, c.formatCode, 0, c.type));
  }
  EXPECT_EQ(nullptr, FormatCompressionText(nullptr, 76, "JFIF", 0, "_VID"));
}

} // namespace

// A database read in one piece, and objects found through the sorted table, describe every
// media exactly as reading value by value through the object tree does, in both byte
// orders (the generated TOC ends with dictionary objects out of order); a file above the
// limit is read value by value.
TEST_F(ContainerTest, DatabaseImageDescribesEveryMediaAsReadingValueByValue) {
  const std::vector<OmfMediaSpec> media = GenerateMediaSpecs(60, 4, 7);
  const struct {
    uint64_t limit;
    uint32_t table;
  } ways[] = {{0, 0}, {0, 1}, {kDatabaseImageLimit, 1}, {64, 0}};
  for (bool bigEndian : {false, true}) {
    const std::filesystem::path database = dir.path / (bigEndian ? "big.mdb" : "little.mdb");
    ASSERT_TRUE(WriteMediaDatabase(database, media, 40, bigEndian));
    std::vector<int32_t> firstEntries[4];
    std::vector<std::vector<uint8_t>> results[4]; // padding too
    for (int way = 0; way < 4; ++way) {
      SCOPED_TRACE(testing::Message() << "way " << way << (bigEndian ? " big-endian" : ""));
      auto parser = std::make_unique<MediaFileParser>();
      parser->wholeFileLimit = ways[way].limit;
      parser->searchObjectTable = ways[way].table;
      ASSERT_EQ(1, parser->OpenMediaFile(database.wstring().c_str()));
      EXPECT_EQ(ways[way].limit == kDatabaseImageLimit ? 1u : 0u, parser->imageLoaded);
      EXPECT_EQ(ways[way].table, parser->objectTableSorted);
      for (uint32_t i = 0; i < parser->entryCount; ++i)
        firstEntries[way].push_back(
            parser->FirstEntryOfObject(parser->GetEntry(i).objectId + (i & 1)));
      for (const OmfMediaSpec &m : media) {
        parser->DescribeDatabaseMob(m.fileMobKey, m.clipMobKey);
        EXPECT_NE(0, parser->results.clipName[0]);
        const uint8_t *bytes = reinterpret_cast<const uint8_t *>(&parser->results);
        results[way].emplace_back(bytes, bytes + sizeof(ParserResults));
      }
      EXPECT_EQ(firstEntries[0], firstEntries[way]);
      EXPECT_TRUE(results[0] == results[way]);
    }
  }
}
