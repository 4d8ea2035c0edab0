#include "tools/mount_tool.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cwchar>
#include <new>

#include "platform/platform.h"
#include "window_services/window_helpers.h"
#include "window_services/tool_windows.h"
#include "window_services/window_context.h"

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

void ReadBaseFolder(const MountTool &tool, wchar_t *base) {
  base[0] = 0;
  GetWindowTextW(tool.baseEdit, base, kTextChars);
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
int MappedLetterOf(const MountTool &tool, const wchar_t *path) {
  for (int i = 0; i < 26; ++i) {
    const DriveTableEntry &entry = tool.drives[i];
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

int FirstFreeLetter(const MountTool &tool) {
  for (int i = kFirstMountLetter; i < 26; ++i) {
    if (tool.drives[i].target[0] == 0) return i;
  }
  return -1;
}

bool IsUsableBase(const wchar_t *base) {
  return !PathIsURLW(base) && !PathIsRelativeW(base) && PathIsDirectoryW(base) &&
         PathFileExistsW(base) && SetCurrentDirectoryW(base);
}

HWND MakeControl(const MountTool &tool, const wchar_t *cls, const wchar_t *text, DWORD style, int x,
                 int y, int width, int height, HINSTANCE instance) {
  HWND control = CreateWindowExW(WS_EX_STATICEDGE, cls, text, WS_CHILD | WS_VISIBLE | style, x, y,
                                 width, height, tool.window, nullptr, instance, nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(tool.font), FALSE);
  return control;
}

HWND MakeTree(const MountTool &tool, int x, HINSTANCE instance) {
  HWND tree =
      MakeControl(tool, WC_TREEVIEWW, L"Bases", WS_VSCROLL | TVS_CHECKBOXES | TVS_FULLROWSELECT, x,
                  28, 235, 420, instance);
  // Switching the check boxes off and on makes the control build their state images now.
  ModifyStyle(tree, TVS_CHECKBOXES, 0, 0);
  ModifyStyle(tree, 0, TVS_CHECKBOXES, 0);
  return tree;
}

void CreateControls(MountTool &tool, HINSTANCE instance) {
  tool.browseButton = MakeControl(tool, L"Button", L"...", BS_PUSHBUTTON, 10, 5, 20, 18, instance);
  tool.baseEdit = MakeControl(tool, L"Edit", L"c:\\", ES_AUTOHSCROLL, 31, 5, 454, 18, instance);
  tool.foldersTree = MakeTree(tool, 10, instance);
  tool.drivesTree = MakeTree(tool, 250, instance);
  tool.unmountButton =
      MakeControl(tool, L"Button", L"Unmount All", BS_PUSHBUTTON, 10, 450, 80, 18, instance);
  tool.applyButton =
      MakeControl(tool, L"Button", L"Apply", BS_PUSHBUTTON, 405, 450, 80, 18, instance);
}

DWORD WINAPI MountToolThread(LPVOID parameter) {
  auto *start = static_cast<WindowThreadStart *>(parameter);
  HINSTANCE instance = start->instance;
  HWND window = CreateThreadWindow<MountTool>(
      start, WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, kMountToolClass,
      L"Mount/Substitute Tool", WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT, 500, 500);
  if (window != nullptr) {
    MountTool &tool = *ContextOf<MountTool>(window);
    CreateControls(tool, instance);
    RefreshMountedDrives(tool);
    RefreshFolders(tool);
    CenterWindow(window, nullptr);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
  }
  SignalWindowStarted(start);
  if (window != nullptr) RunToolLoop();
  return 0;
}

void OnBrowse(const MountTool &tool) {
  wchar_t folder[kTextChars] = {};
  // The new text refreshes the folders tree through the edit box's change notification.
  if (BrowseForFolder(tool.window, folder, kTextChars)) SetWindowTextW(tool.baseEdit, folder);
}

void OnCommand(MountTool &tool, WPARAM wParam, LPARAM lParam) {
  HWND sender = reinterpret_cast<HWND>(lParam);
  if (sender == tool.baseEdit) {
    if (HIWORD(wParam) == EN_CHANGE) RefreshFolders(tool);
    return;
  }
  if (sender == tool.unmountButton) {
    UnmountAll();
  } else if (sender == tool.applyButton) {
    ApplyMounts(tool);
  } else if (sender == tool.browseButton) {
    OnBrowse(tool);
    return;
  } else {
    return;
  }
  RefreshMountedDrives(tool);
  RefreshFolders(tool);
}

} // namespace

void RefreshMountedDrives(MountTool &tool) {
  SendMessageW(tool.drivesTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  ZeroMemory(tool.drives, sizeof tool.drives);
  for (int i = 0; i < 26; ++i) {
    DriveTableEntry &entry = tool.drives[i];
    entry.deviceName[0] = static_cast<wchar_t>(L'A' + i);
    entry.deviceName[1] = L':';
    QueryTarget(entry.deviceName, entry.target);
    if (!IsFolderMapping(entry.target)) continue;
    entry.substituted = 1;
    wchar_t text[kTextChars + 8];
    wsprintfW(text, L"%s [%s]", entry.deviceName, entry.target + kPrefixChars);
    AddRootItem(tool.drivesTree, text, true);
  }
}

void RefreshFolders(MountTool &tool) {
  SendMessageW(tool.foldersTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  wchar_t base[kTextChars];
  ReadBaseFolder(tool, base);
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
    HTREEITEM item = AddRootItem(tool.foldersTree, found.cFileName, false);
    wchar_t path[kTextChars];
    lstrcpynW(path, base, kTextChars);
    if (item != nullptr && PathAppendW(path, found.cFileName) && MappedLetterOf(tool, path) >= 0)
      SetChecked(tool.foldersTree, item, true);
  } while (FindNextFileW(find, &found));
  FindClose(find);
}

void ApplyMounts(MountTool &tool) {
  wchar_t base[kTextChars];
  ReadBaseFolder(tool, base);
  wchar_t text[kTextChars];

  // The folders whose mappings the user unchecked still show checked in the folders tree;
  // they are remembered so that they are not mapped again under another letter.
  bool removed[26] = {};
  HWND drives = tool.drivesTree;
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
    if (removed[i] && tool.drives[i].substituted)
      lstrcpynW(removedPaths[removedCount++], tool.drives[i].target + kPrefixChars, kTextChars);
  }
  RefreshMountedDrives(tool);

  HWND folders = tool.foldersTree;
  for (HTREEITEM item = FirstRootItem(folders); item != nullptr; item = NextItem(folders, item)) {
    ItemText(folders, item, text);
    if (text[0] == 0 || !IsChecked(folders, item)) continue;
    wchar_t path[kTextChars];
    lstrcpynW(path, base, kTextChars);
    if (!PathAppendW(path, text) || MappedLetterOf(tool, path) >= 0) continue;
    if (IsAmong(path, removedPaths, removedCount)) continue;
    int letter = FirstFreeLetter(tool);
    if (letter < 0) continue;
    // A folder that has gone since the listing uses up no letter.
    if (PathFileExistsW(path)) DefineDosDeviceW(0, tool.drives[letter].deviceName, path);
    RefreshMountedDrives(tool); // the next checked folder finds this letter taken
  }
}

void UnmountAll() {
  for (int i = 0; i < 26; ++i) {
    wchar_t device[3] = {static_cast<wchar_t>(L'A' + i), L':', 0};
    wchar_t target[kTargetChars];
    QueryTarget(device, target);
    if (!IsFolderMapping(target)) continue;
    platform::LogLine(device);
    platform::LogLine(target);
    DefineDosDeviceW(DDD_REMOVE_DEFINITION, device, nullptr);
  }
}

bool RegisterMountToolClass(HINSTANCE instance) {
  return RegisterToolWindowClass(instance, kMountToolClass, MountToolWndProc);
}

void StartMountTool(HINSTANCE instance, HFONT font, HWND *tool) {
  if (IsWindow(*tool)) return;
  auto *context = new (std::nothrow) MountTool{};
  if (context == nullptr) return;
  context->font = font;
  *tool = StartWindowThread(MountToolThread, instance, context);
}

LRESULT CALLBACK MountToolWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MountTool *tool = ContextOf<MountTool>(window);
  switch (message) {
  case WM_NCCREATE:
    return AttachContext<MountTool>(window, wParam, lParam);
  case WM_COMMAND:
    if (LOWORD(wParam) != 0 || tool == nullptr) break;
    OnCommand(*tool, wParam, lParam);
    return 0;
  case WM_NCDESTROY:
    FreeContext<MountTool>(window);
    break; // ends the thread's loop
  default:
    break;
  }
  return ThreadedToolDefault(window, message, wParam, lParam);
}
