// Finding the index files: the databases tree, the folder walk with its wildcard, links
// that lead back up the tree, paths too long for the buffers, and the drive roots.
#include <algorithm>

#include "catalogue/database_discovery.h"
#include "catalogue_fixtures.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using Discovery = GlobalCatalogueTest;

void Touch(const fs::path &file) {
  ASSERT_TRUE(WriteSizedFile(file, 40));
}

std::vector<std::wstring> SortedPaths(std::vector<fs::path> files) {
  std::vector<std::wstring> paths;
  for (const fs::path &file : files) paths.push_back(file.wstring());
  std::sort(paths.begin(), paths.end());
  return paths;
}

std::vector<std::wstring> SortedDatabasePaths() {
  std::vector<std::wstring> paths = DatabasePaths();
  std::sort(paths.begin(), paths.end());
  return paths;
}

TEST_F(Discovery, AddingAPathAgainInOtherCaseKeepsOneEntryAndMarksItPresent) {
  std::wstring path = (dir.path / "Media.pmr").wstring();
  AddDatabase(path.c_str());
  AddDatabase((dir.path / "Other.pmr").wstring().c_str());
  DatabaseEntry *first = g_catalogue.databases.NodeAt(0);
  EXPECT_EQ(2u, g_catalogue.databases.NodeAt(1)->ordinal);
  first->present = first->enabled = 0;
  std::wstring upper = path;
  for (wchar_t &c : upper) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  AddDatabase(upper.c_str());
  EXPECT_EQ(2u, g_catalogue.databases.count);
  EXPECT_EQ(1u, first->ordinal);
  EXPECT_EQ(1u, first->present);
  EXPECT_EQ(0u, first->enabled) << "the check box stays as the user left it";
  EXPECT_EQ(path, first->path);
}

// Sub-folders are walked as Windows matches "*.??" (the wildcard's rules are tested with it).
TEST_F(Discovery, ScanFolderFindsIndexFilesInSubFoldersThatTheWildcardSelects) {
  for (const char *file :
       {"a.pmr", "B.PMR", "notes.txt", "Disk.01/c.pmr", "MXF/1/msmFMID.pmr", "Long.abc/e.pmr"}) {
    fs::create_directories((dir.path / file).parent_path());
    Touch(dir.path / file);
  }
  Folder("Folder.pmr"); // a folder, not an index file
  LogCapture log;
  ScanFolder(dir.path.wstring().c_str());
  EXPECT_EQ(SortedPaths({dir.path / "a.pmr", dir.path / "B.PMR", dir.path / "Disk.01" / "c.pmr",
                         dir.path / "MXF" / "1" / "msmFMID.pmr"}),
            SortedDatabasePaths());
  EXPECT_TRUE(log.lines.empty());
}

TEST_F(Discovery, ALinkBackUpTheTreeIsNotFollowed) {
  Touch(Folder("Disk.01") / "x.pmr");
  const fs::path link = dir.path / "Disk.01" / "Back.up";
  std::error_code error;
  fs::create_directory_symlink("..", link, error);
  if (error) GTEST_SKIP() << "no folder link: " << error.message();
  LogCapture log;
  ScanFolder(dir.path.wstring().c_str());
  EXPECT_EQ(std::vector<std::wstring>{(dir.path / "Disk.01" / "x.pmr").wstring()}, DatabasePaths());
  EXPECT_EQ(std::vector<std::wstring>{L"QEL::Scan::Link not followed ::" + link.wstring()},
            log.lines);
}

// Removes a file, or an empty folder, beyond the path limit, which the ordinary calls cannot
// reach on Windows.
void RemoveLongPath(const fs::path &path) {
#ifdef _WIN32
  const std::wstring extended = L"\\\\?\\" + path.wstring();
  if (!DeleteFileW(extended.c_str())) RemoveDirectoryW(extended.c_str());
#else
  std::error_code error;
  fs::remove(path, error);
#endif
}

