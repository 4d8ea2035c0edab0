#include "tools/mount_tool.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cwchar>

#include "shell/console_window.h"
#include "shell/window_helpers.h"
#include "tools/tool_windows.h"

MountTool g_mountTool;

namespace {

constexpr wchar_t kMountToolClass[] = L"QELMountTool";
constexpr wchar_t kMappingPrefix[] = L"\\??\\"; // the target of a folder mapping starts so
constexpr size_t kPrefixChars = 4;
constexpr DWORD kTargetChars = 260;
constexpr DWORD kLongTargetChars = 32768;
constexpr int kTextChars = 260;

bool IsFolderMapping(const wchar_t *target) {
  return std::wcsncmp(target, kMappingPrefix, kPrefixChars) == 0;
}

// The first target of the device, cut to the table's 259 characters. A target longer than
// that (a mapping of a path near the length limit) still marks the letter as used.
void QueryTarget(const wchar_t *device, wchar_t *target) {
  target[0] = 0;
  if (QueryDosDeviceW(device, target, kTargetChars) != 0) {
    target[kTargetChars - 1] = 0;
    return;
  }
  target[0] = 0;
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return;
  wchar_t *longTarget = static_cast<wchar_t *>(LocalAlloc(LMEM_ZEROINIT, kLongTargetChars * 2));
  if (longTarget == nullptr) return;
  if (QueryDosDeviceW(device, longTarget, kLongTargetChars) != 0)
    lstrcpynW(target, longTarget, kTargetChars);
  LocalFree(longTarget);
}

void ReadBaseFolder(wchar_t *base) {
  base[0] = 0;
  GetWindowTextW(g_mountTool.baseEdit, base, kTextChars);
}

bool IsChecked(HWND tree, HTREEITEM item) {
  UINT state = static_cast<UINT>(
      SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK));
  return (state >> 12) == 2;
}

void SetChecked(HWND tree, HTREEITEM item, bool checked) {
  TVITEMW change = {};
  change.mask = TVIF_STATE;
  change.hItem = item;
  change.stateMask = TVIS_STATEIMAGEMASK;
  change.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change));
}

HTREEITEM AddRootItem(HWND tree, const wchar_t *text, bool checked) {
  TVINSERTSTRUCTW insert = {};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = const_cast<wchar_t *>(text);
  HTREEITEM item = reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  if (item != nullptr) SetChecked(tree, item, checked);
  return item;
}

HTREEITEM FirstRootItem(HWND tree) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
}

HTREEITEM NextItem(HWND tree, HTREEITEM item) {
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
}

void ItemText(HWND tree, HTREEITEM item, wchar_t *text) {
  text[0] = 0;
  TVITEMW get = {};
  get.mask = TVIF_TEXT;
  get.hItem = item;
  get.pszText = text;
  get.cchTextMax = kTextChars;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&get));
}

// The letter that maps path already, or -1.
int MappedLetterOf(const wchar_t *path) {
  for (int i = 0; i < 26; ++i) {
    const DriveTableEntry &entry = g_mountTool.drives[i];
    if (entry.substituted && StrCmpIW(entry.target + kPrefixChars, path) == 0) return i;
  }
  return -1;
}

bool IsAmong(const wchar_t *path, const wchar_t (*paths)[kTextChars], int count) {
  for (int i = 0; i < count; ++i) {
    if (StrCmpIW(paths[i], path) == 0) return true;
  }
  return false;
}

int FirstFreeLetter() {
  for (int i = kFirstMountLetter; i < 26; ++i) {
    if (g_mountTool.drives[i].target[0] == 0) return i;
  }
  return -1;
}

bool IsUsableBase(const wchar_t *base) {
  return !PathIsURLW(base) && !PathIsRelativeW(base) && PathIsDirectoryW(base) &&
         PathFileExistsW(base) && SetCurrentDirectoryW(base);
}

HWND MakeControl(DWORD exStyle, const wchar_t *cls, const wchar_t *text, DWORD style, int x, int y,
                 int width, int height, HINSTANCE instance) {
  HWND control = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, width,
                                 height, g_mountTool.window, nullptr, instance, nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_mountTool.font), FALSE);
  return control;
}

