// orvalis-cli's container commands run as a user runs them: toc, omf and mdb.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "support/bento_writer.h"
#include "support/omf_builder.h"
#include "support/realdata.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

// The key<TAB>value lines of standard output (CR of Windows line ends dropped).
std::map<std::string, std::string> Fields(const std::string &out) {
  std::map<std::string, std::string> fields;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t tab = line.find('\t');
    if (tab != std::string::npos) fields[line.substr(0, tab)] = line.substr(tab + 1);
  }
  return fields;
}

ProgramRun Cli(const std::vector<std::wstring> &args) {
  return RunProgram(BuildMachinePath(ORVALIS_CLI_PATH), args);
}

TEST(CliToc, CountsOfAGeneratedContainer) {
  ScratchDir dir;
  OmfBuilder b = OmfBegin();
  OmfAddMob(b, OmfMob{{1, 1}, "clip", 7, 0, 0, {}}, OmfList::Clip);
  OmfAddMob(b, OmfMob{{2, 1}, "file", -1, 0, 0, {}}, OmfList::Source);
  OmfAddMob(b, OmfMob{{3, 1}, "tape", -1, 0, 0, {}}, OmfList::Source);
  const std::filesystem::path file = dir.File("media.omf");
  ASSERT_TRUE(OmfWriteFile(b, file));

  ProgramRun run = Cli({L"toc", file.wstring()});
  ASSERT_EQ(0, run.exitCode) << run.err;
  std::map<std::string, std::string> f = Fields(run.out);
  EXPECT_EQ("1", f["open"]);
  EXPECT_EQ("1", f["valid"]);
  EXPECT_EQ("1", f["major"]);
  EXPECT_EQ(std::to_string(b.writer.toc.size()), f["entries"]);
  EXPECT_EQ("1", f["clip mobs"]);
  EXPECT_EQ("2", f["source mobs"]);
  EXPECT_EQ("0", f["media data"]);
  EXPECT_EQ(8u, f.size());
}

TEST(CliToc, ARefusedFilePrintsOnlyTheResult) {
  ScratchDir dir;
  const std::filesystem::path file = dir.File("broken.omf");
  ASSERT_TRUE(WriteFileBytes(file, std::vector<uint8_t>(100, 0x41)));
  ProgramRun run = Cli({L"toc", file.wstring()});
  EXPECT_EQ(1, run.exitCode);
  EXPECT_EQ("open\t0", run.out.substr(0, run.out.find_first_of("\r\n")));
  EXPECT_EQ(1u, Fields(run.out).size());
}

TEST(CliToc, RealVersionOneFile) {
  std::filesystem::path file = RealdataFile("omfkt22/Film1x.omf");
  if (file.empty()) GTEST_SKIP() << "real containers not found beside the repository";
  ProgramRun run = Cli({L"toc", file.wstring()});
  ASSERT_EQ(0, run.exitCode);
  std::map<std::string, std::string> f = Fields(run.out);
  EXPECT_EQ("753", f["entries"]);
  EXPECT_EQ("308", f["objects"]);
}

} // namespace
