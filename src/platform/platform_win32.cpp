#include "platform/platform.h"

#include <windows.h>
#include <shlwapi.h>

namespace platform {

int CompareNoCase(const wchar_t *a, const wchar_t *b) {
  return StrCmpIW(a, b);
}
int CompareCase(const wchar_t *a, const wchar_t *b) {
  return StrCmpW(a, b);
}

// ---- Files for reading ----------------------------------------------------------------------

FileHandle OpenFileForReading(const wchar_t *path) {
  if (path == nullptr) return kInvalidFile;
  HANDLE file =
      CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return kInvalidFile;
  return reinterpret_cast<FileHandle>(file);
}

void CloseFile(FileHandle file) {
  if (file != kInvalidFile) CloseHandle(reinterpret_cast<HANDLE>(file));
}

int GetFileSize64(FileHandle file, uint64_t *size) {
  DWORD high = 0;
  DWORD low = GetFileSize(reinterpret_cast<HANDLE>(file), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return 0;
  *size = (static_cast<uint64_t>(high) << 32) | low;
  return 1;
}

int SetFilePointerFromStart(FileHandle file, uint64_t offset, uint64_t *reached) {
  LONG high = static_cast<LONG>(offset >> 32);
  DWORD low = SetFilePointer(reinterpret_cast<HANDLE>(file), static_cast<LONG>(offset & 0xFFFFFFFF),
                             &high, FILE_BEGIN);
  // An all-ones low half is also a legal offset; only the last error tells a failure.
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return 0;
  *reached = (static_cast<uint64_t>(static_cast<DWORD>(high)) << 32) | low;
  return 1;
}

int ReadFileAtPointer(FileHandle file, void *destination, uint32_t count, uint32_t *got) {
  DWORD read = 0;
  if (!ReadFile(reinterpret_cast<HANDLE>(file), destination, count, &read, nullptr)) {
    *got = 0;
    return 0;
  }
  *got = read;
  return 1;
}

} // namespace platform

// ---- Folder walks, file facts, paths, drives and the clock ---------------------------------
// The search text is built here, not with PathAppendW, so that a folder just below the
// path limit can still be listed; the names found are joined by the callers with PathJoin.
#include <cstdlib>
#include <cwchar>
#include <new>

namespace platform {
namespace {

void CopyFindData(const WIN32_FIND_DATAW &found, FindData *data) {
  data->attributes = found.dwFileAttributes;
  data->size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  data->created = (static_cast<uint64_t>(found.ftCreationTime.dwHighDateTime) << 32) |
                  found.ftCreationTime.dwLowDateTime;
  static_assert(MAX_PATH == kPathBufferChars, "names come in MAX_PATH buffers");
  std::wmemcpy(data->name, found.cFileName, kPathBufferChars);
  data->name[kPathBufferChars - 1] = 0;
}

// Windows applies a search's pattern itself. Wine does not follow all of its rules ("?" is
// always one character there, so "*.??" misses "MXF" and "1"): under Wine a search lists
// everything ("*") and keeps what matches the pattern by the Windows rules.
bool SystemAppliesPatterns() {
  static const bool windows =
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr;
  return windows;
}

struct Win32Find {
  HANDLE handle;
  int filter; // 1 when the pattern is applied here
  wchar_t pattern[kPathBufferChars];
};

bool Kept(const Win32Find *find, const WIN32_FIND_DATAW &found) {
  return find->filter == 0 || MatchesWildcard(found.cFileName, find->pattern);
}

int NextMatch(Win32Find *find, FindData *data) {
  WIN32_FIND_DATAW found;
  while (FindNextFileW(find->handle, &found)) {
    if (!Kept(find, found)) continue;
    CopyFindData(found, data);
    return 1;
  }
  return 0;
}

} // namespace

FindHandle FindFirst(const wchar_t *folder, const wchar_t *pattern, int directoriesOnly,
                     FindData *data) {
  if (folder == nullptr || pattern == nullptr || std::wcslen(pattern) >= kPathBufferChars)
    return kInvalidFind;
  const int filter = SystemAppliesPatterns() ? 0 : 1;
  const wchar_t *searched = filter ? L"*" : pattern;
  wchar_t search[2 * kPathBufferChars + 1];
  size_t length = std::wcslen(folder);
  if (length >= kPathBufferChars) return kInvalidFind;
  std::wmemcpy(search, folder, length);
  if (length > 0 && folder[length - 1] != L'\\' && folder[length - 1] != L'/')
    search[length++] = L'\\';
  std::wmemcpy(search + length, searched, std::wcslen(searched) + 1);

  Win32Find *find = new (std::nothrow) Win32Find{};
  if (find == nullptr) return kInvalidFind;
  find->filter = filter;
  std::wmemcpy(find->pattern, pattern, std::wcslen(pattern) + 1);
  WIN32_FIND_DATAW found;
  find->handle = directoriesOnly ? FindFirstFileExW(search, FindExInfoBasic, &found,
                                                    FindExSearchLimitToDirectories, nullptr, 0)
                                 : FindFirstFileW(search, &found);
  if (find->handle == INVALID_HANDLE_VALUE) {
    delete find;
    return kInvalidFind;
  }
  if (Kept(find, found)) {
    CopyFindData(found, data);
  } else if (!NextMatch(find, data)) {
    FindClose(find->handle);
    delete find;
    return kInvalidFind;
  }
  return reinterpret_cast<FindHandle>(find);
}

int FindNext(FindHandle find, FindData *data) {
  return find != kInvalidFind && NextMatch(reinterpret_cast<Win32Find *>(find), data) ? 1 : 0;
}

void FindEnd(FindHandle handle) {
  if (handle == kInvalidFind) return;
  Win32Find *find = reinterpret_cast<Win32Find *>(handle);
  FindClose(find->handle);
  delete find;
}

int LookUpEntry(const wchar_t *path, FindData *data) {
  // A wildcard would make this a search; a path names one entry or none.
  if (path == nullptr || path[0] == 0 || std::wcspbrk(path, L"*?") != nullptr) return 0;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(path, &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  FindClose(find);
  CopyFindData(found, data);
  return 1;
}

int PathExists(const wchar_t *path) {
  return PathFileExistsW(path) ? 1 : 0;
}
int IsDirectory(const wchar_t *path) {
  return PathIsDirectoryW(path) ? 1 : 0;
}

int PathJoin(wchar_t *path, const wchar_t *more) {
  // PathAppendW drops the leading backslashes of more and writes one separator.
  const wchar_t *tail = more;
  while (*tail == L'\\') ++tail;
  size_t length = std::wcslen(path);
  size_t added = std::wcslen(tail);
  bool separator = length > 0 && added > 0 && path[length - 1] != L'\\';
  if (length + (separator ? 1 : 0) + added >= kPathBufferChars) return 0;
  return PathAppendW(path, more) ? 1 : 0;
}

void RemoveFileName(wchar_t *path) {
  PathRemoveFileSpecW(path);
}
const wchar_t *FileNameOf(const wchar_t *path) {
  return PathFindFileNameW(path);
}
const wchar_t *ExtensionOf(const wchar_t *path) {
  return PathFindExtensionW(path);
}

int SetCurrentFolder(const wchar_t *path) {
  return SetCurrentDirectoryW(path) ? 1 : 0;
}
uint32_t GetCurrentFolder(wchar_t *buffer, uint32_t chars) {
  return GetCurrentDirectoryW(chars, buffer);
}

uint32_t GetDriveRoots(wchar_t *buffer, uint32_t chars) {
  // The system's size excludes the final terminator; the caller's includes it.
  if (buffer == nullptr || chars == 0) return GetLogicalDriveStringsW(0, nullptr);
  return GetLogicalDriveStringsW(chars - 1, buffer);
}

int GetDriveSpace(const wchar_t *root, uint64_t *freeToCaller, uint64_t *total,
                  uint64_t *totalFree) {
  ULARGE_INTEGER available, size, unused;
  if (!GetDiskFreeSpaceExW(root, &available, &size, &unused)) return 0;
  if (freeToCaller != nullptr) *freeToCaller = available.QuadPart;
  if (total != nullptr) *total = size.QuadPart;
  if (totalFree != nullptr) *totalFree = unused.QuadPart;
  return 1;
}

uint32_t GetDriveKind(const wchar_t *root) {
  return GetDriveTypeW(root);
}

void *AllocateTable(size_t size) {
  return std::malloc(size);
}

uint64_t Milliseconds() {
  return GetTickCount64();
}

int ErrorStreamIsTerminal() {
  DWORD mode;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) ? 1 : 0;
}

} // namespace platform

// ---- Changing files ---------------------------------------------------------------------------
#include <shlobj.h>

namespace platform {
namespace {

struct CopyRoutineData {
  CopyProgress progress;
  void *context;
};

DWORD CALLBACK CopyRoutine(LARGE_INTEGER, LARGE_INTEGER transferred, LARGE_INTEGER, LARGE_INTEGER,
                           DWORD, DWORD, HANDLE, HANDLE, LPVOID data) {
  const CopyRoutineData *routine = static_cast<const CopyRoutineData *>(data);
  if (routine->progress == nullptr) return PROGRESS_CONTINUE;
  int stop = routine->progress(routine->context, static_cast<uint64_t>(transferred.QuadPart));
  return stop ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
}

int Result(BOOL done, uint32_t *error) {
  if (!done && error != nullptr) *error = GetLastError();
  return done ? 1 : 0;
}

int SystemCopy(const wchar_t *source, const wchar_t *target, CopyProgress progress, void *context,
               uint32_t *error) {
  CopyRoutineData data{progress, context};
  return Result(CopyFileExW(source, target, CopyRoutine, &data, nullptr, 0), error);
}

int SystemMove(const wchar_t *source, const wchar_t *target, uint32_t *error) {
  return Result(MoveFileExW(source, target, MOVEFILE_REPLACE_EXISTING), error);
}

int SystemDelete(const wchar_t *path, uint32_t *error) {
  return Result(DeleteFileW(path), error);
}

int SystemGetAttributes(const wchar_t *path, uint32_t *attributes) {
  DWORD found = GetFileAttributesW(path);
  if (found == INVALID_FILE_ATTRIBUTES) return 0;
  *attributes = found;
  return 1;
}

int SystemSetAttributes(const wchar_t *path, uint32_t attributes, uint32_t *error) {
  return Result(SetFileAttributesW(path, attributes), error);
}

// Opened for no data access and shared every way, so a file that another program holds open
// without sharing can still be identified.
int SystemReadIdentity(const wchar_t *path, FileIdentity *identity, uint32_t *error) {
  HANDLE file = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Result(FALSE, error);
  BY_HANDLE_FILE_INFORMATION info;
  BOOL read = GetFileInformationByHandle(file, &info);
  if (!read && error != nullptr) *error = GetLastError();
  CloseHandle(file);
  if (!read) return 0;
  identity->volume = info.dwVolumeSerialNumber;
  identity->index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return 1;
}

int SystemSameVolume(const wchar_t *a, const wchar_t *b) {
  return PathIsSameRootW(a, b) ? 1 : 0;
}

int SystemVolumeRoot(const wchar_t *path, wchar_t (&root)[kPathBufferChars]) {
  lstrcpynW(root, path, kPathBufferChars);
  return PathStripToRootW(root) ? 1 : 0;
}

int SystemMakeFolders(const wchar_t *path, uint32_t *error) {
  int result = SHCreateDirectoryExW(nullptr, path, nullptr);
  if (result == ERROR_SUCCESS) return 1;
  if (error != nullptr) *error = static_cast<uint32_t>(result);
  return 0;
}

} // namespace

FileCalls SystemFileCalls() {
  return {SystemCopy,          SystemMove,         SystemDelete,     SystemGetAttributes,
          SystemSetAttributes, SystemReadIdentity, LookUpEntry,      PathExists,
          SystemSameVolume,    SystemVolumeRoot,   SystemMakeFolders, GetDriveRoots};
}

} // namespace platform
