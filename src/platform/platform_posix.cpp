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
    // Equal characters need no case folding: file names share long prefixes, and the records
    // tree compares them on every insertion and look-up.
    if (*a == *b) {
      if (*a == 0) return 0;
      continue;
    }
    wint_t ca = static_cast<wint_t>(*a), cb = static_cast<wint_t>(*b);
    // Plain ASCII folds as towlower does in the C locale the program runs in, without a
    // library call per character.
    if (ca < 0x80 && cb < 0x80) {
      ca = ca - L'A' < 26u ? ca + (L'a' - L'A') : ca;
      cb = cb - L'A' < 26u ? cb + (L'a' - L'A') : cb;
    } else {
      ca = std::towlower(ca);
      cb = std::towlower(cb);
    }
    if (ca != cb) return ca < cb ? -1 : 1;
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
  // Only a regular file is opened: CreateFileW refuses a folder unless asked for backup
  // semantics, and opening a FIFO or a device could wait for a writer forever or act on the
  // device. It is looked at first, and again once open (O_NONBLOCK keeps that open from
  // waiting), in case something else took its place in between.
  struct stat info;
  if (stat(utf8, &info) != 0 || !S_ISREG(info.st_mode)) return kInvalidFile;
  int fd = open(utf8, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return kInvalidFile;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
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

// ---- Folder walks, file facts, paths, drives and the clock ---------------------------------
// Listings use opendir/readdir and look at each entry with lstat semantics, so a symbolic link
// is reported as a reparse point and never followed by a walk.
#include <dirent.h>
#include <sys/mman.h>
#include <sys/statvfs.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <new>
#include <string>
#include <vector>

namespace platform {
namespace {

constexpr size_t kNativePathBytes = 4096;
constexpr uint64_t kUnixEpochInFileTime = 116444736000000000ull; // 1970-01-01 in 100 ns units

uint64_t ToFileTime(int64_t seconds, int64_t nanoseconds) {
  int64_t units = seconds * 10000000 + nanoseconds / 100;
  return static_cast<uint64_t>(units) + kUnixEpochInFileTime;
}

// Attributes as Windows would report them; 0 for entries that Windows has no notion of
// (devices, pipes, sockets), which the walks then never see.
uint32_t AttributesOf(uint32_t mode, int directoryFd, const char *name) {
  if (S_ISDIR(mode)) return kAttributeDirectory;
  if (S_ISREG(mode)) return kAttributeArchive | ((mode & 0222) == 0 ? kAttributeReadOnly : 0);
  if (S_ISLNK(mode)) {
    struct stat target;
    bool toFolder = fstatat(directoryFd, name, &target, 0) == 0 && S_ISDIR(target.st_mode);
    return kAttributeReparsePoint | (toFolder ? kAttributeDirectory : kAttributeArchive);
  }
  return 0;
}

// Facts of one entry, looked at without following a link: statx for the birth time where
// the system keeps one, else the modification time. 0 when the entry is gone or of a kind
// that Windows does not show.
int EntryFacts(int directoryFd, const char *name, FindData *data) {
  uint32_t mode;
  struct statx extra;
  if (statx(directoryFd, name, AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &extra) == 0) {
    mode = extra.stx_mode;
    data->size = extra.stx_size;
    const struct statx_timestamp &when =
        (extra.stx_mask & STATX_BTIME) != 0 ? extra.stx_btime : extra.stx_mtime;
    data->created = ToFileTime(when.tv_sec, when.tv_nsec);
  } else {
    struct stat own;
    if (errno != ENOSYS && errno != EPERM) return 0;
    if (fstatat(directoryFd, name, &own, AT_SYMLINK_NOFOLLOW) != 0) return 0;
    mode = own.st_mode;
    data->size = static_cast<uint64_t>(own.st_size);
    data->created = ToFileTime(own.st_mtim.tv_sec, own.st_mtim.tv_nsec);
  }
  if (!S_ISREG(mode)) data->size = 0;
  data->attributes = AttributesOf(mode, directoryFd, name);
  return data->attributes != 0 ? 1 : 0;
}

struct PosixFind {
  DIR *dir;
  int directoriesOnly;
  wchar_t pattern[kPathBufferChars];
};

int NextMatch(PosixFind *find, FindData *data) {
  while (struct dirent *entry = readdir(find->dir)) {
    if (find->directoriesOnly && entry->d_type != DT_DIR && entry->d_type != DT_LNK &&
        entry->d_type != DT_UNKNOWN)
      continue;
    FindData found{};
    if (Utf8ToWide(entry->d_name, found.name, kPathBufferChars) >= kPathBufferChars) continue;
    if (!MatchesWildcard(found.name, find->pattern)) continue;
    if (!EntryFacts(dirfd(find->dir), entry->d_name, &found)) continue;
    if (find->directoriesOnly && (found.attributes & kAttributeDirectory) == 0) continue;
    *data = found;
    return 1;
  }
  return 0;
}

void CopyPattern(const wchar_t *pattern, wchar_t (&out)[kPathBufferChars]) {
  std::wcsncpy(out, pattern, kPathBufferChars - 1);
  out[kPathBufferChars - 1] = 0;
}

bool ToNative(const wchar_t *path, char *out) {
  return path != nullptr && WideToUtf8(path, out, kNativePathBytes) < kNativePathBytes;
}

} // namespace

FindHandle FindFirst(const wchar_t *folder, const wchar_t *pattern, int directoriesOnly,
                     FindData *data) {
  char native[kNativePathBytes];
  if (!ToNative(folder, native) || pattern == nullptr) return kInvalidFind;
  PosixFind *find = new (std::nothrow) PosixFind{};
  if (find == nullptr) return kInvalidFind;
  find->dir = opendir(native[0] != 0 ? native : ".");
  find->directoriesOnly = directoriesOnly;
  CopyPattern(pattern, find->pattern);
  if (find->dir == nullptr || !NextMatch(find, data)) {
    if (find->dir != nullptr) closedir(find->dir);
    delete find;
    return kInvalidFind;
  }
  return reinterpret_cast<FindHandle>(find);
}

int FindNext(FindHandle handle, FindData *data) {
  if (handle == kInvalidFind) return 0;
  return NextMatch(reinterpret_cast<PosixFind *>(handle), data);
}

void FindEnd(FindHandle handle) {
  if (handle == kInvalidFind) return;
  PosixFind *find = reinterpret_cast<PosixFind *>(handle);
  closedir(find->dir);
  delete find;
}

int LookUpEntry(const wchar_t *path, FindData *data) {
  char native[kNativePathBytes];
  if (!ToNative(path, native)) return 0;
  const wchar_t *name = FileNameOf(path);
  if (*name == 0 || std::wcschr(name, L'/') != nullptr || std::wcslen(name) >= kPathBufferChars)
    return 0;
  FindData found{};
  if (!EntryFacts(AT_FDCWD, native, &found)) return 0;
  std::wcscpy(found.name, name);
  *data = found;
  return 1;
}

int PathExists(const wchar_t *path) {
  char native[kNativePathBytes];
  struct stat info;
  return ToNative(path, native) && native[0] != 0 && stat(native, &info) == 0 ? 1 : 0;
}

int IsDirectory(const wchar_t *path) {
  char native[kNativePathBytes];
  struct stat info;
  return ToNative(path, native) && native[0] != 0 && stat(native, &info) == 0 &&
                 S_ISDIR(info.st_mode)
             ? 1
             : 0;
}

int PathJoin(wchar_t *path, const wchar_t *more) {
  while (*more == L'/') ++more;
  size_t length = std::wcslen(path);
  size_t added = std::wcslen(more);
  bool separator = length > 0 && added > 0 && path[length - 1] != L'/';
  if (length + (separator ? 1 : 0) + added >= kPathBufferChars) return 0;
  if (separator) path[length++] = L'/';
  std::wcscpy(path + length, more);
  return 1;
}

void RemoveFileName(wchar_t *path) {
  wchar_t *slash = std::wcsrchr(path, L'/');
  if (slash == nullptr)
    path[0] = 0;
  else if (slash == path)
    path[1] = 0;
  else
    *slash = 0;
}

const wchar_t *FileNameOf(const wchar_t *path) {
  const wchar_t *name = path;
  for (const wchar_t *p = path; *p != 0; ++p)
    if (*p == L'/' && p[1] != 0 && p[1] != L'/') name = p + 1;
  return name;
}

const wchar_t *ExtensionOf(const wchar_t *path) {
  const wchar_t *dot = nullptr;
  const wchar_t *p = path;
  for (; *p != 0; ++p) {
    if (*p == L'/' || *p == L' ')
      dot = nullptr;
    else if (*p == L'.')
      dot = p;
  }
  return dot != nullptr ? dot : p;
}

int SetCurrentFolder(const wchar_t *path) {
  char native[kNativePathBytes];
  return ToNative(path, native) && chdir(native) == 0 ? 1 : 0;
}

uint32_t GetCurrentFolder(wchar_t *buffer, uint32_t chars) {
  char native[kNativePathBytes];
  if (getcwd(native, sizeof native) == nullptr) return 0;
  size_t needed = Utf8ToWide(native, buffer, chars);
  return static_cast<uint32_t>(needed < chars ? needed : needed + 1);
}

uint32_t GetDriveRoots(wchar_t *buffer, uint32_t chars) {
  // "/" and every mount point of a block device, each once, as "/mnt/disk/".
  std::vector<std::wstring> roots{L"/"};
  if (FILE *mounts = std::fopen("/proc/self/mounts", "r")) {
    char device[kNativePathBytes], point[kNativePathBytes];
    while (std::fscanf(mounts, "%4095s %4095s %*[^\n]", device, point) == 2) {
      if (std::strncmp(device, "/dev/", 5) != 0) continue;
      // The mount table writes blanks and backslashes as three octal digits.
      std::string decoded;
      for (const char *p = point; *p != 0; ++p) {
        if (p[0] == '\\' && p[1] >= '0' && p[1] <= '3' && p[2] >= '0' && p[2] <= '7' &&
            p[3] >= '0' && p[3] <= '7') {
          decoded.push_back(static_cast<char>((p[1] - '0') * 64 + (p[2] - '0') * 8 + (p[3] - '0')));
          p += 3;
        } else {
          decoded.push_back(*p);
        }
      }
      if (decoded.empty() || decoded.back() != '/') decoded.push_back('/');
      wchar_t wide[kNativePathBytes];
      if (Utf8ToWide(decoded.c_str(), wide, kNativePathBytes) >= kNativePathBytes) continue;
      if (std::find(roots.begin(), roots.end(), wide) == roots.end()) roots.emplace_back(wide);
    }
    std::fclose(mounts);
  }
  // As GetLogicalDriveStringsW: each root with its terminator, one more terminator at the
  // end, and the length without that last one.
  std::wstring all;
  for (const std::wstring &root : roots) all.append(root.c_str(), root.size() + 1);
  uint32_t length = static_cast<uint32_t>(all.size());
  if (buffer == nullptr || length >= chars) return length;
  std::wmemcpy(buffer, all.data(), length);
  buffer[length] = 0;
  return length;
}

int GetDriveSpace(const wchar_t *root, uint64_t *freeToCaller, uint64_t *total,
                  uint64_t *totalFree) {
  char native[kNativePathBytes];
  struct statvfs info;
  if (!ToNative(root, native) || statvfs(native, &info) != 0) return 0;
  if (freeToCaller != nullptr) *freeToCaller = uint64_t{info.f_bavail} * info.f_frsize;
  if (total != nullptr) *total = uint64_t{info.f_blocks} * info.f_frsize;
  if (totalFree != nullptr) *totalFree = uint64_t{info.f_bfree} * info.f_frsize;
  return 1;
}

uint32_t GetDriveKind(const wchar_t *root) {
  return IsDirectory(root) ? DRIVE_KIND_FIXED : DRIVE_KIND_NO_ROOT;
}

void *AllocateTable(size_t size) {
#if defined(MADV_HUGEPAGE)
  constexpr size_t kLargePage = size_t{2} << 20;
  if (size >= kLargePage) {
    const size_t whole = (size + kLargePage - 1) / kLargePage * kLargePage;
    void *table = std::aligned_alloc(kLargePage, whole);
    if (table != nullptr) madvise(table, whole, MADV_HUGEPAGE); // a hint: failure is harmless
    return table;
  }
#endif
  return std::malloc(size);
}

uint64_t Milliseconds() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000;
}

int ErrorStreamIsTerminal() {
  return isatty(STDERR_FILENO) ? 1 : 0;
}

} // namespace platform

