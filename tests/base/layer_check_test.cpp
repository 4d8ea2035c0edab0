// The build's layer check (cmake/CheckFolderIncludes.cmake): a folder of src/ may include only
// the folders below it, and every file in it must be listed. Native only: the check runs
// where the build runs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

#ifndef _WIN32
TEST(LayerCheck, RefusesAnUpwardIncludeAndAnUnlistedFile) {
  const struct {
    const char *name;
    const char *include; // the one include of low/a.cpp
    const char *listed;  // the files of low/ that the list names
    int exitCode;
    const char *says; // in the check's output
  } probes[] = {
      {"own and lower folders", "#include \"base/x.h\"", "a.cpp", 0, ""},
      {"a folder above", "#include \"high/x.h\"", "a.cpp", 1,
       "low/a.cpp: #include \"high/x.h\": low may include only low, base"},
      {"a file not listed", "#include <cstdint>", "", 1,
       "src/low/a.cpp is not listed in cmake/OrvalisSources.cmake"},
  };
  for (const auto &p : probes) {
    SCOPED_TRACE(p.name);
    ScratchDir dir;
    for (const char *folder : {"low", "base", "high"})
      std::filesystem::create_directories(dir.path / "src" / folder);
    const std::string text = std::string(p.include) + "\n";
    ASSERT_TRUE(WriteFileBytes(dir.path / "src/low/a.cpp", text.data(), text.size()));
    const std::filesystem::path stamp = dir.path / "low.stamp";
    ProgramRun run = RunProgram(
        ORVALIS_CMAKE_PATH,
        {L"-DFOLDER=low", L"-DSRC=" + (dir.path / "src").wstring(), L"-DALLOWED=low,base",
         L"-DLISTED=" + std::wstring(p.listed, p.listed + std::strlen(p.listed)),
         L"-DSTAMP=" + stamp.wstring(), L"-P",
         std::filesystem::path(ORVALIS_LAYER_CHECK).wstring()});
    EXPECT_EQ(p.exitCode, run.exitCode) << run.err;
    EXPECT_NE(std::string::npos, run.err.find(p.says)) << run.err;
    EXPECT_EQ(p.exitCode == 0, std::filesystem::exists(stamp));
  }
}
#endif

} // namespace
