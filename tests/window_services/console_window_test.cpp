#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/started_shell.h"
#include "window_services/window_context.h"

namespace {

class ConsoleTest : public testing::Test {
protected:
  void SetUp() override {
    StartedShell();
    ASSERT_TRUE(IsWindow(g_shell.console));
  }
  std::vector<std::wstring> Lines() { return gui::ListBoxLines(ConsoleListBox()); }
  static const ConsoleWindow &Console() { return *ContextOf<ConsoleWindow>(g_shell.console); }
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
  EXPECT_EQ(gui::ClassOf(g_shell.console), L"QELConsole");
  EXPECT_EQ(gui::Text(g_shell.console), L"Debug Console");
  EXPECT_NE(GetWindowThreadProcessId(g_shell.console, nullptr), GetCurrentThreadId());
  ASSERT_EQ(g_bannerLines.size(), 5u);
  EXPECT_EQ(g_bannerLines[0], gui::Text(g_shell.mainWindow));
  EXPECT_NE(g_bannerLines[4].find(L"log"), std::wstring::npos);
}

TEST_F(ConsoleTest, ErrorLinesCarryTagCodeAndSystemText) {
  size_t before = Lines().size();
  platform::LogError(L"QEL::DeleteFile", 2);
  platform::LogError(L"QEL::Copy::CopyFileEx", 0); // code 0 adds nothing
  std::vector<std::wstring> lines = Lines();
  ASSERT_EQ(lines.size(), before + 1);
  EXPECT_EQ(lines.back(), L"QEL::DeleteFile : error 2: " + SystemText(2));
  EXPECT_FALSE(SystemText(2).empty());
}

TEST_F(ConsoleTest, CloseHidesAndShowBringsBackEveryLine) {
  platform::LogLine(L"kept\tacross\thiding");
  platform::LogShow();
  EXPECT_TRUE(IsWindowVisible(g_shell.console));
  EXPECT_TRUE(GetWindowLongW(g_shell.console, GWL_EXSTYLE) & WS_EX_TOPMOST);
  std::vector<std::wstring> before = Lines();
  SendMessageW(g_shell.console, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(g_shell.console));
  EXPECT_FALSE(IsWindowVisible(g_shell.console));
  SendMessageW(g_shell.mainWindow, WM_COMMAND, 40008, 0);
  EXPECT_TRUE(IsWindowVisible(g_shell.console));
  EXPECT_EQ(Lines(), before);
  EXPECT_EQ(before.back(), L"kept\tacross\thiding");

  gui::Click(Console().hideButton);
  EXPECT_FALSE(IsWindowVisible(g_shell.console));
  EXPECT_EQ(Lines(), before);
}

TEST_F(ConsoleTest, ListBoxExpandsTabsAndTakesNoSelection) {
  DWORD style = static_cast<DWORD>(GetWindowLongW(ConsoleListBox(), GWL_STYLE));
  EXPECT_TRUE(style & LBS_USETABSTOPS);
  EXPECT_TRUE(style & LBS_NOSEL);
  EXPECT_FALSE(style & LBS_SORT);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(ConsoleListBox(), WM_GETFONT, 0, 0)),
            g_shell.monoFont);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(Console().clearButton, WM_GETFONT, 0, 0)),
            g_shell.uiFont);
  // Tabs line up: "a\tb" and "abc\tb" put "b" at the same place.
  HDC dc = GetDC(ConsoleListBox());
  HGDIOBJ old = SelectObject(dc, g_shell.monoFont);
  DWORD one = GetTabbedTextExtentW(dc, L"a\t", 2, 0, nullptr);
  DWORD three = GetTabbedTextExtentW(dc, L"abc\t", 4, 0, nullptr);
  SelectObject(dc, old);
  ReleaseDC(ConsoleListBox(), dc);
  EXPECT_EQ(LOWORD(one), LOWORD(three));
}

TEST_F(ConsoleTest, LayoutAndMinimumSize) {
  SetWindowPos(g_shell.console, nullptr, 0, 0, 500, 300,
               SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  WINDOWINFO info{};
  info.cbSize = sizeof info;
  GetWindowInfo(g_shell.console, &info);
  int right = info.rcClient.right - info.rcClient.left;
  int bottom = info.rcClient.bottom - info.rcClient.top;
  int cx = static_cast<int>(info.cxWindowBorders), cy = static_cast<int>(info.cyWindowBorders);
  RECT list = gui::RectInParent(ConsoleListBox());
  EXPECT_EQ(list.left, cx);
  EXPECT_EQ(list.top, cy);
  EXPECT_EQ(list.right - list.left, right - 2 * cx);
  EXPECT_EQ(list.bottom - list.top, bottom - 2 * cy - 17);
  RECT hide = gui::RectInParent(Console().hideButton);
  EXPECT_EQ(hide.left, cx + 70);
  EXPECT_EQ(hide.top, bottom - 2 * cy - 13);
  EXPECT_EQ(hide.right - hide.left, 70);

  RECT small{0, 0, 100, 50};
  SendMessageW(g_shell.console, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&small));
  EXPECT_EQ(small.right, 300);
  EXPECT_EQ(small.bottom, 150);
}

TEST_F(ConsoleTest, ClearEmptiesTheLog) {
  platform::LogLine(L"to be cleared");
  gui::Click(Console().clearButton);
  EXPECT_TRUE(Lines().empty());
}

} // namespace
