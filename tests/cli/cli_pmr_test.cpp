// orvalis-cli pmr and the tool's exit statuses, run as a user runs them.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/pmr_writer.h"
#include "support/realdata.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

// Lines of a program's output, CR of Windows line ends dropped.
std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// A path's UTF-8 bytes, as the tool writes it, and its wide text, as the tool takes it
// (std::filesystem would convert wide text through the C locale on Linux).
std::string Utf8(const std::filesystem::path &path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::wstring Wide(const std::filesystem::path &path) {
  std::string utf8 = Utf8(path);
  std::wstring wide(platform::Utf8ToWide(utf8.c_str(), nullptr, 0), L'\0');
  platform::Utf8ToWide(utf8.c_str(), wide.data(), wide.size() + 1);
  return wide;
}

ProgramRun Cli(const std::vector<std::wstring> &args) {
  return RunProgram(BuildMachinePath(ORVALIS_CLI_PATH), args);
}

TEST(CliPmr, PrintsTheEntriesALoadTakesAndReportsDamageOnStandardError) {
  ScratchDir dir;
  PmrWriter w = PmrBegin({2, true});
  PmrAdd(w, {"A001C003.omf", "Feature Cut", {0x11223344, 0x55667788}, {0x99AABBCC, 0x0D0E0F10}});
  PmrEntry damaged{"B.omf", "P", {}, {}};
  damaged.projectLength = 65;
  PmrAdd(w, damaged);
  PmrAdd(w, {"A002.wav", "", {1, 2}, {3, 0xFFFFFFFF}});
  // A name outside ASCII reaches the system as UTF-8 and comes back in the report so.
  std::filesystem::path file = dir.path / u8"M\u00E9dias.pmr";
  ASSERT_TRUE(WriteFileBytes(file, w.bytes));

  ProgramRun run = Cli({L"pmr", Wide(file)});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Lines(run.out), (std::vector<std::string>{
                                "A001C003.omf\tFeature Cut\t11223344.55667788\t99AABBCC.0D0E0F10",
                                "A002.wav\t**NULL_PROJECT\t00000001.00000002\t00000003.FFFFFFFF"}));
  EXPECT_EQ(Lines(run.err),
            std::vector<std::string>{"PMRFile::" + Utf8(file) + " ::Found invalid records"});
}

TEST(CliPmr, ExitStatusTellsAnUnreadableFileFromAUsageError) {
  ScratchDir dir;
  std::filesystem::path none = dir.path / "none.pmr";
  std::wstring missing = Wide(none);
  ProgramRun run = Cli({L"pmr", missing});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(Lines(run.err), std::vector<std::string>{"PMRFile::" + Utf8(none) + " ::open error"});

  for (const std::vector<std::wstring> &args :
       {std::vector<std::wstring>{}, {L"pmr"}, {L"pmr", missing, missing}, {L"nosuch"}}) {
    run = Cli(args);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("usage: orvalis-cli COMMAND"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("  pmr FILE"), std::string::npos);
  }
}

} // namespace
