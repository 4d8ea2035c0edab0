// orvalis-cli dict: the viewer's dictionary dump, byte for byte, on standard output.
#include <gtest/gtest.h>

#include <string>

#include "inspection/bento_constants.h"
#include "support/bento_writer.h"
#include "support/dictionary_text.h"
#include "support/realdata.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

ProgramRun Cli(const std::vector<std::wstring> &args) {
  return RunProgram(BuildMachinePath(ORVALIS_CLI_PATH), args);
}

std::filesystem::path Container(const ScratchDir &dir, const char *name,
                                const std::vector<std::pair<uint32_t, std::string>> &names) {
  BentoWriter w = BentoBegin();
  BentoAddCode(w, 1, PROP_CLASS, TYPE_CLASS_ID, "HEAD");
  for (const auto &[id, text] : names) BentoAddName(w, id, false, text);
  const std::filesystem::path file = dir.File(name);
  BentoWriteFile(w, file);
  return file;
}

TEST(CliDict, TwoFilesWriteTheViewersBytes) {
  ScratchDir dir;
  const std::filesystem::path a =
      Container(dir, "a.omf", {{PROP_MOB_NAME, "OMFI:MOBJ:Name"}, {0x10001, std::string(40, 'L')}});
  const std::filesystem::path b =
      Container(dir, "b.omf", {{PROP_MOB_NAME, "Other:Name"}, {TYPE_STRING, "omfi:String"}});
  ProgramRun run = Cli({L"dict", a.wstring(), b.wstring()});
  ASSERT_EQ(0, run.exitCode) << run.err;
  EXPECT_EQ(DictionaryDumpOfFiles({a, b}), run.out);
  EXPECT_EQ(0u, run.out.find("#pragma once\n\n#define \t CM_StdObjID_TOC "));
  EXPECT_NE(std::string::npos,
            run.out.find("#define \t " + std::string(40, 'L') + " \t\t  0X10001\n"));
  EXPECT_EQ(std::string::npos, run.out.find("Other:Name"));
  EXPECT_EQ(std::string::npos, run.out.find('\r'));
}

TEST(CliDict, AFileThatIsNoContainerIsReportedAndTheOthersStillDump) {
  ScratchDir dir;
  const std::filesystem::path good = Container(dir, "good.omf", {{0x10005, "Good:Name"}});
  const std::filesystem::path bad = dir.File("bad.omf");
  ASSERT_TRUE(WriteFileBytes(bad, std::vector<uint8_t>(64, 0x41)));
  ProgramRun run = Cli({L"dict", bad.wstring(), good.wstring()});
  EXPECT_EQ(1, run.exitCode);
  EXPECT_NE(std::string::npos, run.err.find("bad.omf"));
  EXPECT_EQ(DictionaryDumpOfFiles({good}), run.out);

  ProgramRun none = Cli({L"dict", bad.wstring()});
  EXPECT_EQ(1, none.exitCode);
  EXPECT_EQ("", none.out);
  EXPECT_EQ(2, Cli({L"dict"}).exitCode);
}

TEST(CliDict, RealVersionOneContainers) {
  const std::filesystem::path first = RealdataFile("omfkt22/Simple1x.omf");
  const std::filesystem::path second = RealdataFile("omfkt22/Film1x.omf");
  if (first.empty() || second.empty())
    GTEST_SKIP() << "the real containers are not beside the repository";
  ProgramRun run = Cli({L"dict", first.wstring(), second.wstring()});
  ASSERT_EQ(0, run.exitCode) << run.err;
  EXPECT_EQ(DictionaryDumpOfFiles({first, second}), run.out);
  EXPECT_NE(std::string::npos, run.out.find("#define \t OMFI:ObjID "));
}

} // namespace
