// orvalis-cli's container commands run as a user runs them: toc, omf, mdb and tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/bento_writer.h"
#include "support/omf_builder.h"
#include "support/omf_media.h"
#include "support/realdata.h" // BuildMachinePath
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

TEST(CliOmf, DescribesAMediaFileInUtf8) {
  ScratchDir dir;
  OmfMediaSpec plan = GenerateMediaSpecs(1, 1)[0];
  plan.kind = OmfMediaKind::Video;
  plan.clipName = "Caf\xE9 scene"; // single-byte text, widened code for code
  plan.clipUsage = 7;
  plan.compressionId = 76;
  plan.fileMobKey = {0x0000ABCD, 0x12345678};
  plan.clipMobKey = {0x00000001, 0xFEDCBA98};
  const std::filesystem::path file = dir.File("A0001.omf");
  ASSERT_TRUE(WriteFileBytes(file, BuildMediaFile(plan)));

  ProgramRun run = Cli({L"omf", file.wstring()});
  ASSERT_EQ(0, run.exitCode) << run.err;
  std::map<std::string, std::string> f = Fields(run.out);
  EXPECT_EQ(plan.project, f["project"]);
  EXPECT_EQ("Caf\xC3\xA9 scene", f["clip"]);
  EXPECT_EQ("Tape 001", f["source"]);
  EXPECT_EQ("00000001.FEDCBA98", f["clip mob key"]);
  EXPECT_EQ("0000ABCD.12345678", f["media mob key"]);
  EXPECT_EQ("7", f["clip usage"]);
  EXPECT_EQ("_VID", f["media type"]);
  EXPECT_EQ("JFIF", f["format code"]);
  EXPECT_EQ("76", f["compression id"]);
  EXPECT_EQ("JPEG: 2:1", f["compression"]);
  EXPECT_EQ(11u, f.size());
}

TEST(CliMdb, DescribesARecordAndShowsZeroBytes) {
  ScratchDir dir;
  std::vector<OmfMediaSpec> media = GenerateMediaSpecs(3, 2);
  media[1].kind = OmfMediaKind::Wave;
  media[1].bits = 8; // a depth without a code: the format code stays zero
  media[1].sampleRate = 22050;
  media[1].channels = 2;
  const std::filesystem::path file = dir.File("msmMMOB.mdb");
  ASSERT_TRUE(WriteMediaDatabase(file, media));

  ProgramRun run = Cli({L"mdb", file.wstring(), L"10000001.4f000001", L"20000001.4F000001"});
  ASSERT_EQ(0, run.exitCode) << run.err;
  std::map<std::string, std::string> f = Fields(run.out);
  EXPECT_EQ("Clip 00002", f["clip"]);
  EXPECT_EQ("Tape 002", f["source"]);
  EXPECT_EQ("20000001.4F000001", f["clip mob key"]);
  EXPECT_EQ("00000000.00000000", f["media mob key"]);
  EXPECT_EQ("_WAV", f["media type"]);
  EXPECT_EQ("\\0\\0\\0\\0", f["format code"]);
  EXPECT_EQ("2", f["unit size"]);
  EXPECT_EQ("WAVE ", f["compression"]);
}

TEST(CliMdb, RefusedInputs) {
  ScratchDir dir;
  const std::filesystem::path broken = dir.File("msmMMOB.mdb");
  ASSERT_TRUE(WriteFileBytes(broken, std::vector<uint8_t>(64, 0)));
  ProgramRun run = Cli({L"mdb", broken.wstring(), L"00000001.00000002", L"00000003.00000004"});
  EXPECT_EQ(1, run.exitCode);
  EXPECT_EQ("", run.out);
  run = Cli({L"omf", broken.wstring()});
  EXPECT_EQ(1, run.exitCode);
  EXPECT_EQ("", run.out);
  run = Cli({L"mdb", broken.wstring(), L"00000001", L"00000003.00000004"});
  EXPECT_EQ(2, run.exitCode);
  EXPECT_EQ("", run.out);
}

// The viewer's tree of a version-2 container: object 1, its properties one level in, and
// the object its reference leads to below that; --depth stops the levels.
TEST(CliTree, PrintsTheViewersTreeIndentedByLevel) {
  ScratchDir dir;
  BentoWriter w = BentoBegin();
  BentoAddCode(w, 1, 0x10000, 0x10001, "HEAD");
  BentoAddImmediateU32(w, 1, 0x10002, 0x10003, 0x20000);
  BentoAddCode(w, 0x20000, 0x10000, 0x10001, "CMOB");
  BentoAddName(w, 0x10000, false, "OMFI:OOBJ:ObjClass");
  BentoAddName(w, 0x10001, true, "omfi:ClassID");
  BentoAddName(w, 0x10003, true, "omfi:ObjRef");
  const std::filesystem::path file = dir.File("tree.omf");
  ASSERT_TRUE(WriteFileBytes(file, BentoFinishStream(w)));

  ProgramRun run = Cli({L"tree", file.wstring()});
  ASSERT_EQ(0, run.exitCode) << run.err;
  std::istringstream lines(run.out);
  std::vector<std::string> got;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    got.push_back(line);
  }
  const std::vector<std::string> expected = {
      "[ ID=0x1 ]HEAD", "  OMFI:OOBJ:ObjClass  ( omfi:ClassID )HEAD", "  ( omfi:ObjRef )",
      "    [ ID=0x20000 ]CMOB", "      OMFI:OOBJ:ObjClass  ( omfi:ClassID )CMOB"};
  EXPECT_EQ(expected, got);
  run = Cli({L"tree", file.wstring(), L"--depth", L"1"});
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ(3u, std::count(run.out.begin(), run.out.end(), '\n'));
  run = Cli({L"tree", dir.File("missing.omf").wstring()});
  EXPECT_EQ(1, run.exitCode);
}

} // namespace
