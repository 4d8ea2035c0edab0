// End to end through real messages: media folders dropped on the Bases tree, scanned, and
// their projects selected, listed, sorted and worked on with the keys of each view.
#include <mutex>

#include "catalogue/database_discovery.h"
#include "catalogue/media_linking.h"
#include "window_services/progress_window.h"
#include "platform/platform.h"
#include "support/log_capture.h"
#include "views/bases_tree.h"
#include "views/projects_list.h"
#include "media_folders.h"
#include "views_fixture.h"
#include "views/view_state.h"

namespace views_test {
namespace {

// A click on the check box of the tree's root item `index`.
void ClickCheckBox(int index) {
  auto item =
      reinterpret_cast<HTREEITEM>(SendMessageW(g_shell.basesTree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  for (int i = 0; i < index; ++i)
    item = reinterpret_cast<HTREEITEM>(SendMessageW(g_shell.basesTree, TVM_GETNEXTITEM, TVGN_NEXT,
                                                    reinterpret_cast<LPARAM>(item)));
  union {
    RECT rect;
    HTREEITEM item; // the message takes the item in the rectangle's place
  } r{};
  r.item = item;
  SendMessageW(g_shell.basesTree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r));
  RECT rect = r.rect;
  LPARAM at = MAKELPARAM(rect.left - 8, (rect.top + rect.bottom) / 2);
  // The tree follows the mouse in a loop of its own until the button comes up, so the up
  // is queued first.
  PostMessageW(g_shell.basesTree, WM_LBUTTONUP, 0, at);
  SendMessageW(g_shell.basesTree, WM_LBUTTONDOWN, MK_LBUTTON, at);
  gui::Pump(10);
}

std::vector<UINT> TreeStateImages() {
  std::vector<UINT> images;
  auto item =
      reinterpret_cast<HTREEITEM>(SendMessageW(g_shell.basesTree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  for (; item != nullptr;
       item = reinterpret_cast<HTREEITEM>(SendMessageW(
           g_shell.basesTree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
    TVITEMW tv{};
    tv.mask = TVIF_HANDLE | TVIF_STATE;
    tv.hItem = item;
    tv.stateMask = TVIS_STATEIMAGEMASK;
    SendMessageW(g_shell.basesTree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    images.push_back((tv.state & TVIS_STATEIMAGEMASK) >> 12);
  }
  return images;
}

// Records the overall total and positions that reach the progress window, by putting a
// recording procedure into its class for the life of the object.
class ProgressRecorder {
public:
  ProgressRecorder() {
    GetClassInfoExW(g_shell.instance, L"QELProgress", &cls_);
    UnregisterClassW(L"QELProgress", g_shell.instance);
    WNDCLASSEXW recording = cls_;
    recording.lpfnWndProc = Record;
    RegisterClassExW(&recording);
  }
  ~ProgressRecorder() {
    UnregisterClassW(L"QELProgress", g_shell.instance);
    RegisterClassExW(&cls_);
  }
  static std::vector<std::pair<UINT, uint64_t>> Seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }

private:
  static LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == PROGRESS_SET_OVERALL_TOTAL || message == PROGRESS_SET_OVERALL_POS) {
      std::lock_guard<std::mutex> lock(mutex_);
      seen_.emplace_back(message, (static_cast<uint64_t>(wParam) << 32) | (lParam & 0xFFFFFFFF));
    }
    return ProgressWindowProc(window, message, wParam, lParam);
  }
  WNDCLASSEXW cls_ = {sizeof(WNDCLASSEXW),
                      0,
                      nullptr,
                      0,
                      0,
                      nullptr,
                      nullptr,
                      nullptr,
                      nullptr,
                      nullptr,
                      nullptr,
                      nullptr};
  static inline std::mutex mutex_;
  static inline std::vector<std::pair<UINT, uint64_t>> seen_;
};

// A precompute of Gamma that the folder's database does not describe: its record says
// nothing of it until its own header is read.
FolderMedia Later(const char *name) {
  FolderMedia m = Media(name, "Gamma", 10, kClipUsagePrecomp);
  m.inDatabase = false;
  return m;
}

// "%d.%b.%Y/%H:%M:%S" of a file's creation time in local time.
std::wstring CreationText(const std::filesystem::path &file) {
  static const wchar_t *const kMonths[] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                           L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
  WIN32_FILE_ATTRIBUTE_DATA data;
  FILETIME local;
  SYSTEMTIME t;
  GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data);
  FileTimeToLocalFileTime(&data.ftCreationTime, &local);
  FileTimeToSystemTime(&local, &t);
  wchar_t text[64];
  swprintf(text, 64, L"%02u.%ls.%04u/%02u:%02u:%02u", t.wDay, kMonths[t.wMonth - 1], t.wYear,
           t.wHour, t.wMinute, t.wSecond);
  return text;
}

// What the views showed when the messages queued behind a scan's cancel question were
// handled in that question's own message loop.
struct SeenDuringQuestion {
  bool asked = false;
  int projects = -1;
  std::wstring status;
};
SeenDuringQuestion g_seen;

// Posted last, so it runs after everything queued before it: notes the views and answers No.
LRESULT CALLBACK NoteAndAnswerNo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
  HWND question = gui::FindDialog(L"Do you want to cancel current task?");
  g_seen = {question != nullptr, RowCount(g_shell.projectsList), gui::Text(g_shell.statusLine)};
  if (question != nullptr) PostMessageW(question, WM_COMMAND, IDNO, 0);
  return 0;
}

class CatalogueViewsTest : public ViewsTest {
protected:
  void SetUp() override {
    ViewsTest::SetUp();
    // Databases of earlier tests are gone from the disk: they are no longer shown.
    for (DatabaseEntry *d = g_catalogue.databases.First(); d; d = g_catalogue.databases.Next())
      d->present = 0;
    FillBasesTree();
    first = scratch.path / "Drive1" / "OMFI MediaFiles" / "1";
    second = scratch.path / "Drive2" / "AVID MediaFiles" / "2";
    FolderMedia missing = Media("a3.omf", "Alpha", 3);
    missing.onDisk = false;
    FolderMedia undescribed = Media("d2.omf", "Delta", 7, kClipUsagePrecomp);
    undescribed.inDatabase = false;
    ASSERT_TRUE(WriteMediaFolder(first, "First.pmr",
                                 {Media("a1.omf", "Alpha", 1), Media("a2.omf", "Alpha", 2, 1),
                                  missing, Media("b1.omf", "Beta", 4),
                                  Media("b2.wav", "Beta", 5, 7, OmfMediaKind::Wave)}));
    ASSERT_TRUE(WriteMediaFolder(second, "Second.pmr",
                                 {Media("g1.omf", "Gamma", 8), Media("g2.omf", "Gamma", 9),
                                  Media("d1.omf", "Delta", 6), undescribed, Later("g3.omf")}));
  }

  // The media folders themselves: Wine's wildcard "*.??" takes no sub-folder without a
  // two-character extension, so a walk from the scratch folder would find nothing.
  void DropFolders() { Drop(g_shell.basesTree, {first.wstring(), second.wstring()}); }

  void DropAndScan() {
    DropFolders();
    gui::Click(g_shell.scanButton);
  }

  // Waits until the Files list shows exactly these file names (in any order).
  bool Lists(std::vector<std::wstring> names) {
    std::sort(names.begin(), names.end());
    return WaitForTimer([&] {
      std::vector<std::wstring> shown = ListColumn(g_shell.filesList);
      std::sort(shown.begin(), shown.end());
      return shown == names;
    });
  }

  int FileRow(const wchar_t *name) {
    LVFINDINFOW find{};
    find.flags = LVFI_STRING;
    find.psz = name;
    return static_cast<int>(
        SendMessageW(g_shell.filesList, LVM_FINDITEMW, -1, reinterpret_cast<LPARAM>(&find)));
  }

  ScratchDir scratch;
  std::filesystem::path first, second;
};

TEST_F(CatalogueViewsTest, DroppedFolderListsDatabasesAndUncheckedOnesStayOutOfTheScan) {
  DropFolders();
  const std::wstring firstIndex = (first / "First.pmr").wstring();
  const std::wstring secondIndex = (second / "Second.pmr").wstring();
  EXPECT_EQ(gui::TreeRootTexts(g_shell.basesTree),
            (std::vector<std::wstring>{firstIndex, secondIndex}));
  EXPECT_EQ(TreeStateImages(), (std::vector<UINT>{2, 2}));

  ClickCheckBox(1);
  EXPECT_EQ(TreeStateImages(), (std::vector<UINT>{2, 1}));
  gui::Click(g_shell.scanButton);
  EXPECT_EQ(ListColumn(g_shell.projectsList), (std::vector<std::wstring>{L"Alpha", L"Beta"}));
  EXPECT_EQ(gui::Text(g_shell.infoLabel).rfind(L"Projects count:\t2\nTotal Items:\t5\n", 0), 0u)
      << gui::Text(g_shell.infoLabel);

  // The mark survives a later drop, which stores the marks before it rebuilds the tree.
  Drop(g_shell.basesTree, {secondIndex});
  EXPECT_EQ(TreeStateImages(), (std::vector<UINT>{2, 1}));

  // Index files by name: "pmr" or "PMR" only; the last dropped item is taken first; a path
  // longer than the drop buffer is skipped rather than cut short (its first 258 characters
  // would end in "pmr").
  std::wstring longPath = L"C:\\" + std::wstring(251, L'x') + L".pmr" + std::wstring(20, L'y');
  Drop(g_shell.basesTree, {L"C:\\q\\c.Pmr", L"C:\\q\\b.PMR", L"C:\\q\\a.pmr", longPath});
  EXPECT_EQ(gui::TreeRootTexts(g_shell.basesTree),
            (std::vector<std::wstring>{L"C:\\q\\a.pmr", L"C:\\q\\b.PMR", firstIndex, secondIndex}));
  DatabaseEntry key{};
  std::wcscpy(key.path, L"C:\\q\\a.pmr");
  uint32_t a = g_catalogue.databases.Find(&key)->ordinal;
  std::wcscpy(key.path, L"C:\\q\\b.PMR");
  EXPECT_EQ(g_catalogue.databases.Find(&key)->ordinal, a + 1);
  std::vector<std::wstring> lines = gui::ListBoxLines(ConsoleListBox());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind(L"QEL::Drop::Skipping", 0), 0u) << lines.back();
}

TEST_F(CatalogueViewsTest, SelectedProjectsAreListedInProjectTableOrder) {
  DropAndScan();
  ASSERT_EQ(ListColumn(g_shell.projectsList),
            (std::vector<std::wstring>{L"Alpha", L"Beta", L"Delta", L"Gamma"}));
  ClickRow(g_shell.projectsList, 1);
  EXPECT_TRUE(Lists({L"b1.omf", L"b2.wav"}));

  // Gamma, then Shift up to Alpha, before the timer runs: one pass in table order.
  ClickRow(g_shell.projectsList, 3);
  EXPECT_EQ(RowCount(g_shell.filesList), 0); // the selection was empty for a moment
  ClickRow(g_shell.projectsList, 0, MK_SHIFT);
  EXPECT_TRUE(Lists({L"a1.omf", L"a2.omf", L"b1.omf", L"b2.wav", L"d1.omf", L"d2.omf", L"g1.omf",
                     L"g2.omf", L"g3.omf"}));
  std::vector<std::wstring> projects = ListColumn(g_shell.filesList, 7);
  EXPECT_TRUE(std::is_sorted(projects.begin(), projects.end()));

  ClickRow(g_shell.projectsList, 2);
  EXPECT_TRUE(Lists({L"d1.omf", L"d2.omf"}));
  EXPECT_TRUE(gui::PumpUntil(
      [] { return gui::Text(g_shell.statusLine).find(L" in 2 items") != std::wstring::npos; }));

  // The Projects list sorts by size (largest first) and by name, without regard to case.
  ClickHeader(g_shell.projectsList, 1);
  uint64_t previous = UINT64_MAX;
  for (int row = 0; row < 4; ++row) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageW(g_shell.projectsList, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    uint64_t size =
        g_catalogue.ProjectSize(g_catalogue.GetProject(static_cast<uint32_t>(item.lParam)));
    EXPECT_LE(size, previous) << "row " << row;
    previous = size;
  }
  EXPECT_NE(HeaderFormat(g_shell.projectsList, 1) & HDF_BITMAP, 0);
  ClickHeader(g_shell.projectsList, 0);
  EXPECT_EQ(ListColumn(g_shell.projectsList),
            (std::vector<std::wstring>{L"Alpha", L"Beta", L"Delta", L"Gamma"}));
}

TEST_F(CatalogueViewsTest, RowsShowTheScannedRecordsAndMissingFilesOnlyWhenAsked) {
  DropAndScan();
  gui::Click(g_shell.existingCheck); // unchecked: files not on disk get rows too
  ClickRow(g_shell.projectsList, 0);
  ASSERT_TRUE(Lists({L"a1.omf", L"a2.omf", L"a3.omf"}));
  int a1 = FileRow(L"a1.omf");
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, a1, 1), L"Clip of a1.omf");
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, a1, 3), L"JPEG: 2:1");
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, a1, 4), first.wstring());
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, a1, 5), L"Source");
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, a1, 6), CreationText(first / "a1.omf"));
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, a1, 7), L"Alpha");
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, a1, 8), L"Tape B");
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, FileRow(L"a2.omf"), 5), L"Precomp");
  int a3 = FileRow(L"a3.omf");
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, a3, 2), L"Not Exist");
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, a3, 6), L"");

  gui::Click(g_shell.existingCheck); // checked again: the next listing leaves a3 out
  ClickRow(g_shell.projectsList, 1);
  ClickRow(g_shell.projectsList, 0);
  EXPECT_TRUE(Lists({L"a1.omf", L"a2.omf"}));
}