HWND MakeTree(int x, HINSTANCE instance) {
  HWND tree =
      MakeControl(WS_EX_STATICEDGE, WC_TREEVIEWW, L"Bases",
                  WS_VSCROLL | TVS_CHECKBOXES | TVS_FULLROWSELECT, x, 28, 235, 420, instance);
  // Switching the check boxes off and on makes the control build their state images now.
  ModifyStyle(tree, TVS_CHECKBOXES, 0, 0);
  ModifyStyle(tree, 0, TVS_CHECKBOXES, 0);
  return tree;
}

void CreateControls(HINSTANCE instance) {
  g_mountTool.browseButton =
      MakeControl(WS_EX_STATICEDGE, L"Button", L"...", BS_PUSHBUTTON, 10, 5, 20, 18, instance);
  g_mountTool.baseEdit =
      MakeControl(WS_EX_STATICEDGE, L"Edit", L"c:\\", ES_AUTOHSCROLL, 31, 5, 454, 18, instance);
  g_mountTool.foldersTree = MakeTree(10, instance);
  g_mountTool.drivesTree = MakeTree(250, instance);
  g_mountTool.unmountButton = MakeControl(WS_EX_STATICEDGE, L"Button", L"Unmount All",
                                          BS_PUSHBUTTON, 10, 450, 80, 18, instance);
  g_mountTool.applyButton =
      MakeControl(WS_EX_STATICEDGE, L"Button", L"Apply", BS_PUSHBUTTON, 405, 450, 80, 18, instance);
}

DWORD WINAPI MountToolThread(LPVOID parameter) {
  HINSTANCE instance = static_cast<HINSTANCE>(parameter);
  g_mountTool.window =
      CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, kMountToolClass,
                      L"Mount/Substitute Tool", WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                      CW_USEDEFAULT, 500, 500, nullptr, nullptr, instance, nullptr);
  if (g_mountTool.window == nullptr) {
    ReleaseSemaphore(g_mountTool.startSignal, 1, nullptr);
    return 0;
  }
  CreateControls(instance);
  RefreshMountedDrives();
  RefreshFolders();
  CenterWindow(g_mountTool.window, nullptr);
  ShowWindow(g_mountTool.window, SW_SHOW);
  UpdateWindow(g_mountTool.window);
  ReleaseSemaphore(g_mountTool.startSignal, 1, nullptr);

  RunToolLoop();
  return 0;
}

void OnBrowse() {
  wchar_t folder[kTextChars] = {};
  // The new text refreshes the folders tree through the edit box's change notification.
  if (BrowseForFolder(g_mountTool.window, folder, kTextChars))
    SetWindowTextW(g_mountTool.baseEdit, folder);
}

void OnCommand(WPARAM wParam, LPARAM lParam) {
  HWND sender = reinterpret_cast<HWND>(lParam);
  if (sender == g_mountTool.baseEdit) {
    if (HIWORD(wParam) == EN_CHANGE) RefreshFolders();
    return;
  }
  if (sender == g_mountTool.unmountButton) {
    UnmountAll();
  } else if (sender == g_mountTool.applyButton) {
    ApplyMounts();
  } else if (sender == g_mountTool.browseButton) {
    OnBrowse();
    return;
  } else {
    return;
  }
  RefreshMountedDrives();
  RefreshFolders();
}

} // namespace

