// The debug console: its own thread, the banner, error lines, and hiding that keeps the log.
#include "platform/platform.h"
#include "support/gui_harness.h"
#include "window_services/console_window.h"
#include "window_services/window_context.h"

namespace {

TEST(ConsoleWindow, KeepsEveryLineOnItsOwnThreadWhileHidden) {
  ASSERT_TRUE(IsWindow(StartedShell()));
  EXPECT_NE(GetWindowThreadProcessId(g_shell.console, nullptr), GetCurrentThreadId());
  gui::Pump(100);
  EXPECT_EQ(gui::ListBoxLines(ConsoleListBox()).at(0), gui::Text(g_shell.mainWindow)) << "banner";
  wchar_t text[512]; // error lines carry the tag, the code and the system's text
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 2, 0x400,
                 text, 512, nullptr);
  const size_t before = gui::ListBoxLines(ConsoleListBox()).size();
  platform::LogError(L"QEL::DeleteFile", 2);
  platform::LogError(L"QEL::Copy::CopyFileEx", 0); // code 0 adds nothing
  std::vector<std::wstring> shown = gui::ListBoxLines(ConsoleListBox());
  ASSERT_EQ(shown.size(), before + 1);
  EXPECT_EQ(shown.back(), std::wstring(L"QEL::DeleteFile : error 2: ") + text);

  platform::LogShow();
  SendMessageW(g_shell.console, WM_CLOSE, 0, 0); // hides it only
  EXPECT_TRUE(IsWindow(g_shell.console));
  EXPECT_FALSE(IsWindowVisible(g_shell.console));
  SendMessageW(g_shell.mainWindow, WM_COMMAND, 40008, 0);
  EXPECT_TRUE(IsWindowVisible(g_shell.console));
  EXPECT_EQ(gui::ListBoxLines(ConsoleListBox()), shown);
  const ConsoleWindow &console = *ContextOf<ConsoleWindow>(g_shell.console);
  gui::Click(console.hideButton);
  EXPECT_FALSE(IsWindowVisible(g_shell.console));
  gui::Click(console.clearButton);
  EXPECT_TRUE(gui::ListBoxLines(ConsoleListBox()).empty());
}

} // namespace
