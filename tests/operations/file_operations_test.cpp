// The keys F5, F6 and F8 and the duplicate finder's "Backup Duplicates" reach the core's
// runs (whose own rules are tested natively, tests/fileops) with the Files list's
// selection or the finder's rows, the questions of dialog 105, the progress window and
// the rows shown again. A helper thread answers the questions.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "catalogue/catalogue.h"
#include "catalogue/database_discovery.h"
#include "catalogue/media_linking.h"
#include "fileops/file_operations.h"
#include "operations/duplicates_dialog.h"
#include "operations/file_operations.h"
#include "platform/platform.h"
#include "resources/resource.h"
#include "window_services/window_helpers.h"
#include "support/demo_drive.h"
#include "support/scratch_dir.h"
#include "support/started_shell.h"
#include "views/files_list.h"
#include "window_services/test_seams.h"

namespace {

namespace fs = std::filesystem;

const fs::path kBackupFolder = L"C:\\AVID_Duplicated_Media_";

std::string ReadAll(const fs::path &file) {
  std::ifstream in(file, std::ios::binary);
  return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
}

// The same folder reached through Wine's drive for the Unix root (Z:), or empty where that
// drive does not exist.
std::wstring ThroughZ(const fs::path &windowsPath) {
  using UnixName = char *(*)(const wchar_t *);
  auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void *>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char *name = unixName != nullptr ? unixName(windowsPath.wstring().c_str()) : nullptr;
  if (name == nullptr) return L"";
  std::string text = name;
  HeapFree(GetProcessHeap(), 0, name);
  // Drive C: is the prefix's "dosdevices/c:" link; a colon cannot stand in a Z: path.
  size_t link = text.find("/dosdevices/c:/");
  if (link != std::string::npos) text.replace(link, 15, "/drive_c/");
  std::wstring path = L"Z:";
  for (char c : text)
    path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES ? path : L"";
}

// Answers the dialogs that open, one after the other, with the given buttons; whileOpen
// sees each first. Dialogs beyond the list get Cancel, so a faulty run ends instead of
// hanging the suite. Finish stops and returns every dialog's texts.
class Answers {
public:
  explicit Answers(std::vector<int> buttons, std::function<void(HWND)> whileOpen = {})
      : buttons_(std::move(buttons)), whileOpen_(std::move(whileOpen)), thread_([this] {
          for (; !stop_; Sleep(10)) {
            HWND dialog = gui::FindDialog();
            if (dialog == nullptr) continue;
            texts_.push_back(gui::DialogTexts(dialog));
            if (whileOpen_) whileOpen_(dialog);
            int button = texts_.size() <= buttons_.size() ? buttons_[texts_.size() - 1] : IDCANCEL;
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
            while (!stop_ && IsWindow(dialog)) Sleep(5); // the next one is a new dialog
          }
        }) {}
  ~Answers() { Finish(); }
  const std::vector<std::wstring> &Finish() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return texts_;
  }

private:
  std::vector<int> buttons_;
  std::function<void(HWND)> whileOpen_;
  std::vector<std::wstring> texts_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

std::wstring g_targetFolder;

bool ChooseTargetFolder(HWND, wchar_t *path, size_t capacity) {
  if (g_targetFolder.size() >= capacity) return false;
  std::wcscpy(path, g_targetFolder.c_str());
  return true;
}

class OperationsTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(IsWindow(StartedShell())) << "start-up failed";
    ASSERT_FALSE(scratch.path.empty());
    source = scratch.path / "source";
    target = scratch.path / "target";
    fs::create_directories(target);
    g_targetFolder = target.wstring();
    previousBrowser = SetFolderBrowser(ChooseTargetFolder);
    logMark = gui::ListBoxLines(ConsoleListBox()).size();
  }
  void TearDown() override {
    if (finder != nullptr) DestroyWindow(finder);
    SetFolderBrowser(previousBrowser);
    ClearFilesList();
    g_catalogue.ClearCatalogue();
    std::error_code ec;
    fs::remove_all(kBackupFolder, ec);
  }

  // Writes a media file and stores its record as a scan would make it; with selected, the
  // record is listed and selected in the Files list.
  MediaRecord *Add(const fs::path &file, const std::string &bytes, uint32_t mediaId,
                   bool selected = false) {
    fs::create_directories(file.parent_path());
    EXPECT_TRUE(WriteFileBytes(file, bytes.data(), bytes.size()));
    platform::FindData found{};
    EXPECT_TRUE(platform::LookUpEntry(file.wstring().c_str(), &found));
    MediaRecord r{};
    std::wcsncpy(r.folder, file.parent_path().wstring().c_str(), kPathChars - 1);
    std::wcsncpy(r.fileName, file.filename().wstring().c_str(), kPathChars - 1);
    std::wcscpy(r.project, L"P");
    r.size = found.size;
    r.attributes = found.attributes;
    r.created = found.created;
    r.mediaId = MobKey{mediaId, mediaId != 0 ? 0x060A2B34u : 0u};
    r.linked = 1;
    MediaRecord *stored = g_catalogue.records.Insert(&r);
    if (selected) {
      AddRecordToFilesList(stored);
      ListView_SetItemState(g_shell.filesList, ListView_GetItemCount(g_shell.filesList) - 1,
                            LVIS_SELECTED, LVIS_SELECTED);
    }
    return stored;
  }
  static void Command(WORD command) {
    SendMessageW(g_shell.filesList, WM_COMMAND, MAKEWPARAM(command, 0), 0);
  }
  // The finder as the main window opens it, but modeless so that the test can drive it.
  void OpenFinder() {
    finder = CreateDialogParamW(g_shell.instance, MAKEINTRESOURCEW(IDD_DUPLICATES),
                                g_shell.mainWindow, DuplicatesDialogProc, 0);
    ASSERT_NE(DuplicatesList(finder), nullptr);
  }
  std::wstring Cell(int row, int column) const {
    return gui::ListViewText(DuplicatesList(finder), row, column);
  }
  fs::path PathOf(int row) { return fs::path(Cell(row, 3)) / Cell(row, 1); }
  // How many console lines written since the test began start with prefix.
  size_t LogCount(const std::wstring &prefix) const {
    std::vector<std::wstring> lines = gui::ListBoxLines(ConsoleListBox());
    size_t n = 0;
    for (size_t i = logMark; i < lines.size(); ++i) n += lines[i].rfind(prefix, 0) == 0;
    return n;
  }

  ScratchDir scratch;
  fs::path source, target;
  FolderBrowser previousBrowser = nullptr;
  size_t logMark = 0;
  HWND finder = nullptr;
};

