#include "tools/omf_viewer.h"

#include <commctrl.h>
#include <commdlg.h>

#include <new>
#include <vector>

#include "inspection/bento_constants.h"
#include "inspection/dictionary_dump.h"
#include "inspection/media_file_parser.h"
#include "inspection/structure_view.h"
#include "platform/platform.h"
#include "window_services/window_helpers.h"
#include "window_services/tool_windows.h"
#include "window_services/test_seams.h"
#include "window_services/window_context.h"

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

bool AskForFile(const OmfViewer &viewer, const wchar_t *filter, DWORD flags, wchar_t *path) {
  FileDialogRequest request = {viewer.window, filter, flags, path, MAX_PATH};
  FileDialogFunction dialog = ViewerFileDialogSeam();
  return dialog != nullptr ? dialog(&request) : SystemFileDialog(&request);
}

HTREEITEM InsertItem(const OmfViewer &viewer, HTREEITEM parent, HTREEITEM after,
                     const ViewItem &item) {
  TVINSERTSTRUCTW insert = {};
  insert.hParent = parent;
  insert.hInsertAfter = after;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
  insert.item.pszText = const_cast<wchar_t *>(item.label);
  insert.item.lParam = item.entry;
  insert.item.state = item.bold ? TVIS_BOLD : 0;
  insert.item.stateMask = TVIS_BOLD;
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(viewer.tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void AddPropertyNodes(const OmfViewer &viewer, uint32_t objectId, HTREEITEM parent) {
  std::vector<ViewItem> items;
  MakePropertyItems(g_viewerParser, viewer.names, objectId, &items);
  for (const ViewItem &item : items) InsertItem(viewer, parent, TVI_LAST, item);
}

// An object's item, sorted among its siblings, and one item per property below it.
void AddObjectNode(const OmfViewer &viewer, uint32_t objectId, HTREEITEM parent) {
  ViewItem item;
  if (!MakeObjectItem(g_viewerParser, objectId, &item)) return;
  HTREEITEM added = InsertItem(viewer, parent, TVI_SORT, item);
  if (added != nullptr) AddPropertyNodes(viewer, objectId, added);
}

// The objects that the reference at the entry names, below its item.
void ExpandReference(const OmfViewer &viewer, HTREEITEM item, int32_t entry) {
  std::vector<uint32_t> objects;
  ReferencedObjects(g_viewerParser, entry, &objects);
  for (uint32_t objectId : objects) AddObjectNode(viewer, objectId, item);
}

void ShowContainer(OmfViewer &viewer) {
  if (g_viewerParser.OpenMediaFile(viewer.fileName) != 1) return;
  BuildNameDictionary(g_viewerParser, &viewer.names);
  AddObjectNode(viewer, CM_StdObjID_TOC, TVI_ROOT);
}

void LogDumpLine(void *, const wchar_t *line) {
  platform::LogLine(line);
}

void WriteDumpLine(void *context, const char *bytes, uint32_t length) {
  DWORD written = 0;
  WriteFile(static_cast<HANDLE>(context), bytes, length, &written, nullptr);
}

HWND MakeControl(const OmfViewer &viewer, const wchar_t *cls, const wchar_t *text, DWORD style,
                 HINSTANCE instance) {
  HWND control = CreateWindowExW(WS_EX_STATICEDGE, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0,
                                 0, 0, viewer.window, nullptr, instance, nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(viewer.font), FALSE);
  return control;
}

// The tree fills the client area above a row of two buttons, inside the border widths.
void PlaceControls(const OmfViewer &viewer) {
  WINDOWINFO info = {};
  info.cbSize = sizeof info;
  GetWindowInfo(viewer.window, &info);
  RECT client;
  GetClientRect(viewer.window, &client);
  const int bx = static_cast<int>(info.cxWindowBorders);
  const int by = static_cast<int>(info.cyWindowBorders);
  const int buttonY = client.bottom - 2 * by - 13;
  MoveWindow(viewer.tree, client.left + bx, client.top + by, client.right - 2 * bx,
             client.bottom - 2 * by - 17, TRUE);
  MoveWindow(viewer.openButton, client.left + bx, buttonY, 70, 18, TRUE);
  MoveWindow(viewer.dumpButton, client.left + bx + 70, buttonY, 170, 18, TRUE);
}

DWORD WINAPI ViewerThread(LPVOID parameter) {
  auto *start = static_cast<WindowThreadStart *>(parameter);
  HINSTANCE instance = start->instance;
  HWND window = CreateThreadWindow<OmfViewer>(
      start, WS_EX_APPWINDOW | WS_EX_WINDOWEDGE | WS_EX_TOOLWINDOW, kViewerClass, L"OMFi info tool",
      WS_OVERLAPPEDWINDOW, 20, 20, 620, 500);
  if (window != nullptr) {
    OmfViewer &viewer = *ContextOf<OmfViewer>(window);
    viewer.tree = MakeControl(
        viewer, WC_TREEVIEWW, L"OMFI structure",
        WS_VSCROLL | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_FULLROWSELECT, instance);
    viewer.openButton = MakeControl(viewer, L"Button", L"Open", 0, instance);
    viewer.dumpButton = MakeControl(viewer, L"Button", L"Dump dictionary", 0, instance);
    PlaceControls(viewer);
    ShowContainer(viewer);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
  }
  SignalWindowStarted(start);
  if (window != nullptr) RunToolLoop();
  return 0;
}

// The Open button: another container in the tree. Names gathered from earlier files stay; a
// later file's name for a known ID is ignored.
void OpenOmfFile(OmfViewer &viewer) {
  viewer.fileName[0] = 0;
  if (!AskForFile(viewer, kOmfFilter, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY,
                  viewer.fileName)) {
    return;
  }
  platform::LogLine(viewer.fileName);
  SendMessageW(viewer.tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  ShowContainer(viewer);
}

// The Dump button: the names of the dictionary as a header file.
void DumpDictionary(const OmfViewer &viewer) {
  if (viewer.names == nullptr) return;
  wchar_t path[MAX_PATH] = {};
  if (!AskForFile(viewer, kTextFilter, OFN_HIDEREADONLY, path)) return;
  platform::LogLine(path);
  HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  WriteDictionaryDump(viewer.names, WriteDumpLine, file);
  CloseHandle(file);
}

void OnCommand(OmfViewer &viewer, LPARAM lParam) {
  HWND sender = reinterpret_cast<HWND>(lParam);
  if (sender == nullptr) return;
  if (sender == viewer.openButton)
    OpenOmfFile(viewer);
  else if (sender == viewer.dumpButton)
    DumpDictionary(viewer);
}

LRESULT OnNotify(const OmfViewer &viewer, HWND window, WPARAM wParam, LPARAM lParam) {
  const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
  if (header->hwndFrom != viewer.tree || header->code != NM_DBLCLK)
    return DefWindowProcW(window, WM_NOTIFY, wParam, lParam);
  HWND tree = viewer.tree;
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (item == nullptr) return 0;
  TVITEMW get = {};
  get.mask = TVIF_PARAM;
  get.hItem = item;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&get));
  const int32_t entry = static_cast<int32_t>(get.lParam);
  // A reference opens once: the second double-click finds its objects there already.
  if (SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)) == 0)
    ExpandReference(viewer, item, entry);
  DumpEntryLines(g_viewerParser, entry, LogDumpLine, nullptr);
  return 0;
}

