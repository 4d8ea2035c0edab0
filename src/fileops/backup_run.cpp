// The backup of duplicates: every checked row's file goes into "AVID_Duplicated_Media_" at
// the root of its own volume, unless it is a file that its media ID keeps.
#include <cwchar>
#include <vector>

#include "fileops/file_operations.h"
#include "fileops/file_steps.h"
#include "platform/platform.h"

namespace {

constexpr OperationNames kBackupNames = {L"Backup", L"QEL::Backup::Source and Target are equal",
                                         L"QEL::Backup(MoveFileEx)"};
constexpr wchar_t kBackupFolderName[] = L"AVID_Duplicated_Media_";
constexpr wchar_t kIdentityTag[] = L"QEL::Backup(GetFileInformationByHandle)";

struct Backup : RunState {
  const BackupRow *rows;
  uint32_t count;
  std::vector<uint8_t> moved; // per row: its file went into the backup folder
};

// The backup folder on the record's volume, made when missing; false when it cannot be had
// (a folder without a root counts as one that cannot be made).
bool ReadyBackupFolder(const MediaRecord *record, wchar_t (&folder)[kPathChars]) {
  const platform::FileCalls &files = platform::Files();
  wchar_t ownFolder[kPathChars], root[kPathChars];
  uint32_t length = 0;
  while (length < kPathChars && record->folder[length] != 0) ++length;
  if (length == kPathChars) return false;
  std::wmemcpy(ownFolder, record->folder, length + 1);
  if (!files.volumeRoot(ownFolder, root) || !JoinPath(folder, root, kBackupFolderName))
    return false;
  return files.pathExists(folder) || files.makeFolders(folder, nullptr);
}

bool SameMediaId(const MediaRecord *a, const MediaRecord *b) {
  return a->mediaId.low == b->mediaId.low && a->mediaId.high == b->mediaId.high;
}

// A row that stays where it is: unchecked, or checked and already passed over.
bool Kept(const Backup &backup, uint32_t row, uint32_t current) {
  const BackupRow &r = backup.rows[row];
  if (r.record == nullptr || r.record->attributes == 0) return false;
  return !r.checked || (row < current && !backup.moved[row]);
}

// The file of row current is none of the files its media ID keeps. One folder reached by
// two paths (a mapped drive letter, a share, a link) lists every file twice, the keeper's
// own file among the "duplicates"; moving it would take the only copy out of its place.
// A file whose identity cannot be read counts as the same.
bool NotAKeptFile(const Backup &backup, uint32_t current, const wchar_t *source) {
  const platform::FileCalls &files = platform::Files();
  platform::FileIdentity own{}, other{};
  uint32_t error = 0;
  if (!files.readIdentity(source, &own, &error)) {
    platform::LogError(kIdentityTag, error);
    return false;
  }
  const MediaRecord *record = backup.rows[current].record;
  uint32_t first = current, end = current + 1;
  while (first > 0 && backup.rows[first - 1].record != nullptr &&
         SameMediaId(backup.rows[first - 1].record, record))
    --first;
  while (end < backup.count && backup.rows[end].record != nullptr &&
         SameMediaId(backup.rows[end].record, record))
    ++end;
  for (uint32_t row = first; row < end; ++row) {
    if (row == current || !Kept(backup, row, current)) continue;
    const MediaRecord *kept = backup.rows[row].record;
    wchar_t path[kPathChars];
    if (!JoinPath(path, kept->folder, kept->fileName)) continue;
    if (!files.readIdentity(path, &other, &error)) {
      platform::LogError(kIdentityTag, error);
      return false;
    }
    if (own.volume == other.volume && own.index == other.index) {
      LogOperationLine(backup, L"Same file as the kept copy::", path);
      return false;
    }
  }
  return true;
}

// One checked row's file; true when it was moved.
bool BackupOne(Backup &backup, uint32_t row, const wchar_t *backupFolder, wchar_t *shownSource) {
  MediaRecord *record = backup.rows[row].record;
  const wchar_t separator[] = {platform::kPathSeparator, 0};
  ComposeText(shownSource, kMessageChars, {record->folder, separator, record->fileName});
  wchar_t source[kPathChars], target[kPathChars];
  if (!JoinPath(source, record->folder, record->fileName)) {
    LogPathTooLong(backup, record->folder, record->fileName);
    return false;
  }
  ComposeText(shownSource, kMessageChars, {source});
  if (!JoinPath(target, backupFolder, record->fileName)) {
    LogPathTooLong(backup, backupFolder, record->fileName);
    return false;
  }
  if (record->attributes == 0) return false;
  if (platform::CompareNoCase(source, target) != 0 &&
      (!UnchangedSinceScan(backup, record, source) || !NotAKeptFile(backup, row, source)))
    return false;
  if (!PrepareTarget(backup, source, target)) return false;
  uint32_t error = 0;
  if (!platform::Files().moveFile(source, target, &error)) {
    platform::LogError(kBackupNames.failureTag, error);
    backup.keepGoing = 0;
    return false;
  }
  record->attributes = 0;
  backup.moved[row] = 1;
  if (backup.host->rowChanged != nullptr)
    backup.host->rowChanged(backup.host->context, row, record);
  return true;
}

} // namespace

void RunBackup(const BackupRow *rows, uint32_t count, const FileRunHost &host) {
  Backup backup{};
  backup.host = &host;
  backup.names = &kBackupNames;
  backup.keepGoing = 1;
  backup.rows = rows;
  backup.count = count;
  backup.moved.assign(count, 0);
  wchar_t shownSource[kMessageChars], line[kMessageChars];
  for (uint32_t row = 0; row < count && backup.keepGoing != 0; ++row) {
    MediaRecord *record = rows[row].record;
    if (!rows[row].checked || record == nullptr) continue;
    wchar_t backupFolder[kPathChars];
    if (!ReadyBackupFolder(record, backupFolder)) {
      platform::LogLine(L"QEL::Backup::Aborted::Can Not Create Path");
      return;
    }
    bool done = BackupOne(backup, row, backupFolder, shownSource);
    ComposeText(line, kMessageChars, {done ? L"Backuped::" : L"Skipped::", shownSource});
    platform::LogLine(line);
  }
}
