// The demo media drive read by orvalis-cli scan, as a new user first meets the tool: the
// totals follow from what the drive's files state, missing media read "Not Exist", the
// media copied into two folders appear once per folder, and the damaged index file is
// reported while the files beside it join the unreferenced ones.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "support/demo_drive.h"
#include "support/media_folders.h"
#include "support/realdata.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

struct ScanOutput {
  std::map<std::string, uint64_t> totals; // "#projects" -> value
  std::map<std::string, int> namesSeen;   // file name -> rows
  uint32_t notOnDisk = 0;
  uint32_t rows = 0;
};

ScanOutput ParseScan(const std::string &text) {
  ScanOutput out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    if (line[0] == '#') {
      out.totals[line.substr(0, tab)] = std::stoull(line.substr(tab + 1));
      continue;
    }
    ++out.rows;
    ++out.namesSeen[line.substr(0, tab)];
    const size_t sizeAt = line.find('\t', tab + 1);
    if (line.compare(sizeAt + 1, 9, "Not Exist") == 0) ++out.notOnDisk;
  }
  return out;
}

TEST(CliDemoDrive, ScanTotalsMatchWhatTheDriveHolds) {
  ScratchDir dir;
  DemoDriveFacts facts;
  std::string why;
  ASSERT_TRUE(WriteDemoDrive(dir.path / "M", &facts, &why)) << why;
  ASSERT_EQ(4u, facts.indexFiles);

  ProgramRun run =
      RunProgram(BuildMachinePath(ORVALIS_CLI_PATH), {L"scan", (dir.path / "M").wstring()});
  ASSERT_EQ(0, run.exitCode) << run.err;
  ScanOutput scan = ParseScan(run.out);

  // Unlisted files join the records with no media ID and no project: one group of each.
  EXPECT_EQ(facts.listedEntries + facts.unlistedFiles, scan.totals["#total items"]);
  EXPECT_EQ(facts.listedEntries + facts.unlistedFiles, scan.rows);
  EXPECT_EQ(facts.distinctMediaIds + 1u, scan.totals["#unique items"]);
  EXPECT_EQ(facts.projects + 1u, scan.totals["#projects"]);
  EXPECT_EQ(facts.diskSize, scan.totals["#total size"]);
  EXPECT_EQ(facts.unlistedSize, scan.totals["#unreferenced size"]);
  EXPECT_EQ(facts.listedMissing, scan.notOnDisk);

  EXPECT_EQ(2, scan.namesSeen["LONG WINTER V1 4F0D01.omf"]) << "a copy in MXF\\1 and in MXF\\2";
  EXPECT_EQ(1, scan.namesSeen["HARBOUR COFF V1 4F0D30.omf"])
      << "beside the damaged index file: on disk, listed by nothing that can be read";
  EXPECT_NE(std::string::npos, run.err.find("PMRFile: bad GUID Length")) << run.err;
}

} // namespace
