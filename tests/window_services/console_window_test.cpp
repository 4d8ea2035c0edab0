// The debug console: its own thread, the banner, error lines, and hiding that keeps the log.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/started_shell.h"
#include "window_services/window_context.h"

namespace {

std::vector<std::wstring> Lines() {
  return gui::ListBoxLines(ConsoleListBox());
}

TEST(ConsoleWindow, KeepsEveryLineOnItsOwnThreadWhileHidden) {
  ASSERT_TRUE(IsWindow(StartedShell()));
  EXPECT_NE(GetWindowThreadProcessId(g_shell.console, nullptr), GetCurrentThreadId());
  ASSERT_EQ(g_bannerLines.size(), 5u);
  EXPECT_EQ(g_bannerLines[0], gui::Text(g_shell.mainWindow));
  wchar_t *text = nullptr; // error lines carry the tag, the code and the system's text
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                     FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, 2, 0x400, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
  ASSERT_NE(text, nullptr);
  const std::wstring expected = std::wstring(L"QEL::DeleteFile : error 2: ") + text;
  LocalFree(text);
  size_t before = Lines().size();
  platform::LogError(L"QEL::DeleteFile", 2);
  platform::LogError(L"QEL::Copy::CopyFileEx", 0); // code 0 adds nothing
  ASSERT_EQ(Lines().size(), before + 1);
  EXPECT_EQ(Lines().back(), expected);

  platform::LogShow();
  std::vector<std::wstring> shown = Lines();
  SendMessageW(g_shell.console, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(g_shell.console));
  EXPECT_FALSE(IsWindowVisible(g_shell.console));
  SendMessageW(g_shell.mainWindow, WM_COMMAND, 40008, 0);
  EXPECT_TRUE(IsWindowVisible(g_shell.console));
  EXPECT_EQ(Lines(), shown);
  const ConsoleWindow &console = *ContextOf<ConsoleWindow>(g_shell.console);
  gui::Click(console.hideButton);
  EXPECT_FALSE(IsWindowVisible(g_shell.console));
  gui::Click(console.clearButton);
  EXPECT_TRUE(Lines().empty());
}

} // namespace
