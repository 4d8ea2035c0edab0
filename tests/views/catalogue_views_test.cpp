// End to end through real messages: media folders dropped on the Bases tree, scanned, and
// their projects selected, listed and worked on with the keys of each view.
#include "catalogue/database_discovery.h"
#include "catalogue/media_linking.h"
#include "platform/platform.h"
#include "support/media_folders.h"
#include "support/scratch_dir.h"
#include "support/shell_fixture.h"
#include "views/bases_tree.h"
#include "views/projects_list.h"

namespace {

using Names = std::vector<std::wstring>;

// The check box states of the tree's root items (1 unchecked, 2 checked).
std::vector<UINT> TreeMarks() {
  std::vector<UINT> marks;
  HWND tree = g_shell.basesTree;
  for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item))
    marks.push_back(TreeView_GetCheckState(tree, item) + 1);
  return marks;
}

// A click on the check box of the tree's root item `index`.
void ClickCheckBox(int index) {
  HTREEITEM item = TreeView_GetRoot(g_shell.basesTree);
  while (index-- > 0) item = TreeView_GetNextSibling(g_shell.basesTree, item);
  RECT rect{};
  *reinterpret_cast<HTREEITEM *>(&rect) = item; // the message takes the item in its place
  SendMessageW(g_shell.basesTree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
  LPARAM at = MAKELPARAM(rect.left - 8, (rect.top + rect.bottom) / 2);
  // The tree follows the mouse in a loop of its own until the button comes up: queue the up.
  PostMessageW(g_shell.basesTree, WM_LBUTTONUP, 0, at);
  SendMessageW(g_shell.basesTree, WM_LBUTTONDOWN, MK_LBUTTON, at);
  gui::Pump(10);
}

FolderMedia With(FolderMedia m, uint32_t clipUsage, bool inDatabase = true, bool onDisk = true) {
  m.plan.clipUsage = clipUsage;
  m.inDatabase = inDatabase;
  m.onDisk = onDisk;
  return m;
}

class CatalogueViewsTest : public ShellTest {
protected:
  void SetUp() override {
    ShellTest::SetUp();
    // Databases of earlier tests are gone from the disk: they are no longer shown.
    for (DatabaseEntry *d = g_catalogue.databases.First(); d; d = g_catalogue.databases.Next())
      d->present = 0;
    FillBasesTree();
    first = scratch.path / "Drive1" / "OMFI MediaFiles" / "1";
    second = scratch.path / "Drive2" / "AVID MediaFiles" / "2";
    ASSERT_TRUE(WriteMediaFolder(first, "First.pmr",
                                 {Media("a1.omf", "Alpha", 1), With(Media("a2.omf", "Alpha", 2), 1),
                                  With(Media("a3.omf", "Alpha", 3), 7, true, false),
                                  Media("b1.omf", "Beta", 4),
                                  Media("b2.wav", "Beta", 5, 0, OmfMediaKind::Wave)}));
    // d2 is a precompute its database does not describe, g3 one whose record says nothing
    // of it until its own header is read.
    ASSERT_TRUE(WriteMediaFolder(second, "Second.pmr",
                                 {Media("g1.omf", "Gamma", 8), Media("g2.omf", "Gamma", 9),
                                  Media("d1.omf", "Delta", 6),
                                  With(Media("d2.omf", "Delta", 7), kClipUsagePrecomp, false),
                                  With(Media("g3.omf", "Gamma", 10), kClipUsagePrecomp, false)}));
  }

  // The media folders themselves: Wine's wildcard "*.??" takes no sub-folder without a
  // two-character extension, so a walk from the scratch folder would find nothing.
  void DropFolders() { Drop(g_shell.basesTree, {first.wstring(), second.wstring()}); }
  void DropAndScan() {
    DropFolders();
    gui::Click(g_shell.scanButton);
  }

  // Waits until the Files list shows exactly these file names (in any order).
  static bool Lists(Names names) {
    std::sort(names.begin(), names.end());
    return gui::PumpUntil([&] {
      Names shown = ListColumn(g_shell.filesList);
      std::sort(shown.begin(), shown.end());
      return shown == names;
    });
  }
  static int FileRow(const wchar_t *name) {
    LVFINDINFOW find{LVFI_STRING, name};
    return ListView_FindItem(g_shell.filesList, -1, &find);
  }

  ScratchDir scratch;
  std::filesystem::path first, second;
};

TEST_F(CatalogueViewsTest, DroppedFolderListsDatabasesAndUncheckedOnesStayOutOfTheScan) {
  DropFolders();
  const std::wstring firstIndex = (first / "First.pmr").wstring();
  const std::wstring secondIndex = (second / "Second.pmr").wstring();
  EXPECT_EQ(gui::TreeRootTexts(g_shell.basesTree), (Names{firstIndex, secondIndex}));
  EXPECT_EQ(TreeMarks(), (std::vector<UINT>{2, 2}));
  ClickCheckBox(1);
  gui::Click(g_shell.scanButton);
  EXPECT_EQ(ListColumn(g_shell.projectsList), (Names{L"Alpha", L"Beta"}));
  EXPECT_EQ(gui::Text(g_shell.infoLabel).rfind(L"Projects count:\t2\nTotal Items:\t5\n", 0), 0u)
      << gui::Text(g_shell.infoLabel);

  // The mark survives a later drop, which stores the marks before it rebuilds the tree.
  Drop(g_shell.basesTree, {secondIndex});
  EXPECT_EQ(TreeMarks(), (std::vector<UINT>{2, 1}));

  // Index files by name: "pmr" or "PMR" only; the last dropped item is taken first; a path
  // longer than the drop buffer is skipped rather than cut short (its first 258 characters
  // would end in "pmr").
  std::wstring longPath = L"C:\\" + std::wstring(251, L'x') + L".pmr" + std::wstring(20, L'y');
  Drop(g_shell.basesTree, {L"C:\\q\\c.Pmr", L"C:\\q\\b.PMR", L"C:\\q\\a.pmr", longPath});
  EXPECT_EQ(gui::TreeRootTexts(g_shell.basesTree),
            (Names{L"C:\\q\\a.pmr", L"C:\\q\\b.PMR", firstIndex, secondIndex}));
  EXPECT_EQ(Logged(L"QEL::Drop::Skipping"), 1u);
}

TEST_F(CatalogueViewsTest, SelectedProjectsAreListedInProjectTableOrder) {
  DropAndScan();
  ASSERT_EQ(ListColumn(g_shell.projectsList), (Names{L"Alpha", L"Beta", L"Delta", L"Gamma"}));
  gui::Click(g_shell.existingCheck); // unchecked: files not on disk get rows too
  ClickRow(g_shell.projectsList, 0);
  ASSERT_TRUE(Lists({L"a1.omf", L"a2.omf", L"a3.omf"}));
  // The scanned records' texts reach the rows (every column's text is checked in the Files
  // list's own tests).
  EXPECT_EQ(ListColumn(g_shell.filesList, 1)[FileRow(L"a1.omf")], L"Clip of a1.omf");
  EXPECT_EQ(ListColumn(g_shell.filesList, 5)[FileRow(L"a2.omf")], L"Precomp");
  EXPECT_EQ(ListColumn(g_shell.filesList, 2)[FileRow(L"a3.omf")], L"Not Exist");
  gui::Click(g_shell.existingCheck);

  // Gamma, then Shift up to Beta, before the timer runs: one pass in table order.
  ClickRow(g_shell.projectsList, 3);
  EXPECT_EQ(RowCount(g_shell.filesList), 0); // the selection was empty for a moment
  ClickRow(g_shell.projectsList, 1, MK_SHIFT);
  EXPECT_TRUE(Lists({L"b1.omf", L"b2.wav", L"d1.omf", L"d2.omf", L"g1.omf", L"g2.omf", L"g3.omf"}));
  Names projects = ListColumn(g_shell.filesList, 7);
  EXPECT_TRUE(std::is_sorted(projects.begin(), projects.end()));
  ClickRow(g_shell.projectsList, 2);
  EXPECT_TRUE(Lists({L"d1.omf", L"d2.omf"}));
  EXPECT_TRUE(gui::PumpUntil(
      [] { return gui::Text(g_shell.statusLine).find(L" in 2 items") != std::wstring::npos; }));
}

// The scan's first cancel check finds a key press; its question's message loop then meets a
// drop, a refresh tick and a second Scan, queued behind the key. None may act before the scan
// has ended: the drop waits and is taken afterwards, the tick leaves the views alone, the
// second Scan is refused.
TEST_F(CatalogueViewsTest, WorkQueuedDuringAScanWaitsForItsEnd) {
  DropFolders();
  const std::filesystem::path loose = scratch.path / "loose.omf";
  ASSERT_TRUE(WriteFileBytes(loose, BuildMediaFile(Media("", "Loose Project", 40).plan)));
  SetWindowTextW(g_shell.statusLine, L"before the scan");
  PostMessageW(main, WM_KEYDOWN, 'X', 1);
  PostMessageW(g_shell.projectsList, WM_DROPFILES,
               reinterpret_cast<WPARAM>(MakeDrop({loose.wstring()})), 0);
  PostMessageW(g_shell.filesList, WM_TIMER, g_shell.refreshTimerId,
               reinterpret_cast<LPARAM>(OnRefreshTimer));
  PostMessageW(main, WM_COMMAND, 0, reinterpret_cast<LPARAM>(g_shell.scanButton));
  int projects = -1;
  std::wstring status;
  gui::Answers no(
      {IDNO},
      [&] {
        Sleep(300); // the question's own message loop takes what was queued
        projects = RowCount(g_shell.projectsList);
        status = gui::Text(g_shell.statusLine);
      },
      L"Do you want to cancel current task?");
  gui::Click(g_shell.scanButton);
  EXPECT_EQ(no.Finish().size(), 1u);
  EXPECT_EQ(projects, 0);
  EXPECT_EQ(status, L"before the scan");
  EXPECT_EQ(Logged(L"QEL::Scan::Refused while Scan runs"), 1u);
  EXPECT_TRUE(gui::PumpUntil([] { return RowCount(g_shell.projectsList) == 5; }))
      << RowCount(g_shell.projectsList);
  EXPECT_EQ(ListColumn(g_shell.projectsList).back(), L"Loose Project");
  EXPECT_EQ(FindWindowW(L"QELProgress", nullptr), nullptr) << "a progress window left open";
}

TEST_F(CatalogueViewsTest, MediaDropAddsFilesAndFolders) {
  std::filesystem::path loose = scratch.path / "Loose";
  std::vector<std::wstring> paths{(loose / "Inner").wstring()};
  for (uint32_t i = 0; i < 4; ++i) {
    std::filesystem::path file =
        (i < 2 ? loose : loose / "Inner") / ("m" + std::to_string(i) + ".omf");
    std::filesystem::create_directories(file.parent_path());
    ASSERT_TRUE(WriteFileBytes(file, BuildMediaFile(Media("", "Loose Project", 20 + i).plan)));
    if (i < 2) paths.push_back(file.wstring());
  }
  Drop(g_shell.projectsList, paths);
  EXPECT_EQ(ListColumn(g_shell.projectsList), (Names{L"Loose Project"}));
  EXPECT_EQ(gui::Text(g_shell.infoLabel).rfind(L"Projects count:\t1\nTotal Items:\t4\n", 0), 0u)
      << gui::Text(g_shell.infoLabel);
}

TEST_F(CatalogueViewsTest, KeysActOnTheFocusedView) {
  DropAndScan();
  // Bases tree: Ctrl+I inverts the marks, Ctrl+A checks all; both are stored at once.
  SetFocus(g_shell.basesTree);
  gui::PressKey(g_shell.basesTree, 'I', true);
  EXPECT_EQ(TreeMarks(), (std::vector<UINT>{1, 1}));
  gui::PressKey(g_shell.basesTree, 'A', true);
  for (DatabaseEntry *d = g_catalogue.databases.First(); d; d = g_catalogue.databases.Next())
    EXPECT_TRUE(!d->present || d->enabled) << d->path;

  // Projects list: Ctrl+A lists every project; Ctrl+I inverts.
  SetFocus(g_shell.projectsList);
  gui::PressKey(g_shell.projectsList, 'A', true);
  EXPECT_TRUE(Lists({L"a1.omf", L"a2.omf", L"b1.omf", L"b2.wav", L"d1.omf", L"d2.omf", L"g1.omf",
                     L"g2.omf", L"g3.omf"}));
  ClickRow(g_shell.projectsList, 0);
  gui::PressKey(g_shell.projectsList, 'I', true);
  EXPECT_TRUE(Lists({L"b1.omf", L"b2.wav", L"d1.omf", L"d2.omf", L"g1.omf", L"g2.omf", L"g3.omf"}));

  // Files list: F2 on d2 reads its own header; Ctrl+P then selects the precomputes, g3 once
  // its header has told it is one.
  SetFocus(g_shell.filesList);
  EXPECT_EQ(ListColumn(g_shell.filesList, 3)[FileRow(L"d2.omf")], L"");
  Select(g_shell.filesList, FileRow(L"d2.omf"));
  gui::PressKey(g_shell.filesList, VK_F2);
  EXPECT_EQ(ListColumn(g_shell.filesList, 3)[FileRow(L"d2.omf")], L"JPEG: 2:1");
  gui::PressKey(g_shell.filesList, 'P', true);
  Names selected;
  for (int row = 0; row < RowCount(g_shell.filesList); ++row)
    if (IsSelected(g_shell.filesList, row)) selected.push_back(ListColumn(g_shell.filesList)[row]);
  std::sort(selected.begin(), selected.end());
  EXPECT_EQ(selected, (Names{L"d2.omf", L"g3.omf"}));
  EXPECT_TRUE(g_views.syncEnabled);
}

TEST_F(CatalogueViewsTest, MarqueeSelectionIsListedWhenTheDragEnds) {
  DropAndScan();
  HWND list = g_shell.projectsList;
  RECT last{LVIR_BOUNDS}, top{LVIR_BOUNDS};
  SendMessageW(list, LVM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&last));
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
TEST_F(ShellTest, ProjectSelectedAgainBeforeTheTimerRanKeepsItsRowsOnce) {
  Store(Record(L"a1.omf", L"Alpha", 100));
  Store(Record(L"a2.omf", L"Alpha", 20));
  Store(Record(L"b1.omf", L"Beta", 3));
  Link();
  FillProjectsList();
  ClickRow(g_shell.projectsList, 0);
  ClickRow(g_shell.projectsList, 1, MK_CONTROL); // Beta has the focus
  ASSERT_TRUE(gui::PumpUntil([] { return RowCount(g_shell.filesList) == 3; }));

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

  EXPECT_EQ(ListColumn(g_shell.filesList), (Names{L"a2.omf", L"a1.omf", L"b1.omf"}));
  EXPECT_EQ(g_views.listedBytes, 123u);
  Select(g_shell.projectsList, 1, false); // Beta's rows go, Alpha's stay: none left behind
  EXPECT_TRUE(gui::PumpUntil([] { return RowCount(g_shell.filesList) == 2; }));
  EXPECT_EQ(g_views.listedBytes, 120u);
}

} // namespace
