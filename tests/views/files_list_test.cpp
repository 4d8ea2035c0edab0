// The Files list over records in memory: the rows of the selected projects, their sorts and
// the byte sums behind the status line (the column texts come from the core's formatters).
#include "catalogue/media_linking.h"
#include "support/gui_harness.h"
#include "views/projects_list.h"
#include "window_services/window_helpers.h"

namespace {

using Names = std::vector<std::wstring>;

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
  EXPECT_EQ(ListColumn(files), (Names{L"a1.omf", L"a2.omf", L"B1.omf"}));
  ClickHeader(files, 2); // largest first
  EXPECT_EQ(ListColumn(files), (Names{L"a2.omf", L"a1.omf", L"B1.omf"}));

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
  Names shown = ListColumn(files);
  int row = static_cast<int>(std::find(shown.begin(), shown.end(), L"gone.omf") - shown.begin());
  EXPECT_EQ(gui::ListViewText(files, row, 2), L"Not Exist");
  Select(files, row);
  EXPECT_TRUE(StatusIs(103, L" in 3 items"));
  Select(projects, 1, false); // Beta's rows go, Alpha's stay
  EXPECT_TRUE(gui::PumpUntil([&] { return ListColumn(files) == Names{L"a2.omf"}; }));
  EXPECT_EQ(g_views.listedBytes, 100u);
  wchar_t tiny[2] = {L'x', L'x'}; // too small for a size text: empty, never the old contents
  FormatByteSize(tiny, 2, 1536);
  EXPECT_EQ(tiny[0], 0);
}

} // namespace
