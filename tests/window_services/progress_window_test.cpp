#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "window_services/progress.h"
#include "window_services/progress_window.h"
#include "platform/platform.h"
#include "support/started_shell.h"
#include "window_services/window_context.h"

namespace {

constexpr wchar_t kQuestion[] = L"Do you want to cancel current task?";

class ProgressTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(IsWindow(StartedShell()));
    platform::ProgressStart(); // through the core's hooks, as loading does
    ASSERT_TRUE(IsWindow(g_shell.progress.window));
    platform::ProgressShow();
  }
  void TearDown() override {
    platform::ProgressClose();
    EXPECT_TRUE(gui::PumpUntil([] { return !IsWindow(g_shell.progress.window); }));
  }
  // The open window's context.
  static const ProgressWindow &Window() {
    return *ContextOf<ProgressWindow>(g_shell.progress.window);
  }
  static int BarRange(HWND bar) {
    return static_cast<int>(SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
  }
  static int BarPos(HWND bar) { return static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0)); }
  // Waits for a timer tick that has drawn the percentage and estimate.
  static bool StatusDrawn() {
    return gui::PumpUntil([] { return Window().positionChanged == 0; });
  }
};

TEST_F(ProgressTest, TotalsAreScaledToSixteenBits) {
  EXPECT_EQ(gui::ClassOf(g_shell.progress.window), L"QELProgress");
  EXPECT_EQ(gui::Text(g_shell.progress.window), L"Please wait...");
  EXPECT_NE(GetWindowThreadProcessId(g_shell.progress.window, nullptr), GetCurrentThreadId());
  const struct {
    uint64_t total;
    int range;
    int shift;
  } cases[] = {{32765, 32765, 0}, {32766, 16383, 1}, {1ull << 40, 16384, 26}, {0, 0, 0}};
  for (const auto &c : cases) {
    platform::ProgressOverallTotal(c.total);
    platform::ProgressItemTotal(c.total);
    EXPECT_EQ(g_shell.progress.overallTotal, c.total);
    EXPECT_EQ(g_shell.progress.overallRange, c.range);
    EXPECT_EQ(g_shell.progress.overallShift, c.shift);
    EXPECT_EQ(g_shell.progress.itemRange, c.range);
    EXPECT_EQ(BarRange(Window().overallBar), c.range);
    EXPECT_EQ(BarRange(Window().itemBar), c.range);
  }
  // A total of 0 reads "000 %".
  platform::ProgressOverallPos(0);
  ASSERT_TRUE(StatusDrawn());
  EXPECT_STREQ(Window().percentText, L"000 %    ");
}

TEST_F(ProgressTest, PositionsAtOrPastTheTotalFillTheBar) {
  SetProgressOverallTotal(1ull << 40);
  SetProgressOverallPos(1ull << 39);
  EXPECT_EQ(BarPos(Window().overallBar), 8192);
  SetProgressOverallPos(5ull << 40);
  EXPECT_EQ(BarPos(Window().overallBar), 16384);
  EXPECT_EQ(g_shell.progress.overallPos, 1ull << 40);
  ASSERT_TRUE(StatusDrawn());
  EXPECT_STREQ(Window().percentText, L"100 %    ");

  SetProgressItemTotal(1000);
  SetProgressItemPos(1000);
  EXPECT_EQ(BarPos(Window().itemBar), 1000);
  SetProgressItemPos(400);
  EXPECT_EQ(BarPos(Window().itemBar), 400);
}

TEST_F(ProgressTest, TheSameTotalTwiceKeepsThePosition) {
  SetProgressOverallTotal(2000);
  SetProgressOverallPos(700);
  SetProgressOverallTotal(2000);
  EXPECT_EQ(g_shell.progress.overallPos, 700u);
  EXPECT_EQ(BarPos(Window().overallBar), 700);
  SetProgressOverallTotal(3000); // a new total starts again at 0
  EXPECT_EQ(g_shell.progress.overallPos, 0u);
}

