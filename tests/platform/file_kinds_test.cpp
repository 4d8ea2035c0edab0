// What the POSIX file layer agrees to open for reading: regular files (also through a link)
// and nothing else, so that a FIFO named like an index file cannot block a read forever.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/platform.h"
#include "support/scratch_dir.h"

namespace {

TEST(OpenFileForReading, OnlyRegularFilesOpen) {
  ScratchDir dir;
  ASSERT_TRUE(WriteFileBytes(dir.File("file.pmr"), std::vector<uint8_t>{1, 2, 3}));
  std::filesystem::create_directory(dir.File("folder.pmr"));
  std::filesystem::create_symlink("file.pmr", dir.File("link.pmr"));
  ASSERT_EQ(0, mkfifo(dir.File("fifo.pmr").c_str(), 0600));
  const struct {
    const char *name;
    bool opens;
  } cases[] = {{"file.pmr", true},
               {"link.pmr", true},
               {"folder.pmr", false},
               {"fifo.pmr", false},
               {"missing.pmr", false}};
  for (const auto &c : cases) {
    platform::FileHandle file = platform::OpenFileForReading(dir.File(c.name).wstring().c_str());
    EXPECT_EQ(c.opens, file != platform::kInvalidFile) << c.name;
    platform::CloseFile(file);
  }
}

} // namespace
#endif
