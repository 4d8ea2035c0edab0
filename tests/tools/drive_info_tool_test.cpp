// The "Hardware Tool" opened from the main window's button: one row per drive that answers,
// bars on a common scale, the window's height from the row count. Drives are described by
// replaced system queries, and once by the system itself.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "window_services/window_helpers.h"
#include "support/started_shell.h"
#include "tools/drive_info_tool.h"
#include "window_services/test_seams.h"

namespace {

constexpr uint64_t kGB = 1000000000ull;

struct FakeDrive {
  const wchar_t *root;
  bool answers;
  uint64_t total;
  uint64_t free;
  const wchar_t *volume; // none: the name cannot be read
  UINT type;
};

std::vector<FakeDrive> g_drives;

const FakeDrive *Find(LPCWSTR root) {
  for (const FakeDrive &d : g_drives)
    if (std::wcscmp(d.root, root) == 0) return &d;
  return nullptr;
}

// Claims to need more room than the tool's first buffer, as a machine with many drives does.
DWORD WINAPI FakeRoots(DWORD chars, LPWSTR buffer) {
  std::wstring all;
  for (const FakeDrive &d : g_drives) all.append(d.root).push_back(L'\0');
  const DWORD claimed = 400;
  if (chars < claimed) return claimed;
  std::wmemcpy(buffer, all.c_str(), all.size() + 1);
  return static_cast<DWORD>(all.size());
}

BOOL WINAPI FakeSpace(LPCWSTR root, PULARGE_INTEGER toCaller, PULARGE_INTEGER total,
                      PULARGE_INTEGER totalFree) {
  const FakeDrive *d = Find(root);
  if (d == nullptr || !d->answers) return FALSE;
  toCaller->QuadPart = d->free;
  total->QuadPart = d->total;
  totalFree->QuadPart = d->free;
  return TRUE;
}

BOOL WINAPI FakeVolume(LPCWSTR root, LPWSTR name, DWORD chars, LPDWORD, LPDWORD, LPDWORD, LPWSTR,
                       DWORD) {
  const FakeDrive *d = Find(root);
  if (d == nullptr || d->volume == nullptr) return FALSE;
  lstrcpynW(name, d->volume, static_cast<int>(chars));
  return TRUE;
}

UINT WINAPI FakeType(LPCWSTR root) {
  const FakeDrive *d = Find(root);
  return d != nullptr ? d->type : DRIVE_NO_ROOT_DIR;
}

struct Cell {
  std::wstring cls;
  std::wstring text;
  RECT rect;
  int pos = 0;
  int range = 0;
};

class DriveInfoToolTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(IsWindow(StartedShell())) << "start-up failed";
    previous = SetDriveQueries({FakeRoots, FakeSpace, FakeVolume, FakeType});
  }
  void TearDown() override {
    if (IsWindow(Tool())) SendMessageW(Tool(), WM_CLOSE, 0, 0);
    SetDriveQueries(previous);
  }
  static HWND Tool() { return FindWindowW(L"QELHWTool", nullptr); }

  HWND Open() {
    gui::Click(g_shell.hardwareButton);
    return Tool();
  }

  static std::vector<Cell> Cells(HWND tool) {
    std::vector<Cell> cells;
    for (HWND child : gui::Children(tool)) {
      Cell c{gui::ClassOf(child), gui::Text(child), gui::RectInParent(child)};
      c.pos = static_cast<int>(SendMessageW(child, PBM_GETPOS, 0, 0));
      c.range = static_cast<int>(SendMessageW(child, PBM_GETRANGE, FALSE, 0));
      cells.push_back(c);
    }
    return cells;
  }

  static int OuterHeight(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return r.bottom - r.top;
  }

  DriveQueries previous{};
};