// The scan's first cancel check finds a key press; its question's message loop then meets a
// drop, a refresh tick and a second Scan, queued behind the key. None may act before the scan
// has ended: the drop waits and is taken afterwards, the tick leaves the views alone, the
// second Scan is refused.
TEST_F(CatalogueViewsTest, WorkQueuedDuringAScanWaitsForItsEnd) {
  DropFolders();
  const std::filesystem::path loose = scratch.path / "loose.omf";
  ASSERT_TRUE(WriteFileBytes(loose, BuildMediaFile(Media("", "Loose Project", 40).plan)));
  WNDCLASSW cls{};
  cls.lpfnWndProc = NoteAndAnswerNo;
  cls.hInstance = g_shell.instance;
  cls.lpszClassName = L"NoteAndAnswerNo";
  RegisterClassW(&cls);
  HWND note = CreateWindowW(cls.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            g_shell.instance, nullptr);
  SetWindowTextW(g_shell.statusLine, L"before the scan");
  LogCapture log;
  PostMessageW(main, WM_KEYDOWN, 'X', 1);
  PostMessageW(g_shell.projectsList, WM_DROPFILES,
               reinterpret_cast<WPARAM>(MakeDrop({loose.wstring()})), 0);
  PostMessageW(g_shell.filesList, WM_TIMER, g_shell.refreshTimerId,
               reinterpret_cast<LPARAM>(OnRefreshTimer));
  PostMessageW(main, WM_COMMAND, 0, reinterpret_cast<LPARAM>(g_shell.scanButton));
  PostMessageW(note, WM_APP, 0, 0);
  g_seen = {};
  gui::Click(g_shell.scanButton);
  DestroyWindow(note);

  EXPECT_TRUE(g_seen.asked);
  EXPECT_EQ(g_seen.projects, 0);
  EXPECT_EQ(g_seen.status, L"before the scan");
  EXPECT_EQ(log.Count(L"QEL::Scan::Refused while Scan runs"), 1u);
  EXPECT_TRUE(gui::PumpUntil([] { return RowCount(g_shell.projectsList) == 5; }))
      << RowCount(g_shell.projectsList);
  EXPECT_EQ(ListColumn(g_shell.projectsList).back(), L"Loose Project");
  EXPECT_EQ(FindWindowW(L"QELProgress", nullptr), nullptr) << "a progress window left open";
}

