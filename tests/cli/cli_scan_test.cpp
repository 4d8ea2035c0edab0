// orvalis-cli scan and dups on generated media folders: the record lines and totals, the
// JSON form, media drops, the duplicate rows and the exit statuses.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "support/media_folders.h"
#include "support/realdata.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

ProgramRun Cli(const std::vector<std::wstring> &args) {
  return RunProgram(BuildMachinePath(ORVALIS_CLI_PATH), args);
}

std::vector<std::string> Lines(const std::string &out) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> Fields(const std::string &line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
    fields.push_back(line.substr(start, tab - start));
  fields.push_back(line.substr(start));
  return fields;
}

std::string Utf8(const fs::path &path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// Seconds since 1970 of "YYYY-MM-DDTHH:MM:SSZ", or -1.
long long ParseIso(const std::string &text) {
  std::tm t{};
  char zone = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &t.tm_year, &t.tm_mon, &t.tm_mday,
                  &t.tm_hour, &t.tm_min, &t.tm_sec, &zone) != 7 ||
      zone != 'Z' || text.size() != 20)
    return -1;
  t.tm_year -= 1900;
  t.tm_mon -= 1;
#ifdef _WIN32
  return _mkgmtime(&t);
#else
  return timegm(&t);
#endif
}

const MobKey kShared{0x0000ABCD, 0x12345678}; // a.omf and c.omf: copies of one media
const MobKey kMissing{0x00000002, 0x12345678};

class CliScan : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_FALSE(dir.path.empty());
    folder = dir.path / "Disk.01";
    fs::create_directories(folder);
    std::vector<OmfMediaSpec> media = GenerateMediaSpecs(2, 1, 3);
    media[0].fileMobKey = kShared;
    media[0].project = "Q \"x\" \\ y";
    media[0].clipUsage = 7;
    media[1].fileMobKey = kMissing;
    media[1].project = "P";
    media[1].clipUsage = 1;
    PmrEntry a = IndexEntryFor("a.omf", media[0]);
    PmrEntry b = IndexEntryFor("b.omf", media[1]);
    PmrEntry c = IndexEntryFor("c.omf", media[0]);
    c.project = "P";
    ASSERT_TRUE(WriteIndexFile(folder / "msmFMID.pmr", {a, b, c}));
    ASSERT_TRUE(WriteMediaDatabase(folder / "msmMMOB.mdb", media));
    ASSERT_TRUE(WriteSizedFile(folder / "a.omf", 100));
    ASSERT_TRUE(WriteSizedFile(folder / "c.omf", 300));
    ASSERT_TRUE(WriteSizedFile(folder / "extra.txt", 5));
  }

  ScratchDir dir;
  fs::path folder;
};

TEST_F(CliScan, ListsEveryRecordInOrderThenTheTotals) {
  ProgramRun run = Cli({L"scan", dir.path.wstring()});
  ASSERT_EQ(0, run.exitCode) << run.err;
  EXPECT_EQ("", run.err);
  std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(9u, lines.size()) << run.out;

  std::vector<std::string> a = Fields(lines[0]);
  ASSERT_EQ(11u, a.size()) << lines[0];
  EXPECT_EQ("a.omf", a[0]);
  EXPECT_EQ("Clip 00001", a[1]);
  EXPECT_EQ("100", a[2]);
  EXPECT_FALSE(a[3].empty()) << "compression";
  EXPECT_EQ(Utf8(folder), a[4]);
  EXPECT_EQ("Source", a[5]);
  const long long created = ParseIso(a[6]);
  const long long now = std::chrono::duration_cast<std::chrono::seconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
  EXPECT_GT(created, now - 3600) << a[6];
  EXPECT_LE(created, now + 60) << a[6];
  EXPECT_EQ("Q \"x\" \\ y", a[7]);
  EXPECT_EQ("Tape 001", a[8]);
  EXPECT_EQ("0000ABCD.12345678", a[9]);
  EXPECT_EQ("1", a[10]);

  std::vector<std::string> b = Fields(lines[1]);
  EXPECT_EQ("b.omf", b[0]);
  EXPECT_EQ("Not Exist", b[2]);
  EXPECT_EQ("Precomp", b[5]);
  EXPECT_EQ("", b[6]) << "no creation time for a file not on disk";
  EXPECT_EQ("P", b[7]);
  EXPECT_EQ("0", b[10]);

  EXPECT_EQ("c.omf", Fields(lines[2])[0]);
  std::vector<std::string> extra = Fields(lines[3]);
  EXPECT_EQ("extra.txt", extra[0]);
  EXPECT_EQ("**UNREFERENCED_FILES", extra[7]);
  EXPECT_EQ("00000000.00000000", extra[9]);
  EXPECT_EQ("", extra[5]);

  const std::vector<std::string> totals(lines.begin() + 4, lines.end());
  EXPECT_EQ((std::vector<std::string>{"#projects\t3", "#total items\t4", "#unique items\t3",
                                      "#total size\t405", "#unreferenced size\t5"}),
            totals);
}

