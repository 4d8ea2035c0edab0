// End to end through real messages: media folders dropped on the Bases tree, scanned, and
// their projects selected and listed; the drops, selections and key presses that went wrong once.
#include "catalogue/database_discovery.h"
#include "support/media_folders.h"
#include "support/gui_harness.h"
#include "support/scratch_dir.h"
#include "views/bases_tree.h"
#include "views/projects_list.h"

namespace {

using Names = std::vector<std::wstring>;

// The check marks of the Bases tree's root items.
std::vector<UINT> TreeChecks() {
  std::vector<UINT> marks;
  HWND tree = g_shell.basesTree;
  for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item))
    marks.push_back(TreeView_GetCheckState(tree, item));
  return marks;
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
                                 {Media("a1.omf", "Alpha", 1), Media("a2.omf", "Alpha", 2),
                                  Media("b1.omf", "Beta", 4), Media("b2.omf", "Beta", 5)}));
    ASSERT_TRUE(WriteMediaFolder(second, "Second.pmr",
                                 {Media("g1.omf", "Gamma", 8), Media("g2.omf", "Gamma", 9),
                                  Media("d1.omf", "Delta", 6), Media("d2.omf", "Delta", 7)}));
  }

  // The media folders themselves: Wine's wildcard "*.??" takes no sub-folder without a
  // two-character extension, so a walk from the scratch folder would find nothing.
  void DropFolders() { Drop(g_shell.basesTree, {first.wstring(), second.wstring()}); }

  ScratchDir scratch;
  std::filesystem::path first, second;
};

TEST_F(CatalogueViewsTest, DroppedFolderListsDatabasesAndUncheckedOnesStayOutOfTheScan) {
  DropFolders();
  const std::wstring firstIndex = (first / "First.pmr").wstring();
  const std::wstring secondIndex = (second / "Second.pmr").wstring();
  EXPECT_EQ(gui::TreeRootTexts(g_shell.basesTree), (Names{firstIndex, secondIndex}));
  EXPECT_EQ(TreeChecks(), (std::vector<UINT>{1, 1}));
  HWND tree = g_shell.basesTree;
  TreeView_SetCheckState(tree, TreeView_GetNextSibling(tree, TreeView_GetRoot(tree)), FALSE);
  gui::Click(g_shell.scanButton);
  EXPECT_EQ(ListColumn(g_shell.projectsList), (Names{L"Alpha", L"Beta"}));
  EXPECT_EQ(gui::Text(g_shell.infoLabel).rfind(L"Projects count:\t2\nTotal Items:\t4\n", 0), 0u)
      << gui::Text(g_shell.infoLabel);
  ClickRow(g_shell.projectsList, 0);
  EXPECT_TRUE(gui::PumpUntil([] { return RowCount(g_shell.filesList) == 2; })) << "Alpha's rows";

  // The mark survives a later drop, which stores the marks before it rebuilds the tree.
  Drop(g_shell.basesTree, {secondIndex});
  EXPECT_EQ(TreeChecks(), (std::vector<UINT>{1, 0}));

  // Index files by name: "pmr" or "PMR" only; the last dropped item is taken first; a path
  // longer than the drop buffer is skipped rather than cut short (its first 258 characters
  // would end in "pmr").
  std::wstring longPath = L"C:\\" + std::wstring(251, L'x') + L".pmr" + std::wstring(20, L'y');
  Drop(g_shell.basesTree, {L"C:\\q\\c.Pmr", L"C:\\q\\b.PMR", L"C:\\q\\a.pmr", longPath});
  EXPECT_EQ(gui::TreeRootTexts(g_shell.basesTree),
            (Names{L"C:\\q\\a.pmr", L"C:\\q\\b.PMR", firstIndex, secondIndex}));
  EXPECT_EQ(Logged(L"QEL::Drop::Skipping"), 1u);
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

TEST_F(CatalogueViewsTest, MarqueeSelectionIsListedWhenTheDragEnds) {
  DropFolders();
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

} // namespace
