// orvalis-cli run as a user runs it: one check per command that the core's answers reach
// standard output in the tool's own forms (fields, JSON, the dump), and the exit statuses.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/record_text.h"
#include "platform/platform.h"
#include "support/bento_writer.h"
#include "support/dictionary_text.h"
#include "support/media_folders.h"
#include "support/realdata.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

ProgramRun RunCli(const std::vector<std::wstring> &args, bool errorOnTerminal = false) {
  return RunProgram(BuildMachinePath(ORVALIS_CLI_PATH), args, errorOnTerminal);
}

// Lines of a program's output, CR of Windows line ends dropped.
std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// Some tab-separated fields of a line, joined with '|'.
std::string Pick(const std::string &line, std::initializer_list<size_t> which) {
  std::vector<std::string> fields;
  std::istringstream in(line + "\t");
  for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
  std::string joined;
  for (size_t i : which) joined += (joined.empty() ? "" : "|") + fields.at(i);
  return joined;
}

// The key<TAB>value lines of toc, omf and mdb, joined "key=value;" in output order.
std::string KeyValues(const std::string &out) {
  std::string joined;
  for (const std::string &line : Lines(out)) {
    const size_t tab = line.find('\t');
    if (tab != std::string::npos) joined += line.substr(0, tab) + "=" + line.substr(tab + 1) + ";";
  }
  return joined;
}

// A path's UTF-8 bytes, as the tool writes it, and its wide text, as the tool takes it
// (std::filesystem would convert wide text through the C locale on Linux).
std::string Utf8(const fs::path &path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::wstring Wide(const fs::path &path) {
  std::string utf8 = Utf8(path);
  std::wstring wide(platform::Utf8ToWide(utf8.c_str(), nullptr, 0), L'\0');
  platform::Utf8ToWide(utf8.c_str(), wide.data(), wide.size() + 1);
  return wide;
}

TEST(RecordText, CreationTimesInUtc) {
  const struct {
    uint64_t fileTime;
    const wchar_t *text;
  } cases[] = {{0, L""},
               {10000000, L"1601-01-01T00:00:01Z"},
               {116444735990000000, L"1969-12-31T23:59:59Z"},
               {125962992000000000, L"2000-02-29T12:00:00Z"},
               {134411615990000000, L"2026-12-07T23:59:59Z"}};
  for (const auto &c : cases) {
    wchar_t text[kCreatedChars];
    FormatCreated(c.fileTime, text);
    EXPECT_STREQ(c.text, text);
  }
}

// One media folder: a.omf and c.omf copies of one media, b.omf listed but gone (an 8-bit
// 22 kHz stereo WAVE in the database), extra.txt listed by nothing.
class Cli : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_FALSE(dir.path.empty());
    a = Media("a.omf", "Q \"x\" \\ y", 1, 100);
    a.plan.fileMobKey = {0x0000ABCD, 0x12345678};
    FolderMedia b = Media("b.omf", "P", 2, 0, OmfMediaKind::Wave);
    b.onDisk = false;
    b.plan.clipUsage = 1;
    b.plan.bits = 8;
    b.plan.sampleRate = 22050;
    b.plan.channels = 2;
    b.plan.fileMobKey = {0xAF09FA90, 0x060A2B34}; // every kind of digit's first and last
    b.plan.clipMobKey = {0x0F9A00AF, 0x060A2B34};
    FolderMedia c = a;
    c.name = "c.omf";
    c.plan.project = "P";
    c.size = 300;
    c.inDatabase = false;
    ASSERT_TRUE(WriteMediaFolder(folder, "msmFMID.pmr", {a, b, c}));
    ASSERT_TRUE(WriteSizedFile(folder / "extra.txt", 5));
  }

  ScratchDir dir;
  fs::path folder = dir.path / "Disk.01";
  FolderMedia a;
};

