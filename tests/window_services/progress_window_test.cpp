// The progress window on its own thread: 64-bit totals on 16-bit bars, the percentage and time
// texts, and the cancel question asked by its button or by a key pressed in it.
#include "platform/platform.h"
#include "support/gui_harness.h"
#include "window_services/progress.h"
#include "window_services/progress_window.h"
#include "window_services/window_context.h"

namespace {

constexpr wchar_t kQuestion[] = L"Do you want to cancel current task?";

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
  for (int answer : {IDYES, IDNO}) {
    gui::Answers answers({answer}, {}, kQuestion);
    gui::Click(window.cancelButton);
    EXPECT_EQ(answers.Finish().size(), 1u);
    EXPECT_TRUE(ProgressCancelRequested()) << "No leaves the request as it was";
  }
  ShowProgressCancel(); // a new button clears the request
  EXPECT_FALSE(ProgressCancelRequested());
  SendMessageW(g_shell.progress.window, WM_KEYDOWN, VK_ESCAPE, 1); // passed on to this thread
  gui::Answers yes({IDYES}, {}, kQuestion);
  EXPECT_EQ(platform::PollUserCancel(), 1);
  EXPECT_EQ(yes.Finish().size(), 1u);
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
