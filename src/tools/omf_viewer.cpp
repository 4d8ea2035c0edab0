#include "tools/omf_viewer.h"

#include <commctrl.h>
#include <commdlg.h>

#include <vector>

#include "inspection/bento_constants.h"
#include "inspection/dictionary_dump.h"
#include "inspection/media_file_parser.h"
#include "inspection/structure_view.h"
#include "shell/console_window.h"
#include "shell/window_helpers.h"
#include "tools/tool_windows.h"

OmfViewer g_omfViewer;

namespace {

constexpr wchar_t kViewerClass[] = L"QELOMFiInfo";
constexpr wchar_t kOmfFilter[] = L"OMFI Files \0*.omf;*.aif;*.wav;*.mdb\0";
constexpr wchar_t kTextFilter[] = L"Text Files \0*.h;*.txt\0";
constexpr int kMinWidth = 600;
constexpr int kMinHeight = 300;

bool SystemFileDialog(FileDialogRequest *request) {
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = request->owner;
  dialog.lpstrFilter = request->filter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = request->path;
  dialog.nMaxFile = request->capacity;
  dialog.Flags = request->flags;
  return GetOpenFileNameW(&dialog) != 0;
}

FileDialogFunction g_fileDialog = SystemFileDialog;

bool AskForFile(const wchar_t *filter, DWORD flags, wchar_t *path) {
  FileDialogRequest request = {g_omfViewer.window, filter, flags, path, MAX_PATH};
  return g_fileDialog(&request);
}

HTREEITEM InsertItem(HTREEITEM parent, HTREEITEM after, const ViewItem &item) {
  TVINSERTSTRUCTW insert = {};
  insert.hParent = parent;
  insert.hInsertAfter = after;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
  insert.item.pszText = const_cast<wchar_t *>(item.label);
  insert.item.lParam = item.entry;
  insert.item.state = item.bold ? TVIS_BOLD : 0;
  insert.item.stateMask = TVIS_BOLD;
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(g_omfViewer.tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void ShowContainer() {
  if (g_viewerParser.OpenMediaFile(g_omfViewer.fileName) != 1) return;
  BuildNameDictionary(g_viewerParser, &g_omfViewer.names);
  AddObjectNode(CM_StdObjID_TOC, TVI_ROOT);
}

void LogDumpLine(void *, const wchar_t *line) {
  LogLine(line);
}

void WriteDumpLine(void *context, const char *bytes, uint32_t length) {
  DWORD written = 0;
  WriteFile(static_cast<HANDLE>(context), bytes, length, &written, nullptr);
}

HWND MakeControl(const wchar_t *cls, const wchar_t *text, DWORD style, HINSTANCE instance) {
  HWND control = CreateWindowExW(WS_EX_STATICEDGE, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0,
                                 0, 0, g_omfViewer.window, nullptr, instance, nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_omfViewer.font), FALSE);
  return control;
}

// The tree fills the client area above a row of two buttons, inside the border widths.
void PlaceControls() {
  WINDOWINFO info = {};
  info.cbSize = sizeof info;
  GetWindowInfo(g_omfViewer.window, &info);
  RECT client;
  GetClientRect(g_omfViewer.window, &client);
  const int bx = static_cast<int>(info.cxWindowBorders);
  const int by = static_cast<int>(info.cyWindowBorders);
  const int buttonY = client.bottom - 2 * by - 13;
  MoveWindow(g_omfViewer.tree, client.left + bx, client.top + by, client.right - 2 * bx,
             client.bottom - 2 * by - 17, TRUE);
  MoveWindow(g_omfViewer.openButton, client.left + bx, buttonY, 70, 18, TRUE);
  MoveWindow(g_omfViewer.dumpButton, client.left + bx + 70, buttonY, 170, 18, TRUE);
}

DWORD WINAPI ViewerThread(LPVOID parameter) {
  HINSTANCE instance = static_cast<HINSTANCE>(parameter);
  g_omfViewer.window = CreateWindowExW(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE | WS_EX_TOOLWINDOW,
                                       kViewerClass, L"OMFi info tool", WS_OVERLAPPEDWINDOW, 20, 20,
                                       620, 500, nullptr, nullptr, instance, nullptr);
  if (g_omfViewer.window == nullptr) {
    ReleaseSemaphore(g_omfViewer.semaphore, 1, nullptr);
    return 0;
  }
  g_omfViewer.tree = MakeControl(
      WC_TREEVIEWW, L"OMFI structure",
      WS_VSCROLL | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_FULLROWSELECT, instance);
  g_omfViewer.openButton = MakeControl(L"Button", L"Open", 0, instance);
  g_omfViewer.dumpButton = MakeControl(L"Button", L"Dump dictionary", 0, instance);
  PlaceControls();
  ShowContainer();
  ShowWindow(g_omfViewer.window, SW_SHOW);
  UpdateWindow(g_omfViewer.window);
  ReleaseSemaphore(g_omfViewer.semaphore, 1, nullptr);

  RunToolLoop();

  g_viewerParser.ResetParser();
  DestroyNameDictionary(g_omfViewer.names);
  g_omfViewer.names = nullptr;
  g_omfViewer.tree = nullptr;
  // The closer waits for this; a window closed by the user has no one waiting.
  if (g_omfViewer.semaphore != nullptr) ReleaseSemaphore(g_omfViewer.semaphore, 1, nullptr);
  return 0;
}

void OnCommand(LPARAM lParam) {
  HWND sender = reinterpret_cast<HWND>(lParam);
  if (sender == nullptr) return;
  if (sender == g_omfViewer.openButton)
    OpenOmfFile();
  else if (sender == g_omfViewer.dumpButton)
    DumpDictionary();
}

LRESULT OnNotify(HWND window, WPARAM wParam, LPARAM lParam) {
  const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
  if (header->hwndFrom != g_omfViewer.tree || header->code != NM_DBLCLK)
    return DefWindowProcW(window, WM_NOTIFY, wParam, lParam);
  HWND tree = g_omfViewer.tree;
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (item == nullptr) return 0;
  TVITEMW get = {};
  get.mask = TVIF_PARAM;
  get.hItem = item;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&get));
  const int32_t entry = static_cast<int32_t>(get.lParam);
  // A reference opens once: the second double-click finds its objects there already.
  if (SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)) == 0)
    ExpandReference(item, entry);
  DumpEntry(entry);
  return 0;
}