TEST_F(Cli, PmrPrintsTheEntriesALoadTakesAndReportsDamageOnStandardError) {
  PmrWriter w = PmrBegin({2, true});
  PmrAdd(w, {"A001C003.omf", "Feature Cut", {0x11223344, 0x55667788}, {0x99AABBCC, 0x0D0E0F10}});
  PmrEntry damaged{"B.omf", "P", {}, {}};
  damaged.projectLength = 65;
  PmrAdd(w, damaged);
  PmrAdd(w, {"A002.wav", "", {1, 2}, {3, 0xFFFFFFFF}});
  // A name outside ASCII reaches the system as UTF-8 and comes back in the report so.
  const fs::path file = dir.path / u8"M\u00E9dias.pmr";
  ASSERT_TRUE(WriteFileBytes(file, w.bytes));
  ProgramRun run = RunCli({L"pmr", Wide(file)});
  ASSERT_EQ(0, run.exitCode) << run.err;
  EXPECT_EQ(Lines(run.out), (std::vector<std::string>{
                                "A001C003.omf\tFeature Cut\t11223344.55667788\t99AABBCC.0D0E0F10",
                                "A002.wav\t**NULL_PROJECT\t00000001.00000002\t00000003.FFFFFFFF"}));
  EXPECT_EQ(Lines(run.err),
            std::vector<std::string>{"PMRFile::" + Utf8(file) + " ::Found invalid records"});
}

TEST_F(Cli, TocOmfAndMdbPrintTheirFields) {
  const fs::path database = folder / "msmMMOB.mdb";
  ProgramRun run = RunCli({L"toc", database.wstring()});
  ASSERT_EQ(0, run.exitCode) << run.err;
  EXPECT_NE(std::string::npos, KeyValues(run.out).find(";clip mobs=2;source mobs=4;media data=0;"))
      << run.out;

  OmfMediaSpec plan = a.plan;
  plan.clipName = "Caf\xE9 scene"; // single-byte text, widened code for code
  plan.clipMobKey = {0x00000001, 0xFEDCBA98};
  ASSERT_TRUE(WriteFileBytes(folder / "a.omf", BuildMediaFile(plan)));
  run = RunCli({L"omf", (folder / "a.omf").wstring()});
  ASSERT_EQ(0, run.exitCode) << run.err;
  EXPECT_EQ("project=Q \"x\" \\ y;clip=Caf\xC3\xA9 scene;source=Tape B;"
            "clip mob key=00000001.FEDCBA98;media mob key=0000ABCD.12345678;clip usage=7;"
            "media type=_VID;format code=JFIF;compression id=76;unit size=0;compression=JPEG: 2:1;",
            KeyValues(run.out));

  // Keys in either case of hexadecimal digits; an 8-bit WAVE has no format code, so its
  // zero bytes are shown escaped.
  run = RunCli({L"mdb", database.wstring(), L"af09fa90.060a2b34", L"0F9A00AF.060A2B34"});
  ASSERT_EQ(0, run.exitCode) << run.err;
  const std::string fields = KeyValues(run.out);
  EXPECT_NE(std::string::npos, fields.find("clip=Clip of b.omf;source=Tape A;")) << fields;
  EXPECT_NE(std::string::npos, fields.find(";media mob key=00000000.00000000;")) << fields;
  EXPECT_NE(std::string::npos, fields.find(";media type=_WAV;format code=\\0\\0\\0\\0;")) << fields;
  EXPECT_NE(std::string::npos, fields.find(";unit size=2;compression=WAVE ;")) << fields;
}

TEST_F(Cli, DictWritesTheViewersBytes) {
  const fs::path file = folder / "msmMMOB.mdb";
  ProgramRun run = RunCli({L"dict", file.wstring(), file.wstring()});
  ASSERT_EQ(0, run.exitCode) << run.err;
  EXPECT_EQ(DictionaryDumpOfFiles({file, file}), run.out);
  EXPECT_EQ("", run.err);
}

