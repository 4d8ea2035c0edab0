#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/pmr_file.h"
#include "support/log_capture.h"
#include "support/pmr_writer.h"
#include "support/realdata.h"
#include "support/scratch_dir.h"

namespace {

struct Delivered {
  std::wstring name;
  std::wstring project;
  MobKey mediaId;
  MobKey clipMobKey;
};

const PmrEntry kFirst{
    "A001C003.omf", "Feature Cut", {0x11223344, 0x55667788}, {0x99AABBCC, 0x0D0E0F10}};
const PmrEntry kSecond{"A002_Audio.WAV", "", {0x00000001, 0x00000002}, {0x00000003, 0x00000004}};
const PmrEntry kThird{"B7.mxf", "Trailer", {0xCAFEF00D, 0x01020304}, {0, 0}};

std::vector<std::wstring> Names(const std::vector<Delivered> &entries) {
  std::vector<std::wstring> names;
  for (const Delivered &e : entries) names.push_back(e.name);
  return names;
}

class PmrFileTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_FALSE(scratch.path.empty()); }

  std::wstring Save(const std::vector<uint8_t> &bytes, const char *name = "msmFMID.pmr") {
    std::filesystem::path file = scratch.File(name);
    EXPECT_TRUE(WriteFileBytes(file, bytes));
    return file.wstring();
  }

  // Reads a file as a load does, through the reader field by field and then from windows of
  // the file's bytes (the smallest window refills within the entries of any file here), which
  // must deliver and report exactly the same.
  std::vector<Delivered> Load(const std::wstring &path) {
    index.windowBytes = 0;
    const std::vector<Delivered> plain = LoadOnce(path);
    const std::vector<std::wstring> plainLines = log.lines;
    std::vector<Delivered> entries;
    for (uint32_t window : {kPmrMaxEntryBytes, kPmrWindowBytes}) {
      log.lines.clear();
      index.windowBytes = window;
      entries = LoadOnce(path);
      EXPECT_EQ(plainLines, log.lines) << "window " << window;
      EXPECT_EQ(plain.size(), entries.size()) << "window " << window;
      for (size_t i = 0; i < plain.size() && i < entries.size(); ++i) {
        const Delivered &a = plain[i], &b = entries[i];
        EXPECT_TRUE(a.name == b.name && a.project == b.project &&
                    MobKeyEqual(a.mediaId, b.mediaId) && MobKeyEqual(a.clipMobKey, b.clipMobKey))
            << "entry " << i << ", window " << window;
      }
    }
    return entries;
  }

  // A counting pass without reports, then the reading pass.
  std::vector<Delivered> LoadOnce(const std::wstring &path) {
    std::vector<Delivered> entries;
    if (!index.OpenIndex(path.c_str())) return entries;
    uint32_t counted = 0;
    while (index.NextEntry(nullptr, 0)) ++counted;
    EXPECT_TRUE(log.lines.empty()) << "the counting pass reports nothing";
    EXPECT_EQ(index.OpenIndex(path.c_str()), 1);
    PMRIndexEntry entry{};
    while (index.NextEntry(&entry, 1)) {
      entries.push_back({entry.fileName, entry.project, entry.mediaId, entry.clipMobKey});
      entry = PMRIndexEntry{};
    }
    index.Close();
    EXPECT_EQ(entries.size(), counted);
    return entries;
  }

  std::wstring Report(const std::wstring &path, const wchar_t *reason) {
    return L"PMRFile::" + path + reason;
  }

  ScratchDir scratch;
  LogCapture log;
  PMRFile index;
};

void ExpectEntry(const Delivered &got, const PmrEntry &want, const wchar_t *project) {
  EXPECT_EQ(got.name, std::wstring(want.name.begin(), want.name.end()));
  EXPECT_EQ(got.project, project);
  EXPECT_TRUE(MobKeyEqual(got.mediaId, want.mediaId));
  EXPECT_TRUE(MobKeyEqual(got.clipMobKey, want.clipMobKey));
}

