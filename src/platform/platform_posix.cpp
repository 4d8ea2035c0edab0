#include "platform/platform.h"

#include <cerrno>
#include <cwchar>
#include <cwctype>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

int CompareNoCase(const wchar_t *a, const wchar_t *b) {
  for (;; ++a, ++b) {
    wint_t ca = std::towlower(static_cast<wint_t>(*a));
    wint_t cb = std::towlower(static_cast<wint_t>(*b));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}

int CompareCase(const wchar_t *a, const wchar_t *b) {
  int r = std::wcscmp(a, b);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

// ---- Files for reading ----------------------------------------------------------------------
// The descriptor's own offset plays the part of the Win32 file pointer.

FileHandle OpenFileForReading(const wchar_t *path) {
  char utf8[4096];
  if (path == nullptr || WideToUtf8(path, utf8, sizeof utf8) >= sizeof utf8) return kInvalidFile;
  int fd = open(utf8, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return kInvalidFile;
  // CreateFileW refuses a folder unless asked for backup semantics; so does this.
  struct stat info;
  if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    close(fd);
    return kInvalidFile;
  }
  return fd;
}

void CloseFile(FileHandle file) {
  if (file != kInvalidFile) close(static_cast<int>(file));
}

int GetFileSize64(FileHandle file, uint64_t *size) {
  struct stat info;
  if (file == kInvalidFile || fstat(static_cast<int>(file), &info) != 0) return 0;
  *size = static_cast<uint64_t>(info.st_size);
  return 1;
}

int SetFilePointerFromStart(FileHandle file, uint64_t offset, uint64_t *reached) {
  if (file == kInvalidFile || offset > static_cast<uint64_t>(INT64_MAX)) return 0;
  off_t at = lseek(static_cast<int>(file), static_cast<off_t>(offset), SEEK_SET);
  if (at < 0) return 0;
  *reached = static_cast<uint64_t>(at);
  return 1;
}

int ReadFileAtPointer(FileHandle file, void *destination, uint32_t count, uint32_t *got) {
  *got = 0;
  if (file == kInvalidFile) return 0;
  // ReadFile fills the request unless the file ends; read() may stop early, so go on.
  char *to = static_cast<char *>(destination);
  while (*got < count) {
    ssize_t n = read(static_cast<int>(file), to + *got, count - *got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return 0;
    if (n == 0) break;
    *got += static_cast<uint32_t>(n);
  }
  return 1;
}

} // namespace platform
