// The media index reader. Every file is read as a load does, field by field and from windows
// of its bytes (the smallest window refills within the entries of any file here), which must
// deliver and report exactly the same.
#include <gtest/gtest.h>

#include "formats/pmr_file.h"
#include "support/log_capture.h"
#include "support/pmr_writer.h"
#include "support/realdata.h"
#include "support/scratch_dir.h"

namespace {

const PmrEntry kFirst{
    "A001C003.omf", "Feature Cut", {0x11223344, 0x55667788}, {0x99AABBCC, 0x0D0E0F10}};
const PmrEntry kSecond{"A002_Audio.WAV", "", {0x00000001, 0x00000002}, {0x00000003, 0x00000004}};
const PmrEntry kThird{"B7.mxf", "Trailer", {0xCAFEF00D, 0x01020304}, {0, 0}};
const PmrEntry kLongest{std::string(251, 'n') + ".omf", std::string(64, 'p'), {5, 5}, {6, 6}};

// An entry as one line: name, project and both keys.
std::wstring Line(const std::wstring &name, const std::wstring &project, const MobKey &id,
                  const MobKey &clip) {
  wchar_t keys[48];
  std::swprintf(keys, 48, L"|%08X.%08X|%08X.%08X", id.low, id.high, clip.low, clip.high);
  return name + L"|" + project + keys;
}

std::vector<std::wstring> Lines(const std::vector<PmrEntry> &entries) {
  std::vector<std::wstring> lines;
  for (const PmrEntry &e : entries)
    lines.push_back(Line(std::wstring(e.name.begin(), e.name.end()),
                         std::wstring(e.project.begin(), e.project.end()), e.mediaId,
                         e.clipMobKey));
  return lines;
}

struct PmrFileTest : ::testing::Test {
  ScratchDir scratch;
  LogCapture log;
  PMRFile index;

  std::wstring Save(const std::vector<uint8_t> &bytes, const char *name = "msmFMID.pmr") {
    const std::filesystem::path file = scratch.File(name);
    EXPECT_TRUE(WriteFileBytes(file, bytes));
    return file.wstring();
  }

  // Each way: a counting pass without reports, then the reading pass. The log keeps the
  // reports of the last pass.
  std::vector<std::wstring> Load(const std::wstring &path) {
    std::vector<std::wstring> got[3], reports[3];
    const uint32_t windows[3] = {0, kPmrMaxEntryBytes, kPmrWindowBytes};
    for (int way = 0; way < 3; ++way) {
      index.windowBytes = windows[way];
      log.lines.clear();
      size_t counted = 0;
      EXPECT_EQ(1, index.OpenIndex(path.c_str()));
      while (index.NextEntry(nullptr, 0)) ++counted;
      EXPECT_TRUE(log.lines.empty()) << "the counting pass reports nothing";
      EXPECT_EQ(1, index.OpenIndex(path.c_str()));
      PMRIndexEntry e{}; // not cleared between entries: each must write all of its fields
      while (index.NextEntry(&e, 1))
        got[way].push_back(Line(e.fileName, e.project, e.mediaId, e.clipMobKey));
      EXPECT_EQ(counted, got[way].size());
      reports[way] = log.lines;
    }
    for (int window = 1; window < 3; ++window) {
      EXPECT_EQ(got[0], got[window]) << "field by field and in windows of " << windows[window];
      EXPECT_EQ(reports[0], reports[window]);
    }
    return got[2];
  }