TEST_F(OperationsTest, EachKeyRunsItsOperationOverTheSelection) {
  MediaRecord *a = Add(source / "a.omf", "new a", 0, true);
  ASSERT_TRUE(WriteFileBytes(target / "a.omf", "old", 3));
  Answers copyAnswers({kAnswerYes});
  Command(CMD_COPY);
  ASSERT_EQ(copyAnswers.Finish().size(), 1u);
  EXPECT_NE(copyAnswers.Finish()[0].find(L"OVERWRITE\n\nFile:\n " + (target / "a.omf").wstring()),
            std::wstring::npos);
  EXPECT_EQ(ReadAll(target / "a.omf"), "new a");
  EXPECT_EQ(LogCount(L"Copying Selected Files to:"), 1u);
  EXPECT_TRUE(IsWindowVisible(g_shell.mainWindow)) << "the main window comes back";
  g_targetFolder = (scratch.path / "moved").wstring();
  fs::create_directories(g_targetFolder);
  Command(CMD_MOVE);
  EXPECT_EQ(ReadAll(scratch.path / "moved" / "a.omf"), "new a");
  EXPECT_EQ(a->attributes, 0u);
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, 0, 2), L"Not Exist");
  ClearFilesList();
  MediaRecord *b = Add(source / "b.omf", "b", 0, true);
  Answers deleteAnswers({kAnswerYes});
  Command(CMD_DELETE);
  EXPECT_EQ(deleteAnswers.Finish().size(), 1u);
  EXPECT_FALSE(fs::exists(source / "b.omf"));
  EXPECT_EQ(b->attributes, 0u);
  EXPECT_EQ(LogCount(L"Deleted::" + (source / "b.omf").wstring()), 1u);
}

