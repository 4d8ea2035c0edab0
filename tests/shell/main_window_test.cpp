#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>
#include <gtest/gtest.h>

#include <cwctype>

#include "catalogue/catalogue.h"
#include "resources/resource.h"
#include "support/started_shell.h"
#include "views/info_label.h"

namespace {

class MainWindowTest : public testing::Test {
protected:
  void SetUp() override {
    main = StartedShell();
    ASSERT_TRUE(IsWindow(main)) << "start-up failed";
  }
  RECT Client() {
    RECT r;
    GetClientRect(main, &r);
    return r;
  }
  void ExpectRect(HWND control, int x, int y, int w, int h) {
    RECT r = gui::RectInParent(control);
    EXPECT_EQ(r.left, x) << gui::Text(control);
    EXPECT_EQ(r.top, y) << gui::Text(control);
    EXPECT_EQ(r.right - r.left, w) << gui::Text(control);
    EXPECT_EQ(r.bottom - r.top, h) << gui::Text(control);
  }
  HWND main = nullptr;
};

struct ControlRow {
  const wchar_t *cls;
  const wchar_t *text;
  DWORD style;   // bits beyond child and visible that must be set
  DWORD exStyle; // beyond WS_EX_STATICEDGE
};

TEST_F(MainWindowTest, CreatesTheFourteenControlsInOrder) {
  const ControlRow rows[] = {
      {L"Button", L"Search for Databases", BS_PUSHBUTTON | WS_TABSTOP, 0},
      {L"Button", L"Scan", BS_PUSHBUTTON | WS_TABSTOP, 0},
      {L"Static", L"Drag database files,\nor folders with databases\ninto the window below",
       SS_LEFT, 0},
      {L"Button", L"Mount Folders (Subst)", BS_PUSHBUTTON | WS_TABSTOP, 0},
      {L"Button", L"Find duplicates", BS_PUSHBUTTON | WS_TABSTOP, 0},
      {L"Button", L"Show only existing files", BS_AUTOCHECKBOX | WS_TABSTOP, 0},
      {L"Button", L"Hardware Tool", BS_PUSHBUTTON | WS_TABSTOP, 0},
      {L"Static",
       L"\tShortcut Keys:\n\n F2 \t- Get info for Selected Media\n F4 \t- Store / Sift (not "
       L"implemented)\n F5 \t- Copy\n F6 \t- Move\n F8 \t- Delete\n Ctrl-A \t- Select all\n Ctrl-I "
       L"\t- Invert selection\n Ctrl-P \t- Select Precomputes",
       SS_LEFT, 0},
      {L"SysTreeView32", L"Bases", WS_VSCROLL | TVS_FULLROWSELECT | TVS_CHECKBOXES,
       WS_EX_ACCEPTFILES},
      {L"Static", L"Drag media files (OMF or MXF),folders with these files\ninto the window below",
       SS_CENTER, 0},
      {L"SysListView32", L"Projects", WS_VSCROLL | LVS_REPORT | LVS_SHOWSELALWAYS,
       WS_EX_ACCEPTFILES | WS_EX_TRANSPARENT},
      {L"msctls_progress32", L"Overall progress", PBS_SMOOTH, 0},
      {L"Static", L"Info:", SS_LEFT, 0},
      {L"SysListView32", L"Files", WS_VSCROLL | LVS_REPORT | LVS_SHOWSELALWAYS, WS_EX_TRANSPARENT},
  };
  std::vector<HWND> children = gui::Children(main);
  ASSERT_EQ(children.size(), std::size(rows));
  for (size_t i = 0; i < children.size(); ++i) {
    HWND c = children[i];
    SCOPED_TRACE(i + 1);
    EXPECT_EQ(gui::ClassOf(c), rows[i].cls);
    if (c != g_shell.statusLine) { // the refresh timer rewrites the status line
      EXPECT_EQ(gui::Text(c), rows[i].text);
    }
    // The views drop WS_VSCROLL themselves while there is nothing to scroll.
    DWORD wanted = WS_CHILD | WS_VISIBLE | (rows[i].style & ~WS_VSCROLL);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(c, GWL_STYLE)) & wanted, wanted);
    DWORD ex = static_cast<DWORD>(GetWindowLongW(c, GWL_EXSTYLE));
    DWORD wantedEx = WS_EX_STATICEDGE | rows[i].exStyle;
    EXPECT_EQ(ex & wantedEx, wantedEx);
    EXPECT_EQ(GetDlgCtrlID(c), 0);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(c, WM_GETFONT, 0, 0));
    if (i == 11)
      EXPECT_NE(font, g_shell.uiFont);
    else
      EXPECT_EQ(font, g_shell.uiFont);
  }
  EXPECT_EQ(SendMessageW(g_shell.existingCheck, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(g_shell.filesList, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) &
                (LVS_EX_GRIDLINES | LVS_EX_LABELTIP),
            LVS_EX_GRIDLINES | LVS_EX_LABELTIP);
  EXPECT_EQ(gui::TreeRootTexts(g_shell.basesTree),
            std::vector<std::wstring>{L"Press Search button then press Scan button"});

  ExpectRect(g_shell.searchButton, 0, 0, 140, 18);
  ExpectRect(g_shell.scanButton, 0, 18, 140, 42);
  ExpectRect(g_shell.infoLabel, 141, 0, 140, 60);
  ExpectRect(g_shell.mountButton, 281, 42, 140, 18);
  ExpectRect(g_shell.duplicatesButton, 281, 21, 140, 18);
  ExpectRect(g_shell.existingCheck, 621, 222, 200, 18);
  ExpectRect(g_shell.hardwareButton, 281, 0, 140, 18);
  ExpectRect(g_shell.keyHelp, 621, 60, 200, 162);
  ExpectRect(g_shell.basesTree, 0, 61, 620, 180);
  ExpectRect(g_shell.mediaHint, 0, 241, 300, 32);
  ExpectRect(g_shell.overallBar, 301, 241, 100, 17);
}

