// OBM_COMBO, the sort mark, is one of the OEM bitmaps.
#define OEMRESOURCE
#include "shell/main_window.h"

#include <commctrl.h>

#include <cwchar>

#include "catalogue/catalogue.h"
#include "catalogue/database_discovery.h"
#include "inspection/media_file_parser.h"
#include "operations/duplicates_dialog.h"
#include "window_services/progress.h"
#include "window_services/progress_window.h"
#include "resources/resource.h"
#include "platform/platform.h"
#include "window_services/console_window.h"
#include "window_services/host_receivers.h"
#include "window_services/shell_state.h"
#include "window_services/window_helpers.h"
#include "tools/drive_info_tool.h"
#include "tools/mount_tool.h"
#include "tools/omf_viewer.h"
#include "views/bases_tree.h"
#include "views/files_list.h"
#include "views/info_label.h"
#include "views/projects_list.h"
#include "views/view_procedures.h"
#include "window_services/long_task.h"

ShellState g_shell;

namespace {

constexpr wchar_t kMainClass[] = L"QELWNDClass";
constexpr wchar_t kDriveToolClass[] = L"QELHWTool";
constexpr wchar_t kTitle[] = L"Orvalis for AVID applications v 0.4      build: ";
constexpr int kMinWidth = 900;
constexpr int kMinHeight = 589;
constexpr UINT_PTR kRefreshTimer = 5;
constexpr UINT kRefreshPeriod = 150;

constexpr wchar_t kKeyHelp[] = L"\tShortcut Keys:\n\n F2 \t- Get info for Selected Media\n F4 \t- "
                               L"Store / Sift (not implemented)\n F5 \t- Copy\n F6 \t- Move\n F8 "
                               L"\t- Delete\n Ctrl-A \t- Select all\n Ctrl-I \t- Invert "
                               L"selection\n Ctrl-P \t- Select Precomputes";

// The title ends with the build date as "Jul 20 2008"; the compiler pads a one-digit day
// with a blank, which is dropped.
void BuildTitle(wchar_t *title, size_t capacity) {
  const char *date = __DATE__;
  size_t n = std::wcslen(kTitle);
  std::wcsncpy(title, kTitle, capacity);
  for (const char *c = date; *c != 0 && n + 1 < capacity; ++c) {
    if (*c == ' ' && c[1] == ' ') continue;
    title[n++] = static_cast<wchar_t>(*c);
  }
  title[n] = 0;
}

bool RegisterWindowClass(HINSTANCE instance, const wchar_t *name, WNDPROC proc, bool withMenu) {
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.style = CS_HREDRAW | CS_VREDRAW;
  cls.lpfnWndProc = proc;
  cls.hInstance = instance;
  cls.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAIN));
  cls.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(32512));
  cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  cls.lpszMenuName = withMenu ? MAKEINTRESOURCEW(IDR_MAIN_MENU) : nullptr;
  cls.lpszClassName = name;
  return RegisterClassExW(&cls) != 0;
}

HWND MakeControl(DWORD exStyle, const wchar_t *cls, const wchar_t *text, DWORD style, int x, int y,
                 int w, int h, bool withFont = true) {
  HWND control =
      CreateWindowExW(WS_EX_STATICEDGE | exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w,
                      h, g_shell.mainWindow, nullptr, g_shell.instance, nullptr);
  if (withFont) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_shell.uiFont), FALSE);
  return control;
}

void CreateFonts() {
  g_shell.uiFont = CreateFontW(14, 5, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, OEM_CHARSET, 0, 0,
                               ANTIALIASED_QUALITY, FF_SWISS, L"MS Sans Serif");
  g_shell.monoFont = CreateFontW(15, 8, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, OEM_CHARSET, 0, 0,
                                 ANTIALIASED_QUALITY, FF_MODERN, L"Courier New");
}

