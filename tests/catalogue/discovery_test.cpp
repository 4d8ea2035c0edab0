// Finding the index files: the databases tree, the folder walk with its wildcard, links
// that lead back up the tree, paths too long for the buffers, and the drive roots.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "catalogue/database_discovery.h"
#include "catalogue_fixtures.h"
#include "support/log_capture.h"
#include "support/media_folders.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using Discovery = GlobalCatalogueTest;
namespace fs = std::filesystem;

void Touch(const fs::path &file) {
  ASSERT_TRUE(WriteSizedFile(file, 40));
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> paths) {
  std::sort(paths.begin(), paths.end());
  return paths;
}

std::wstring Lower(std::wstring text) {
  for (wchar_t &c : text) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return text;
}

TEST_F(Discovery, AddingAPathAgainInOtherCaseKeepsOneEntryAndMarksItPresent) {
  const std::wstring path = (dir.path / "Media.pmr").wstring();
  AddDatabase(path.c_str());
  AddDatabase((dir.path / "Other.pmr").wstring().c_str());
  DatabaseEntry *first = g_catalogue.databases.NodeAt(0);
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(1u, first->ordinal);
  EXPECT_EQ(2u, g_catalogue.databases.NodeAt(1)->ordinal);
  first->present = 0;
  first->enabled = 0;

  AddDatabase(Lower(path).c_str());
  EXPECT_EQ(2u, g_catalogue.databases.count);
  EXPECT_EQ(1u, first->present);
  EXPECT_EQ(0u, first->enabled) << "the check box stays as the user left it";
  EXPECT_EQ(path, first->path);
}

// Sub-folders are walked as Windows matches "*.??": an extension of at most two characters,
// or none (Avid's "MXF" and "1").
TEST_F(Discovery, ScanFolderFindsIndexFilesInSubFoldersThatTheWildcardSelects) {
  Touch(Folder("") / "a.pmr");
  Touch(dir.path / "B.PMR");
  Touch(dir.path / "notes.txt");
  Touch(Folder("Disk.01") / "c.pmr");
  Touch(Folder("Disk.01/Deep.02") / "d.pmr");
  Touch(Folder("MXF/1") / "msmFMID.pmr");
  Touch(Folder("Long.abc") / "e.pmr");
  Folder("Folder.pmr"); // a folder, not an index file

  LogCapture log;
  ScanFolder(dir.path.wstring().c_str());
  const std::vector<std::wstring> expected = Sorted({
      (dir.path / "a.pmr").wstring(),
      (dir.path / "B.PMR").wstring(),
      (dir.path / "Disk.01" / "c.pmr").wstring(),
      (dir.path / "Disk.01" / "Deep.02" / "d.pmr").wstring(),
      (dir.path / "MXF" / "1" / "msmFMID.pmr").wstring(),
  });
  EXPECT_EQ(expected, Sorted(DatabasePaths()));
  EXPECT_TRUE(log.lines.empty());
}

TEST_F(Discovery, ALinkBackUpTheTreeIsNotFollowed) {
  Touch(Folder("Disk.01") / "x.pmr");
  const fs::path link = dir.path / "Disk.01" / "Back.up";
  std::string why;
  if (!MakeDirectoryLink(link, "..", &why)) GTEST_SKIP() << "no folder link: " << why;
  struct LinkGuard {
    fs::path link;
    ~LinkGuard() { RemoveDirectoryLink(link); }
  } guard{link};

  // The system shows the link as a folder that is a reparse point.
  platform::FindData entry{};
  platform::FindHandle find =
      platform::FindFirst((dir.path / "Disk.01").wstring().c_str(), L"Back.up", 1, &entry);
  ASSERT_NE(platform::kInvalidFind, find);
  platform::FindEnd(find);
  EXPECT_NE(0u, entry.attributes & platform::kAttributeDirectory);
  EXPECT_NE(0u, entry.attributes & platform::kAttributeReparsePoint);

  LogCapture log;
  ScanFolder(dir.path.wstring().c_str());
  EXPECT_EQ(std::vector<std::wstring>{(dir.path / "Disk.01" / "x.pmr").wstring()}, DatabasePaths());
  EXPECT_EQ(std::vector<std::wstring>{L"QEL::Scan::Link not followed ::" + link.wstring()},
            log.lines);
}

// Removes a file, or an empty folder, beyond the path limit, which the ordinary calls cannot
// reach on Windows.
void RemoveLongPath(const fs::path &path, bool folder) {
#ifdef _WIN32
  const std::wstring extended = L"\\\\?\\" + path.wstring();
  if (folder)
    RemoveDirectoryW(extended.c_str());
  else
    DeleteFileW(extended.c_str());
#else
  std::error_code error;
  (void)folder;
  fs::remove(path, error);
#endif
}

