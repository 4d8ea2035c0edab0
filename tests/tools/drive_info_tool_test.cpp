// The "Hardware Tool" opened from the main window's button: one row per drive that answers,
// its bar on the scale common to all drives. The drives are described by replaced queries.
#include <cwchar>
#include <iterator>

#include "support/gui_harness.h"
#include "tools/drive_info_tool.h"
#include "window_services/test_seams.h"

namespace {

// C: answers, E: has no medium; the roots need more room than the tool's first buffer, as on
// a machine with many drives.
DWORD WINAPI FakeRoots(DWORD chars, LPWSTR buffer) {
  static const wchar_t kRoots[] = L"C:\\\0E:\\\0";
  if (chars < 400) return 400;
  std::wmemcpy(buffer, kRoots, std::size(kRoots));
  return std::size(kRoots) - 1;
}

BOOL WINAPI FakeSpace(LPCWSTR root, PULARGE_INTEGER toCaller, PULARGE_INTEGER total,
                      PULARGE_INTEGER totalFree) {
  toCaller->QuadPart = totalFree->QuadPart = 250000000000ull;
  total->QuadPart = 1000000000000ull;
  return root[0] == L'C';
}

TEST(DriveInfoTool, RowsOfAnsweringDrivesOnTheCommonScale) {
  ASSERT_TRUE(IsWindow(StartedShell())) << "start-up failed";
  DriveQueries previous = SetDriveQueries({FakeRoots, FakeSpace, nullptr, nullptr});
  gui::Click(g_shell.hardwareButton);
  HWND tool = FindWindowW(L"QELHWTool", nullptr);
  ASSERT_NE(tool, nullptr);
  auto cells = [tool] {
    std::vector<HWND> found;
    for (HWND c = GetWindow(tool, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) found.push_back(c);
    return found;
  };
  // The header's five cells, then one row (root, free, bar, name, total, used) for C: only.
  ASSERT_EQ(cells().size(), 5u + 6);
  EXPECT_EQ(gui::Text(cells()[5]), L"C:\\");
  EXPECT_EQ(SendMessageW(cells()[7], PBM_GETRANGE, FALSE, 0), 320);
  EXPECT_EQ(SendMessageW(cells()[7], PBM_GETPOS, 0, 0), 240);
  gui::Click(g_shell.hardwareButton); // opening it again while it is open adds nothing
  EXPECT_EQ(FindWindowW(L"QELHWTool", nullptr), tool);
  EXPECT_EQ(cells().size(), 11u);
  SendMessageW(tool, WM_CLOSE, 0, 0);
  SetDriveQueries(previous);
}

} // namespace
