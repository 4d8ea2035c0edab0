// The three views' own window procedures: thin dispatchers that take the drops, the
// accelerator commands that reach the focused view, and the clicks on column headers, and
// pass everything else to the control's previous procedure.
#include "views/view_procedures.h"

#include <commctrl.h>

#include <vector>

#include "operations/file_operations.h"
#include "resources/resource.h"
#include "platform/platform.h"
#include "window_services/shell_state.h"
#include "views/bases_tree.h"
#include "views/drop_targets.h"
#include "views/files_commands.h"
#include "views/files_list.h"
#include "views/list_helpers.h"
#include "views/projects_list.h"
#include "window_services/long_task.h"
#include "views/view_state.h"

namespace {

// The identifier of our subclass on each view; each view carries one.
constexpr UINT_PTR kViewSubclass = 1;

using ViewProcedure = LRESULT(CALLBACK *)(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

// Everything a view's procedure does not consume goes to the control's own procedure; at
// WM_NCDESTROY the subclass removes itself first.
LRESULT PassOn(ViewProcedure procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, procedure, kViewSubclass);
  return DefSubclassProc(window, message, wParam, lParam);
}

// The column of a header click, or -1 for any other notification.
int ClickedColumn(LPARAM lParam) {
  const auto *notification = reinterpret_cast<const NMHDR *>(lParam);
  if (notification == nullptr || notification->code != HDN_ITEMCLICKW) return -1;
  return reinterpret_cast<const NMHEADERW *>(lParam)->iItem;
}

// The name of a command that changes rows, marks or files, for the log line that refuses it
// while a long task runs; none for the commands that change nothing (console, focus, F4).
const wchar_t *WorkName(WORD command) {
  switch (command) {
  case CMD_SELECT_ALL:
    return L"Select all";
  case CMD_INVERT_SELECTION:
    return L"Invert selection";
  case CMD_SELECT_PRECOMPUTES:
    return L"Select Precomputes";
  case CMD_GET_INFO:
    return L"Get info";
  case CMD_COPY:
    return L"Copy";
  case CMD_MOVE:
    return L"Move";
  case CMD_DELETE:
    return L"Delete";
  default:
    return nullptr;
  }
}

bool RefusedCommand(WORD command) {
  const wchar_t *name = WorkName(command);
  return name != nullptr && RefusedWhileBusy(name);
}

// The file operations run as long tasks over the Files list's selected rows, in list order.
void RunFileOperation(WORD command, void (*operation)(const SelectedRows &selection)) {
  LongTask task(WorkName(command));
  if (task.refused) return;
  std::vector<int> rows;
  std::vector<MediaRecord *> records;
  for (int row = -1; rows.size() < static_cast<size_t>(ListRowCount(g_shell.filesList));) {
    row = ListView_GetNextItem(g_shell.filesList, row, LVNI_SELECTED);
    if (row < 0) break;
    rows.push_back(row);
    records.push_back(FilesListRecord(row));
  }
  operation({rows.data(), records.data(), static_cast<uint32_t>(rows.size()), SetRecordRowTexts});
}

// Returns true when the command was consumed.
bool OnBasesCommand(WORD command) {
  if (RefusedCommand(command)) return true;
  switch (command) {
  case CMD_SELECT_ALL:
    CheckAllBases();
    return true;
  case CMD_INVERT_SELECTION:
    InvertBaseChecks();
    return true;
  case CMD_SHOW_CONSOLE_KEY:
    platform::LogShow();
    return false;
  case CMD_NEXT_VIEW:
    SetFocus(g_shell.projectsList);
    return false;
  default:
    return false;
  }
}

bool OnProjectsCommand(WORD command) {
  if (RefusedCommand(command)) return true;
  switch (command) {
  case CMD_SELECT_ALL:
    SelectAllProjects();
    return true;
  case CMD_INVERT_SELECTION:
    InvertProjectsSelection();
    return true;
  case CMD_SHOW_CONSOLE_KEY:
    platform::LogShow();
    return false;
  case CMD_NEXT_VIEW:
    SetFocus(g_shell.filesList);
    return false;
  default:
    return false;
  }
}

bool OnFilesCommand(WORD command) {
  if (RefusedCommand(command)) return true;
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
    platform::LogShow();
    return true;
  case CMD_NEXT_VIEW:
    SetFocus(g_shell.basesTree);
    return true;
  case CMD_GET_INFO:
    return GetInfoForSelectedMedia();
  case CMD_STORE_SIFT: // store / sift: not implemented
    return true;
  case CMD_COPY:
    RunFileOperation(command, CopySelectedFiles);
    return true;
  case CMD_MOVE:
    RunFileOperation(command, MoveSelectedFiles);
    return true;
  case CMD_DELETE:
    RunFileOperation(command, DeleteSelectedFiles);
    return true;
  default:
    return false;
  }
}

} // namespace

void SubclassViews() {
  // Installing the same subclass again only replaces its reference data.
  SetWindowSubclass(g_shell.basesTree, BasesTreeProc, kViewSubclass, 0);
  SetWindowSubclass(g_shell.projectsList, ProjectsListProc, kViewSubclass, 0);
  SetWindowSubclass(g_shell.filesList, FilesListProc, kViewSubclass, 0);
}

LRESULT CALLBACK BasesTreeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR) {
  switch (message) {
  case WM_COMMAND:
    if (OnBasesCommand(LOWORD(wParam))) return 0;
    break;
  case WM_DROPFILES:
    if (!DeferDropWhileBusy(window, reinterpret_cast<HDROP>(wParam)))
      OnDatabaseDrop(reinterpret_cast<HDROP>(wParam));
    return 0;
  default:
    break;
  }
  return PassOn(BasesTreeProc, window, message, wParam, lParam);
}

LRESULT CALLBACK ProjectsListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR) {
  switch (message) {
  case WM_NOTIFY:
    if (int column = ClickedColumn(lParam); column >= 0 && !RefusedWhileBusy(L"Sort"))
      SortProjectsList(column);
    break;
  case WM_COMMAND:
    if (OnProjectsCommand(LOWORD(wParam))) return 0;
    break;
  case WM_DROPFILES:
    if (!DeferDropWhileBusy(window, reinterpret_cast<HDROP>(wParam)))
      OnMediaDrop(reinterpret_cast<HDROP>(wParam));
    return 0;
  case WM_CAPTURECHANGED:
  case WM_LBUTTONUP: {
    // The end of a mouse gesture, once the control has handled it.
    LRESULT result = PassOn(ProjectsListProc, window, message, wParam, lParam);
    if (message == WM_LBUTTONUP || reinterpret_cast<HWND>(lParam) != window)
      OnProjectsCaptureEnded();
    return result;
  }
  default:
    break;
  }
  return PassOn(ProjectsListProc, window, message, wParam, lParam);
}

LRESULT CALLBACK FilesListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR) {
  switch (message) {
  case WM_NOTIFY:
    if (int column = ClickedColumn(lParam); column >= 0 && !RefusedWhileBusy(L"Sort"))
      SortFilesList(column);
    break;
  case WM_COMMAND:
    if (OnFilesCommand(LOWORD(wParam))) return 0;
    break;
  default:
    break;
  }
  return PassOn(FilesListProc, window, message, wParam, lParam);
}