void OnSizing(RECT *dragged) {
  if (dragged->right - dragged->left < kMinWidth) dragged->right = dragged->left + kMinWidth;
  if (dragged->bottom - dragged->top < kMinHeight) dragged->bottom = dragged->top + kMinHeight;
}

void OnWindowPosChanged(const OmfViewer &viewer, const WINDOWPOS *pos) {
  // Position changes during creation come before the controls exist.
  if ((pos->cx == 0 && pos->cy == 0) || viewer.tree == nullptr) return;
  PlaceControls(viewer);
}

// The window is gone: the parser and the names are released on the viewer's thread, and a
// closer waiting for that is woken.
void OnNcDestroy(HWND window, OmfViewer &viewer) {
  g_viewerParser.ResetParser();
  DestroyNameDictionary(viewer.names);
  if (viewer.closed != nullptr) ReleaseSemaphore(viewer.closed, 1, nullptr);
  FreeContext<OmfViewer>(window);
}

} // namespace

bool RegisterOmfViewerClass(HINSTANCE instance) {
  return RegisterToolWindowClass(instance, kViewerClass, OmfViewerWndProc);
}

void OpenOmfViewer(HINSTANCE instance, HFONT font, const wchar_t *path, HWND *viewer) {
  if (IsWindow(*viewer)) return;
  auto *context = new (std::nothrow) OmfViewer{};
  if (context == nullptr) return;
  if (path != nullptr) lstrcpynW(context->fileName, path, MAX_PATH);
  context->font = font;
  *viewer = StartWindowThread(ViewerThread, instance, context);
}

void CloseOmfViewer(HWND viewer) {
  if (!IsWindow(viewer)) return;
  HANDLE closed = CreateSemaphoreW(nullptr, 0, 1, nullptr);
  if (closed == nullptr) return;
  // The close box sends WM_CLOSE with no semaphore: then nobody waits.
  SendMessageW(viewer, WM_CLOSE, 0, reinterpret_cast<LPARAM>(closed));
  WaitForSingleObject(closed, INFINITE);
  CloseHandle(closed);
}

LRESULT CALLBACK OmfViewerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  OmfViewer *viewer = ContextOf<OmfViewer>(window);
  if (viewer == nullptr) {
    if (message == WM_NCCREATE) return AttachContext<OmfViewer>(window, wParam, lParam);
    return ThreadedToolDefault(window, message, wParam, lParam);
  }
  switch (message) {
  case WM_COMMAND:
    if (LOWORD(wParam) != 0) break;
    OnCommand(*viewer, lParam);
    return 0;
  case WM_NOTIFY:
    return OnNotify(*viewer, window, wParam, lParam);
  case WM_SIZING:
    OnSizing(reinterpret_cast<RECT *>(lParam));
    return TRUE;
  case WM_WINDOWPOSCHANGED:
    OnWindowPosChanged(*viewer, reinterpret_cast<const WINDOWPOS *>(lParam));
    return 0;
  case WM_CLOSE:
    if (lParam != 0) viewer->closed = reinterpret_cast<HANDLE>(lParam);
    break;
  case WM_NCDESTROY:
    OnNcDestroy(window, *viewer);
    break; // ends the thread's loop
  default:
    break;
  }
  return ThreadedToolDefault(window, message, wParam, lParam);
}