  std::wstring Report(const std::wstring &path, const wchar_t *reason) {
    return L"PMRFile::" + path + reason;
  }
};

// With the longest entry after a short one (the window must be refilled for it).
TEST_F(PmrFileTest, EitherByteOrderAndIdentifierSizeDeliversTheKeysAsStored) {
  for (uint32_t words : {2u, 8u}) {
    for (bool bigEndian : {false, true}) {
      SCOPED_TRACE(testing::Message() << words << (bigEndian ? " big-endian" : " little-endian"));
      PmrWriter w = PmrBegin({words, bigEndian, 45});
      for (const PmrEntry &e : {kFirst, kLongest, kSecond, kThird}) PmrAdd(w, e);
      if (bigEndian && words == 8) w.bytes[0] = 'X'; // any magic but 1961 little-endian
      EXPECT_EQ(Lines({kFirst, kLongest, kSecond, kThird}), Load(Save(w.bytes)));
      EXPECT_EQ(index.bigEndian, bigEndian ? 1u : 0u);
      EXPECT_EQ(index.headerWord3, 45u);
    }
  }
}

TEST_F(PmrFileTest, EntriesThatCannotNameAMediaFileAreSkipped) {
  const std::string longest = std::string(251, 'n') + ".aif";
  // At the bounds: the longest name, the shortest, blanks, a project that fills its field.
  const std::vector<PmrEntry> kept = {
      {"clip.OMF", "P", {1, 1}, {2, 2}}, {"clip.omf", "P", {1, 1}, {2, 2}},
      {longest, "P", {5, 5}, {6, 6}},    {".wav", std::string(64, 'p'), {9, 9}, {9, 9}},
      {"a b.mxf", " ", {9, 9}, {9, 9}},  kSecond};
  const std::vector<PmrEntry> skipped = {
      {"clip.Omf", "P", {1, 1}, {2, 2}},
      {"omf", "P", {1, 1}, {2, 2}},
      {"caf\xE9.omf", "P", {1, 1}, {2, 2}},
      {"clip_omf", "P", {1, 1}, {2, 2}},
      {std::string(252, 'n') + ".aif", "P", {3, 3}, {4, 4}}, // 256 bytes: no room left
      {"proj.wav", "Caf\xE9", {7, 7}, {8, 8}}};
  PmrWriter w = PmrBegin();
  for (size_t i = 0; i < kept.size(); ++i) {
    if (i < skipped.size()) PmrAdd(w, skipped[i]);
    PmrAdd(w, kept[i]);
  }
  EXPECT_EQ(Lines(kept), Load(Save(w.bytes)));
}

// Damage between good entries is skipped by resynchronising and reported once per file when
// asked: mixed damage; a garbage length met while resynchronising that reaches past the end
// (that only rejects the candidate, and the good entry in the file's last bytes is still
// found); bytes where every candidate has a length no entry can have.
TEST_F(PmrFileTest, DamageIsSkippedAndReportedOncePerFileWhenAsked) {
  PmrEntry overlong = kThird;
  overlong.nameLength = 300;
  const uint8_t garbage[37] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x31};
  const uint8_t pastTheEnd[20] = {0, 0, 0, 0, 0, 0, 0, 0, 0x2C, 0x01,  // name length 300
                                  0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x00}; // 240: past the end
  const std::vector<uint8_t> badLengths(20, 0xFF);
  for (int damage : {0, 1, 2}) {
    PmrWriter w = PmrBegin();
    PmrAdd(w, kFirst);
    if (damage == 0) {
      PmrAddRaw(w, garbage, sizeof garbage);
      PmrAdd(w, kSecond);
      PmrAdd(w, overlong);
      PmrAdd(w, {"long.omf", std::string(65, 'p'), {9, 9}, {9, 9}}); // a project too long
    }
    if (damage == 1) PmrAddRaw(w, pastTheEnd, sizeof pastTheEnd);
    if (damage == 2) PmrAddRaw(w, badLengths.data(), badLengths.size());
    PmrAdd(w, kThird); // fewer than 240 bytes
    const std::wstring path = Save(w.bytes);
    EXPECT_EQ(damage == 0 ? Lines({kFirst, kSecond, kThird}) : Lines({kFirst, kThird}), Load(path));
    EXPECT_EQ(log.lines, std::vector<std::wstring>{Report(path, L" ::Found invalid records")});
  }
}

// A last entry cut into its second identifier ends the file undelivered; one that lacks only
// its trailing word is whole.
TEST_F(PmrFileTest, ALastEntryIsDeliveredWhenItsSecondIdentifierIsWhole) {
  for (size_t cut : {6, 4}) {
    PmrWriter w = PmrBegin();
    PmrAdd(w, kFirst);
    PmrAdd(w, kThird);
    w.bytes.resize(w.bytes.size() - cut);
    EXPECT_EQ(cut == 4 ? Lines({kFirst, kThird}) : Lines({kFirst}), Load(Save(w.bytes))) << cut;
    EXPECT_TRUE(log.lines.empty());
  }
}

