// F5, F6, F8 and the duplicate finder's "Backup Duplicates" reach the core's runs (whose rules
// are tested natively, tests/fileops) with the selection or the finder's rows, the questions
// of dialog 105, the progress window and the rows shown again.
#include "catalogue/database_discovery.h"
#include "catalogue/media_linking.h"
#include "fileops/file_operations.h"
#include "operations/duplicates_dialog.h"
#include "demo/demo_drive.h"
#include "resources/resource.h"
#include "support/gui_harness.h"
#include "window_services/test_seams.h"

namespace {

namespace fs = std::filesystem;

const fs::path kBackupFolder = L"C:\\AVID_Duplicated_Media_";

std::wstring g_targetFolder; // the folder browser's answer

class OperationsTest : public ShellTest {
protected:
  void SetUp() override {
    ShellTest::SetUp();
    source = scratch.path / "source";
    g_targetFolder = (scratch.path / "target").wstring();
    fs::create_directories(g_targetFolder);
    previousBrowser = SetFolderBrowser([](HWND, wchar_t *path, size_t capacity) {
      return g_targetFolder.size() < capacity && std::wcscpy(path, g_targetFolder.c_str());
    });
  }
  void TearDown() override {
    if (finder != nullptr) DestroyWindow(finder);
    SetFolderBrowser(previousBrowser);
    std::error_code ec;
    fs::remove_all(kBackupFolder, ec);
  }
  // Writes a media file and stores its record as a scan makes it, listed and selected if asked.
  MediaRecord *AddFile(const fs::path &file, const std::string &bytes, uint32_t mediaId,
                       bool selected = false) {
    fs::create_directories(file.parent_path());
    EXPECT_TRUE(WriteFileBytes(file, bytes.data(), bytes.size()));
    platform::FindData found{};
    EXPECT_TRUE(platform::LookUpEntry(file.wstring().c_str(), &found));
    MediaRecord r = Record(file.filename().c_str(), L"P", found.size, found.attributes);
    std::wcsncpy(r.folder, file.parent_path().c_str(), kPathChars - 1);
    r.created = found.created;
    r.mediaId = MobKey{mediaId, mediaId != 0 ? 0x060A2B34u : 0u};
    r.linked = 1;
    return Store(r, selected, selected);
  }
  static void Command(WORD command) { SendMessageW(g_shell.filesList, WM_COMMAND, command, 0); }
  // The finder as the main window opens it, but modeless so that the test can drive it.
  void OpenFinder() {
    finder = CreateDialogParamW(g_shell.instance, MAKEINTRESOURCEW(IDD_DUPLICATES), main,
                                DuplicatesDialogProc, 0);
    ASSERT_NE(DuplicatesList(finder), nullptr);
    ShowWindow(finder, SW_SHOWNA);
  }
  const std::function<void()> backup = [this] {
    gui::Click(GetDlgItem(finder, IDC_BACKUP_DUPLICATES));
  };

