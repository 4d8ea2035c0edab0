// The three runs over the Files list's selected rows: copy (F5), move (F6), delete (F8).
#include "fileops/file_operations.h"
#include "fileops/file_steps.h"
#include "platform/platform.h"

namespace {

constexpr OperationNames kCopyNames = {L"Copy", L"QEL::Copy::Can not copy file to itself",
                                       L"QEL::Copy::CopyFileEx"};
constexpr OperationNames kMoveNames = {L"Move", L"QEL::Move::Source and Target are equal",
                                       L"QEL::Move(CopyFileEx)"};
constexpr OperationNames kDeleteNames = {L"Delete", L"", L"QEL::DeleteFile"};

struct Run : RunState {
  FileRunKind kind;
  const wchar_t *targetFolder;
  uint64_t bytesDone;
};

// The record no longer has a file where the catalogue found it.
void MarkGone(const Run &run, uint32_t row, MediaRecord *record) {
  record->attributes = 0;
  if (run.host->rowChanged != nullptr) run.host->rowChanged(run.host->context, row, record);
}

bool CopyRow(Run &run, const MediaRecord *record, const wchar_t *source, const wchar_t *target) {
  if (!PrepareTarget(run, source, target)) return false;
  if (CopyMediaFile(run, source, target, record->size)) return true;
  run.keepGoing = 0;
  return false;
}

bool MoveRow(Run &run, uint32_t row, MediaRecord *record, const wchar_t *source,
             const wchar_t *target) {
  if (platform::CompareNoCase(source, target) != 0 && !UnchangedSinceScan(run, record, source))
    return false;
  if (!PrepareTarget(run, source, target)) return false;
  const platform::FileCalls &files = platform::Files();
  uint32_t error = 0;
  if (files.sameVolume(target, source)) {
    if (!files.moveFile(source, target, &error)) {
      platform::LogError(L"QEL::Move(MoveFileEx)", error);
      run.keepGoing = 0;
      return false;
    }
  } else {
    if (!CopyMediaFile(run, source, target, record->size)) {
      run.keepGoing = 0;
      return false;
    }
    if (!DeleteClearingReadOnly(source, &error)) {
      // The copy stays at the target and the source where it was: nothing is lost.
      platform::LogError(L"QEL::Move(DeleteFile)", error);
      run.keepGoing = 0;
      return false;
    }
  }
  MarkGone(run, row, record);
  return true;
}

// Asks one of the delete run's two questions; true when the file may go.
bool AskDelete(Run &run, ConfirmAnswer &answer, const wchar_t *source, const wchar_t *tail) {
  ComposeText(run.text, kMessageChars, {L"Are you sure to DELETE\n\nFile:\n ", source, tail});
  return IsYes(AskConfirm(run, answer));
}

bool DeleteRow(Run &run, uint32_t row, MediaRecord *record, const wchar_t *source) {
  if (!UnchangedSinceScan(run, record, source)) return false;
  if (!AskDelete(run, run.answer, source, L"\n\nThis action can not be undone!!!")) return false;
  if ((record->attributes & platform::kAttributeReadOnly) &&
      !AskDelete(run, run.readOnlyAnswer, source,
                 L"\n\nFILE_ATTRIBUTE_READONLY\nThis action can not be undone!!!"))
    return false;
  // A Cancel confirmed while a question was open deletes nothing more.
  if (CancelledAt(run, kDeleteNames.failureTag)) return false;
  uint32_t error = 0;
  if (!DeleteClearingReadOnly(source, &error)) {
    platform::LogError(L"QEL::DeleteFile", error);
    return false;
  }
  MarkGone(run, row, record);
  return true;
}

// One row's operation; true when it was done. shownSource receives the path logged.
bool RunRow(Run &run, uint32_t row, MediaRecord *record, wchar_t *shownSource) {
  const wchar_t separator[] = {platform::kPathSeparator, 0};
  ComposeText(shownSource, kMessageChars, {record->folder, separator, record->fileName});
  if (record->attributes == 0) return false;
  wchar_t source[kPathChars], target[kPathChars];
  if (!JoinPath(source, record->folder, record->fileName)) {
    LogPathTooLong(run, record->folder, record->fileName);
    return false;
  }
  ComposeText(shownSource, kMessageChars, {source});
  if (run.kind == FileRunKind::kDelete) return DeleteRow(run, row, record, source);
  if (!JoinPath(target, run.targetFolder, record->fileName)) {
    LogPathTooLong(run, run.targetFolder, record->fileName);
    return false;
  }
  if (run.kind == FileRunKind::kCopy) return CopyRow(run, record, source, target);
  return MoveRow(run, row, record, source, target);
}

void LogResult(const Run &run, bool done, const wchar_t *source) {
  const wchar_t *word = L"Skipped::";
  if (done) {
    word = run.kind == FileRunKind::kCopy   ? L"Copied::"
           : run.kind == FileRunKind::kMove ? L"Moved::"
                                            : L"Deleted::";
  }
  wchar_t line[kMessageChars];
  ComposeText(line, kMessageChars, {word, source});
  platform::LogLine(line);
}

void LogStart(const Run &run) {
  if (run.kind == FileRunKind::kDelete) {
    platform::LogLine(L"Deleting Selected Files:");
    return;
  }
  platform::LogLine(run.kind == FileRunKind::kCopy ? L"Copying Selected Files to:"
                                                   : L"Moving Selected Files to:");
  platform::LogLine(run.targetFolder);
}

} // namespace

void RunFileOperation(FileRunKind kind, MediaRecord *const *rows, uint32_t count,
                      const wchar_t *targetFolder, const FileRunHost &host) {
  if (count == 0 || (kind != FileRunKind::kDelete && targetFolder == nullptr)) return;
  Run run{};
  run.host = &host;
  run.kind = kind;
  run.names = kind == FileRunKind::kCopy   ? &kCopyNames
              : kind == FileRunKind::kMove ? &kMoveNames
                                           : &kDeleteNames;
  run.targetFolder = targetFolder;
  run.keepGoing = 1;
  LogStart(run);
  uint64_t total = 0;
  for (uint32_t row = 0; row < count; ++row)
    if (rows[row] != nullptr) total += rows[row]->size;
  platform::ProgressOverallTotal(total);
  wchar_t shownSource[kMessageChars];
  for (uint32_t row = 0; row < count; ++row) {
    // A confirmed Cancel stops a delete, and a move made of renames, before the next row;
    // a copy notices it before its question and before it copies.
    if (kind != FileRunKind::kCopy && host.cancelRequested != nullptr &&
        host.cancelRequested(host.context))
      break;
    if (host.stopRequested != nullptr && host.stopRequested(host.context)) run.keepGoing = 0;
    if (run.keepGoing == 0) break;
    MediaRecord *record = rows[row];
    if (record != nullptr) {
      platform::ProgressInfo(record->fileName);
      bool done = RunRow(run, row, record, shownSource);
      LogResult(run, done, shownSource);
      run.bytesDone += record->size;
      platform::ProgressOverallPos(run.bytesDone);
    }
    if (run.keepGoing == 0) break;
  }
}
