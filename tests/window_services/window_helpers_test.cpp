#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>
#include <gtest/gtest.h>

#include <map>

#include "window_services/test_seams.h"
#include "window_services/window_helpers.h"

namespace {

HWND MakePopup(int x, int y, int w, int h, bool visible) {
  return CreateWindowExW(0, L"Static", L"", WS_POPUP | (visible ? WS_VISIBLE : 0), x, y, w, h,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

RECT WorkArea() {
  RECT area;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

// Counts the messages that reach a window, by message.
LRESULT CALLBACK Counting(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR counts) {
  ++(*reinterpret_cast<std::map<UINT, int> *>(counts))[message];
  return DefSubclassProc(window, message, wParam, lParam);
}

TEST(ModifyStyle, LeavesAWindowAloneWhenNothingChanges) {
  HWND window = MakePopup(0, 0, 50, 50, false);
  std::map<UINT, int> seen;
  SetWindowSubclass(window, Counting, 1, reinterpret_cast<DWORD_PTR>(&seen));
  EXPECT_FALSE(ModifyStyle(window, WS_BORDER, 0, 0));
  EXPECT_FALSE(ModifyStyle(window, 0, WS_POPUP, SWP_FRAMECHANGED));
  EXPECT_TRUE(seen.empty());
  EXPECT_TRUE(ModifyStyle(window, 0, WS_BORDER, SWP_FRAMECHANGED));
  EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_BORDER);
  EXPECT_EQ(seen[WM_STYLECHANGED], 1);
  EXPECT_GE(seen[WM_WINDOWPOSCHANGING], 1); // the frame is recomputed
  RemoveWindowSubclass(window, Counting, 1);
  DestroyWindow(window);
}

TEST(CenterWindow, StaysInsideTheWorkArea) {
  RECT area = WorkArea();
  HWND window = MakePopup(400, 400, 300, 200, true);
  HWND reference = MakePopup(area.left, area.top + 100, 100, 100, true);
  EXPECT_TRUE(CenterWindow(window, reference));
  RECT r;
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, area.left);    // 50 - 150 would be off screen
  EXPECT_EQ(r.top, area.top + 50); // inside the area: not clamped
  EXPECT_EQ(r.right - r.left, 300);

  // A hidden reference is dropped: the window centres on the work area.
  ShowWindow(reference, SW_HIDE);
  CenterWindow(window, reference);
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, (area.left + area.right) / 2 - 150);
  EXPECT_EQ(r.top, (area.top + area.bottom) / 2 - 100);
  DestroyWindow(reference);
  DestroyWindow(window);
}

TEST(CenterWindow, ChildCentresInItsParent) {
  HWND parent = MakePopup(10, 10, 400, 300, true);
  HWND child = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 60, parent,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  CenterWindow(child, nullptr);
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&r), 2);
  EXPECT_EQ(r.left, 150);
  EXPECT_EQ(r.top, 120);
  DestroyWindow(parent);
}

TEST(FormatByteSize, WritesTheShortFormOrNothing) {
  wchar_t text[60] = L"stale text";
  EXPECT_EQ(FormatByteSize(text, 60, 1536), text);
  wchar_t expected[60];
  StrFormatByteSizeW(1536, expected, 60);
  EXPECT_STREQ(text, expected);

  wchar_t tiny[2] = {L'x', L'x'};
  FormatByteSize(tiny, 2, 1536);
  EXPECT_EQ(tiny[0], 0) << "never the earlier contents";
}

bool ChooseFixedFolder(HWND, wchar_t *path, size_t capacity) {
  lstrcpynW(path, L"D:\\Media", static_cast<int>(capacity));
  return true;
}

TEST(BrowseForFolder, RefusesMissingBuffersAndTakesTheSeam) {
  wchar_t path[MAX_PATH] = L"";
  EXPECT_FALSE(BrowseForFolder(nullptr, nullptr, MAX_PATH));
  EXPECT_FALSE(BrowseForFolder(nullptr, path, 0));
  FolderBrowser previous = SetFolderBrowser(ChooseFixedFolder);
  EXPECT_TRUE(BrowseForFolder(nullptr, path, MAX_PATH));
  EXPECT_STREQ(path, L"D:\\Media");
  SetFolderBrowser(previous);
}

} // namespace