// A file cut short while it is read, beyond what the reader holds: the window that can no
// longer be filled gives way to reading field by field, which delivers the entries still
// whole and nothing stale.
TEST_F(PmrFileTest, AFileCutShortWhileReadDeliversWhatIsLeft) {
  PmrWriter w = PmrBegin();
  const size_t header = w.bytes.size();
  PmrAdd(w, kFirst);
  const size_t entry = w.bytes.size() - header;
  const size_t whole = (kReaderWindowSize + 5000) / entry;
  for (size_t i = 1; i < whole + 100; ++i) PmrAdd(w, kFirst);
  const std::wstring path = Save(w.bytes);
  index.windowBytes = kPmrMaxEntryBytes; // the smallest window, refilled every few entries
  ASSERT_EQ(1, index.OpenIndex(path.c_str()));
  PMRIndexEntry e{};
  std::vector<std::wstring> got;
  for (bool first = true; index.NextEntry(&e, 1); first = false) {
    got.push_back(Line(e.fileName, e.project, e.mediaId, e.clipMobKey));
    if (first)
      std::filesystem::resize_file(std::filesystem::path(path), header + whole * entry + 9);
  }
  EXPECT_EQ(std::vector<std::wstring>(whole, Lines({kFirst})[0]), got);
}

TEST_F(PmrFileTest, HeadersThatCannotBeReadAreRefusedWithTheirReport) {
  std::vector<uint8_t> bytes = PmrBegin().bytes;
  bytes.resize(29, 0);
  const std::wstring small = Save(bytes);
  EXPECT_EQ(index.OpenIndex(small.c_str()), 0);
  EXPECT_FALSE(index.reader.IsOpen());
  bytes.resize(30, 0);
  EXPECT_EQ(index.OpenIndex(Save(bytes, "thirty.pmr").c_str()), 1);
  EXPECT_EQ(index.reader.Tell(), 12u);

  PmrWriter w = PmrBegin({4});
  PmrAdd(w, kFirst);
  const std::wstring words4 = Save(w.bytes, "words4.pmr");
  EXPECT_EQ(index.OpenIndex(words4.c_str()), 0);
  const std::wstring missing = scratch.File("none.pmr").wstring();
  EXPECT_EQ(index.OpenIndex(missing.c_str()), 0);
  EXPECT_EQ(index.NextEntry(nullptr, 1), 0);
  const std::wstring far = missing + std::wstring(3000, L'x'); // a report that fills the message
  EXPECT_EQ(index.OpenIndex(far.c_str()), 0);
  EXPECT_EQ(log.lines, (std::vector<std::wstring>{
                           Report(small, L" ::too small"), L"PMRFile: bad GUID Length ::" + words4,
                           Report(missing, L" ::open error"),
                           Report(far, L"").substr(0, kPmrMessageChars - 1)}));
}

TEST(PmrFileRealdata, AvidIndexListsItsTwelveWaveFiles) {
  const std::filesystem::path file = RealdataFile("vo-repair-mvp/msmFMID.pmr");
  if (file.empty()) GTEST_SKIP() << "vo-repair-mvp/msmFMID.pmr is not in the realdata folder";
  PMRFile index;
  ASSERT_EQ(index.OpenIndex(file.wstring().c_str()), 1);
  EXPECT_EQ(index.bigEndian, 0u);
  EXPECT_EQ(index.headerWord3, 12u);
  PMRIndexEntry e{};
  std::vector<std::wstring> lines;
  while (index.NextEntry(&e, 1))
    lines.push_back(Line(e.fileName, e.project, e.mediaId, e.clipMobKey));
  ASSERT_EQ(lines.size(), 12u); // the media IDs' high halves step by 3
  EXPECT_EQ(lines.front(), L"5xqrhWYFFfdzpMZMY.wav||E5F57F23.22EC598D|00000000.00000000");
  EXPECT_EQ(lines.back(), L"5ysrhWYFFfdzpMZMY.wav||E5F57F23.22EC59AE|00000000.00000000");
  EXPECT_EQ(index.reader.Tell(), 552u);
}

} // namespace