TEST_F(DriveInfoToolTest, RowsOfAnsweringDrivesOnACommonScale) {
  g_drives = {
      {L"C:\\", true, 1000 * kGB, 250 * kGB, L"System", DRIVE_FIXED},
      {L"D:\\", true, 500 * kGB, 500 * kGB, L"", DRIVE_CDROM}, // half the size, empty
      {L"E:\\", false, 0, 0, L"Card", DRIVE_REMOVABLE},        // no medium: no row
      {L"F:\\", true, 1000 * kGB, 0, nullptr, DRIVE_REMOTE},   // full, name unreadable
  };
  HWND tool = Open();
  ASSERT_NE(nullptr, tool);
  EXPECT_EQ(L"Hardware Tool", gui::Text(tool));
  EXPECT_EQ(36 + 18 * 4, OuterHeight(tool));

  std::vector<Cell> cells = Cells(tool);
  // The header's five cells, then six controls per row.
  ASSERT_EQ(5u + 3 * 6, cells.size());
  EXPECT_EQ(L"Drive", cells[0].text);
  EXPECT_EQ(L"Used", cells[4].text);
  const wchar_t *roots[] = {L"C:\\", L"D:\\", L"F:\\"};
  const wchar_t *names[] = {L"System", L"", L""};
  const int widths[] = {320, 160, 320};
  const int used[] = {240, 0, 320};
  for (int row = 0; row < 3; ++row) {
    const Cell *r = &cells[5 + 6 * row];
    EXPECT_EQ(roots[row], r[0].text);
    EXPECT_EQ(r[0].rect.top, cells[0].rect.top + 18 * (row + 1));
    ASSERT_EQ(L"msctls_progress32", r[2].cls);
    EXPECT_EQ(widths[row], r[2].rect.right - r[2].rect.left) << roots[row];
    EXPECT_EQ(18, r[2].rect.bottom - r[2].rect.top);
    EXPECT_EQ(r[0].rect.left + 90, r[2].rect.left);
    EXPECT_EQ(widths[row], r[2].range) << roots[row];
    EXPECT_EQ(used[row], r[2].pos) << roots[row];
    EXPECT_EQ(names[row], r[3].text);
    const FakeDrive &d = *Find(roots[row]);
    wchar_t size[59];
    EXPECT_EQ(FormatByteSize(size, 59, d.free), r[1].text);
    EXPECT_EQ(FormatByteSize(size, 59, d.total), r[4].text);
    EXPECT_EQ(FormatByteSize(size, 59, d.total - d.free), r[5].text);
  }

  // Opening it again while it is open adds nothing.
  Open();
  EXPECT_EQ(tool, Tool());
  EXPECT_EQ(cells.size(), gui::Children(tool).size());
}

TEST_F(DriveInfoToolTest, NoAnsweringDriveLeavesTheHeaderOnly) {
  g_drives = {{L"A:\\", false, 0, 0, nullptr, DRIVE_REMOVABLE}};
  HWND tool = Open();
  ASSERT_NE(nullptr, tool);
  EXPECT_EQ(54, OuterHeight(tool));
  EXPECT_EQ(5u, gui::Children(tool).size());
}

TEST_F(DriveInfoToolTest, BarColoursFollowTheDriveType) {
  EXPECT_EQ(RGB(223, 255, 223), DriveBarColour(DRIVE_REMOTE));
  EXPECT_EQ(RGB(255, 255, 223), DriveBarColour(DRIVE_CDROM));
  EXPECT_EQ(RGB(255, 223, 255), DriveBarColour(DRIVE_FIXED));
  EXPECT_EQ(0, DriveBarPixels(0, 0));
}

TEST_F(DriveInfoToolTest, TheSystemsOwnDrives) {
  SetDriveQueries({});
  HWND tool = Open();
  ASSERT_NE(nullptr, tool);
  int widest = 0;
  int bars = 0;
  for (const Cell &c : Cells(tool)) {
    if (c.cls != L"msctls_progress32") continue;
    ++bars;
    widest = std::max<int>(widest, c.rect.right - c.rect.left);
  }
  ASSERT_GT(bars, 0) << "the system drive answers";
  EXPECT_EQ(320, widest);
  EXPECT_EQ(36 + 18 * (1 + bars), OuterHeight(tool));
}

} // namespace