TEST_F(CliScan, JsonLinesEscapeTextAndEndWithTheTotals) {
  ProgramRun run = Cli({L"scan", L"--json", (folder / "msmFMID.pmr").wstring()});
  ASSERT_EQ(0, run.exitCode) << run.err;
  std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(5u, lines.size()) << run.out;
  EXPECT_EQ(0u, lines[0].find("{\"file\":\"a.omf\",\"clip\":\"Clip 00001\",\"size\":100,"));
  EXPECT_NE(std::string::npos, lines[0].find(",\"project\":\"Q \\\"x\\\" \\\\ y\","));
  EXPECT_NE(std::string::npos, lines[0].find(",\"media_id\":\"0000ABCD.12345678\",\"linked\":1}"));
  EXPECT_NE(std::string::npos, lines[1].find("\"size\":null,"));
  EXPECT_NE(std::string::npos, lines[1].find("\"created\":null,"));
  EXPECT_EQ("{\"totals\":{\"projects\":3,\"total_items\":4,\"unique_items\":3,"
            "\"total_size\":405,\"unreferenced_size\":5}}",
            lines[4]);
}

TEST_F(CliScan, MediaPathsAreAddedAfterTheLoad) {
  const fs::path drop = dir.path / "Dropped";
  fs::create_directories(drop / "Inner");
  OmfMediaSpec plan;
  plan.fileMobKey = {0x77, 0x1};
  plan.clipMobKey = {0x78, 0x1};
  plan.project = "Dropped Project";
  ASSERT_TRUE(WriteFileBytes(drop / "Inner" / "new.omf", BuildMediaFile(plan)));
  ASSERT_TRUE(WriteSizedFile(drop / "a.omf", 9)); // a known name: not added again
  ASSERT_TRUE(WriteSizedFile(drop / "notes.txt", 9));
  ASSERT_TRUE(WriteSizedFile(dir.path / "single.mxf", 11));

  ProgramRun run = Cli({L"scan", L"--media", drop.wstring(), folder.wstring(), L"--media",
                        (dir.path / "single.mxf").wstring()});
  ASSERT_EQ(0, run.exitCode) << run.err;
  std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(11u, lines.size()) << run.out;
  std::vector<std::string> added = Fields(lines[4]); // after a, b, c and extra.txt
  EXPECT_EQ("new.omf", added[0]);
  EXPECT_EQ("Dropped Project", added[7]);
  EXPECT_EQ("00000077.00000001", added[9]);
  EXPECT_EQ("1", added[10]);
  std::vector<std::string> mxf = Fields(lines[5]);
  EXPECT_EQ("single.mxf", mxf[0]);
  EXPECT_EQ("**UNKNOWN_MXF", mxf[7]);
  EXPECT_EQ("#total items\t6", lines[7]);
}

TEST_F(CliScan, DupsListsTheKeeperThenTheCopies) {
  ProgramRun run = Cli({L"dups", dir.path.wstring()});
  ASSERT_EQ(0, run.exitCode) << run.err;
  const std::string where = Utf8(folder);
  EXPECT_EQ((std::vector<std::string>{
                "0000ABCD.12345678\tkeep\tc.omf\tClip 00001\t" + where + "\t300\tP",
                "0000ABCD.12345678\tbackup\ta.omf\tClip 00001\t" + where + "\t100\tQ \"x\" \\ y",
            }),
            Lines(run.out));
}

TEST_F(CliScan, ExitStatuses) {
  EXPECT_EQ(2, Cli({L"scan"}).exitCode);
  EXPECT_EQ(2, Cli({L"scan", L"--bogus", dir.path.wstring()}).exitCode);
  EXPECT_EQ(2, Cli({L"scan", dir.path.wstring(), L"--media"}).exitCode);
  EXPECT_EQ(2, Cli({L"dups", L"--json", dir.path.wstring()}).exitCode);

  // A path that cannot be used is named; the rest is still loaded and listed.
  ProgramRun run = Cli({L"scan", (dir.path / "nothing here").wstring(), dir.path.wstring()});
  EXPECT_EQ(1, run.exitCode);
  EXPECT_NE(std::string::npos, run.err.find(Utf8(dir.path / "nothing here")));
  EXPECT_EQ(9u, Lines(run.out).size());

  // A broken index file is reported by the load, which goes on.
  ASSERT_TRUE(WriteSizedFile(dir.path / "short.pmr", 10));
  run = Cli({L"scan", (dir.path / "short.pmr").wstring()});
  EXPECT_EQ(0, run.exitCode);
  EXPECT_NE(std::string::npos, run.err.find(" ::too small"));
}

} // namespace
