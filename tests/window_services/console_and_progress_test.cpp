// The debug console and the progress window on their own threads, reached as the program
// reaches them: the console through the main window's accelerators, the progress window
// through the core's hooks.
#include "platform/platform.h"
#include "support/gui_harness.h"
#include "window_services/console_window.h"
#include "window_services/progress.h"
#include "window_services/progress_window.h"
#include "window_services/window_context.h"

namespace {

constexpr wchar_t kQuestion[] = L"Do you want to cancel current task?";

// Ctrl+6 shows the console when it reaches the main window, not when a button has the key.
TEST(ConsoleWindow, KeepsEveryLineOnItsOwnThreadWhileHidden) {
  ASSERT_TRUE(IsWindow(StartedShell()));
  HWND console = g_shell.console, lines = FindWindowExW(console, nullptr, L"ListBox", nullptr);
  EXPECT_NE(GetWindowThreadProcessId(console, nullptr), GetCurrentThreadId());
  gui::Pump(100);
  EXPECT_EQ(gui::Items(lines).at(0), gui::Text(g_shell.mainWindow)) << "banner";
  const size_t before = gui::Items(lines).size();
  platform::LogError(L"QEL::DeleteFile", 2);
  platform::LogError(L"QEL::Copy::CopyFileEx", 0); // code 0 adds nothing
  const Names shown = gui::Items(lines);
  ASSERT_EQ(shown.size(), before + 1);
  EXPECT_TRUE(shown.back().starts_with(L"QEL::DeleteFile : error 2: ")) << shown.back();

  platform::LogShow();
  SendMessageW(console, WM_CLOSE, 0, 0); // hides it only
  EXPECT_FALSE(IsWindowVisible(console));
  gui::PressKey(g_shell.basesTree, VK_F5);
  EXPECT_EQ(gui::FindDialog(), nullptr) << "F5 on the tree starts nothing";
  gui::PressKey(g_shell.scanButton, '6', true);
  EXPECT_FALSE(IsWindowVisible(console));
  gui::PressKey(g_shell.mainWindow, '6', true);
  EXPECT_TRUE(IsWindowVisible(console));
  EXPECT_EQ(gui::Items(lines), shown);
  const ConsoleWindow &context = *ContextOf<ConsoleWindow>(console);
  gui::Click(context.hideButton);
  EXPECT_FALSE(IsWindowVisible(console));
  gui::Click(context.clearButton);
  EXPECT_TRUE(gui::Items(lines).empty());
}

TEST(ProgressWindow, TotalsScaledToSixteenBitsTimesFitAndCancelAskedByItsButtonOrAKey) {
  ASSERT_TRUE(IsWindow(StartedShell()));
  platform::ProgressStart(); // through the core's hooks, as loading does
  ASSERT_TRUE(IsWindow(g_shell.progress.window));
  EXPECT_NE(GetWindowThreadProcessId(g_shell.progress.window, nullptr), GetCurrentThreadId());
  platform::ProgressShow();
  const ProgressWindow &window = *ContextOf<ProgressWindow>(g_shell.progress.window);
  auto bar = [](HWND bar, UINT message) { return SendMessageW(bar, message, 0, 0); };
  auto drawn = [&] { return gui::PumpUntil([&] { return window.positionChanged == 0; }); };
  const struct {
    uint64_t total;
    int range, shift;
  } cases[] = {{32765, 32765, 0}, {32766, 16383, 1}, {1ull << 40, 16384, 26}, {0, 0, 0}};
  for (const auto &c : cases) {
    platform::ProgressOverallTotal(c.total);
    platform::ProgressItemTotal(c.total);
    EXPECT_EQ(g_shell.progress.overallShift, c.shift) << c.total;
    EXPECT_EQ(bar(window.overallBar, PBM_GETRANGE), c.range) << c.total;
    EXPECT_EQ(bar(window.itemBar, PBM_GETRANGE), c.range) << c.total;
  }
  platform::ProgressOverallPos(0); // a total of 0 reads "000 %"
  ASSERT_TRUE(drawn());
  EXPECT_STREQ(window.percentText, L"000 %    ");
  SetProgressOverallTotal(1ull << 40);
  SetProgressOverallPos(1ull << 39);
  EXPECT_EQ(bar(window.overallBar, PBM_GETPOS), 8192);
  SetProgressOverallTotal(1ull << 40); // the same total again keeps the position
  EXPECT_EQ(g_shell.progress.overallPos, 1ull << 39);
  SetProgressOverallPos(5ull << 40); // stops at the total
  EXPECT_EQ(bar(window.overallBar, PBM_GETPOS), 16384);
  ASSERT_TRUE(drawn());
  EXPECT_STREQ(window.percentText, L"100 %    ");
  SetProgressOverallTotal(3000); // a new total starts again at 0
  EXPECT_EQ(g_shell.progress.overallPos, 0u);

  SendMessageW(g_shell.progress.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(g_shell.progress.window)) << "only ProgressClose removes it";
  ShowProgressCancel();
  auto cancel = [&] { gui::Click(window.cancelButton); };
  for (int answer : {IDYES, IDNO}) {
    EXPECT_EQ(gui::Answer({answer}, cancel, kQuestion).size(), 1u);
    EXPECT_TRUE(ProgressCancelRequested()) << "No leaves the request as it was";
  }
  ShowProgressCancel(); // a new button clears the request
  EXPECT_FALSE(ProgressCancelRequested());
  SendMessageW(g_shell.progress.window, WM_KEYDOWN, VK_ESCAPE, 1); // passed on to this thread
  int polled = 0;
  auto poll = [&] { polled = platform::PollUserCancel(); };
  EXPECT_EQ(gui::Answer({IDYES}, poll, kQuestion).size(), 1u);
  EXPECT_EQ(polled, 1);
  platform::ProgressClose();
  EXPECT_TRUE(gui::PumpUntil([] { return !IsWindow(g_shell.progress.window); }));

  wchar_t text[kTimeTextChars];   // the time texts fit their fields
  FormatDuration(text, 90065300); // 25 h 1 min 5.3 s: the hours wrap
  EXPECT_STREQ(text, L"01:01:05.3");
  FormatEstimate(text, 4, 1, 1500);
  EXPECT_STREQ(text, L"00:00:06.0");
  FormatEstimate(text, 1ull << 40, 1, 1000); // beyond 2^31 - 1 milliseconds
  EXPECT_STREQ(text, L"--:--:--.-");
}

} // namespace
