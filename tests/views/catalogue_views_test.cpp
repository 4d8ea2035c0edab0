// End to end through real messages: media folders dropped on the Bases tree, scanned and their
// projects listed; the drops, selections and key presses that went wrong once; the Files list.
#include "catalogue/database_discovery.h"
#include "catalogue/media_linking.h"
#include "support/gui_harness.h"
#include "support/media_folders.h"
#include "views/bases_tree.h"
#include "views/projects_list.h"
#include "window_services/window_helpers.h"

namespace {

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
                                 {Media("a1.omf", "Alpha", 1), Media("a2.omf", "Alpha", 2),
                                  Media("b1.omf", "Beta", 4), Media("b2.omf", "Beta", 5)}));
    ASSERT_TRUE(WriteMediaFolder(second, "Second.pmr",
                                 {Media("g1.omf", "Gamma", 8), Media("g2.omf", "Gamma", 9),
                                  Media("d1.omf", "Delta", 6), Media("d2.omf", "Delta", 7)}));
    // The media folders themselves: Wine's wildcard "*.??" takes no sub-folder without a
    // two-character extension, so a walk from the scratch folder would find nothing.
    Drop(g_shell.basesTree, {first.wstring(), second.wstring()});
  }

  std::filesystem::path first, second;
};

TEST_F(CatalogueViewsTest, DroppedFolderListsDatabasesAndUncheckedOnesStayOutOfTheScan) {
  const std::wstring firstIndex = (first / "First.pmr").wstring();
  const std::wstring secondIndex = (second / "Second.pmr").wstring();
  HWND tree = g_shell.basesTree;
  EXPECT_EQ(gui::Items(tree), (Names{firstIndex, secondIndex}));
  EXPECT_TRUE(gui::Check(tree, secondIndex, FALSE)) << "checked when listed";
  gui::Click(g_shell.scanButton);
  EXPECT_EQ(gui::Items(g_shell.projectsList), (Names{L"Alpha", L"Beta"}));
  EXPECT_EQ(gui::Text(g_shell.infoLabel).rfind(L"Projects count:\t2\nTotal Items:\t4\n", 0), 0u);
  ClickRow(g_shell.projectsList, 0);
  EXPECT_TRUE(gui::PumpUntil([] { return RowCount(g_shell.filesList) == 2; })) << "Alpha's rows";

  // The mark survives a later drop, which stores the marks before it rebuilds the tree.
  Drop(tree, {secondIndex});
  EXPECT_FALSE(gui::Check(tree, secondIndex));

  // Index files by name: "pmr" or "PMR" only; the last dropped item is taken first; a path
  // longer than the drop buffer is skipped rather than cut short (its first 258 characters
  // would end in "pmr").
  std::wstring longPath = L"C:\\" + std::wstring(251, L'x') + L".pmr" + std::wstring(20, L'y');
  Drop(tree, {L"C:\\q\\c.Pmr", L"C:\\q\\b.PMR", L"C:\\q\\a.pmr", longPath});
  EXPECT_EQ(gui::Items(tree), (Names{L"C:\\q\\a.pmr", L"C:\\q\\b.PMR", firstIndex, secondIndex}));
  EXPECT_EQ(Logged(L"QEL::Drop::Skipping"), 1u);
}

// The scan's first cancel check finds a key press; its question's message loop then meets a
// drop, a refresh tick and a second Scan, queued behind the key. None may act before the scan
// has ended: the drop waits and is taken afterwards, the tick leaves the views alone, the
// second Scan is refused.
TEST_F(CatalogueViewsTest, WorkQueuedDuringAScanWaitsForItsEnd) {
  const std::filesystem::path loose = scratch.path / "loose.omf";
  ASSERT_TRUE(WriteFileBytes(loose, BuildMediaFile(Media("", "Loose Project", 40).plan)));
  SetWindowTextW(g_shell.statusLine, L"before the scan");
  PostMessageW(main, WM_KEYDOWN, 'X', 1);
  Drop(g_shell.projectsList, {loose.wstring()}, true);
  PostMessageW(g_shell.filesList, WM_TIMER, g_shell.refreshTimerId,
               reinterpret_cast<LPARAM>(OnRefreshTimer));
  PostMessageW(main, WM_COMMAND, 0, reinterpret_cast<LPARAM>(g_shell.scanButton));
  int projects = -1;
  std::wstring status;
  auto scan = [] { gui::Click(g_shell.scanButton); };
  const Names asked = gui::Answer({IDNO}, scan, L"cancel current task?", [&] {
    Sleep(300); // the question's own message loop takes what was queued
    projects = RowCount(g_shell.projectsList);
    status = gui::Text(g_shell.statusLine);
  });
  EXPECT_EQ(asked.size(), 1u);
  EXPECT_EQ(projects, 0);
  EXPECT_EQ(status, L"before the scan");
  EXPECT_EQ(Logged(L"QEL::Scan::Refused while Scan runs"), 1u);
  EXPECT_TRUE(gui::PumpUntil([] { return RowCount(g_shell.projectsList) == 5; }))
      << RowCount(g_shell.projectsList);
  EXPECT_EQ(gui::Items(g_shell.projectsList).back(), L"Loose Project");
  EXPECT_EQ(FindWindowW(L"QELProgress", nullptr), nullptr) << "a progress window left open";
}