TEST_F(MainWindowTest, TitleClassAndResources) {
  std::wstring title = gui::Text(main);
  std::wstring fixed = L"Orvalis for AVID applications v 0.4      build: ";
  ASSERT_EQ(title.substr(0, fixed.size()), fixed);
  std::wstring date = title.substr(fixed.size()); // "Jul 20 2008"
  ASSERT_GE(date.size(), 10u);
  EXPECT_TRUE(std::iswupper(date[0]) && date[3] == L' ') << date;
  EXPECT_EQ(gui::ClassOf(main), L"QELWNDClass");

  HMENU menu = GetMenu(main);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuItemID(menu, 0), static_cast<UINT>(CMD_EXIT));
  HMENU tools = GetSubMenu(menu, 1);
  ASSERT_NE(tools, nullptr);
  EXPECT_EQ(GetMenuItemID(tools, 0), static_cast<UINT>(CMD_SHOW_CONSOLE));
  EXPECT_EQ(GetMenuItemID(tools, 1), static_cast<UINT>(CMD_OMF_INFO_TOOL));

  ACCEL keys[16];
  ASSERT_EQ(CopyAcceleratorTableW(g_shell.accelerators, keys, 16), 10);
  const WORD ids[] = {40009, 40001, 40005, 40004, 40012, 40011, 40014, 40015, 40016, 40017};
  const WORD vks[] = {'6', 'A', 'I', 'P', VK_F2, VK_TAB, VK_F4, VK_F5, VK_F6, VK_F8};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(keys[i].cmd, ids[i]);
    EXPECT_EQ(keys[i].key, vks[i]);
    EXPECT_EQ((keys[i].fVirt & FCONTROL) != 0, i < 4);
    EXPECT_TRUE(keys[i].fVirt & FNOINVERT);
  }
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), L"QELWNDClass", &cls));
  EXPECT_NE(cls.hIcon, nullptr); // icon group 103
  EXPECT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), L"QELHWTool", &cls));
}

TEST_F(MainWindowTest, LayoutFollowsTheClientSizeAndIgnoresZeroSizes) {
  ShowWindow(main, SW_RESTORE);
  SetWindowPos(main, nullptr, 50, 50, 1000, 700, SWP_NOZORDER);
  gui::Pump();
  RECT c = Client();
  int W = c.right, H = c.bottom;
  ExpectRect(g_shell.projectsList, 0, 273, 300, H - 275);
  ExpectRect(g_shell.filesList, 301, 258, W - 304, H - 260);
  ExpectRect(g_shell.statusLine, 401, 241, W - 304, 17);
  ExpectRect(g_shell.basesTree, 0, 61, 620, 180); // the others keep their places

  // A notification with a zero size changes nothing.
  MoveWindow(g_shell.filesList, 5, 5, 10, 10, FALSE);
  WINDOWPOS zero{main, nullptr, 0, 0, 0, 0, SWP_NOMOVE};
  SendMessageW(main, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&zero));
  ExpectRect(g_shell.filesList, 5, 5, 10, 10);
  SetWindowPos(main, nullptr, 0, 0, 1200, 800, SWP_NOZORDER | SWP_NOMOVE);
  gui::Pump();
  c = Client();
  ExpectRect(g_shell.filesList, 301, 258, c.right - 304, c.bottom - 260);
}

TEST_F(MainWindowTest, SizingStopsAt900By589) {
  RECT small{10, 20, 300, 200};
  EXPECT_EQ(SendMessageW(main, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&small)), 0);
  EXPECT_EQ(small.left, 10);
  EXPECT_EQ(small.right, 910);
  EXPECT_EQ(small.bottom, 609);
  RECT large{0, 0, 1000, 700};
  SendMessageW(main, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&large));
  EXPECT_EQ(large.right, 1000);
  EXPECT_EQ(large.bottom, 700);
}

