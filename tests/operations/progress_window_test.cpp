#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "operations/progress.h"
#include "operations/progress_window.h"
#include "platform/platform.h"
#include "support/started_shell.h"

namespace {

constexpr wchar_t kQuestion[] = L"Do you want to cancel current task?";

class ProgressTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(IsWindow(StartedShell()));
    platform::ProgressStart(); // through the core's hooks, as loading does
    ASSERT_TRUE(IsWindow(g_progress.window));
    platform::ProgressShow();
  }
  void TearDown() override {
    platform::ProgressClose();
    EXPECT_TRUE(gui::PumpUntil([] { return !IsWindow(g_progress.window); }));
  }
  static int BarRange(HWND bar) {
    return static_cast<int>(SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
  }
  static int BarPos(HWND bar) { return static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0)); }
  // Waits for a timer tick that has drawn the percentage and estimate.
  static bool StatusDrawn() {
    return gui::PumpUntil([] { return g_progress.positionChanged == 0; });
  }
};

TEST_F(ProgressTest, TotalsAreScaledToSixteenBits) {
  EXPECT_EQ(gui::ClassOf(g_progress.window), L"QELProgress");
  EXPECT_EQ(gui::Text(g_progress.window), L"Please wait...");
  EXPECT_NE(GetWindowThreadProcessId(g_progress.window, nullptr), GetCurrentThreadId());
  const struct {
    uint64_t total;
    int range;
    int shift;
  } cases[] = {{32765, 32765, 0}, {32766, 16383, 1}, {1ull << 40, 16384, 26}, {0, 0, 0}};
  for (const auto &c : cases) {
    platform::ProgressOverallTotal(c.total);
    platform::ProgressItemTotal(c.total);
    EXPECT_EQ(g_progress.overallTotal, c.total);
    EXPECT_EQ(g_progress.overallRange, c.range);
    EXPECT_EQ(g_progress.overallShift, c.shift);
    EXPECT_EQ(g_progress.itemRange, c.range);
    EXPECT_EQ(BarRange(g_progress.overallBar), c.range);
    EXPECT_EQ(BarRange(g_progress.itemBar), c.range);
  }
  // A total of 0 reads "000 %".
  platform::ProgressOverallPos(0);
  ASSERT_TRUE(StatusDrawn());
  EXPECT_STREQ(g_progress.percentText, L"000 %    ");
}

TEST_F(ProgressTest, PositionsAtOrPastTheTotalFillTheBar) {
  SetProgressOverallTotal(1ull << 40);
  SetProgressOverallPos(1ull << 39);
  EXPECT_EQ(BarPos(g_progress.overallBar), 8192);
  SetProgressOverallPos(5ull << 40);
  EXPECT_EQ(BarPos(g_progress.overallBar), 16384);
  EXPECT_EQ(g_progress.overallPos, 1ull << 40);
  ASSERT_TRUE(StatusDrawn());
  EXPECT_STREQ(g_progress.percentText, L"100 %    ");

  SetProgressItemTotal(1000);
  SetProgressItemPos(1000);
  EXPECT_EQ(BarPos(g_progress.itemBar), 1000);
  SetProgressItemPos(400);
  EXPECT_EQ(BarPos(g_progress.itemBar), 400);
}

TEST_F(ProgressTest, TheSameTotalTwiceKeepsThePosition) {
  SetProgressOverallTotal(2000);
  SetProgressOverallPos(700);
  SetProgressOverallTotal(2000);
  EXPECT_EQ(g_progress.overallPos, 700u);
  EXPECT_EQ(BarPos(g_progress.overallBar), 700);
  SetProgressOverallTotal(3000); // a new total starts again at 0
  EXPECT_EQ(g_progress.overallPos, 0u);
}