void CreateControls() {
  RECT client;
  GetClientRect(g_shell.mainWindow, &client);
  g_shell.clientRect = client;
  int W = client.right;
  int H = client.bottom;
  const DWORD push = BS_PUSHBUTTON | WS_TABSTOP;

  g_shell.searchButton = MakeControl(0, L"Button", L"Search for Databases", push, 0, 0, 140, 18);
  g_shell.scanButton = MakeControl(0, L"Button", L"Scan", push, 0, 18, 140, 42);
  g_shell.infoLabel = MakeControl(0, L"Static",
                                  L"Drag database files,\nor folders with databases\ninto the "
                                  L"window below",
                                  SS_LEFT, 141, 0, 140, 60);
  g_shell.mountButton = MakeControl(0, L"Button", L"Mount Folders (Subst)", push, 281, 42, 140, 18);
  g_shell.duplicatesButton = MakeControl(0, L"Button", L"Find duplicates", push, 281, 21, 140, 18);
  g_shell.existingCheck = MakeControl(0, L"Button", L"Show only existing files",
                                      BS_AUTOCHECKBOX | WS_TABSTOP, 621, 222, 200, 18);
  SendMessageW(g_shell.existingCheck, BM_SETCHECK, BST_CHECKED, 0);
  g_shell.hardwareButton = MakeControl(0, L"Button", L"Hardware Tool", push, 281, 0, 140, 18);
  g_shell.keyHelp = MakeControl(0, L"Static", kKeyHelp, SS_LEFT, 621, 60, 200, 162);
  g_shell.basesTree = MakeControl(WS_EX_ACCEPTFILES, WC_TREEVIEWW, L"Bases",
                                  WS_VSCROLL | TVS_FULLROWSELECT | TVS_CHECKBOXES, 0, 61, 620, 180);
  g_shell.mediaHint = MakeControl(0, L"Static",
                                  L"Drag media files (OMF or MXF),folders with these files\ninto "
                                  L"the window below",
                                  SS_CENTER, 0, 241, 300, 32);
  g_shell.projectsList =
      MakeControl(WS_EX_ACCEPTFILES | WS_EX_TRANSPARENT, WC_LISTVIEWW, L"Projects",
                  WS_VSCROLL | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 273, 300, H - 275);
  SendMessageW(g_shell.projectsList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES,
               LVS_EX_GRIDLINES);
  g_shell.overallBar =
      MakeControl(0, PROGRESS_CLASSW, L"Overall progress", PBS_SMOOTH, 301, 241, 100, 17, false);
  g_shell.statusLine = MakeControl(0, L"Static", L"Info:", SS_LEFT, 401, 241, W - 304, 17);
  g_shell.filesList = MakeControl(WS_EX_TRANSPARENT, WC_LISTVIEWW, L"Files",
                                  WS_VSCROLL | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_OWNERDATA, 301,
                                  258, W - 304, H - 260);
  SendMessageW(g_shell.filesList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES | LVS_EX_LABELTIP,
               LVS_EX_GRIDLINES | LVS_EX_LABELTIP);

  g_shell.sortMarkBitmap = LoadBitmapW(nullptr, MAKEINTRESOURCEW(OBM_COMBO));

  TVINSERTSTRUCTW insert{};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_STATE | TVIF_PARAM;
  insert.item.pszText = const_cast<wchar_t *>(L"Press Search button then press Scan button");
  insert.item.state = TVIS_BOLD | TVIS_EXPANDED | TVIS_SELECTED | INDEXTOSTATEIMAGEMASK(0);
  insert.item.stateMask = TVIS_BOLD | TVIS_EXPANDED | TVIS_SELECTED | TVIS_STATEIMAGEMASK;
  insert.item.lParam = 0;
  SendMessageW(g_shell.basesTree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
  // Setting the style again after creation makes the tree build its check box images.
  ModifyStyle(g_shell.basesTree, TVS_CHECKBOXES, 0, 0);
  ModifyStyle(g_shell.basesTree, 0, TVS_CHECKBOXES, 0);

  SetupFilesColumns();
  SetupProjectsColumns();
}

void WriteBanner() {
  wchar_t title[128];
  BuildTitle(title, 128);
  platform::LogLine(title);
  platform::LogLine(L"------------------------------------------------------------");
  platform::LogLine(
      L"Catalogues the media of AVID editing applications: databases, media files, projects.");
  platform::LogLine(L"------------------------------------------------------------");
  platform::LogLine(
      L"This window collects the program's log; closing it only hides it (Ctrl-6 shows it).");
}

// Opens, centres and shows the progress window around one long task.
void RunWithProgress(void (*task)()) {
  OpenProgress();
  ShowProgress();
  task();
  CloseProgress();
}

void OnSearch() {
  LongTask task(L"Search for Databases");
  if (task.refused) return;
  StoreBaseChecks();
  RunWithProgress(ScanAllDrives);
  FillBasesTree();
}

void OnScan() {
  LongTask task(L"Scan");
  if (task.refused) return;
  ClearFilesList();
  StoreBaseChecks();
  RunWithProgress(LoadAll);
  ShowInfoText();
  FillProjectsList();
}

void OnButton(HWND button) {
  if (button == g_shell.searchButton)
    OnSearch();
  else if (button == g_shell.scanButton)
    OnScan();
  else if (button == g_shell.hardwareButton)
    OpenDriveInfoTool(g_shell.instance, g_shell.uiFont, g_shell.mainWindow, &g_shell.driveTool);
  else if (button == g_shell.mountButton)
    StartMountTool(g_shell.instance, g_shell.uiFont, &g_shell.mountTool);
  else if (button == g_shell.duplicatesButton && !RefusedWhileBusy(L"Find duplicates"))
    DialogBoxParamW(g_shell.instance, MAKEINTRESOURCEW(IDD_DUPLICATES), g_shell.mainWindow,
                    DuplicatesDialogProc, 0);
}

bool OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
  case CMD_SHOW_CONSOLE:
  case CMD_SHOW_CONSOLE_KEY:
    platform::LogShow();
    return true;
  case CMD_OMF_INFO_TOOL:
    OpenOmfViewer(g_shell.instance, g_shell.uiFont, g_catalogueParser.results.fileName,
                  &g_shell.omfViewer);
    return true;
  case CMD_EXIT:
    DestroyWindow(window);
    return true;
  case 0:
    if (lParam == 0) return false;
    OnButton(reinterpret_cast<HWND>(lParam));
    return true;
  default:
    return false;
  }
}