  fs::path source;
  FolderBrowser previousBrowser = nullptr;
  HWND finder = nullptr;
};

TEST_F(OperationsTest, EachKeyRunsItsOperationOverTheSelection) {
  const fs::path target = fs::path(g_targetFolder) / "a.omf";
  AddFile(source / "a.omf", "new a", 0, true);
  ASSERT_TRUE(WriteFileBytes(target, "old", 3));
  const Names asked = gui::Answer({kAnswerYes}, [] { Command(CMD_COPY); });
  EXPECT_NE(asked.at(0).find(L"OVERWRITE\n\nFile:\n " + target.wstring()), std::wstring::npos);
  EXPECT_EQ(fs::file_size(target), 5u) << "new a";

  g_targetFolder = (scratch.path / "moved").wstring();
  fs::create_directories(g_targetFolder);
  Command(CMD_MOVE);
  EXPECT_EQ(fs::file_size(scratch.path / "moved" / "a.omf"), 5u);
  EXPECT_EQ(gui::Items(g_shell.filesList, 2).at(0), L"Not Exist") << "the row drawn again";

  ClearFilesList();
  AddFile(source / "b.omf", "b", 0, true);
  EXPECT_EQ(gui::Answer({kAnswerYes}, [] { Command(CMD_DELETE); }).size(), 1u);
  EXPECT_FALSE(fs::exists(source / "b.omf"));
}

TEST_F(OperationsTest, KeyPressedDuringTheRunAsksToStop) {
  AddFile(source / "a.omf", "a", 0, true);
  AddFile(source / "b.omf", "b", 0, true);
  // A key pressed while the run works is found by the run before its next row.
  PostMessageW(main, WM_KEYDOWN, VK_SPACE, 0);
  const Names asked = gui::Answer({IDYES}, [] { Command(CMD_DELETE); });
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_NE(asked[0].find(L"Do you want to cancel current task?"), std::wstring::npos);
  EXPECT_EQ(log->lines.size(), 1u) << "only the run's first line";
  EXPECT_TRUE(fs::exists(source / "a.omf"));
  EXPECT_TRUE(IsWindowVisible(main)) << "the main window comes back";
}

// While a backup waits on its question the finder is disabled, and a click or a close that
// reaches it anyway is refused: a second backup would move the files this one works on, and
// a closed finder would let a rescan free the records the run holds.
TEST_F(OperationsTest, NoSecondBackupNorCloseWhileTheFirstAsks) {
  AddFile(source / "k.omf", "k", 7);
  AddFile(source / "2" / "x.omf", "k", 7);
  Link();
  OpenFinder();
  ASSERT_EQ(RowCount(DuplicatesList(finder)), 2);
  fs::create_directories(kBackupFolder);
  for (const char *name : {"k.omf", "x.omf"}) // whichever is checked meets an earlier backup
    ASSERT_TRUE(WriteFileBytes(kBackupFolder / name, "earlier", 7));
  bool finderEnabled = true;
  const Names asked = gui::Answer({kAnswerSkipFile}, backup, L"Are you sure", [&] {
    finderEnabled = IsWindowEnabled(finder);
    PostMessageW(finder, WM_COMMAND, MAKEWPARAM(IDC_BACKUP_DUPLICATES, BN_CLICKED), 0);
    PostMessageW(finder, WM_CLOSE, 0, 0);
    Sleep(300); // handled by the question's own message loop
  });
  EXPECT_EQ(asked.size(), 1u) << "a second backup asked";
  EXPECT_FALSE(finderEnabled) << "the question is owned by the finder";
  EXPECT_EQ(Logged(L"QEL::Backup Duplicates::Refused while Backup Duplicates runs"), 1u);
  EXPECT_TRUE(IsWindowVisible(finder)) << "the finder closed while the run held its records";
  EXPECT_EQ(fs::file_size(kBackupFolder / "k.omf") + fs::file_size(kBackupFolder / "x.omf"), 14u)
      << "an earlier backup replaced";
  EXPECT_TRUE(fs::exists(source / "2" / "x.omf"));
}

// The demo drive reached by two paths (C: and Wine's Z:) lists every file twice, the keeper's
// own file among the checked rows. Rows on Z: are unchecked: their backup would go to the root
// of the host's file system.
TEST_F(OperationsTest, DriveReachedByTwoPathsKeepsEveryKeepersFile) {
  fs::path drive = scratch.path / "drive";
  DemoDriveFacts facts;
  std::string why;
  ASSERT_TRUE(WriteDemoDrive(drive, &facts, &why)) << why;
  const wchar_t *prefix = _wgetenv(L"WINEPREFIX"); // Z: is Wine's drive for the Unix root
  fs::path alias = L"Z:" + std::wstring(prefix ? prefix : L"?") + L"/drive_c";
  if (!fs::exists((alias += drive.wstring().substr(2)).make_preferred()))
    GTEST_SKIP() << "no second drive letter for the same folder";
  ScanFolder(drive.wstring().c_str());
  ScanFolder(alias.c_str());
  LoadAll();
  OpenFinder();
  HWND list = DuplicatesList(finder);
  const Names folders = gui::Items(list, 3), names = gui::Items(list, 1);
  for (int row = 0; row < RowCount(list); ++row)
    if (folders[row].starts_with(L"Z:")) ListView_SetCheckState(list, row, FALSE);
  gui::Answer({kAnswerYesToAll}, backup, L"Are you sure");
  EXPECT_GT(Logged(L"QEL::Backup::Same file as the kept copy::"), 0u);
  const Names sizes = gui::Items(list, 4);
  for (int row = 0; row < RowCount(list); ++row)
    EXPECT_NE(sizes[row], L"Not Exist") << "moved: " << fs::path(folders[row]) / names[row];
}

} // namespace