TEST_F(PmrFileTest, BothByteOrdersDeliverTheIdentifiersAsStored) {
  for (bool bigEndian : {false, true}) {
    SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
    PmrWriter w = PmrBegin({2, bigEndian, 45});
    PmrAdd(w, kFirst);
    PmrAdd(w, kSecond);
    EXPECT_EQ(w.bytes[12], 0x44); // the writer keeps identifiers little-endian in both
    std::vector<Delivered> got = Load(Save(w.bytes));
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(index.bigEndian, bigEndian ? 1u : 0u);
    EXPECT_EQ(index.headerWord3, 45u);
    ExpectEntry(got[0], kFirst, L"Feature Cut");
    ExpectEntry(got[1], kSecond, L"");
  }

  // Any magic other than 1961 little-endian means big-endian.
  PmrWriter w = PmrBegin({8, true});
  PmrAdd(w, kThird);
  w.bytes[0] = 'X';
  std::vector<Delivered> got = Load(Save(w.bytes));
  ASSERT_EQ(got.size(), 1u);
  ExpectEntry(got[0], kThird, L"Trailer");
}

// With the longest entry after a short one (the window must be refilled for it).
TEST_F(PmrFileTest, EightWordIdentifiersTakeBytes16To23) {
  PmrWriter w = PmrBegin({8});
  PmrAdd(w, kFirst);
  const std::string longest = std::string(251, 'n') + ".omf";
  PmrAdd(w, {longest, std::string(64, 'p'), {5, 5}, {6, 6}});
  PmrAdd(w, kThird);
  std::vector<Delivered> got = Load(Save(w.bytes));
  ASSERT_EQ(got.size(), 3u);
  ExpectEntry(got[0], kFirst, L"Feature Cut");
  EXPECT_EQ(got[1].name, std::wstring(longest.begin(), longest.end()));
  ExpectEntry(got[2], kThird, L"Trailer");
}

TEST_F(PmrFileTest, EntriesThatCannotNameAMediaFileAreSkippedSilently) {
  PmrWriter w = PmrBegin();
  std::string longest = std::string(251, 'n') + ".aif";
  for (const char *name : {"clip.Omf", "clip.OMF", "omf", "caf\xE9.omf", "clip.omf", "clip_omf"}) {
    PmrAdd(w, {name, "P", {1, 1}, {2, 2}});
  }
  PmrAdd(w, {std::string(252, 'n') + ".aif", "P", {3, 3}, {4, 4}}); // 256 bytes: no room left
  PmrAdd(w, {longest, "P", {5, 5}, {6, 6}});
  PmrAdd(w, {"proj.wav", "Caf\xE9", {7, 7}, {8, 8}});
  // At the bounds: the shortest name, blanks, a project that fills its field.
  PmrAdd(w, {".wav", std::string(64, 'p'), {9, 9}, {9, 9}});
  PmrAdd(w, {"a b.mxf", " ", {9, 9}, {9, 9}});
  PmrAdd(w, kSecond);
  std::wstring path = Save(w.bytes);
  std::vector<Delivered> got = Load(path);
  std::vector<std::wstring> want{
      L"clip.OMF", L"clip.omf", std::wstring(longest.begin(), longest.end()),
      L".wav",     L"a b.mxf",  L"A002_Audio.WAV"};
  EXPECT_EQ(Names(got), want);
}

TEST_F(PmrFileTest, DamageIsSkippedAndReportedOncePerFileWhenAsked) {
  PmrWriter w = PmrBegin();
  PmrAdd(w, kFirst);
  const uint8_t garbage[37] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x31};
  PmrAddRaw(w, garbage, sizeof garbage);
  PmrAdd(w, kSecond);
  PmrEntry overlong = kThird;
  overlong.nameLength = 300;
  PmrAdd(w, overlong);
  PmrAdd(w, {"long.omf", std::string(65, 'p'), {9, 9}, {9, 9}}); // a project too long
  PmrAdd(w, kThird);
  std::wstring path = Save(w.bytes);
  std::vector<Delivered> got = Load(path);
  EXPECT_EQ(Names(got), (std::vector<std::wstring>{L"A001C003.omf", L"A002_Audio.WAV", L"B7.mxf"}));
  EXPECT_EQ(log.lines, std::vector<std::wstring>{Report(path, L" ::Found invalid records")});
}

