// The three runs over the Files list's selected rows: copy (F5), move (F6), delete (F8).
#include "operations/file_operations.h"

#include <commctrl.h>
#include <shlwapi.h>

#include "catalogue/media_record.h"
#include "operations/confirm_dialog.h"
#include "operations/media_file_steps.h"
#include "operations/progress.h"
#include "operations/progress_window.h"
#include "platform/platform.h"
#include "shell/shell_state.h"
#include "shell/window_helpers.h"
#include "views/files_list.h"

namespace {

enum class Operation { kCopy, kMove, kDelete };

constexpr OperationNames kCopyNames = {L"Copy", L"QEL::Copy::Can not copy file to itself",
                                       L"QEL::Copy::CopyFileEx"};
constexpr OperationNames kMoveNames = {L"Move", L"QEL::Move::Source and Target are equal",
                                       L"QEL::Move(CopyFileEx)"};
constexpr OperationNames kDeleteNames = {L"Delete", L"", L""};
constexpr wchar_t kCancelQuestion[] = L"Do you want to cancel current task?";

// The locals of one run; nothing outlives it.
struct Run {
  Operation operation;
  wchar_t targetFolder[kPathChars];
  int keepGoing;
  ConfirmAnswer answer;         // the overwrite question; for delete the delete question
  ConfirmAnswer readOnlyAnswer; // delete only: the read-only question
  uint64_t bytesDone;
};

const OperationNames &NamesOf(Operation operation) {
  switch (operation) {
  case Operation::kCopy:
    return kCopyNames;
  case Operation::kMove:
    return kMoveNames;
  default:
    return kDeleteNames;
  }
}

int NextSelectedRow(int after) {
  return static_cast<int>(
      SendMessageW(g_shell.filesList, LVM_GETNEXTITEM, after, MAKELPARAM(LVNI_SELECTED, 0)));
}

void BeginRun(const Run &run) {
  if (run.operation == Operation::kDelete) {
    platform::LogLine(L"Deleting Selected Files:");
  } else {
    platform::LogLine(run.operation == Operation::kCopy ? L"Copying Selected Files to:"
                                                        : L"Moving Selected Files to:");
    platform::LogLine(run.targetFolder);
  }
  OpenProgress();
  SetProgressOverallTotal(SelectedBytes());
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

// Every queued key press asks once whether to stop; keys pressed in the progress window
// were posted here too.
void DrainKeyboard(Run &run) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR) continue;
    HWND owner = IsWindow(g_shell.progress.window) ? g_shell.progress.window : g_shell.mainWindow;
    if (MessageBoxW(owner, kCancelQuestion, nullptr, MB_YESNO) == IDYES) run.keepGoing = 0;
  }
}

// The record no longer has a file where the catalogue found it.
void MarkGone(int row, MediaRecord *record) {
  record->attributes = 0;
  SetRecordRowTexts(row, record);
}

bool CopyRow(Run &run, const MediaRecord *record, const wchar_t *source, const wchar_t *target) {
  if (!PrepareTarget(kCopyNames, source, target, run.answer, run.keepGoing)) return false;
  if (CopyMediaFile(kCopyNames, source, target, record->size)) return true;
  run.keepGoing = 0;
  return false;
}

bool MoveRow(Run &run, int row, MediaRecord *record, const wchar_t *source, const wchar_t *target) {
  if (!PrepareTarget(kMoveNames, source, target, run.answer, run.keepGoing)) return false;
  if (PathIsSameRootW(target, source)) {
    if (!MoveFileExW(source, target, MOVEFILE_REPLACE_EXISTING)) {
      platform::LogError(L"QEL::Move(MoveFileEx)", GetLastError());
      run.keepGoing = 0;
      return false;
    }
  } else {
    if (!CopyMediaFile(kMoveNames, source, target, record->size)) {
      run.keepGoing = 0;
      return false;
    }
    ClearReadOnly(source);
    if (!DeleteFileW(source)) {
      // The copy stays at the target and the source where it was: nothing is lost.
      platform::LogError(L"QEL::Move(DeleteFile)", GetLastError());
      run.keepGoing = 0;
      return false;
    }
  }
  MarkGone(row, record);
  return true;
}