TEST_F(CatalogueViewsTest, MediaDropAddsFilesAndFoldersCountingDown) {
  std::filesystem::path loose = scratch.path / "Loose";
  std::vector<std::wstring> paths;
  for (uint32_t i = 0; i < 11; ++i) {
    FolderMedia m = Media("", "Loose Project", 20 + i);
    std::filesystem::path file =
        (i < 9 ? loose : loose / "Inner") / ("m" + std::to_string(i) + ".omf");
    std::filesystem::create_directories(file.parent_path());
    ASSERT_TRUE(WriteFileBytes(file, BuildMediaFile(m.plan)));
    if (i < 9) paths.push_back(file.wstring());
  }
  paths.push_back((loose / "Inner").wstring());
  {
    ProgressRecorder recorder;
    Drop(g_shell.projectsList, paths);
    std::vector<std::pair<UINT, uint64_t>> expected{{PROGRESS_SET_OVERALL_TOTAL, 10}};
    for (uint64_t n = 10; n >= 1; --n) expected.emplace_back(PROGRESS_SET_OVERALL_POS, n);
    EXPECT_EQ(ProgressRecorder::Seen(), expected);
  }
  EXPECT_EQ(ListColumn(g_shell.projectsList), (std::vector<std::wstring>{L"Loose Project"}));
  EXPECT_EQ(gui::Text(g_shell.infoLabel).rfind(L"Projects count:\t1\nTotal Items:\t11\n", 0), 0u)
      << gui::Text(g_shell.infoLabel);
}

