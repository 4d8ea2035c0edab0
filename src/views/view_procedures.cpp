// The three views' own window procedures: thin dispatchers that take the drops, the
// accelerator commands that reach the focused view, and the clicks on column headers, and
// pass everything else to the control's previous procedure.
#include "views/view_procedures.h"

#include <commctrl.h>

#include <cstdlib>

#include "operations/file_operations.h"
#include "resources/resource.h"
#include "shell/console_window.h"
#include "shell/shell_state.h"
#include "views/bases_tree.h"
#include "views/drop_targets.h"
#include "views/files_commands.h"
#include "views/files_list.h"
#include "views/projects_list.h"

namespace {

// One replaced view: the procedure that was in place before ours.
struct SubclassSlot {
  HWND window;
  WNDPROC previous;
};

// Bases tree, Projects list, Files list.
SubclassSlot g_slots[3];
enum SlotIndex { kBasesSlot, kProjectsSlot, kFilesSlot };

LRESULT PassOn(SlotIndex slot, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC previous = g_slots[slot].previous;
  if (previous == nullptr) return 0;
  return CallWindowProcW(previous, window, message, wParam, lParam);
}

void Subclass(SlotIndex slot, HWND window, WNDPROC procedure) {
  SubclassSlot &s = g_slots[slot];
  // Installing twice would make our procedure its own previous one.
  if (window != nullptr && s.window == window &&
      reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) == procedure) {
    return;
  }
  s.window = window;
  s.previous = nullptr;
  if (window != nullptr)
    s.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

void Restore(SlotIndex slot, WNDPROC procedure) {
  SubclassSlot &s = g_slots[slot];
  if (s.window == nullptr) return;
  if (IsWindow(s.window) &&
      reinterpret_cast<WNDPROC>(GetWindowLongPtrW(s.window, GWLP_WNDPROC)) == procedure) {
    SetWindowLongPtrW(s.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s.previous));
  }
  s.window = nullptr;
  s.previous = nullptr;
}

// The column of a header click, or -1 for any other notification.
int ClickedColumn(LPARAM lParam) {
  const auto *notification = reinterpret_cast<const NMHDR *>(lParam);
  if (notification == nullptr || notification->code != HDN_ITEMCLICKW) return -1;
  return reinterpret_cast<const NMHEADERW *>(lParam)->iItem;
}

// Returns true when the command was consumed.
bool OnBasesCommand(WORD command) {
  switch (command) {
  case CMD_SELECT_ALL:
    CheckAllBases();
    return true;
  case CMD_INVERT_SELECTION:
    InvertBaseChecks();
    return true;
  case CMD_SHOW_CONSOLE_KEY:
    LogShow();
    return false;
  case CMD_NEXT_VIEW:
    SetFocus(g_shell.projectsList);
    return false;
  default:
    return false;
  }
}

bool OnProjectsCommand(WORD command) {
  switch (command) {
  case CMD_SELECT_ALL:
    SelectAllProjects();
    return true;
  case CMD_INVERT_SELECTION:
    InvertProjectsSelection();
    return true;
  case CMD_SHOW_CONSOLE_KEY:
    LogShow();
    return false;
  case CMD_NEXT_VIEW:
    SetFocus(g_shell.filesList);
    return false;
  default:
    return false;
  }
}

bool OnFilesCommand(WORD command) {
  switch (command) {
  case CMD_SELECT_ALL:
    SelectAllFiles();
    return true;
  case CMD_SELECT_PRECOMPUTES:
    SelectPrecomputes();
    return true;
  case CMD_INVERT_SELECTION:
    InvertFilesSelection();
    return true;
  case CMD_SHOW_CONSOLE_KEY:
    LogShow();
    return true;
  case CMD_NEXT_VIEW:
    SetFocus(g_shell.basesTree);
    return true;
  case CMD_GET_INFO:
    return GetInfoForSelectedMedia();
  case CMD_STORE_SIFT: // store / sift: not implemented
    return true;
  case CMD_COPY:
    CopySelectedFiles();
    return true;
  case CMD_MOVE:
    MoveSelectedFiles();
    return true;
  case CMD_DELETE:
    DeleteSelectedFiles();
    return true;
  default:
    return false;
  }
}

} // namespace

void SubclassViews() {
  Subclass(kBasesSlot, g_shell.basesTree, BasesTreeProc);
  Subclass(kProjectsSlot, g_shell.projectsList, ProjectsListProc);
  Subclass(kFilesSlot, g_shell.filesList, FilesListProc);
  static bool restoreAtExit = false;
  if (!restoreAtExit) restoreAtExit = std::atexit(RestoreViewProcedures) == 0;
}

void RestoreViewProcedures() {
  Restore(kFilesSlot, FilesListProc);
  Restore(kProjectsSlot, ProjectsListProc);
  Restore(kBasesSlot, BasesTreeProc);
}

LRESULT CALLBACK BasesTreeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_COMMAND:
    if (OnBasesCommand(LOWORD(wParam))) return 0;
    break;
  case WM_DROPFILES:
    OnDatabaseDrop(reinterpret_cast<HDROP>(wParam));
    return 0;
  default:
    break;
  }
  return PassOn(kBasesSlot, window, message, wParam, lParam);
}

LRESULT CALLBACK ProjectsListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_NOTIFY:
    if (int column = ClickedColumn(lParam); column >= 0) SortProjectsList(column);
    break;
  case WM_COMMAND:
    if (OnProjectsCommand(LOWORD(wParam))) return 0;
    break;
  case WM_DROPFILES:
    OnMediaDrop(reinterpret_cast<HDROP>(wParam));
    return 0;
  case WM_CAPTURECHANGED:
  case WM_LBUTTONUP: {
    // The end of a mouse gesture, once the control has handled it.
    LRESULT result = PassOn(kProjectsSlot, window, message, wParam, lParam);
    if (message == WM_LBUTTONUP || reinterpret_cast<HWND>(lParam) != window)
      OnProjectsCaptureEnded();
    return result;
  }
  default:
    break;
  }
  return PassOn(kProjectsSlot, window, message, wParam, lParam);
}

LRESULT CALLBACK FilesListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_NOTIFY:
    if (int column = ClickedColumn(lParam); column >= 0) SortFilesList(column);
    break;
  case WM_COMMAND:
    if (OnFilesCommand(LOWORD(wParam))) return 0;
    break;
  default:
    break;
  }
  return PassOn(kFilesSlot, window, message, wParam, lParam);
}