void RefreshMountedDrives() {
  SendMessageW(g_mountTool.drivesTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  ZeroMemory(g_mountTool.drives, sizeof g_mountTool.drives);
  for (int i = 0; i < 26; ++i) {
    DriveTableEntry &entry = g_mountTool.drives[i];
    entry.deviceName[0] = static_cast<wchar_t>(L'A' + i);
    entry.deviceName[1] = L':';
    QueryTarget(entry.deviceName, entry.target);
    if (!IsFolderMapping(entry.target)) continue;
    entry.substituted = 1;
    wchar_t text[kTextChars + 8];
    wsprintfW(text, L"%s [%s]", entry.deviceName, entry.target + kPrefixChars);
    AddRootItem(g_mountTool.drivesTree, text, true);
  }
}

void RefreshFolders() {
  SendMessageW(g_mountTool.foldersTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  wchar_t base[kTextChars];
  ReadBaseFolder(base);
  if (!IsUsableBase(base)) return;

  wchar_t pattern[kTextChars];
  lstrcpynW(pattern, base, kTextChars);
  if (!PathAppendW(pattern, L"*.*")) return;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(pattern, &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) continue;
    if (lstrcmpW(found.cFileName, L".") == 0 || lstrcmpW(found.cFileName, L"..") == 0) continue;
    HTREEITEM item = AddRootItem(g_mountTool.foldersTree, found.cFileName, false);
    wchar_t path[kTextChars];
    lstrcpynW(path, base, kTextChars);
    if (item != nullptr && PathAppendW(path, found.cFileName) && MappedLetterOf(path) >= 0)
      SetChecked(g_mountTool.foldersTree, item, true);
  } while (FindNextFileW(find, &found));
  FindClose(find);
}

void ApplyMounts() {
  wchar_t base[kTextChars];
  ReadBaseFolder(base);
  wchar_t text[kTextChars];

  // The folders whose mappings the user unchecked still show checked in the folders tree;
  // they are remembered so that they are not mapped again under another letter.
  bool removed[26] = {};
  HWND drives = g_mountTool.drivesTree;
  for (HTREEITEM item = FirstRootItem(drives); item != nullptr; item = NextItem(drives, item)) {
    ItemText(drives, item, text);
    if (text[0] == 0 || text[1] == 0 || IsChecked(drives, item)) continue;
    wchar_t device[3] = {text[0], text[1], 0};
    DefineDosDeviceW(DDD_REMOVE_DEFINITION, device, nullptr);
    const int letter = text[0] - L'A';
    if (letter >= 0 && letter < 26) removed[letter] = true;
  }
  wchar_t removedPaths[26][kTextChars];
  int removedCount = 0;
  for (int i = 0; i < 26; ++i) {
    if (removed[i] && g_mountTool.drives[i].substituted)
      lstrcpynW(removedPaths[removedCount++], g_mountTool.drives[i].target + kPrefixChars,
                kTextChars);
  }
  RefreshMountedDrives();

  HWND folders = g_mountTool.foldersTree;
  for (HTREEITEM item = FirstRootItem(folders); item != nullptr; item = NextItem(folders, item)) {
    ItemText(folders, item, text);
    if (text[0] == 0 || !IsChecked(folders, item)) continue;
    wchar_t path[kTextChars];
    lstrcpynW(path, base, kTextChars);
    if (!PathAppendW(path, text) || MappedLetterOf(path) >= 0) continue;
    if (IsAmong(path, removedPaths, removedCount)) continue;
    int letter = FirstFreeLetter();
    if (letter < 0) continue;
    // A folder that has gone since the listing uses up no letter.
    if (PathFileExistsW(path)) DefineDosDeviceW(0, g_mountTool.drives[letter].deviceName, path);
    RefreshMountedDrives(); // the next checked folder finds this letter taken
  }
}

void UnmountAll() {
  for (int i = 0; i < 26; ++i) {
    wchar_t device[3] = {static_cast<wchar_t>(L'A' + i), L':', 0};
    wchar_t target[kTargetChars];
    QueryTarget(device, target);
    if (!IsFolderMapping(target)) continue;
    LogLine(device);
    LogLine(target);
    DefineDosDeviceW(DDD_REMOVE_DEFINITION, device, nullptr);
  }
}

bool RegisterMountToolClass(HINSTANCE instance) {
  return RegisterToolWindowClass(instance, kMountToolClass, MountToolWndProc);
}

void StartMountTool(HINSTANCE instance, HFONT font) {
  if (IsWindow(g_mountTool.window)) return;
  g_mountTool.font = font;
  StartToolThread(MountToolThread, instance, &g_mountTool.startSignal);
}

LRESULT CALLBACK MountToolWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_COMMAND:
    if (LOWORD(wParam) != 0) break;
    OnCommand(wParam, lParam);
    return 0;
  default:
    break;
  }
  return ThreadedToolDefault(window, message, wParam, lParam);
}