TEST_F(MainWindowTest, ActivationFocusesTheMostUsefulControl) {
  auto activate = [&](WORD how) { SendMessageW(main, WM_ACTIVATE, MAKEWPARAM(how, 0), 0); };
  activate(WA_ACTIVE);
  EXPECT_EQ(GetFocus(), g_shell.searchButton);

  DatabaseEntry entry{};
  lstrcpyW(entry.path, L"C:\\OMFI MediaFiles\\test.pmr");
  g_catalogue.databases.Insert(&entry);
  activate(WA_ACTIVE);
  EXPECT_EQ(GetFocus(), g_shell.scanButton);

  // A click activation leaves the focus alone.
  SetFocus(g_shell.hardwareButton);
  activate(WA_CLICKACTIVE);
  EXPECT_EQ(GetFocus(), g_shell.hardwareButton);

  LVITEMW row{};
  row.mask = LVIF_TEXT | LVIF_STATE;
  row.pszText = const_cast<wchar_t *>(L"row");
  row.state = row.stateMask = LVIS_SELECTED;
  SendMessageW(g_shell.projectsList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row));
  activate(WA_ACTIVE);
  EXPECT_EQ(GetFocus(), g_shell.projectsList);
  // The Files list holds no items of its own: it is told how many rows there are.
  SendMessageW(g_shell.filesList, LVM_SETITEMCOUNT, 1, 0);
  SendMessageW(g_shell.filesList, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&row));
  activate(WA_ACTIVE);
  EXPECT_EQ(GetFocus(), g_shell.filesList);

  SendMessageW(g_shell.filesList, LVM_DELETEALLITEMS, 0, 0);
  SendMessageW(g_shell.projectsList, LVM_DELETEALLITEMS, 0, 0);
}

TEST_F(MainWindowTest, AcceleratorsReachOnlyTheFocusedControl) {
  gui::MessageRecorder tree(g_shell.basesTree);
  SetFocus(g_shell.basesTree);
  gui::PressKey(g_shell.basesTree, VK_F5);
  EXPECT_EQ(tree.CommandCount(CMD_COPY), 1);
  EXPECT_EQ(gui::FindDialog(), nullptr); // F5 on the tree starts nothing

  // Ctrl+6 on a button reaches the button, which does nothing with it.
  gui::MessageRecorder button(g_shell.scanButton);
  ShowWindow(g_shell.console, SW_HIDE);
  gui::PressKey(g_shell.scanButton, '6', true);
  EXPECT_EQ(button.CommandCount(CMD_SHOW_CONSOLE_KEY), 1);
  EXPECT_FALSE(IsWindowVisible(g_shell.console));

  // Addressed to the main window itself, Ctrl+6 shows the console; so does the menu command.
  gui::PressKey(main, '6', true);
  EXPECT_TRUE(IsWindowVisible(g_shell.console));
  ShowWindow(g_shell.console, SW_HIDE);
  SendMessageW(main, WM_COMMAND, CMD_SHOW_CONSOLE, 0);
  EXPECT_TRUE(IsWindowVisible(g_shell.console));
  ShowWindow(g_shell.console, SW_HIDE);
}

TEST_F(MainWindowTest, InfoTextShowsTheCatalogueTotals) {
  g_catalogue.projectsCount = 2;
  g_catalogue.totalItems = 5;
  g_catalogue.uniqueItems = 4;
  g_catalogue.totalSize = 1024;
  ShowInfoText();
  wchar_t size[60];
  StrFormatByteSizeW(1024, size, 60);
  EXPECT_EQ(gui::Text(g_shell.infoLabel),
            std::wstring(L"Projects count:\t2\nTotal Items:\t5\nUnique Items:\t4\nTotal size\t") +
                size);
  g_catalogue.ClearCatalogue();
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

TEST_F(MainWindowTest, DialogResourcesHoldTheirButtons) {
  HWND confirm = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CONFIRM), main,
                                    PlainDialogProc, 0);
  ASSERT_NE(confirm, nullptr);
  EXPECT_EQ(gui::Text(confirm), L"QEL");
  const std::pair<int, const wchar_t *> buttons[] = {
      {6, L"Yes"}, {1001, L"Skip File"}, {3, L"Yes to All"}, {8, L"Skip All"}, {2, L"Cancel"}};
  for (auto [id, text] : buttons) EXPECT_EQ(gui::Text(GetDlgItem(confirm, id)), text);
  EXPECT_EQ(GetWindowLongW(confirm, GWL_STYLE) & WS_SYSMENU, 0);
  DestroyWindow(confirm);

  HWND duplicates = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_DUPLICATES),
                                       main, PlainDialogProc, 0);
  ASSERT_NE(duplicates, nullptr);
  EXPECT_EQ(gui::Text(duplicates), L"QEL DupFind (Under Development)");
  EXPECT_EQ(gui::Text(GetDlgItem(duplicates, IDC_BACKUP_DUPLICATES)), L"Backup Duplicates");
  DestroyWindow(duplicates);

  HWND store = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_STORE_FILES),
                                  main, PlainDialogProc, 0);
  ASSERT_NE(store, nullptr);
  EXPECT_EQ(gui::Text(store), L"Store files...");
  DestroyWindow(store);
}

} // namespace
