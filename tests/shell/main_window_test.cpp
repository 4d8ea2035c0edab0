// The main window as the program starts it: where the focus goes on activation, and which
// control a key reaches through the accelerators.
#include "support/gui_harness.h"

namespace {

TEST_F(ShellTest, MainWindowFocusesTheMostUsefulControlAndRoutesKeys) {
  auto activated = [&](WORD how) {
    SendMessageW(main, WM_ACTIVATE, how, 0);
    return GetFocus();
  };
  EXPECT_EQ(activated(WA_ACTIVE), g_shell.searchButton);
  DatabaseEntry entry{};
  lstrcpyW(entry.path, L"C:\\OMFI MediaFiles\\test.pmr");
  g_catalogue.databases.Insert(&entry);
  EXPECT_EQ(activated(WA_ACTIVE), g_shell.scanButton);
  SetFocus(g_shell.hardwareButton);
  EXPECT_EQ(activated(WA_CLICKACTIVE), g_shell.hardwareButton) << "a click keeps the focus";
  Store(Record(L"a.omf", L"P", 1), true, true);
  EXPECT_EQ(activated(WA_ACTIVE), g_shell.filesList);

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