TEST_F(CatalogueViewsTest, MarqueeSelectionIsListedWhenTheDragEnds) {
  gui::Click(g_shell.scanButton);
  HWND list = g_shell.projectsList;
  RECT last{}, top{}; // left 0: LVIR_BOUNDS, the whole row
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
  EXPECT_TRUE(gui::PumpUntil([] { return RowCount(g_shell.filesList) == 6; }))
      << "3 projects' rows";
}

// Waits until the status line reads the short size text of bytes, then rest.
bool StatusIs(uint64_t bytes, const std::wstring &rest) {
  wchar_t size[60];
  const std::wstring text = FormatByteSize(size, 60, bytes) + rest;
  MarkStatusDirty();
  return gui::PumpUntil([&] { return gui::Text(g_shell.statusLine) == text; }, 3000);
}

TEST_F(ShellTest, FilesListFollowsTheProjectsSortsAndSumsTheSelection) {
  Store(Record(L"a1.omf", L"Alpha", 20));
  Store(Record(L"a2.omf", L"Alpha", 100));
  Store(Record(L"B1.omf", L"Beta", 3));
  MediaRecord *gone = Store(Record(L"gone.omf", L"Beta", 0, 0)); // its file is not on disk
  Link();
  FillProjectsList();
  HWND files = g_shell.filesList, projects = g_shell.projectsList;
  ClickRow(projects, 0);
  ClickRow(projects, 1, MK_CONTROL); // Beta has the focus
  ASSERT_TRUE(gui::PumpUntil([&] { return RowCount(files) == 3; })) << "gone.omf listed";
  // Ctrl+Space twice on Beta within one tick of the refresh timer: its rows, waiting to be
  // removed, are still listed when it is selected again, and stay listed once.
  gui::PressKey(projects, VK_SPACE, true, 2);
  ASSERT_TRUE(ListView_GetItemState(projects, 1, LVIS_SELECTED));
  gui::Pump(400); // two ticks
  EXPECT_EQ(RowCount(files), 3);
  EXPECT_TRUE(StatusIs(123, L" in 3 items"));
  ClickHeader(files, 0); // by name, whatever the case
  EXPECT_EQ(gui::Items(files), (Names{L"a1.omf", L"a2.omf", L"B1.omf"}));
  ClickHeader(files, 2); // largest first
  EXPECT_EQ(gui::Items(files), (Names{L"a2.omf", L"a1.omf", L"B1.omf"}));

  Select(files, 0);
  EXPECT_TRUE(StatusIs(100, L" in 1 selected items"));
  SetFocus(files); // Ctrl+A and Ctrl+I reach the focused list through the accelerator table
  gui::PressKey(files, 'A', true);
  EXPECT_TRUE(StatusIs(123, L" in 3 selected items"));
  Select(files, 1, false);
  gui::PressKey(files, 'I', true);
  EXPECT_EQ(g_views.selectedBytes, 20u) << "a1.omf alone selected";
  // A selected row that leaves the list takes its size out of the selection and the sum.
  RemoveRecordFromFilesList(FilesListRecord(1));
  EXPECT_TRUE(StatusIs(103, L" in 2 items"));
  // With the box unchecked a file not on disk is listed; selected, it weighs nothing.
  SendMessageW(g_shell.existingCheck, BM_SETCHECK, BST_UNCHECKED, 0);
  AddRecordToFilesList(gone);
  Select(files, 2); // gone.omf, the smallest
  EXPECT_TRUE(StatusIs(103, L" in 3 items"));
  Select(projects, 1, false); // Beta's rows go, Alpha's stay
  EXPECT_TRUE(gui::PumpUntil([&] { return gui::Items(files) == Names{L"a2.omf"}; }));
  EXPECT_EQ(g_views.listedBytes, 100u);
}

} // namespace
