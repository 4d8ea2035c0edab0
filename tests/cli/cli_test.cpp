// orvalis-cli run as a user runs it: one run per command that shows the core's answers reach
// standard output in the tool's own forms (fields, JSON, the dump), and the exit statuses.
// What the answers are is tested where they are made.
#include <gtest/gtest.h>

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

// A run's standard output and error, CR of Windows line ends dropped.
ProgramRun RunCli(const std::vector<std::wstring> &args, bool errorOnTerminal = false) {
  ProgramRun run = RunProgram(BuildMachinePath(ORVALIS_CLI_PATH), args, errorOnTerminal);
  for (std::string *text : {&run.out, &run.err})
    if (!errorOnTerminal) std::erase(*text, '\r');
  return run;
}

// A path's UTF-8 bytes, as the tool writes it.
std::string Utf8(const fs::path &path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

TEST(RecordText, CreationTimesInUtcAndJsonStrings) {
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
  EXPECT_EQ(L"\"\\\"\\\\\\b\\f\\n\\r\\t\\u0001\"", JsonString(L"\"\\\b\f\n\r\t\x01"));
}

// One media folder: a.omf and c.omf copies of one media, b.omf listed but gone (an 8-bit
// 22 kHz stereo WAVE in the database), extra.txt listed by nothing.
class Cli : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_FALSE(dir.path.empty());
    a = Media("a.omf", "Q \"x\" \\ y", 1, 100);
    a.plan.fileMobKey = {0x0000ABCD, 0x12345678};
    a.plan.clipName = "Caf\xE9 scene"; // single-byte text, widened code for code
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

// Each command's form, once; then 0: done; 1: a file the command could not use (named on
// standard error, the rest still done); 2: a usage error.
TEST_F(Cli, EachCommandPrintsItsFormAndEndsWithItsStatus) {
  PmrWriter w = PmrBegin({2, true});
  PmrAdd(w, {"A001C003.omf", "Feature Cut", {0x11223344, 0x55667788}, {0x99AABBCC, 0x0D0E0F10}});
  PmrEntry damaged{"B.omf", "P", {}, {}};
  damaged.projectLength = 65;
  PmrAdd(w, damaged);
  PmrAdd(w, {"A002.wav", "", {1, 2}, {3, 0xFFFFFFFF}});
  const fs::path aside = dir.path / "Not.walked"; // no scan of dir.path goes in there
  fs::create_directories(aside);
  // A name outside ASCII reaches the system as UTF-8 and comes back in the report so.
  // (std::filesystem would convert its wide text through the C locale on Linux.)
  const fs::path named = aside / u8"M\u00E9dias.pmr";
  ASSERT_TRUE(WriteFileBytes(named, w.bytes));
  const std::wstring wideNamed = aside.wstring() + platform::kPathSeparator + L"M\u00E9dias.pmr";
  const std::wstring omf = (aside / "a.omf").wstring(); // a.omf as a media file
  ASSERT_TRUE(WriteFileBytes(omf, BuildMediaFile(a.plan)));
  const std::wstring pmr = (folder / "msmFMID.pmr").wstring();
  const std::wstring mdb = (folder / "msmMMOB.mdb").wstring();
  const std::wstring missing = (dir.path / "none.pmr").wstring();
  const std::wstring junk = (folder / "c.omf").wstring(); // 300 zero bytes
  const std::wstring v3 = (aside / "v3.omf").wstring(), mixed = (aside / "mixed.Pmr").wstring();
  BentoWriter head = BentoBegin();
  BentoAddCode(head, 1, 0x10000, 0x10001, "HEAD");
  BentoLabel three;
  three.majorVersion = 3; // a container whose table is not read
  ASSERT_TRUE(WriteFileBytes(v3, BentoFinish(head, three)));
  ASSERT_TRUE(WriteSizedFile(mixed, 10)); // "pmr" or "PMR" only
  ASSERT_TRUE(WriteSizedFile(aside / "single.mxf", 11));
  const std::string where = Utf8(folder);
  const std::string totals = "#projects\t3\n#total items\t4\n#unique items\t3\n#total size\t405\n"
                             "#unreferenced size\t5\n";
  const struct {
    std::vector<std::wstring> args;
    int status;
    std::vector<std::string> out; // each in standard output, in any order
    std::string err;              // in standard error
  } cases[] = {
      {{L"pmr", wideNamed},
       0,
       {"A001C003.omf\tFeature Cut\t11223344.55667788\t99AABBCC.0D0E0F10\n"
        "A002.wav\t**NULL_PROJECT\t00000001.00000002\t00000003.FFFFFFFF\n"},
       "PMRFile::" + Utf8(named) + " ::Found invalid records"},
      {{L"toc", mdb}, 0, {"\nclip mobs\t2\nsource mobs\t4\nmedia data\t0\n"}, ""},
      {{L"omf", omf},
       0,
       {"project\tQ \"x\" \\ y\nclip\tCaf\xC3\xA9 scene\n", "media mob key\t0000ABCD.12345678\n"},
       ""},
      // Keys in either case of hexadecimal digits; an 8-bit WAVE has no format code, so its
      // zero bytes are shown escaped.
      {{L"mdb", mdb, L"af09fa90.060a2b34", L"0F9A00AF.060A2B34"},
       0,
       {"clip\tClip of b.omf\n", "media type\t_WAV\nformat code\t\\0\\0\\0\\0\n"},
       ""},
      {{L"dict", mdb, mdb}, 0, {DictionaryDumpOfFiles({mdb, mdb})}, ""},
      // Each record's fields in a fixed order, then the totals; media paths given with
      // --media are added after the load.
      {{L"scan", dir.path.wstring(), L"--media", (aside / "single.mxf").wstring()},
       0,
       {"a.omf\tCaf\xC3\xA9 scene\t100\t", "\t" + where + "\tSource\t",
        "Z\tQ \"x\" \\ y\tTape B\t0000ABCD.12345678\t1\n", "b.omf\tClip of b.omf\tNot Exist\t",
        "\t" + where + "\tPrecomp\t\tP\tTape A\tAF09FA90.060A2B34\t0\n", "single.mxf\t",
        "\t**UNKNOWN_MXF\t",
        "#projects\t4\n#total items\t5\n#unique items\t3\n#total size\t416\n#unreferenced "
        "size\t5\n"},
       ""},
      {{L"scan", L"--json", pmr},
       0,
       {"{\"file\":\"a.omf\",\"clip\":\"Caf\xC3\xA9 scene\",\"size\":100,",
        ",\"project\":\"Q \\\"x\\\" \\\\ y\",",
        ",\"media_id\":\"0000ABCD.12345678\",\"linked\":1}\n",
        "{\"file\":\"b.omf\",\"clip\":\"Clip of b.omf\",\"size\":null,",
        ",\"created\":null,\"project\":\"P\",",
        "\n{\"totals\":{\"projects\":3,\"total_items\":4,\"unique_items\":3,"
        "\"total_size\":405,\"unreferenced_size\":5}}\n"},
       ""},
      {{L"dups", dir.path.wstring()},
       0,
       {"0000ABCD.12345678\tkeep\tc.omf\tCaf\xC3\xA9 scene\t" + where +
        "\t300\tP\n"
        "0000ABCD.12345678\tbackup\ta.omf\tCaf\xC3\xA9 scene\t" +
        where + "\t100\tQ \"x\" \\ y\n"},
       ""},
      // The viewer's tree (its form is the viewer's); --depth stops the levels.
      {{L"tree", mdb}, 0, {"[ ID=0x1 ]HEAD\n", "ClipMobIndex  ( omfi:MobIndex )[ext]\n    "}, ""},
      {{L"tree", mdb, L"--depth", L"1"},
       0,
       {"ClipMobIndex  ( omfi:MobIndex )[ext]\n  OMFI:HEAD:"},
       ""},

      {{L"pmr", missing}, 1, {}, " ::open error"},
      {{L"toc", junk}, 1, {"open\t0\n"}, "orvalis-cli: no container label ::"},
      {{L"tree", missing}, 1, {}, "orvalis-cli: not found ::"},
      {{L"omf", junk}, 1, {}, "no container label"},
      {{L"mdb", junk, L"00000001.00000002", L"00000003.00000004"}, 1, {}, "no container label"},
      {{L"dict", junk, mdb}, 1, {DictionaryDumpOfFiles({mdb})}, "c.omf"},
      {{L"dict", v3}, 0, {}, "no table of contents read (label version 3): "},
      {{L"tree", v3}, 1, {}, "no table of contents read (label version 3): "},
      {{L"scan", missing, dir.path.wstring()}, 1, {totals}, "none.pmr"},
      {{L"scan", mixed}, 1, {"#total items\t0\n"}, "neither a folder nor a .pmr"},
      {{}, 2, {}, "usage: orvalis-cli COMMAND"},
      {{L"-h"}, 0, {"usage: orvalis-cli COMMAND", "\n  tree FILE [--depth N] "}, ""},
      {{L"nosuch"}, 2, {}, "  pmr FILE"},
      {{L"pmr"}, 2, {}, "usage"},
      {{L"pmr", pmr, pmr}, 2, {}, "usage"},
      {{L"mdb", mdb, L"00000001", L"00000003.00000004"}, 2, {}, "XXXXXXXX.XXXXXXXX"},
      {{L"mdb", mdb, L"0000000G.00000002", L"00000003.00000004"}, 2, {}, "XXXXXXXX.XXXXXXXX"},
      {{L"mdb", mdb, L"00000001.00000002", L"00000003-00000004"}, 2, {}, "XXXXXXXX.XXXXXXXX"},
      {{L"tree", mdb, L"--depth"}, 2, {}, "usage"},
      {{L"tree", mdb, L"--depth", L"1x"}, 2, {}, "usage"},
      {{L"scan", L"--bogus", pmr}, 2, {}, "usage"},
      {{L"scan", pmr, L"--media"}, 2, {}, "usage"},
      {{L"dups", L"--json", pmr}, 2, {}, "usage"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    ProgramRun run = RunCli(c.args);
    EXPECT_EQ(c.status, run.exitCode) << run.err;
    for (const std::string &text : c.out)
      EXPECT_NE(std::string::npos, run.out.find(text)) << run.out;
    EXPECT_NE(std::string::npos, run.err.find(c.err)) << run.err;
  }
}

#ifndef _WIN32
// On a terminal a load draws a progress line on standard error, wiped before each log line
// (drawn again after it) and at the end; elsewhere it draws none (the runs above). A line
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

} // namespace
