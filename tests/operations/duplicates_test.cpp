// The duplicate finder over a linked catalogue and the backup of its checked rows into
// "AVID_Duplicated_Media_" at the root of each file's drive.
#include "operations/duplicates_dialog.h"

#include "catalogue/media_linking.h"
#include "operations/confirm_dialog.h"
#include "operations_fixture.h"
#include "resources/resource.h"

namespace operations_test {
namespace {

const fs::path kBackupFolder = L"C:\\AVID_Duplicated_Media_";

class DuplicatesTest : public OperationsTest {
protected:
  void TearDown() override {
    if (dialog != nullptr) DestroyWindow(dialog);
    std::error_code ec;
    for (const fs::path &file : moved) fs::remove(kBackupFolder / file.filename(), ec);
    OperationsTest::TearDown();
  }
  // A media file with a record of the given media ID; a file not on disk when no bytes.
  MediaRecord *AddCopy(const fs::path &folder, const wchar_t *name, uint32_t mediaId,
                       const std::string &bytes) {
    if (!bytes.empty()) {
      EXPECT_TRUE(WriteText(folder / name, bytes));
    }
    MediaRecord r{};
    std::wcsncpy(r.folder, folder.wstring().c_str(), kPathChars - 1);
    std::wcsncpy(r.fileName, name, kPathChars - 1);
    std::wcscpy(r.project, L"P");
    r.size = bytes.size();
    r.attributes = bytes.empty() ? 0 : FILE_ATTRIBUTE_ARCHIVE;
    r.mediaId = mediaId != 0 ? MobKey{mediaId, 0x060A2B34} : MobKey{0, 0};
    r.linked = 1;
    moved.push_back(folder / name);
    return g_catalogue.records.Insert(&r);
  }
  // Links the catalogue and opens the finder the way the main window does, but modeless
  // so that the test can read and drive it.
  void OpenFinder() {
    Link();
    dialog = CreateDialogParamW(g_shell.instance, MAKEINTRESOURCEW(IDD_DUPLICATES),
                                g_shell.mainWindow, DuplicatesDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    ASSERT_NE(g_duplicatesList, nullptr);
  }
  static int Rows() {
    return static_cast<int>(SendMessageW(g_duplicatesList, LVM_GETITEMCOUNT, 0, 0));
  }
  static bool Checked(int row) {
    return ((SendMessageW(g_duplicatesList, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) &
             LVIS_STATEIMAGEMASK) >>
            12) == 2;
  }
  static void SetChecked(int row, bool checked) {
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageW(g_duplicatesList, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  }
  static std::wstring Cell(int row, int column) {
    return gui::ListViewText(g_duplicatesList, row, column);
  }

  HWND dialog = nullptr;
  std::vector<fs::path> moved;
};

TEST_F(DuplicatesTest, OneKeeperPerMediaIdAndOnlyFilesOnDisk) {
  fs::create_directories(source / "2");
  AddCopy(source, L"a1.omf", 1, Media("a"));
  AddCopy(source / "2", L"a2.omf", 1, Media("a"));
  AddCopy(target, L"a3.omf", 1, Media("a"));
  AddCopy(source, L"b1.omf", 2, Media("b")); // its twin is not on disk: no rows
  AddCopy(target, L"b2.omf", 2, "");
  AddCopy(source, L"z1.omf", 0, Media("z")); // media ID 0 is never listed
  AddCopy(target, L"z2.omf", 0, Media("z"));
  OpenFinder();
  ASSERT_EQ(Rows(), 3);
  EXPECT_FALSE(Checked(0));
  EXPECT_TRUE(Checked(1));
  EXPECT_TRUE(Checked(2));
  for (int row = 0; row < 3; ++row) EXPECT_EQ(Cell(row, 0), L"00000001.060A2B34");
  EXPECT_EQ(Cell(0, 5), L"P");
  EXPECT_EQ(gui::Text(dialog), L"QEL DupFind (Under Development)");
}

TEST_F(DuplicatesTest, BackupMovesCheckedRowsOnlyAndKeepsTheKeeper) {
  fs::create_directories(source / "2");
  AddCopy(source, L"dup_k.omf", 7, Media("k"));
  AddCopy(source / "2", L"dup_b.omf", 7, Media("k"));
  AddCopy(target, L"dup_c.omf", 7, Media("k"));
  OpenFinder();
  ASSERT_EQ(Rows(), 3);
  std::wstring keeper = Cell(0, 3) + L"\\" + Cell(0, 1);
  std::wstring kept = Cell(2, 3) + L"\\" + Cell(2, 1);
  std::wstring backedUp = Cell(1, 3) + L"\\" + Cell(1, 1);
  SetChecked(2, false); // the user keeps this one too
  gui::Click(GetDlgItem(dialog, IDC_BACKUP_DUPLICATES));
  gui::Pump(50);
  EXPECT_TRUE(fs::exists(keeper));
  EXPECT_TRUE(fs::exists(kept));
  EXPECT_FALSE(fs::exists(backedUp));
  EXPECT_EQ(ReadAll(kBackupFolder / fs::path(backedUp).filename()), Media("k"));
  EXPECT_EQ(Cell(1, 4), L"Not Exist");
  EXPECT_EQ(LogCount(L"Backuped::" + backedUp), 1u);
  EXPECT_EQ(Log().size(), 1u) << "unchecked rows are neither touched nor logged";
}

TEST_F(DuplicatesTest, FileAlreadyInTheBackupFolderIsLeftAlone) {
  fs::create_directories(kBackupFolder);
  AddCopy(source, L"dup_in1.omf", 9, Media("i"));
  AddCopy(kBackupFolder, L"dup_in2.omf", 9, Media("i"));
  OpenFinder();
  ASSERT_EQ(Rows(), 2);
  SetChecked(0, true);
  SetChecked(1, true);
  std::wstring inside = (kBackupFolder / L"dup_in2.omf").wstring();
  // The file that is already there, and another copy of the same name waiting in the
  // backup folder, which is only replaced on the user's yes.
  ASSERT_TRUE(WriteText(kBackupFolder / L"dup_in1.omf", "earlier backup"));
  moved.push_back(kBackupFolder / L"dup_in1.omf");
  Answers answers({kAnswerSkipFile});
  BackupDuplicates();
  EXPECT_EQ(answers.Finish().size(), 1u);
  EXPECT_EQ(LogCount(L"QEL::Backup::Source and Target are equal"), 1u);
  EXPECT_EQ(LogCount(L"QEL::Backup::Skipping"), 1u);
  EXPECT_EQ(LogCount(L"Skipped::" + inside), 1u);
  EXPECT_EQ(ReadAll(inside), Media("i"));
  EXPECT_EQ(ReadAll(source / L"dup_in1.omf"), Media("i"));
  EXPECT_EQ(ReadAll(kBackupFolder / L"dup_in1.omf"), "earlier backup");
}

TEST_F(DuplicatesTest, BackupFolderThatCannotBeMadeEndsTheBackup) {
  AddCopy(source, L"dup_q1.omf", 11, Media("q"));
  MediaRecord *onMissingDrive = AddCopy(source, L"dup_q2.omf", 11, Media("q"));
  OpenFinder();
  ASSERT_EQ(Rows(), 2);
  // The checked file names a drive that does not exist, so no folder can be made there.
  std::wcscpy(onMissingDrive->folder, L"Q:\\OMFI MediaFiles");
  SetChecked(0, true);
  SetChecked(1, true);
  BackupDuplicates();
  EXPECT_EQ(LogCount(L"QEL::Backup::Aborted::Can Not Create Path"), 1u);
  EXPECT_EQ(ReadAll(source / L"dup_q2.omf"), Media("q"));
}

} // namespace
} // namespace operations_test
