// The progress window on its own thread: 64-bit totals on 16-bit bars, the time texts, and
// the cancel question asked by its button or by a key.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/started_shell.h"
#include "window_services/progress.h"
#include "window_services/progress_window.h"
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
  static const ProgressWindow &Window() {
    return *ContextOf<ProgressWindow>(g_shell.progress.window);
  }
  static int Bar(HWND bar, UINT message) {
    return static_cast<int>(SendMessageW(bar, message, 0, 0));
  }
  // Waits for a timer tick that has drawn the percentage and estimate.
  static bool StatusDrawn() {
    return gui::PumpUntil([] { return Window().positionChanged == 0; });
  }
};

TEST_F(ProgressTest, TotalsAreScaledToSixteenBitsAndPositionsStopAtTheTotal) {
  EXPECT_NE(GetWindowThreadProcessId(g_shell.progress.window, nullptr), GetCurrentThreadId());
  const struct {
    uint64_t total;
    int range;
    int shift;
  } cases[] = {{32765, 32765, 0}, {32766, 16383, 1}, {1ull << 40, 16384, 26}, {0, 0, 0}};
  for (const auto &c : cases) {
    platform::ProgressOverallTotal(c.total);
    platform::ProgressItemTotal(c.total);
    EXPECT_EQ(g_shell.progress.overallShift, c.shift) << c.total;
    EXPECT_EQ(Bar(Window().overallBar, PBM_GETRANGE), c.range) << c.total;
    EXPECT_EQ(Bar(Window().itemBar, PBM_GETRANGE), c.range) << c.total;
  }
  platform::ProgressOverallPos(0); // a total of 0 reads "000 %"
  ASSERT_TRUE(StatusDrawn());
  EXPECT_STREQ(Window().percentText, L"000 %    ");

  SetProgressOverallTotal(1ull << 40);
  SetProgressOverallPos(1ull << 39);
  EXPECT_EQ(Bar(Window().overallBar, PBM_GETPOS), 8192);
  SetProgressOverallTotal(1ull << 40); // the same total again keeps the position
  EXPECT_EQ(g_shell.progress.overallPos, 1ull << 39);
  SetProgressOverallPos(5ull << 40);
  EXPECT_EQ(Bar(Window().overallBar, PBM_GETPOS), 16384);
  EXPECT_EQ(g_shell.progress.overallPos, 1ull << 40);
  ASSERT_TRUE(StatusDrawn());
  EXPECT_STREQ(Window().percentText, L"100 %    ");
  SetProgressOverallTotal(3000); // a new total starts again at 0
  EXPECT_EQ(g_shell.progress.overallPos, 0u);
}

TEST(ProgressTexts, DurationsAndEstimatesFitTheirFields) {
  wchar_t text[kTimeTextChars];
  FormatDuration(text, 90065300); // 25 h 1 min 5.3 s: the hours wrap
  EXPECT_STREQ(text, L"01:01:05.3");
  FormatEstimate(text, 4, 1, 1500);
  EXPECT_STREQ(text, L"00:00:06.0");
  FormatEstimate(text, 1ull << 40, 1, 1000); // beyond 2^31 - 1 milliseconds
  EXPECT_STREQ(text, L"--:--:--.-");
}

// Its button and a key that reaches the window ask; only Yes sets the request.
TEST_F(ProgressTest, CancelButtonAndKeyAskAndOnlyYesCancels) {
  SendMessageW(g_shell.progress.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(g_shell.progress.window)) << "only ProgressClose removes it";
  ShowProgressCancel();
  for (int answer : {IDYES, IDNO}) {
    gui::Answers answers({answer}, {}, kQuestion);
    gui::Click(Window().cancelButton);
    EXPECT_EQ(answers.Finish().size(), 1u);
    EXPECT_TRUE(ProgressCancelRequested()) << "No leaves the request as it was";
  }
  ShowProgressCancel(); // a new button clears the request
  EXPECT_FALSE(ProgressCancelRequested());

  SendMessageW(g_shell.progress.window, WM_KEYDOWN, 'Q', 1);
  gui::Answers no({IDNO}, {}, kQuestion);
  EXPECT_EQ(PollUserCancel(), 0);
  EXPECT_EQ(no.Finish().size(), 1u);
  EXPECT_EQ(PollUserCancel(), 0); // the key was taken: nothing left to ask about
  SendMessageW(g_shell.progress.window, WM_KEYDOWN, VK_ESCAPE, 1);
  gui::Answers yes({IDYES}, {}, kQuestion);
  EXPECT_EQ(platform::PollUserCancel(), 1);
  EXPECT_EQ(yes.Finish().size(), 1u);
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

} // namespace
