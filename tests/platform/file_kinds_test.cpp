// What the POSIX file layer agrees to open for reading: regular files (also through a link)
// and nothing else, so that a FIFO named like an index file cannot block a read forever.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/platform.h"
#include "support/scratch_dir.h"

TEST(OpenFileForReading, OnlyRegularFilesOpen) {
  ScratchDir dir;
  ASSERT_TRUE(WriteFileBytes(dir.File("file.pmr"), "pmr", 3));
  std::filesystem::create_directory(dir.File("folder.pmr"));
  std::filesystem::create_symlink("file.pmr", dir.File("link.pmr"));
  ASSERT_EQ(0, mkfifo(dir.File("fifo.pmr").c_str(), 0600));
  const char *names[] = {"file.pmr", "link.pmr", "folder.pmr", "fifo.pmr", "missing.pmr"};
  for (int i = 0; i < 5; ++i) { // the first two open
    platform::FileHandle file = platform::OpenFileForReading(dir.File(names[i]).wstring().c_str());
    EXPECT_EQ(i < 2, file != platform::kInvalidFile) << names[i];
    platform::CloseFile(file);
  }
}
#endif