void OnWindowPosChanged(HWND window, const WINDOWPOS *pos) {
  if (pos->cx == 0 && pos->cy == 0) return;
  if (g_shell.filesList == nullptr) return; // position changes while the window is being made
  GetClientRect(window, &g_shell.clientRect);
  int W = g_shell.clientRect.right;
  int H = g_shell.clientRect.bottom;
  MoveWindow(g_shell.projectsList, 0, 273, 300, H - 275, TRUE);
  MoveWindow(g_shell.filesList, 301, 258, W - 304, H - 260, TRUE);
  MoveWindow(g_shell.statusLine, 401, 241, W - 304, 17, TRUE);
}

void OnSizing(RECT *dragged) {
  if (dragged->right - dragged->left < kMinWidth) dragged->right = dragged->left + kMinWidth;
  if (dragged->bottom - dragged->top < kMinHeight) dragged->bottom = dragged->top + kMinHeight;
}

void OnActivate(WPARAM wParam) {
  if (LOWORD(wParam) != WA_ACTIVE) return;
  if (SendMessageW(g_shell.filesList, LVM_GETSELECTEDCOUNT, 0, 0) > 0)
    SetFocus(g_shell.filesList);
  else if (SendMessageW(g_shell.projectsList, LVM_GETSELECTEDCOUNT, 0, 0) > 0)
    SetFocus(g_shell.projectsList);
  else if (g_catalogue.databases.count != 0)
    SetFocus(g_shell.scanButton);
  else
    SetFocus(g_shell.searchButton);
}