void OnSizing(RECT *dragged) {
  if (dragged->right - dragged->left < kMinWidth) dragged->right = dragged->left + kMinWidth;
  if (dragged->bottom - dragged->top < kMinHeight) dragged->bottom = dragged->top + kMinHeight;
}

void OnWindowPosChanged(const WINDOWPOS *pos) {
  // Position changes during creation come before the controls exist.
  if ((pos->cx == 0 && pos->cy == 0) || g_omfViewer.tree == nullptr) return;
  PlaceControls();
}

} // namespace

void OpenOmfFile() {
  g_omfViewer.fileName[0] = 0;
  if (!AskForFile(kOmfFilter, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY,
                  g_omfViewer.fileName)) {
    return;
  }
  LogLine(g_omfViewer.fileName);
  SendMessageW(g_omfViewer.tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  // Names gathered from earlier files stay; a later file's name for a known ID is ignored.
  ShowContainer();
}

void DumpDictionary() {
  if (g_omfViewer.names == nullptr) return;
  wchar_t path[MAX_PATH] = {};
  if (!AskForFile(kTextFilter, OFN_HIDEREADONLY, path)) return;
  LogLine(path);
  HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  WriteDictionaryDump(g_omfViewer.names, WriteDumpLine, file);
  CloseHandle(file);
}

void AddObjectNode(uint32_t objectId, HTREEITEM parent) {
  ViewItem item;
  if (!MakeObjectItem(g_viewerParser, objectId, &item)) return;
  HTREEITEM added = InsertItem(parent, TVI_SORT, item);
  if (added != nullptr) AddPropertyNodes(objectId, added);
}

void AddPropertyNodes(uint32_t objectId, HTREEITEM parent) {
  std::vector<ViewItem> items;
  MakePropertyItems(g_viewerParser, g_omfViewer.names, objectId, &items);
  for (const ViewItem &item : items) InsertItem(parent, TVI_LAST, item);
}

void ExpandReference(HTREEITEM item, int32_t entry) {
  std::vector<uint32_t> objects;
  ReferencedObjects(g_viewerParser, entry, &objects);
  for (uint32_t objectId : objects) AddObjectNode(objectId, item);
}

void DumpEntry(int32_t entry) {
  DumpEntryLines(g_viewerParser, entry, LogDumpLine, nullptr);
}

FileDialogFunction SetViewerFileDialog(FileDialogFunction dialog) {
  FileDialogFunction previous = g_fileDialog;
  g_fileDialog = dialog != nullptr ? dialog : SystemFileDialog;
  return previous;
}

bool RegisterOmfViewerClass(HINSTANCE instance) {
  return RegisterToolWindowClass(instance, kViewerClass, OmfViewerWndProc);
}

void OpenOmfViewer(HINSTANCE instance, HFONT font, const wchar_t *path) {
  if (IsWindow(g_omfViewer.window)) return;
  g_omfViewer.fileName[0] = 0;
  if (path != nullptr) lstrcpynW(g_omfViewer.fileName, path, MAX_PATH);
  g_omfViewer.font = font;
  StartToolThread(ViewerThread, instance, &g_omfViewer.semaphore);
}

void CloseOmfViewer() {
  if (!IsWindow(g_omfViewer.window)) return;
  g_omfViewer.semaphore = CreateSemaphoreW(nullptr, 0, 1, nullptr);
  if (g_omfViewer.semaphore == nullptr) return;
  SendMessageW(g_omfViewer.window, WM_CLOSE, 0, 0);
  WaitForSingleObject(g_omfViewer.semaphore, INFINITE);
  CloseHandle(g_omfViewer.semaphore);
  g_omfViewer.semaphore = nullptr;
}

LRESULT CALLBACK OmfViewerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_COMMAND:
    if (LOWORD(wParam) != 0) break;
    OnCommand(lParam);
    return 0;
  case WM_NOTIFY:
    return OnNotify(window, wParam, lParam);
  case WM_SIZING:
    OnSizing(reinterpret_cast<RECT *>(lParam));
    return TRUE;
  case WM_WINDOWPOSCHANGED:
    OnWindowPosChanged(reinterpret_cast<const WINDOWPOS *>(lParam));
    return 0;
  default:
    break;
  }
  return ThreadedToolDefault(window, message, wParam, lParam);
}