// Asks one of the delete run's two questions; true when the file may go.
bool AskDelete(Run &run, ConfirmAnswer &answer, const wchar_t *source, const wchar_t *tail) {
  ComposeText(g_operationText, kMessageChars,
              {L"Are you sure to DELETE\n\nFile:\n ", source, tail});
  ConfirmAnswer decision = AskConfirm(answer);
  if (decision == kAnswerCancel) run.keepGoing = 0;
  return IsYes(decision);
}

bool DeleteRow(Run &run, int row, MediaRecord *record, const wchar_t *source) {
  if (!AskDelete(run, run.answer, source, L"\n\nThis action can not be undone!!!")) return false;
  if (record->attributes & FILE_ATTRIBUTE_READONLY) {
    if (!AskDelete(run, run.readOnlyAnswer, source,
                   L"\n\nFILE_ATTRIBUTE_READONLY\nThis action can not be undone!!!"))
      return false;
    ClearReadOnly(source);
  }
  if (!DeleteFileW(source)) {
    platform::LogError(L"QEL::DeleteFile", GetLastError());
    return false;
  }
  MarkGone(row, record);
  return true;
}

// One row's operation; true when it was done.
bool RunRow(Run &run, int row, MediaRecord *record, wchar_t *shownSource) {
  const OperationNames &names = NamesOf(run.operation);
  ComposeText(shownSource, kMessageChars, {record->folder, L"\\", record->fileName});
  if (record->attributes == 0) return false;
  wchar_t source[kPathChars], target[kPathChars];
  if (!JoinPath(source, record->folder, record->fileName)) {
    LogPathTooLong(names, record->folder, record->fileName);
    return false;
  }
  ComposeText(shownSource, kMessageChars, {source});
  if (run.operation == Operation::kDelete) return DeleteRow(run, row, record, source);
  if (!JoinPath(target, run.targetFolder, record->fileName)) {
    LogPathTooLong(names, run.targetFolder, record->fileName);
    return false;
  }
  if (run.operation == Operation::kCopy) return CopyRow(run, record, source, target);
  return MoveRow(run, row, record, source, target);
}

void LogResult(const Run &run, bool done, const wchar_t *source) {
  const wchar_t *word = L"Skipped::";
  if (done) {
    word = run.operation == Operation::kCopy   ? L"Copied::"
           : run.operation == Operation::kMove ? L"Moved::"
                                               : L"Deleted::";
  }
  ComposeText(g_operationText, kMessageChars, {word, source});
  platform::LogLine(g_operationText);
}

void RunOverSelection(Operation operation) {
  if (NextSelectedRow(-1) < 0) return;
  Run run{};
  run.operation = operation;
  if (operation != Operation::kDelete &&
      !BrowseForFolder(g_shell.mainWindow, run.targetFolder, kPathChars))
    return;
  BeginRun(run);
  run.keepGoing = 1;
  wchar_t shownSource[kMessageChars];
  for (int row = NextSelectedRow(-1); row >= 0; row = NextSelectedRow(row)) {
    // A confirmed Cancel stops a delete, and a move made of renames, before the next row;
    // a copy notices it through the copy routine.
    if (operation != Operation::kCopy && ProgressCancelRequested()) break;
    DrainKeyboard(run);
    if (run.keepGoing == 0) break;
    MediaRecord *record = FilesListRecord(row);
    if (record != nullptr) {
      SetProgressInfo(record->fileName);
      bool done = RunRow(run, row, record, shownSource);
      LogResult(run, done, shownSource);
      run.bytesDone += record->size;
      SetProgressOverallPos(run.bytesDone);
    }
    if (run.keepGoing == 0) break;
  }
  EndRun();
}

} // namespace

void CopySelectedFiles() {
  RunOverSelection(Operation::kCopy);
}

void MoveSelectedFiles() {
  RunOverSelection(Operation::kMove);
}

void DeleteSelectedFiles() {
  RunOverSelection(Operation::kDelete);
}