TEST_F(CatalogueViewsTest, KeysActOnTheFocusedView) {
  DropAndScan();
  auto enabled = [] {
    std::vector<uint32_t> flags;
    for (DatabaseEntry *d = g_catalogue.databases.First(); d; d = g_catalogue.databases.Next())
      if (d->present) flags.push_back(d->enabled);
    return flags;
  };
  // Bases tree: Ctrl+I inverts the marks, Ctrl+A checks all; both are stored at once.
  SetFocus(g_shell.basesTree);
  gui::PressKey(g_shell.basesTree, 'I', true);
  EXPECT_EQ(TreeStateImages(), (std::vector<UINT>{1, 1}));
  EXPECT_EQ(enabled(), (std::vector<uint32_t>{0, 0}));
  gui::PressKey(g_shell.basesTree, 'A', true);
  EXPECT_EQ(enabled(), (std::vector<uint32_t>{1, 1}));

  // Tab cycles Bases tree, Projects list, Files list.
  gui::PressKey(g_shell.basesTree, VK_TAB);
  EXPECT_EQ(GetFocus(), g_shell.projectsList);
  gui::PressKey(g_shell.projectsList, VK_TAB);
  EXPECT_EQ(GetFocus(), g_shell.filesList);
  gui::PressKey(g_shell.filesList, VK_TAB);
  EXPECT_EQ(GetFocus(), g_shell.basesTree);

  // Projects list: Ctrl+A lists every project; Ctrl+I empties the list and inverts.
  SetFocus(g_shell.projectsList);
  gui::PressKey(g_shell.projectsList, 'A', true);
  EXPECT_TRUE(Lists({L"a1.omf", L"a2.omf", L"b1.omf", L"b2.wav", L"d1.omf", L"d2.omf", L"g1.omf",
                     L"g2.omf", L"g3.omf"}));
  ClickRow(g_shell.projectsList, 0);
  EXPECT_TRUE(Lists({L"a1.omf", L"a2.omf"}));
  gui::PressKey(g_shell.projectsList, 'I', true);
  EXPECT_FALSE(IsSelected(g_shell.projectsList, 0));
  EXPECT_TRUE(Lists({L"b1.omf", L"b2.wav", L"d1.omf", L"d2.omf", L"g1.omf", L"g2.omf", L"g3.omf"}));

  // Files list: F2 with nothing selected changes nothing; F2 on d2 reads its own header.
  SetFocus(g_shell.filesList);
  int d2 = FileRow(L"d2.omf");
  gui::PressKey(g_shell.filesList, VK_F2);
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, d2, 3), L"");
  Select(g_shell.filesList, d2);
  gui::PressKey(g_shell.filesList, VK_F2);
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, d2, 3), L"JPEG: 2:1");
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, d2, 5), L"Precomp");
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, FileRow(L"g3.omf"), 5), L"");

  // Ctrl+P adds the precomputes, g3 once its header has told it is one.
  gui::PressKey(g_shell.filesList, 'P', true);
  std::vector<std::wstring> selected;
  for (int row = 0; row < RowCount(g_shell.filesList); ++row)
    if (IsSelected(g_shell.filesList, row))
      selected.push_back(gui::ListViewText(g_shell.filesList, row, 0));
  std::sort(selected.begin(), selected.end());
  EXPECT_EQ(selected, (std::vector<std::wstring>{L"d2.omf", L"g3.omf"}));
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, FileRow(L"g3.omf"), 5), L"Precomp");
  EXPECT_TRUE(g_views.syncEnabled);

  // F4 does nothing; Ctrl+6 shows the console from a view.
  int rows = RowCount(g_shell.filesList);
  gui::PressKey(g_shell.filesList, VK_F4);
  EXPECT_EQ(RowCount(g_shell.filesList), rows);
  EXPECT_EQ(SendMessageW(g_shell.filesList, LVM_GETSELECTEDCOUNT, 0, 0), 2);
  gui::PressKey(g_shell.filesList, '6', true);
  EXPECT_TRUE(IsWindowVisible(g_shell.console));
  platform::LogHide();
}

