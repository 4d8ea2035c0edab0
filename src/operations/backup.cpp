// The backup of duplicates: every checked row's file goes into "AVID_Duplicated_Media_" at
// the root of its own drive.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "operations/confirm_dialog.h"
#include "operations/duplicates_dialog.h"
#include "operations/media_file_steps.h"
#include "platform/platform.h"

namespace {

constexpr OperationNames kBackupNames = {L"Backup", L"QEL::Backup::Source and Target are equal",
                                         L"QEL::Backup(MoveFileEx)"};
constexpr wchar_t kBackupFolderName[] = L"AVID_Duplicated_Media_";

bool IsChecked(int row) {
  LRESULT state = SendMessageW(g_duplicatesList, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

MediaRecord *RowRecord(int row) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(g_duplicatesList, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
    return nullptr;
  return reinterpret_cast<MediaRecord *>(item.lParam);
}

// The backup folder on the record's drive, made when missing; false when it cannot be had
// (a folder without a drive root counts as one that cannot be made).
bool ReadyBackupFolder(const MediaRecord *record, wchar_t (&folder)[kPathChars]) {
  wchar_t root[kPathChars];
  lstrcpynW(root, record->folder, kPathChars);
  if (!PathStripToRootW(root) || !JoinPath(folder, root, kBackupFolderName)) return false;
  if (PathFileExistsW(folder)) return true;
  return SHCreateDirectoryExW(nullptr, folder, nullptr) == ERROR_SUCCESS;
}

// One checked row's file; true when it was moved.
bool BackupRow(int row, MediaRecord *record, const wchar_t *backupFolder, ConfirmAnswer &answer,
               int &keepGoing, wchar_t *shownSource) {
  ComposeText(shownSource, kMessageChars, {record->folder, L"\\", record->fileName});
  wchar_t source[kPathChars], target[kPathChars];
  if (!JoinPath(source, record->folder, record->fileName)) {
    LogPathTooLong(kBackupNames, record->folder, record->fileName);
    return false;
  }
  ComposeText(shownSource, kMessageChars, {source});
  if (!JoinPath(target, backupFolder, record->fileName)) {
    LogPathTooLong(kBackupNames, backupFolder, record->fileName);
    return false;
  }
  if (record->attributes == 0) return false;
  if (!PrepareTarget(kBackupNames, source, target, answer, keepGoing)) return false;
  if (!MoveFileExW(source, target, MOVEFILE_REPLACE_EXISTING)) {
    platform::LogError(kBackupNames.failureTag, GetLastError());
    keepGoing = 0;
    return false;
  }
  record->attributes = 0;
  UpdateDuplicateRow(row, record);
  return true;
}

} // namespace

void BackupDuplicates() {
  if (g_duplicatesList == nullptr) return;
  ConfirmAnswer answer = kAnswerNone;
  int keepGoing = 1;
  wchar_t shownSource[kMessageChars], line[kMessageChars];
  int rows = static_cast<int>(SendMessageW(g_duplicatesList, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < rows && keepGoing != 0; ++row) {
    MediaRecord *record = RowRecord(row);
    if (!IsChecked(row) || record == nullptr) continue;
    wchar_t backupFolder[kPathChars];
    if (!ReadyBackupFolder(record, backupFolder)) {
      platform::LogLine(L"QEL::Backup::Aborted::Can Not Create Path");
      return;
    }
    bool done = BackupRow(row, record, backupFolder, answer, keepGoing, shownSource);
    ComposeText(line, kMessageChars, {done ? L"Backuped::" : L"Skipped::", shownSource});
    platform::LogLine(line);
  }
}