TEST_F(ProgressTest, StatusLineShowsElapsedThenPercentageAndEstimate) {
  // Before any position only the elapsed time is drawn.
  ASSERT_TRUE(gui::PumpUntil([] { return Window().statusText[0] != 0; }));
  gui::Pump(120);
  EXPECT_EQ(std::wstring(Window().statusText).substr(0, 6), L"00:00:");
  EXPECT_STREQ(Window().percentText, L"");
  EXPECT_STREQ(Window().estimateText, L"");

  SetProgressOverallTotal(100);
  SetProgressOverallPos(0);
  ASSERT_TRUE(StatusDrawn());
  EXPECT_STREQ(Window().percentText, L"0 %    ");
  EXPECT_STREQ(Window().estimateText, L"00:00:00.0");

  wchar_t text[kTimeTextChars];
  FormatDuration(text, 90065300); // 25 h 1 min 5.3 s
  EXPECT_STREQ(text, L"01:01:05.3");
  FormatEstimate(text, 4, 1, 1500);
  EXPECT_STREQ(text, L"00:00:06.0");
  FormatEstimate(text, 1ull << 40, 1, 1000); // beyond 2^31 - 1 milliseconds
  EXPECT_STREQ(text, L"--:--:--.-");
}

TEST_F(ProgressTest, OnlyProgressCloseRemovesTheWindow) {
  EXPECT_EQ(GetWindowLongW(g_shell.progress.window, GWL_STYLE) & WS_SYSMENU, 0);
  SendMessageW(g_shell.progress.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(g_shell.progress.window));
  SetProgressInfo(L"Copying D:\\Media\\clip.omf");
  EXPECT_EQ(gui::Text(Window().infoLabel), L"Copying D:\\Media\\clip.omf");
  SetProgressTitle(L"Scanning All drives for databases");
  EXPECT_EQ(gui::Text(g_shell.progress.window), L"Scanning All drives for databases");
}

TEST_F(ProgressTest, CancelAsksAndOnlyYesSetsTheFlag) {
  ShowProgressCancel();
  ASSERT_TRUE(IsWindow(Window().cancelButton));
  EXPECT_EQ(gui::Text(Window().cancelButton), L"Cancel");
  {
    gui::DialogAnswerer yes(IDYES, kQuestion);
    gui::Click(Window().cancelButton);
    EXPECT_TRUE(yes.Answered());
  }
  EXPECT_TRUE(ProgressCancelRequested());
  EXPECT_EQ(platform::CancelRequested(), 1);
  {
    gui::DialogAnswerer no(IDNO, kQuestion);
    gui::Click(Window().cancelButton);
    EXPECT_TRUE(no.Answered());
  }
  EXPECT_TRUE(ProgressCancelRequested()) << "No leaves the request as it was";
  HWND first = Window().cancelButton;
  ShowProgressCancel(); // a new button clears the request
  EXPECT_FALSE(ProgressCancelRequested());
  EXPECT_FALSE(IsWindow(first));
}

TEST_F(ProgressTest, AKeyInTheProgressWindowReachesThePoll) {
  SendMessageW(g_shell.progress.window, WM_KEYDOWN, 'Q', 1);
  {
    gui::DialogAnswerer no(IDNO, kQuestion);
    EXPECT_EQ(PollUserCancel(), 0);
    EXPECT_TRUE(no.Answered());
  }
  EXPECT_EQ(PollUserCancel(), 0); // the key was taken: nothing left to ask about
  SendMessageW(g_shell.progress.window, WM_KEYDOWN, VK_ESCAPE, 1);
  gui::DialogAnswerer yes(IDYES, kQuestion);
  EXPECT_EQ(platform::PollUserCancel(), 1);
  EXPECT_TRUE(yes.Answered());
}

TEST(ProgressStart, AWindowThatCannotBeMadeDoesNotHangTheStarter) {
  ASSERT_TRUE(IsWindow(StartedShell()));
  HINSTANCE instance = GetModuleHandleW(nullptr);
  ASSERT_TRUE(UnregisterClassW(L"QELProgress", instance));
  OpenProgress(); // returns although no window was made
  EXPECT_FALSE(IsWindow(g_shell.progress.window));
  SetProgressOverallTotal(10); // skipped, not sent
  EXPECT_NE(g_shell.progress.overallTotal, 10u);
  CloseProgress();
  EXPECT_TRUE(RegisterProgressClass(instance));
}

TEST(ProgressStart, SearchOpensAndClosesTheProgressWindow) {
  ASSERT_TRUE(IsWindow(StartedShell()));
  gui::MessageRecorder seen(g_shell.mainWindow);
  gui::Click(g_shell.searchButton);
  EXPECT_EQ(seen.Count(WM_COMMAND), 1);
  EXPECT_NE(g_shell.progress.window, nullptr);     // it was made ...
  EXPECT_FALSE(IsWindow(g_shell.progress.window)); // ... and closed when the search ended
}

} // namespace