// Names that make folder + separator + name one character longer than a path buffer.
TEST_F(Discovery, PathsTooLongForTheBuffersAreNamedAndSkipped) {
  const size_t length = platform::kPathBufferChars - dir.path.wstring().size();
  const fs::path longFile = dir.path / (std::string(length - 4, 'n') + ".pmr");
  const fs::path longFolder = dir.path / (std::string(length - 3, 'n') + ".ab");
  struct LongPathGuard {
    fs::path file, folder;
    ~LongPathGuard() {
      for (const fs::path &path : {file, folder / "inner.pmr", folder}) RemoveLongPath(path);
    }
  } guard{longFile, longFolder};
  std::error_code error;
  fs::create_directory(longFolder, error);
  if (error || !WriteSizedFile(longFile, 40) || !WriteSizedFile(longFolder / "inner.pmr", 40))
    GTEST_SKIP() << "the file system refuses paths of more than 260 characters";
  Touch(dir.path / "fits.pmr");
  LogCapture log;
  ScanFolder(dir.path.wstring().c_str());
  EXPECT_EQ(std::vector<std::wstring>{(dir.path / "fits.pmr").wstring()}, DatabasePaths());
  EXPECT_EQ(1u, log.Count(L"QEL::Scan::Path too long::" + longFile.wstring()));
  EXPECT_EQ(1u, log.Count(L"QEL::Scan::Path too long::" + longFolder.wstring()));
}

TEST_F(Discovery, DriveRootsAreSearchedInTheirTwoMediaFolders) {
  Touch(Folder("OMFI MediaFiles") / "a.pmr");
  Touch(Folder("AVID MediaFiles/Disk.01") / "b.pmr");
  Touch(Folder("Other Media") / "c.pmr");
  Touch(Folder("Other root") / "OMFI MediaFiles"); // a file where the folder is expected
  std::wstring missing = (dir.path / "no drive").wstring() + platform::kPathSeparator;
  std::wstring other = (dir.path / "Other root").wstring() + platform::kPathSeparator;
  std::wstring roots =
      missing + L'\0' + dir.path.wstring() + platform::kPathSeparator + L'\0' + other + L'\0';
  wchar_t before[platform::kPathBufferChars], after[platform::kPathBufferChars];
  ASSERT_GT(platform::GetCurrentFolder(before, platform::kPathBufferChars), 0u);
  LogCapture log(true);
  ScanDriveRoots(roots.c_str(), static_cast<uint32_t>(roots.size()));
  platform::GetCurrentFolder(after, platform::kPathBufferChars);
  EXPECT_EQ(SortedPaths({dir.path / "OMFI MediaFiles" / "a.pmr",
                         dir.path / "AVID MediaFiles" / "Disk.01" / "b.pmr"}),
            SortedDatabasePaths());
  EXPECT_EQ(1u, log.Count(missing + L" :: Device not ready"));
  EXPECT_EQ(std::vector<std::wstring>{L"Scanning All drives for databases"}, log.titles);
  EXPECT_FALSE(log.HasInfoStartingWith(other)) << "a file is not walked as a folder";
  EXPECT_STREQ(before, after) << "the current folder comes back";
}

// The system's drives; a system that asks for more room at every question is asked again
// eight times at most, and nothing is scanned.
TEST_F(Discovery, ScanAllDrivesAsksTheSystemForItsDrivesAFewTimesAtMost) {
  {
    LogCapture progress(true);
    ScanAllDrives();
    EXPECT_EQ(std::vector<std::wstring>{L"Scanning All drives for databases"}, progress.titles);
  }
  static int questions = 0;
  platform::FileCalls calls = platform::Files();
  calls.driveRoots = [](wchar_t *, uint32_t chars) { return ++questions, chars + 1; };
  const platform::FileCalls system = platform::SetFileCalls(calls);
  LogCapture progress(true);
  ScanAllDrives();
  platform::SetFileCalls(system);
  EXPECT_EQ(1 + 8, questions);
  EXPECT_TRUE(progress.titles.empty());
}

} // namespace