// Each record's fields in a fixed order (the records themselves are the catalogue's), then
// the totals; as text and as JSON. Media paths given with --media are added after the load.
TEST_F(Cli, ScanListsEveryRecordInOrderThenTheTotals) {
  ASSERT_TRUE(WriteSizedFile(dir.path / "single.mxf", 11));
  ProgramRun run = RunCli({L"scan", dir.path.wstring(), L"--media", Wide(dir.path / "single.mxf")});
  ASSERT_EQ(0, run.exitCode) << run.err;
  EXPECT_EQ("", run.err);
  std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(10u, lines.size()) << run.out;
  EXPECT_EQ("a.omf|Clip of a.omf|100|" + Utf8(folder) +
                "|Source|Q \"x\" \\ y|Tape B|"
                "0000ABCD.12345678|1",
            Pick(lines[0], {0, 1, 2, 4, 5, 7, 8, 9, 10}));
  EXPECT_EQ(20u, Pick(lines[0], {6}).size()) << "created";
  EXPECT_EQ("b.omf|Not Exist|Precomp||P|0", Pick(lines[1], {0, 2, 5, 6, 7, 10}));
  EXPECT_EQ("single.mxf|**UNKNOWN_MXF", Pick(lines[4], {0, 7}));
  EXPECT_EQ((std::vector<std::string>{"#projects\t4", "#total items\t5", "#unique items\t3",
                                      "#total size\t416", "#unreferenced size\t5"}),
            std::vector<std::string>(lines.begin() + 5, lines.end()));

  run = RunCli({L"scan", L"--json", (folder / "msmFMID.pmr").wstring()});
  ASSERT_EQ(0, run.exitCode) << run.err;
  lines = Lines(run.out);
  ASSERT_EQ(5u, lines.size()) << run.out;
  EXPECT_EQ(0u, lines[0].find("{\"file\":\"a.omf\",\"clip\":\"Clip of a.omf\",\"size\":100,"));
  EXPECT_NE(std::string::npos, lines[0].find(",\"project\":\"Q \\\"x\\\" \\\\ y\","));
  EXPECT_NE(std::string::npos, lines[0].find(",\"media_id\":\"0000ABCD.12345678\",\"linked\":1}"));
  EXPECT_NE(std::string::npos, lines[1].find("\"size\":null,")) << lines[1];
  EXPECT_NE(std::string::npos, lines[1].find("\"created\":null,")) << lines[1];
  EXPECT_EQ("{\"totals\":{\"projects\":3,\"total_items\":4,\"unique_items\":3,"
            "\"total_size\":405,\"unreferenced_size\":5}}",
            lines[4]);
}

#ifndef _WIN32
// On a terminal a load draws a progress line on standard error, wiped before each log line
// (drawn again after it) and at the end; elsewhere it draws none (the tests above). A line
// break in a shown folder name (drawn after the log line of a link in it) is shown as a blank.
TEST_F(Cli, ScanDrawsAProgressLineOnATerminal) {
  ASSERT_TRUE(WriteSizedFile(folder / "short.pmr", 10));
  fs::create_directories(dir.path / "Two\nLines.01");
  fs::create_directory_symlink("..", dir.path / "Two\nLines.01" / "loop");
  ProgramRun run = RunCli({L"scan", dir.path.wstring()}, true);
  ASSERT_EQ(0, run.exitCode) << run.err;
  const std::string wipe = "\r" + std::string(79, ' ') + "\r";
  EXPECT_EQ(0u, run.err.find("\r  0% ")) << run.err;
  for (const char *line : {"QEL::Scan::Link not followed ::", "PMRFile::"})
    EXPECT_NE(std::string::npos, run.err.find(wipe + line)) << line;
  EXPECT_NE(std::string::npos, run.err.find("%", run.err.find("PMRFile::")));
  EXPECT_EQ(run.err.size() - wipe.size(), run.err.rfind(wipe));
  EXPECT_NE(std::string::npos, run.err.find("Two Lines.01")) << run.err;
}
#endif

TEST_F(Cli, DupsListsTheKeeperThenTheCopies) {
  ProgramRun run = RunCli({L"dups", dir.path.wstring()});
  ASSERT_EQ(0, run.exitCode) << run.err;
  const std::string where = Utf8(folder);
  EXPECT_EQ((std::vector<std::string>{
                "0000ABCD.12345678\tkeep\tc.omf\tClip of a.omf\t" + where + "\t300\tP",
                "0000ABCD.12345678\tbackup\ta.omf\tClip of a.omf\t" + where + "\t100\tQ \"x\" \\ y",
            }),
            Lines(run.out));
}

// The viewer's tree (its form is the viewer's); --depth stops the levels.
TEST_F(Cli, TreePrintsTheViewersTree) {
  const std::wstring database = (folder / "msmMMOB.mdb").wstring();
  ProgramRun run = RunCli({L"tree", database});
  ASSERT_EQ(0, run.exitCode) << run.err;
  EXPECT_EQ(0u, run.out.find("[ ID=0x1 ]HEAD")) << run.out;
  const size_t levelOne = Lines(RunCli({L"tree", database, L"--depth", L"1"}).out).size();
  EXPECT_TRUE(levelOne > 1 && levelOne < Lines(run.out).size()) << levelOne;
}