// The views' notifications; true with the result when one of them took it.
bool OnNotify(const NMHDR *notification, LRESULT *result) {
  *result = 0;
  if (notification->hwndFrom == g_shell.projectsList) {
    OnProjectsSelectionChanged(notification);
    return true;
  }
  if (notification->hwndFrom == g_shell.filesList) {
    *result = OnFilesListNotify(notification);
    return true;
  }
  return false;
}

void OnPaint(HWND window) {
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  EndPaint(window, &paint);
}

void OnDestroy() {
  CloseOmfViewer(g_shell.omfViewer);
  PostQuitMessage(0);
}

} // namespace

bool StartShell(HINSTANCE instance, int showCommand) {
  wchar_t title[128];
  BuildTitle(title, 128);
  if (!RegisterWindowClass(instance, kMainClass, MainWindowProc, true)) return false;
  g_shell.instance = instance;
  if (!RegisterWindowClass(instance, kDriveToolClass, DriveInfoWndProc, false)) return false;
  g_shell.accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));

  g_shell.mainWindow = CreateWindowExW(0, kMainClass, title, WS_OVERLAPPEDWINDOW, 100, 150,
                                       kMinWidth, kMinHeight, nullptr, nullptr, instance, nullptr);
  if (g_shell.mainWindow == nullptr) return false;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  if (!InitCommonControlsEx(&controls)) return false;

  CreateFonts();
  CreateControls();
  CenterWindow(g_shell.mainWindow, nullptr);
  SubclassViews();

  if (!RegisterProgressClass(instance) || !RegisterConsoleClass(instance) ||
      !RegisterOmfViewerClass(instance) || !RegisterMountToolClass(instance)) {
    return false;
  }
  g_shell.console = StartConsole(instance, g_shell.uiFont, g_shell.monoFont);
  InstallHostReceivers();
  g_shell.refreshTimerId =
      SetTimer(g_shell.filesList, kRefreshTimer, kRefreshPeriod, OnRefreshTimer);

  ShowWindow(g_shell.mainWindow, showCommand);
  UpdateWindow(g_shell.mainWindow);
  ShowWindow(g_shell.mainWindow, SW_SHOWMAXIMIZED);
  WriteBanner();
  return true;
}

void DispatchShellMessage(MSG *msg) {
  if (!TranslateAcceleratorW(msg->hwnd, g_shell.accelerators, msg)) {
    TranslateMessage(msg);
    DispatchMessageW(msg);
  }
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchShellMessage(&msg);
  return static_cast<int>(msg.wParam);
}

void EndShell() {
  KillTimer(g_shell.filesList, g_shell.refreshTimerId);
  DeleteObject(g_shell.uiFont);
  DeleteObject(g_shell.monoFont);
  g_shell.uiFont = nullptr;
  g_shell.monoFont = nullptr;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_WINDOWPOSCHANGED:
    OnWindowPosChanged(window, reinterpret_cast<const WINDOWPOS *>(lParam));
    return 0;
  case WM_SIZING:
    OnSizing(reinterpret_cast<RECT *>(lParam));
    return 0;
  case WM_ACTIVATE:
    OnActivate(wParam);
    return 0;
  case WM_COMMAND:
    if (OnCommand(window, wParam, lParam)) return 0;
    break;
  case WM_NOTIFY: {
    LRESULT result;
    if (OnNotify(reinterpret_cast<const NMHDR *>(lParam), &result)) return result;
    break;
  }
  case WM_PAINT:
    OnPaint(window);
    return 0;
  case WM_DESTROY:
    OnDestroy();
    return 0;
  default:
    break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
