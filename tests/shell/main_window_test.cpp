// The main window as the program starts it: its controls, menu and accelerators, where the
// focus goes on activation, and which control a key reaches.
#include "resources/resource.h"
#include "support/shell_fixture.h"

namespace {

using MainWindowTest = ShellTest;

TEST_F(MainWindowTest, StartsWithItsControlsMenuAndAccelerators) {
  const std::wstring fixed = L"Orvalis for AVID applications v 0.4      build: ";
  EXPECT_EQ(gui::Text(main).substr(0, fixed.size()), fixed);
  EXPECT_EQ(gui::ClassOf(main), L"QELWNDClass");
  ASSERT_EQ(gui::Children(main).size(), 14u);
  EXPECT_EQ(gui::Text(gui::Children(main)[0]), L"Search for Databases");
  EXPECT_EQ(SendMessageW(g_shell.existingCheck, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(GetMenuItemID(GetSubMenu(GetMenu(main), 1), 0), static_cast<UINT>(CMD_SHOW_CONSOLE));
  EXPECT_EQ(CopyAcceleratorTableW(g_shell.accelerators, nullptr, 0), 10);
}

TEST_F(MainWindowTest, ActivationFocusesTheMostUsefulControl) {
  auto activated = [&](WORD how) {
    SendMessageW(main, WM_ACTIVATE, MAKEWPARAM(how, 0), 0);
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
}

TEST_F(MainWindowTest, AcceleratorsReachOnlyTheFocusedControl) {
  SetFocus(g_shell.basesTree);
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
