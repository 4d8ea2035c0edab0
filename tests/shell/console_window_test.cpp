#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/started_shell.h"

namespace {

class ConsoleTest : public testing::Test {
protected:
  void SetUp() override {
    StartedShell();
    ASSERT_TRUE(IsWindow(g_log.window));
  }
  std::vector<std::wstring> Lines() { return gui::ListBoxLines(g_log.listBox); }
};

std::wstring SystemText(DWORD code) {
  wchar_t *text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                     FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, code, 0x400, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
  std::wstring s = text != nullptr ? text : L"";
  LocalFree(text);
  return s;
}

TEST_F(ConsoleTest, StartsHiddenOnItsOwnThreadWithTheBanner) {
  EXPECT_EQ(gui::ClassOf(g_log.window), L"QELConsole");
  EXPECT_EQ(gui::Text(g_log.window), L"Debug Console");
  EXPECT_NE(GetWindowThreadProcessId(g_log.window, nullptr), GetCurrentThreadId());
  ASSERT_EQ(g_bannerLines.size(), 5u);
  EXPECT_EQ(g_bannerLines[0], gui::Text(g_shell.mainWindow));
  EXPECT_NE(g_bannerLines[4].find(L"log"), std::wstring::npos);
}

TEST_F(ConsoleTest, ErrorLinesCarryTagCodeAndSystemText) {
  size_t before = Lines().size();
  LogError(L"QEL::DeleteFile", 2);
  LogError(L"QEL::Copy::CopyFileEx", 0); // code 0 adds nothing
  std::vector<std::wstring> lines = Lines();
  ASSERT_EQ(lines.size(), before + 1);
  EXPECT_EQ(lines.back(), L"QEL::DeleteFile : error 2: " + SystemText(2));
  EXPECT_FALSE(SystemText(2).empty());

  // The portable core's hooks end in the same console.
  platform::LogLine(L"from the core");
  platform::LogError(L"QEL::Move(MoveFileEx)", 5);
  lines = Lines();
  ASSERT_EQ(lines.size(), before + 3);
  EXPECT_EQ(lines[before + 1], L"from the core");
  EXPECT_EQ(lines[before + 2], L"QEL::Move(MoveFileEx) : error 5: " + SystemText(5));
}

TEST_F(ConsoleTest, CloseHidesAndShowBringsBackEveryLine) {
  LogLine(L"kept\tacross\thiding");
  LogShow();
  EXPECT_TRUE(IsWindowVisible(g_log.window));
  EXPECT_TRUE(GetWindowLongW(g_log.window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  std::vector<std::wstring> before = Lines();
  SendMessageW(g_log.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(g_log.window));
  EXPECT_FALSE(IsWindowVisible(g_log.window));
  SendMessageW(g_shell.mainWindow, WM_COMMAND, 40008, 0);
  EXPECT_TRUE(IsWindowVisible(g_log.window));
  EXPECT_EQ(Lines(), before);
  EXPECT_EQ(before.back(), L"kept\tacross\thiding");

  gui::Click(g_log.hideButton);
  EXPECT_FALSE(IsWindowVisible(g_log.window));
  EXPECT_EQ(Lines(), before);
}

TEST_F(ConsoleTest, ListBoxExpandsTabsAndTakesNoSelection) {
  DWORD style = static_cast<DWORD>(GetWindowLongW(g_log.listBox, GWL_STYLE));
  EXPECT_TRUE(style & LBS_USETABSTOPS);
  EXPECT_TRUE(style & LBS_NOSEL);
  EXPECT_FALSE(style & LBS_SORT);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(g_log.listBox, WM_GETFONT, 0, 0)),
            g_shell.monoFont);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(g_log.clearButton, WM_GETFONT, 0, 0)),
            g_shell.uiFont);
  // Tabs line up: "a\tb" and "abc\tb" put "b" at the same place.
  HDC dc = GetDC(g_log.listBox);
  HGDIOBJ old = SelectObject(dc, g_shell.monoFont);
  DWORD one = GetTabbedTextExtentW(dc, L"a\t", 2, 0, nullptr);
  DWORD three = GetTabbedTextExtentW(dc, L"abc\t", 4, 0, nullptr);
  SelectObject(dc, old);
  ReleaseDC(g_log.listBox, dc);
  EXPECT_EQ(LOWORD(one), LOWORD(three));
}

TEST_F(ConsoleTest, LayoutAndMinimumSize) {
  SetWindowPos(g_log.window, nullptr, 0, 0, 500, 300, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  WINDOWINFO info{};
  info.cbSize = sizeof info;
  GetWindowInfo(g_log.window, &info);
  int right = info.rcClient.right - info.rcClient.left;
  int bottom = info.rcClient.bottom - info.rcClient.top;
  int cx = static_cast<int>(info.cxWindowBorders), cy = static_cast<int>(info.cyWindowBorders);
  RECT list = gui::RectInParent(g_log.listBox);
  EXPECT_EQ(list.left, cx);
  EXPECT_EQ(list.top, cy);
  EXPECT_EQ(list.right - list.left, right - 2 * cx);
  EXPECT_EQ(list.bottom - list.top, bottom - 2 * cy - 17);
  RECT hide = gui::RectInParent(g_log.hideButton);
  EXPECT_EQ(hide.left, cx + 70);
  EXPECT_EQ(hide.top, bottom - 2 * cy - 13);
  EXPECT_EQ(hide.right - hide.left, 70);

  RECT small{0, 0, 100, 50};
  SendMessageW(g_log.window, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&small));
  EXPECT_EQ(small.right, 300);
  EXPECT_EQ(small.bottom, 150);
}

TEST_F(ConsoleTest, ClearEmptiesTheLog) {
  LogLine(L"to be cleared");
  gui::Click(g_log.clearButton);
  EXPECT_TRUE(Lines().empty());
}

} // namespace