TEST_F(ProgressTest, StatusLineShowsElapsedThenPercentageAndEstimate) {
  // Before any position only the elapsed time is drawn.
  ASSERT_TRUE(gui::PumpUntil([] { return g_progress.statusText[0] != 0; }));
  gui::Pump(120);
  EXPECT_EQ(std::wstring(g_progress.statusText).substr(0, 6), L"00:00:");
  EXPECT_STREQ(g_progress.percentText, L"");
  EXPECT_STREQ(g_progress.estimateText, L"");

  SetProgressOverallTotal(100);
  SetProgressOverallPos(0);
  ASSERT_TRUE(StatusDrawn());
  EXPECT_STREQ(g_progress.percentText, L"0 %    ");
  EXPECT_STREQ(g_progress.estimateText, L"00:00:00.0");

  wchar_t text[kTimeTextChars];
  FormatDuration(text, 90065300); // 25 h 1 min 5.3 s
  EXPECT_STREQ(text, L"01:01:05.3");
  FormatEstimate(text, 4, 1, 1500);
  EXPECT_STREQ(text, L"00:00:06.0");
  FormatEstimate(text, 1ull << 40, 1, 1000); // beyond 2^31 - 1 milliseconds
  EXPECT_STREQ(text, L"--:--:--.-");
}

TEST_F(ProgressTest, OnlyProgressCloseRemovesTheWindow) {
  EXPECT_EQ(GetWindowLongW(g_progress.window, GWL_STYLE) & WS_SYSMENU, 0);
  SendMessageW(g_progress.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(g_progress.window));
  SetProgressInfo(L"Copying D:\\Media\\clip.omf");
  EXPECT_EQ(gui::Text(g_progress.infoLabel), L"Copying D:\\Media\\clip.omf");
  SetProgressTitle(L"Scanning All drives for databases");
  EXPECT_EQ(gui::Text(g_progress.window), L"Scanning All drives for databases");
}

TEST_F(ProgressTest, CancelAsksAndOnlyYesSetsTheFlag) {
  ShowProgressCancel();
  ASSERT_TRUE(IsWindow(g_progress.cancelButton));
  EXPECT_EQ(gui::Text(g_progress.cancelButton), L"Cancel");
  {
    gui::DialogAnswerer yes(IDYES, kQuestion);
    gui::Click(g_progress.cancelButton);
    EXPECT_TRUE(yes.Answered());
  }
  EXPECT_TRUE(ProgressCancelRequested());
  EXPECT_EQ(platform::CancelRequested(), 1);
  {
    gui::DialogAnswerer no(IDNO, kQuestion);
    gui::Click(g_progress.cancelButton);
    EXPECT_TRUE(no.Answered());
  }
  EXPECT_TRUE(ProgressCancelRequested()) << "No leaves the request as it was";
  HWND first = g_progress.cancelButton;
  ShowProgressCancel(); // a new button clears the request
  EXPECT_FALSE(ProgressCancelRequested());
  EXPECT_FALSE(IsWindow(first));
}

TEST_F(ProgressTest, AKeyInTheProgressWindowReachesThePoll) {
  SendMessageW(g_progress.window, WM_KEYDOWN, 'Q', 1);
  {
    gui::DialogAnswerer no(IDNO, kQuestion);
    EXPECT_EQ(PollUserCancel(), 0);
    EXPECT_TRUE(no.Answered());
  }
  EXPECT_EQ(PollUserCancel(), 0); // the key was taken: nothing left to ask about
  SendMessageW(g_progress.window, WM_KEYDOWN, VK_ESCAPE, 1);
  gui::DialogAnswerer yes(IDYES, kQuestion);
  EXPECT_EQ(platform::PollUserCancel(), 1);
  EXPECT_TRUE(yes.Answered());
}

TEST(ProgressStart, AWindowThatCannotBeMadeDoesNotHangTheStarter) {
  ASSERT_TRUE(IsWindow(StartedShell()));
  HINSTANCE instance = GetModuleHandleW(nullptr);
  ASSERT_TRUE(UnregisterClassW(L"QELProgress", instance));
  OpenProgress(); // returns although no window was made
  EXPECT_FALSE(IsWindow(g_progress.window));
  SetProgressOverallTotal(10); // skipped, not sent
  EXPECT_NE(g_progress.overallTotal, 10u);
  CloseProgress();
  EXPECT_TRUE(RegisterProgressClass(instance));
}

TEST(ProgressStart, SearchOpensAndClosesTheProgressWindow) {
  ASSERT_TRUE(IsWindow(StartedShell()));
  gui::MessageRecorder seen(g_shell.mainWindow);
  gui::Click(g_shell.searchButton);
  EXPECT_EQ(seen.Count(WM_COMMAND), 1);
  EXPECT_NE(g_progress.window, nullptr);     // it was made ...
  EXPECT_FALSE(IsWindow(g_progress.window)); // ... and closed when the search ended
}

} // namespace
