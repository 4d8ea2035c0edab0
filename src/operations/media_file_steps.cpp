#include "operations/media_file_steps.h"

#include <shlwapi.h>

#include <cwchar>

#include "operations/file_operations.h"
#include "operations/progress.h"
#include "operations/progress_window.h"
#include "platform/platform.h"
#include "shell/shell_state.h"

namespace {

CopyFileRoutine g_copyRoutine = nullptr;

// Opened for no data access and shared every way, so a file that another program holds
// open without sharing can still be identified.
bool ReadIdentity(const wchar_t *path, BY_HANDLE_FILE_INFORMATION &info) {
  HANDLE file = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool read = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  return read;
}

void LogOperationLine(const OperationNames &names, const wchar_t *event, const wchar_t *path) {
  wchar_t line[kMessageChars];
  ComposeText(line, kMessageChars, {L"QEL::", names.name, L"::", event, path});
  platform::LogLine(line);
}

// Removes a target that a failed copy created, so no half-written media file is left to
// be taken for a good one.
void RemoveIncompleteTarget(const OperationNames &names, const wchar_t *target) {
  ClearReadOnly(target);
  if (DeleteFileW(target)) {
    LogOperationLine(names, L"Removed incomplete target::", target);
  } else {
    wchar_t tag[64];
    ComposeText(tag, 64, {L"QEL::", names.name, L"::Remove incomplete target(DeleteFile)"});
    platform::LogError(tag, GetLastError());
  }
}

// Length of a text up to kPathChars: a record's buffer may lack its terminator.
size_t BoundedLength(const wchar_t *text) {
  size_t n = 0;
  while (n < kPathChars && text[n] != 0) ++n;
  return n;
}

} // namespace

wchar_t *ComposeText(wchar_t *buffer, size_t capacity,
                     std::initializer_list<const wchar_t *> parts) {
  if (capacity == 0) return buffer;
  size_t at = 0;
  for (const wchar_t *part : parts) {
    for (const wchar_t *c = part; c != nullptr && *c != 0 && at + 1 < capacity; ++c)
      buffer[at++] = *c;
  }
  buffer[at] = 0;
  return buffer;
}

bool JoinPath(wchar_t (&path)[kPathChars], const wchar_t *folder, const wchar_t *name) {
  path[0] = 0;
  size_t folderLength = BoundedLength(folder);
  size_t nameLength = BoundedLength(name);
  // The separator and the terminator must fit as well.
  if (folderLength + nameLength + 2 > kPathChars) return false;
  std::wmemcpy(path, folder, folderLength);
  path[folderLength] = 0;
  if (!PathAppendW(path, name)) {
    path[0] = 0;
    return false;
  }
  return true;
}

FileIdentity CompareFileIdentity(const wchar_t *a, const wchar_t *b, DWORD *error) {
  BY_HANDLE_FILE_INFORMATION first{}, second{};
  if (!ReadIdentity(a, first) || !ReadIdentity(b, second)) {
    if (error != nullptr) *error = GetLastError();
    return FileIdentity::kUnknown;
  }
  bool same = first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
              first.nFileIndexHigh == second.nFileIndexHigh &&
              first.nFileIndexLow == second.nFileIndexLow;
  return same ? FileIdentity::kSame : FileIdentity::kDifferent;
}

bool ClearReadOnly(const wchar_t *path) {
  DWORD attributes = GetFileAttributesW(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (attributes & FILE_ATTRIBUTE_READONLY)
    SetFileAttributesW(path, attributes & ~FILE_ATTRIBUTE_READONLY);
  return true;
}

void LogPathTooLong(const OperationNames &names, const wchar_t *folder, const wchar_t *name) {
  wchar_t line[kMessageChars];
  ComposeText(line, kMessageChars,
              {L"QEL::", names.name, L"::Path too long::", folder, L"\\", name});
  platform::LogLine(line);
}

bool PrepareTarget(const OperationNames &names, const wchar_t *source, const wchar_t *target,
                   ConfirmAnswer &answer, int &keepGoing) {
  if (StrCmpIW(source, target) == 0) {
    platform::LogLine(names.equalLine);
    return false;
  }
  if (!PathFileExistsW(target)) return true;
  // The texts differ, but a mapped drive, a share or a short name may still lead to the
  // source itself: deleting that "target" would destroy the only copy.
  DWORD error = 0;
  switch (CompareFileIdentity(source, target, &error)) {
  case FileIdentity::kSame:
    platform::LogLine(names.equalLine);
    return false;
  case FileIdentity::kUnknown: {
    wchar_t tag[64];
    ComposeText(tag, 64, {L"QEL::", names.name, L"(GetFileInformationByHandle)"});
    platform::LogError(tag, error);
    return false;
  }
  case FileIdentity::kDifferent:
    break;
  }
  ComposeText(g_operationText, kMessageChars,
              {L"Are you sure to OVERWRITE\n\nFile:\n ", target, L"\n\n With File:\n ", source});
  ConfirmAnswer decision = AskConfirm(answer);
  if (decision == kAnswerCancel) {
    keepGoing = 0;
    return false;
  }
  if (!IsYes(decision)) {
    LogOperationLine(names, L"Skipping", L"");
    return false;
  }
  LogOperationLine(names, L"Overwriting", L"");
  ClearReadOnly(target);
  DeleteFileW(target);
  return true;
}

bool CopyMediaFile(const OperationNames &names, const wchar_t *source, const wchar_t *target,
                   uint64_t size) {
  SetProgressItemTotal(size);
  bool targetExisted = PathFileExistsW(target) != 0;
  BOOL copied = FALSE;
  DWORD error = ERROR_REQUEST_ABORTED;
  // A Cancel confirmed before the copy stops it here as well: not every system's copy
  // routine looks at the flag it is given.
  if (!ProgressCancelRequested()) {
    CopyFileRoutine routine = g_copyRoutine != nullptr ? g_copyRoutine : CopyFileExW;
    copied =
        routine(source, target, FileCopyProgress, nullptr, &g_shell.progress.cancelRequested, 0);
    if (!copied) error = GetLastError();
  }
  if (copied) return true;
  platform::LogError(names.failureTag, error);
  if (!targetExisted && PathFileExistsW(target)) RemoveIncompleteTarget(names, target);
  return false;
}

DWORD CALLBACK FileCopyProgress(LARGE_INTEGER, LARGE_INTEGER transferred, LARGE_INTEGER,
                                LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE, LPVOID) {
  SetProgressItemPos(static_cast<uint64_t>(transferred.QuadPart));
  return PROGRESS_CONTINUE;
}

CopyFileRoutine SetCopyFileRoutine(CopyFileRoutine routine) {
  CopyFileRoutine previous = g_copyRoutine;
  g_copyRoutine = routine;
  return previous;
}
