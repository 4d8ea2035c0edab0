// The main window as the program starts it: which control a key reaches through the
// accelerators.
#include "support/gui_harness.h"

namespace {

TEST_F(ShellTest, MainWindowRoutesKeysThroughItsAccelerators) {
  gui::PressKey(g_shell.basesTree, VK_F5);
  EXPECT_EQ(gui::FindDialog(), nullptr) << "F5 on the tree starts nothing";
  // Ctrl+6 on a button reaches the button, which does nothing with it; addressed to the main
  // window itself, it shows the console.
  ShowWindow(g_shell.console, SW_HIDE);
  gui::PressKey(g_shell.scanButton, '6', true);
  EXPECT_FALSE(IsWindowVisible(g_shell.console));
  gui::PressKey(main, '6', true);
  EXPECT_TRUE(IsWindowVisible(g_shell.console));
  ShowWindow(g_shell.console, SW_HIDE);
}

} // namespace