TEST_F(CatalogueViewsTest, MarqueeSelectionIsListedWhenTheDragEnds) {
  DropAndScan();
  HWND list = g_shell.projectsList;
  RECT last{};
  last.left = LVIR_BOUNDS;
  SendMessageW(list, LVM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&last));
  RECT top{};
  top.left = LVIR_BOUNDS;
  SendMessageW(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&top));
  // From the empty space below the rows up into Beta: Beta, Delta and Gamma.
  POINT from{20, last.bottom + 40};
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
  for (int y = from.y; y >= (top.top + top.bottom) / 2; y -= 5)
    SendMessageW(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(from.x + 40, y));
  gui::Pump(400); // timer ticks while the button is still down
  EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 3);
  EXPECT_EQ(RowCount(g_shell.filesList), 0);
  EXPECT_FALSE(g_views.syncEnabled);
  SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(from.x + 40, (top.top + top.bottom) / 2));
  EXPECT_TRUE(Lists({L"b1.omf", L"b2.wav", L"d1.omf", L"d2.omf", L"g1.omf", L"g2.omf", L"g3.omf"}));
}

// Ctrl+Space twice on a listed project, both inside one tick of the refresh timer: its rows,
// waiting to be removed, are still listed when it is selected again, and stay listed once.
TEST_F(ViewsTest, ProjectSelectedAgainBeforeTheTimerRanKeepsItsRowsOnce) {
  Store(Record(L"a1.omf", L"Alpha", 100));
  Store(Record(L"a2.omf", L"Alpha", 20));
  Store(Record(L"b1.omf", L"Beta", 3));
  Link();
  FillProjectsList();
  ClickRow(g_shell.projectsList, 0);
  ClickRow(g_shell.projectsList, 1, MK_CONTROL); // Beta has the focus
  ASSERT_TRUE(WaitForTimer([] { return RowCount(g_shell.filesList) == 3; }));

  BYTE keys[256];
  GetKeyboardState(keys);
  BYTE saved = keys[VK_CONTROL];
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  for (int press = 0; press < 2; ++press) { // posted messages come before any timer tick
    PostMessageW(g_shell.projectsList, WM_KEYDOWN, VK_SPACE, 1);
    PostMessageW(g_shell.projectsList, WM_KEYUP, VK_SPACE, 0xC0000001);
  }
  gui::Pump(10);
  keys[VK_CONTROL] = saved;
  SetKeyboardState(keys);
  ASSERT_TRUE(IsSelected(g_shell.projectsList, 1));
  gui::Pump(400); // two ticks

  EXPECT_EQ(ListColumn(g_shell.filesList),
            (std::vector<std::wstring>{L"a2.omf", L"a1.omf", L"b1.omf"}));
  EXPECT_EQ(g_views.listedBytes, 123u);
  Select(g_shell.projectsList, 1, false); // Beta's rows go, Alpha's stay: none left behind
  EXPECT_TRUE(WaitForTimer([] { return RowCount(g_shell.filesList) == 2; }));
  EXPECT_EQ(g_views.listedBytes, 120u);
}

} // namespace
} // namespace views_test