TEST_F(OperationsTest, KeyPressedDuringTheRunAsksToStop) {
  Add(source / "a.omf", "a", 0, true);
  Add(source / "b.omf", "b", 0, true);
  // A key pressed while the run works is found by the run before its next row.
  PostMessageW(g_shell.mainWindow, WM_KEYDOWN, VK_SPACE, 0);
  Answers answers({IDYES});
  Command(CMD_DELETE);
  ASSERT_EQ(answers.Finish().size(), 1u);
  EXPECT_NE(answers.Finish()[0].find(L"Do you want to cancel current task?"), std::wstring::npos);
  EXPECT_EQ(LogCount(L""), 1u) << "only the run's first line";
  EXPECT_TRUE(fs::exists(source / "a.omf"));
  EXPECT_TRUE(IsWindowVisible(g_shell.mainWindow)) << "the main window comes back";
}

// While a backup waits on its question, the finder can neither start a second file
// operation nor close: the run holds the list's records.
TEST_F(OperationsTest, NoSecondBackupWhileTheFirstAsks) {
  Add(source / "k.omf", "k", 7);
  Add(source / "2" / "x.omf", "k", 7);
  Link();
  OpenFinder();
  ASSERT_EQ(ListView_GetItemCount(DuplicatesList(finder)), 2);
  fs::create_directories(kBackupFolder);
  for (const char *name : {"k.omf", "x.omf"}) // whichever is checked meets an earlier backup
    ASSERT_TRUE(WriteFileBytes(kBackupFolder / name, "earlier", 7));
  bool finderEnabled = true;
  Answers answers({kAnswerSkipFile}, [&](HWND) {
    finderEnabled = IsWindowEnabled(finder);
    PostMessageW(finder, WM_COMMAND, MAKEWPARAM(IDC_BACKUP_DUPLICATES, BN_CLICKED), 0);
    PostMessageW(finder, WM_CLOSE, 0, 0);
    Sleep(300);
  });
  gui::Click(GetDlgItem(finder, IDC_BACKUP_DUPLICATES));
  EXPECT_EQ(answers.Finish().size(), 1u);
  gui::Pump(50);
  EXPECT_FALSE(finderEnabled) << "the question is owned by the finder";
  EXPECT_EQ(LogCount(L"QEL::Backup Duplicates::Refused while Backup Duplicates runs"), 1u);
  EXPECT_EQ(ReadAll(kBackupFolder / "k.omf") + ReadAll(kBackupFolder / "x.omf"), "earlierearlier");
  EXPECT_EQ(ReadAll(source / "2" / "x.omf"), "k");
}

// The demo drive reached by two paths (C: and Wine's Z:) lists every file twice, the
// keeper's own file among the checked rows. Rows on Z: are unchecked: their backup would
// go to the root of the host's file system.
TEST_F(OperationsTest, DriveReachedByTwoPathsKeepsEveryKeepersFile) {
  fs::path drive = scratch.path / "drive";
  DemoDriveFacts facts;
  std::string why;
  ASSERT_TRUE(WriteDemoDrive(drive, &facts, &why)) << why;
  std::wstring alias = ThroughZ(drive);
  if (alias.empty()) GTEST_SKIP() << "no second drive letter for the same folder";
  ScanFolder(drive.wstring().c_str());
  ScanFolder(alias.c_str());
  LoadAll();
  OpenFinder();
  int rows = ListView_GetItemCount(DuplicatesList(finder));
  for (int row = 0; row < rows; ++row)
    if (Cell(row, 3).rfind(L"Z:", 0) == 0)
      ListView_SetCheckState(DuplicatesList(finder), row, FALSE);
  Answers answers({kAnswerYesToAll});
  gui::Click(GetDlgItem(finder, IDC_BACKUP_DUPLICATES));
  answers.Finish();
  EXPECT_GT(LogCount(L"QEL::Backup::Same file as the kept copy::"), 0u);
  int moved = 0;
  for (int row = 0; row < rows; ++row) {
    if (Cell(row, 4) != L"Not Exist") continue;
    ++moved;
    EXPECT_TRUE(fs::exists(kBackupFolder / Cell(row, 1)));
    bool stays = false; // some other row of its media ID still has its file in place
    for (int other = 0; other < rows; ++other)
      stays = stays || (Cell(other, 0) == Cell(row, 0) && fs::exists(PathOf(other)));
    EXPECT_TRUE(stays) << "the only copy of " << PathOf(row) << " was moved";
  }
  EXPECT_EQ(moved, 0) << "every checked file on C: is also a kept row's file on Z:";
}

} // namespace