// A garbage length met while resynchronising may reach past the end; that only rejects the
// candidate, and the good entry in the file's last bytes is still found.
TEST_F(PmrFileTest, CandidateRunningPastTheEndDoesNotEndResynchronisation) {
  PmrWriter w = PmrBegin();
  PmrAdd(w, kFirst);
  const uint8_t damage[20] = {0, 0, 0, 0, 0, 0, 0, 0, 0x2C, 0x01,  // name length 300
                              0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x00}; // 240: past the end
  PmrAddRaw(w, damage, sizeof damage);
  PmrAdd(w, kThird);
  ASSERT_LT(PmrEntrySize(w.layout, kThird), 240u);
  std::wstring path = Save(w.bytes);
  EXPECT_EQ(Names(Load(path)), (std::vector<std::wstring>{L"A001C003.omf", L"B7.mxf"}));
  EXPECT_EQ(log.lines, std::vector<std::wstring>{Report(path, L" ::Found invalid records")});
}

// A last entry cut into its second identifier ends the file undelivered; one that lacks only
// its trailing word is whole.
TEST_F(PmrFileTest, ALastEntryIsDeliveredWhenItsSecondIdentifierIsWhole) {
  const struct {
    size_t cut;
    std::vector<std::wstring> names;
  } cases[] = {{6, {L"A001C003.omf"}}, {4, {L"A001C003.omf", L"B7.mxf"}}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.cut);
    PmrWriter w = PmrBegin();
    PmrAdd(w, kFirst);
    PmrAdd(w, kThird);
    w.bytes.resize(w.bytes.size() - c.cut);
    EXPECT_EQ(Names(Load(Save(w.bytes))), c.names);
    EXPECT_TRUE(log.lines.empty());
  }
}

TEST_F(PmrFileTest, HeadersThatCannotBeReadAreRefusedWithTheirReport) {
  std::vector<uint8_t> bytes = PmrBegin().bytes;
  bytes.resize(29, 0);
  std::wstring small = Save(bytes);
  EXPECT_EQ(index.OpenIndex(small.c_str()), 0);
  EXPECT_FALSE(index.reader.IsOpen());
  bytes.resize(30, 0);
  EXPECT_EQ(index.OpenIndex(Save(bytes, "thirty.pmr").c_str()), 1);
  EXPECT_EQ(index.reader.Tell(), 12u);

  PmrWriter w = PmrBegin({4});
  PmrAdd(w, kFirst);
  std::wstring words4 = Save(w.bytes, "words4.pmr");
  EXPECT_EQ(index.OpenIndex(words4.c_str()), 0);
  std::wstring missing = scratch.File("none.pmr").wstring();
  EXPECT_EQ(index.OpenIndex(missing.c_str()), 0);
  EXPECT_EQ(index.NextEntry(nullptr, 1), 0);
  EXPECT_EQ(log.lines, (std::vector<std::wstring>{Report(small, L" ::too small"),
                                                  L"PMRFile: bad GUID Length ::" + words4,
                                                  Report(missing, L" ::open error")}));
}

TEST(PmrFileRealdata, AvidIndexListsItsTwelveWaveFiles) {
  std::filesystem::path file = RealdataFile("vo-repair-mvp/msmFMID.pmr");
  if (file.empty()) GTEST_SKIP() << "vo-repair-mvp/msmFMID.pmr is not in the realdata folder";
  PMRFile index;
  ASSERT_EQ(index.OpenIndex(file.wstring().c_str()), 1);
  EXPECT_EQ(index.bigEndian, 0u);
  EXPECT_EQ(index.headerWord3, 12u);
  PMRIndexEntry record{};
  std::vector<std::wstring> names;
  uint32_t high = 0x22EC598D; // the media IDs' high halves step by 3
  while (index.NextEntry(&record, 1)) {
    EXPECT_STREQ(record.project, L"");
    EXPECT_EQ(record.mediaId.low, 0xE5F57F23u);
    EXPECT_EQ(record.mediaId.high, high + 3 * names.size());
    EXPECT_TRUE(MobKeyIsZero(record.clipMobKey));
    names.push_back(record.fileName);
  }
  ASSERT_EQ(names.size(), 12u);
  EXPECT_EQ(names.front(), L"5xqrhWYFFfdzpMZMY.wav");
  EXPECT_EQ(names.back(), L"5ysrhWYFFfdzpMZMY.wav");
  EXPECT_EQ(index.reader.Tell(), 552u);
}

} // namespace