// ---- Changing files ---------------------------------------------------------------------------
// Windows' rules where POSIX differs: a read-only target is not replaced by a copy, a
// cancelled copy leaves no target, a copy carries the source's permissions.
namespace platform {
namespace {

int Failed(uint32_t *error) {
  if (error != nullptr) *error = static_cast<uint32_t>(errno);
  return 0;
}

// The path in the system's form, or the failure a path too long for it gives.
bool NativeOrFailed(const wchar_t *path, char *native, uint32_t *error) {
  if (ToNative(path, native)) return true;
  errno = ENAMETOOLONG;
  Failed(error);
  return false;
}

bool WriteAll(int fd, const char *data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// The copy loop between two open descriptors; errno tells a failure.
bool CopyBytes(int from, int to, CopyProgress progress, void *context) {
  constexpr size_t kChunk = 1 << 20;
  std::vector<char> buffer(kChunk);
  uint64_t copied = 0;
  for (;;) {
    ssize_t n = read(from, buffer.data(), kChunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!WriteAll(to, buffer.data(), static_cast<size_t>(n))) {
      if (errno == 0) errno = EIO;
      return false;
    }
    copied += static_cast<uint64_t>(n);
    if (progress != nullptr && progress(context, copied)) {
      errno = ECANCELED;
      return false;
    }
  }
}

int SystemCopy(const wchar_t *source, const wchar_t *target, CopyProgress progress, void *context,
               uint32_t *error) {
  char from[kNativePathBytes], to[kNativePathBytes];
  if (!ToNative(source, from) || !ToNative(target, to)) {
    errno = ENAMETOOLONG;
    return Failed(error);
  }
  struct stat info, existing;
  if (stat(to, &existing) == 0 && (existing.st_mode & 0222) == 0) {
    errno = EACCES;
    return Failed(error);
  }
  int in = open(from, O_RDONLY | O_CLOEXEC);
  if (in < 0) return Failed(error);
  if (fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
    if (errno == 0 || S_ISDIR(info.st_mode)) errno = EISDIR;
    int saved = errno;
    close(in);
    errno = saved;
    return Failed(error);
  }
  int out = open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (out < 0) {
    int saved = errno;
    close(in);
    errno = saved;
    return Failed(error);
  }
  bool copied = CopyBytes(in, out, progress, context);
  int saved = errno;
  if (copied && fchmod(out, info.st_mode & 07777) != 0) copied = false, saved = errno;
  if (close(out) != 0 && copied) copied = false, saved = errno;
  close(in);
  if (!copied && saved == ECANCELED) unlink(to);
  errno = saved;
  return copied ? 1 : Failed(error);
}

int SystemMove(const wchar_t *source, const wchar_t *target, uint32_t *error) {
  char from[kNativePathBytes], to[kNativePathBytes];
  if (!ToNative(source, from) || !ToNative(target, to)) {
    errno = ENAMETOOLONG;
    return Failed(error);
  }
  return rename(from, to) == 0 ? 1 : Failed(error);
}

int SystemDelete(const wchar_t *path, uint32_t *error) {
  char native[kNativePathBytes];
  if (!NativeOrFailed(path, native, error)) return 0;
  return unlink(native) == 0 ? 1 : Failed(error);
}

int SystemGetAttributes(const wchar_t *path, uint32_t *attributes) {
  char native[kNativePathBytes];
  struct stat info;
  if (!ToNative(path, native) || stat(native, &info) != 0) return 0;
  if (S_ISDIR(info.st_mode)) {
    *attributes = kAttributeDirectory;
  } else {
    *attributes = kAttributeArchive | ((info.st_mode & 0222) == 0 ? kAttributeReadOnly : 0);
  }
  return 1;
}

// Only the read-only bit has a POSIX meaning: no write permission for anyone.
int SystemSetAttributes(const wchar_t *path, uint32_t attributes, uint32_t *error) {
  char native[kNativePathBytes];
  struct stat info;
  if (!NativeOrFailed(path, native, error)) return 0;
  if (stat(native, &info) != 0) return Failed(error);
  mode_t mode = info.st_mode & 07777;
  if (attributes & kAttributeReadOnly)
    mode &= ~mode_t{0222};
  else if ((mode & 0222) == 0)
    mode |= 0200;
  return chmod(native, mode) == 0 ? 1 : Failed(error);
}

int SystemReadIdentity(const wchar_t *path, FileIdentity *identity, uint32_t *error) {
  char native[kNativePathBytes];
  struct stat info;
  if (!NativeOrFailed(path, native, error)) return 0;
  if (stat(native, &info) != 0) return Failed(error);
  identity->volume = static_cast<uint64_t>(info.st_dev);
  identity->index = static_cast<uint64_t>(info.st_ino);
  return 1;
}

// The device of path, or of the nearest folder above it that exists.
bool DeviceOf(const wchar_t *path, dev_t *device) {
  char native[kNativePathBytes];
  if (!ToNative(path, native) || native[0] == 0) return false;
  std::string at = native;
  for (int depth = 0; depth < 4096; ++depth) {
    struct stat info;
    if (stat(at.c_str(), &info) == 0) {
      *device = info.st_dev;
      return true;
    }
    size_t slash = at.find_last_of('/');
    if (slash == std::string::npos) return false;
    at.resize(slash == 0 ? 1 : slash);
  }
  return false;
}

int SystemSameVolume(const wchar_t *a, const wchar_t *b) {
  dev_t first, second;
  return DeviceOf(a, &first) && DeviceOf(b, &second) && first == second ? 1 : 0;
}

// The mount point: the highest folder above path on path's own device.
int SystemVolumeRoot(const wchar_t *path, wchar_t (&root)[kPathBufferChars]) {
  char native[kNativePathBytes];
  dev_t device;
  if (!ToNative(path, native) || native[0] != '/' || !DeviceOf(path, &device)) return 0;
  std::string at = native;
  while (at.size() > 1) {
    size_t slash = at.find_last_of('/');
    std::string up = at.substr(0, slash == 0 ? 1 : slash);
    struct stat info;
    if (stat(up.c_str(), &info) == 0 && info.st_dev != device) break;
    at = up;
  }
  if (at.back() != '/') at.push_back('/');
  return Utf8ToWide(at.c_str(), root, kPathBufferChars) < kPathBufferChars ? 1 : 0;
}

int SystemMakeFolders(const wchar_t *path, uint32_t *error) {
  char native[kNativePathBytes];
  if (!ToNative(path, native) || native[0] == 0) {
    errno = ENAMETOOLONG;
    return Failed(error);
  }
  for (char *p = native + 1;; ++p) {
    if (*p != '/' && *p != 0) continue;
    char kept = *p;
    *p = 0;
    if (mkdir(native, 0777) != 0 && errno != EEXIST) return Failed(error);
    *p = kept;
    if (kept == 0) break;
  }
  struct stat info;
  if (stat(native, &info) != 0) return Failed(error);
  if (!S_ISDIR(info.st_mode)) {
    errno = ENOTDIR;
    return Failed(error);
  }
  return 1;
}

} // namespace

FileCalls SystemFileCalls() {
  return {SystemCopy,          SystemMove,         SystemDelete,     SystemGetAttributes,
          SystemSetAttributes, SystemReadIdentity, LookUpEntry,      PathExists,
          SystemSameVolume,    SystemVolumeRoot,   SystemMakeFolders, GetDriveRoots};
}

} // namespace platform
