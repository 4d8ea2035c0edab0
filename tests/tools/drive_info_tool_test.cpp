// The "Hardware Tool" opened from the main window's button: one row per drive that answers,
// its bar on the scale common to all drives. The drives are described by replaced queries.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cwchar>
#include <iterator>

#include "support/started_shell.h"
#include "tools/drive_info_tool.h"
#include "window_services/test_seams.h"

namespace {

constexpr uint64_t kGB = 1000000000ull;

// C: answers and its name cannot be read; E: has no medium. The roots claim more room than
// the tool's first buffer, as on a machine with many drives.
DWORD WINAPI FakeRoots(DWORD chars, LPWSTR buffer) {
  static const wchar_t kRoots[] = L"C:\\\0E:\\\0";
  if (chars < 400) return 400;
  std::wmemcpy(buffer, kRoots, std::size(kRoots));
  return std::size(kRoots) - 1;
}

BOOL WINAPI FakeSpace(LPCWSTR root, PULARGE_INTEGER toCaller, PULARGE_INTEGER total,
                      PULARGE_INTEGER totalFree) {
  if (root[0] != L'C') return FALSE;
  toCaller->QuadPart = totalFree->QuadPart = 250 * kGB;
  total->QuadPart = 1000 * kGB;
  return TRUE;
}

BOOL WINAPI FakeVolume(LPCWSTR, LPWSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPWSTR, DWORD) {
  return FALSE;
}

UINT WINAPI FakeType(LPCWSTR) {
  return DRIVE_FIXED;
}

TEST(DriveInfoTool, RowsOfAnsweringDrivesOnTheCommonScale) {
  ASSERT_TRUE(IsWindow(StartedShell())) << "start-up failed";
  DriveQueries previous = SetDriveQueries({FakeRoots, FakeSpace, FakeVolume, FakeType});
  gui::Click(g_shell.hardwareButton);
  HWND tool = FindWindowW(L"QELHWTool", nullptr);
  ASSERT_NE(tool, nullptr);
  // The header's five cells, then one row (root, free, bar, name, total, used) for C: only.
  std::vector<HWND> cells = gui::Children(tool);
  ASSERT_EQ(cells.size(), 5u + 6);
  EXPECT_EQ(gui::Text(cells[5]), L"C:\\");
  EXPECT_EQ(SendMessageW(cells[7], PBM_GETRANGE, FALSE, 0), 320);
  EXPECT_EQ(SendMessageW(cells[7], PBM_GETPOS, 0, 0), 240);
  gui::Click(g_shell.hardwareButton); // opening it again while it is open adds nothing
  EXPECT_EQ(FindWindowW(L"QELHWTool", nullptr), tool);
  EXPECT_EQ(gui::Children(tool).size(), cells.size());
  SendMessageW(tool, WM_CLOSE, 0, 0);
  SetDriveQueries(previous);
}

TEST(DriveInfoTool, BarsShareOneScale) {
  const struct {
    uint64_t bytes, largest;
    int pixels;
  } cases[] = {{0, 0, 0}, {1000, 1000, 320}, {500, 1000, 160}, {2000, 1000, 320}, {1, 3, 106}};
  for (const auto &c : cases)
    EXPECT_EQ(DriveBarPixels(c.bytes, c.largest), c.pixels) << c.bytes << "/" << c.largest;
}

} // namespace
