// The three runs over a list's selected rows: the core's file operations with the folder
// browser, the questions of dialog 105, the progress window and the keyboard drain.
#include "operations/file_operations.h"

#include "fileops/file_operations.h"
#include "operations/confirm_dialog.h"
#include "window_services/progress.h"
#include "platform/platform.h"
#include "window_services/shell_state.h"
#include "window_services/window_helpers.h"

namespace {

constexpr wchar_t kCancelQuestion[] = L"Do you want to cancel current task?";

ConfirmAnswer Ask(void *, const wchar_t *question) {
  return AskConfirm(g_shell.mainWindow, question);
}

// Every queued key press asks once whether to stop; keys pressed in the progress window
// were posted here too.
int DrainKeyboard(void *) {
  int stop = 0;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR) continue;
    HWND owner = IsWindow(g_shell.progress.window) ? g_shell.progress.window : g_shell.mainWindow;
    if (MessageBoxW(owner, kCancelQuestion, nullptr, MB_YESNO) == IDYES) stop = 1;
  }
  return stop;
}

int CancelRequested(void *) {
  return ProgressCancelRequested() ? 1 : 0;
}

void ShowChangedRow(void *context, uint32_t index, const MediaRecord *record) {
  const SelectedRows &selection = *static_cast<const SelectedRows *>(context);
  if (selection.showRow != nullptr && index < selection.count)
    selection.showRow(selection.rows[index], record);
}

void BeginRun() {
  OpenProgress();
  ShowProgressCancel();
  ShowProgress();
  ShowWindow(g_shell.mainWindow, SW_HIDE);
  platform::LogShow();
  if (IsWindow(g_shell.progress.window)) {
    SetForegroundWindow(g_shell.progress.window);
    SetActiveWindow(g_shell.progress.window);
  }
}

void EndRun() {
  platform::LogHide();
  SetActiveWindow(g_shell.mainWindow);
  SwitchToThisWindow(g_shell.mainWindow, TRUE);
  ShowWindow(g_shell.mainWindow, SW_SHOW);
  CloseProgress();
}

void RunOverSelection(FileRunKind kind, const SelectedRows &selection) {
  if (selection.count == 0) return;
  wchar_t targetFolder[kPathChars] = {};
  if (kind != FileRunKind::kDelete &&
      !BrowseForFolder(g_shell.mainWindow, targetFolder, kPathChars))
    return;
  BeginRun();
  FileRunHost host{const_cast<SelectedRows *>(&selection), Ask, DrainKeyboard, CancelRequested,
                   ShowChangedRow};
  RunFileOperation(kind, selection.records, selection.count, targetFolder, host);
  EndRun();
}

} // namespace

void CopySelectedFiles(const SelectedRows &selection) {
  RunOverSelection(FileRunKind::kCopy, selection);
}

void MoveSelectedFiles(const SelectedRows &selection) {
  RunOverSelection(FileRunKind::kMove, selection);
}

void DeleteSelectedFiles(const SelectedRows &selection) {
  RunOverSelection(FileRunKind::kDelete, selection);
}