// A name that makes folder + separator + name one character longer than a path buffer.
std::string NameOverflowing(const fs::path &folder, const char *extension) {
  size_t length = platform::kPathBufferChars - folder.wstring().size();
  return std::string(length - std::char_traits<char>::length(extension), 'n') + extension;
}

TEST_F(Discovery, PathsTooLongForTheBuffersAreNamedAndSkipped) {
  const std::string longFile = NameOverflowing(dir.path, ".pmr");
  const std::string longFolder = NameOverflowing(dir.path, ".ab");
  struct LongPathGuard {
    fs::path file, folder;
    ~LongPathGuard() {
      RemoveLongPath(file, false);
      RemoveLongPath(folder / "inner.pmr", false);
      RemoveLongPath(folder, true);
    }
  } guard{dir.path / longFile, dir.path / longFolder};
  std::error_code error;
  fs::create_directory(dir.path / longFolder, error);
  if (error || !WriteSizedFile(dir.path / longFile, 40) ||
      !WriteSizedFile(dir.path / longFolder / "inner.pmr", 40))
    GTEST_SKIP() << "the file system refuses paths of more than 260 characters";
  Touch(dir.path / "fits.pmr");

  LogCapture log;
  ScanFolder(dir.path.wstring().c_str());
  EXPECT_EQ(std::vector<std::wstring>{(dir.path / "fits.pmr").wstring()}, DatabasePaths());
  const std::wstring tag = L"QEL::Scan::Path too long::";
  EXPECT_EQ(1u, log.Count(tag + (dir.path / longFile).wstring()));
  EXPECT_EQ(1u, log.Count(tag + (dir.path / longFolder).wstring()));
}

TEST_F(Discovery, DriveRootsAreSearchedInTheirTwoMediaFolders) {
  Touch(Folder("OMFI MediaFiles") / "a.pmr");
  Touch(Folder("AVID MediaFiles/Disk.01") / "b.pmr");
  Touch(Folder("Other Media") / "c.pmr");
  Touch(Folder("Other root") / "OMFI MediaFiles"); // a file where the folder is expected
  std::wstring missing = (dir.path / "no drive").wstring() + platform::kPathSeparator;
  std::wstring root = dir.path.wstring() + platform::kPathSeparator;
  std::wstring other = (dir.path / "Other root").wstring() + platform::kPathSeparator;
  std::wstring roots = missing + L'\0' + root + L'\0' + other + L'\0';

  wchar_t before[platform::kPathBufferChars], after[platform::kPathBufferChars];
  ASSERT_GT(platform::GetCurrentFolder(before, platform::kPathBufferChars), 0u);
  LogCapture log;
  ProgressCapture progress;
  ScanDriveRoots(roots.c_str(), static_cast<uint32_t>(roots.size()));
  platform::GetCurrentFolder(after, platform::kPathBufferChars);

  const std::vector<std::wstring> expected = Sorted({
      (dir.path / "OMFI MediaFiles" / "a.pmr").wstring(),
      (dir.path / "AVID MediaFiles" / "Disk.01" / "b.pmr").wstring(),
  });
  EXPECT_EQ(expected, Sorted(DatabasePaths()));
  EXPECT_EQ(1u, log.Count(missing + L" :: Device not ready"));
  EXPECT_EQ(std::vector<std::wstring>{L"Scanning All drives for databases"}, progress.titles);
  EXPECT_FALSE(progress.HasInfoStartingWith(other)) << "a file is not walked as a folder";
  EXPECT_STREQ(before, after) << "the current folder comes back";
}

// The system's drives; a system that asks for more room at every question is asked again
// eight times at most, and nothing is scanned.
TEST_F(Discovery, ScanAllDrivesAsksTheSystemForItsDrivesAFewTimesAtMost) {
  {
    ProgressCapture progress;
    ScanAllDrives();
    EXPECT_EQ(std::vector<std::wstring>{L"Scanning All drives for databases"}, progress.titles);
  }
  static int questions = 0;
  platform::FileCalls calls = platform::Files();
  calls.driveRoots = [](wchar_t *, uint32_t chars) { return ++questions, chars + 1; };
  const platform::FileCalls system = platform::SetFileCalls(calls);
  ProgressCapture progress;
  ScanAllDrives();
  platform::SetFileCalls(system);
  EXPECT_EQ(1 + 8, questions);
  EXPECT_TRUE(progress.titles.empty());
}

} // namespace