// 0: done; 1: a file the command could not use (named on standard error, the rest still
// done); 2: a usage error.
TEST_F(Cli, ExitStatuses) {
  const std::wstring pmr = (folder / "msmFMID.pmr").wstring();
  const std::wstring mdb = (folder / "msmMMOB.mdb").wstring();
  const std::wstring missing = (dir.path / "none.pmr").wstring();
  const std::wstring junk = (folder / "c.omf").wstring(); // 300 zero bytes
  const fs::path aside = dir.path / "Not.walked";         // no scan of dir.path goes in there
  const std::wstring v3 = (aside / "v3.omf").wstring(), mixed = (aside / "mixed.Pmr").wstring();
  BentoWriter head = BentoBegin();
  BentoAddCode(head, 1, 0x10000, 0x10001, "HEAD");
  BentoLabel three;
  three.majorVersion = 3; // a container whose table is not read
  fs::create_directories(aside);
  ASSERT_TRUE(WriteFileBytes(v3, BentoFinish(head, three)));
  ASSERT_TRUE(WriteSizedFile(dir.path / "short.pmr", 10));
  ASSERT_TRUE(WriteSizedFile(mixed, 10)); // "pmr" or "PMR" only
  constexpr size_t kAny = SIZE_MAX;
  const struct {
    std::vector<std::wstring> args;
    int status;
    const char *err; // in standard error
    size_t outLines;
  } cases[] = {
      {{L"pmr", missing}, 1, " ::open error", 0},
      {{L"toc", junk}, 1, "orvalis-cli: no container label ::", 1}, // "open 0" only
      {{L"tree", missing}, 1, "orvalis-cli: not found ::", 0},
      {{L"omf", junk}, 1, "no container label", 0},
      {{L"mdb", junk, L"00000001.00000002", L"00000003.00000004"}, 1, "no container label", 0},
      {{L"dict", junk}, 1, "no container label ::", 0},
      {{L"dict", junk, mdb}, 1, "c.omf", kAny},
      {{L"dict", v3}, 0, "no table of contents read (label version 3): ", kAny},
      {{L"tree", v3}, 1, "no table of contents read (label version 3): ", 0},
      {{L"scan", missing, dir.path.wstring()}, 1, "none.pmr", 9},
      {{L"scan", (dir.path / "short.pmr").wstring()}, 0, " ::too small", 5},
      {{L"scan", mixed}, 1, "neither a folder nor a .pmr", 5},
      {{}, 2, "usage: orvalis-cli COMMAND", 0},
      {{L"-h"}, 0, "", 11}, // the usage text on standard output
      {{L"nosuch"}, 2, "  pmr FILE", 0},
      {{L"pmr"}, 2, "usage", 0},
      {{L"pmr", pmr, pmr}, 2, "usage", 0},
      {{L"mdb", mdb, L"00000001", L"00000003.00000004"}, 2, "", 0},
      {{L"mdb", mdb, L"0000000G.00000002", L"00000003.00000004"}, 2, "XXXXXXXX.XXXXXXXX", 0},
      {{L"mdb", mdb, L"00000001.00000002", L"00000003-00000004"}, 2, "XXXXXXXX.XXXXXXXX", 0},
      {{L"mdb", mdb, L"00000001.00000002", L"00000003.00000004", L"x"}, 2, "usage", 0},
      {{L"tree", mdb, L"--depth"}, 2, "", 0},
      {{L"tree", mdb, L"--depth", L"1", L"x"}, 2, "usage", 0},
      {{L"tree", mdb, L"--depth", L"1x"}, 2, "", 0},
      {{L"dict"}, 2, "usage", 0},
      {{L"scan"}, 2, "usage", 0},
      {{L"scan", L"--bogus", pmr}, 2, "", 0},
      {{L"scan", pmr, L"--media"}, 2, "", 0},
      {{L"dups", L"--json", pmr}, 2, "", 0},
  };
  for (const auto &c : cases) {
    std::string args;
    for (const std::wstring &arg : c.args) args += Utf8(fs::path(arg)) + " ";
    SCOPED_TRACE(args);
    ProgramRun run = RunCli(c.args);
    EXPECT_EQ(c.status, run.exitCode) << run.err;
    EXPECT_NE(std::string::npos, run.err.find(c.err)) << run.err;
    if (c.outLines != kAny) {
      EXPECT_EQ(c.outLines, Lines(run.out).size()) << run.out;
    }
  }
}

} // namespace
