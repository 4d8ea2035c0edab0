#include "platform/platform.h"

#include <windows.h>
#include <shlwapi.h>

namespace platform {

int CompareNoCase(const wchar_t *a, const wchar_t *b) { return StrCmpIW(a, b); }
int CompareCase(const wchar_t *a, const wchar_t *b) { return StrCmpW(a, b); }

// ---- Files for reading ----------------------------------------------------------------------

FileHandle OpenFileForReading(const wchar_t *path) {
  if (path == nullptr) return kInvalidFile;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
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
