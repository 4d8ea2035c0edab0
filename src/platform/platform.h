// The portable core's only window on the operating system. Everything below has a
// Win32 implementation (platform_win32.cpp) and a POSIX one (platform_posix.cpp);
// the core never includes <windows.h> itself.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Text comparison. Case-insensitive comparison is used for file names, folders and
// database paths; case-sensitive comparison for project names. Both return <0, 0, >0.
int CompareNoCase(const wchar_t *a, const wchar_t *b);
int CompareCase(const wchar_t *a, const wchar_t *b);

// ---- Files for reading ----------------------------------------------------------------------
// A system file handle as an integer; kInvalidFile when closed.
using FileHandle = intptr_t;
constexpr FileHandle kInvalidFile = -1;

// Opens an existing file for reading only, sharing read and write with other processes, with
// the random-access hint. Folders are refused. Returns kInvalidFile on failure.
FileHandle OpenFileForReading(const wchar_t *path);
void CloseFile(FileHandle file);
// The file's size; 1 on success, 0 (size untouched) when the system reports a failure.
int GetFileSize64(FileHandle file, uint64_t *size);
// Moves the system's file pointer to offset bytes from the start of the file; 1 on success
// with *reached the offset that the system reports, 0 on failure (*reached untouched).
int SetFilePointerFromStart(FileHandle file, uint64_t offset, uint64_t *reached);
// One read of count bytes at the system's file pointer, which moves past them; *got is the
// number of bytes read (fewer at the end of the file). 0 when the system read fails.
int ReadFileAtPointer(FileHandle file, void *destination, uint32_t count, uint32_t *got);

// ---- UTF-8 text ---------------------------------------------------------------------------
// Paths handed to POSIX calls and text written by orvalis-cli are UTF-8; wide text is
// UTF-16 on Windows and UTF-32 elsewhere. Both converters write at most outSize - 1 units
// and a terminator (out may be null when outSize is 0), never split a character, and return
// the length that the whole text needs without the terminator: a result >= outSize means the
// text was cut short. Malformed input (bad bytes, unpaired surrogates) becomes U+FFFD.
size_t WideToUtf8(const wchar_t *text, char *out, size_t outSize);
size_t Utf8ToWide(const char *text, wchar_t *out, size_t outSize);

// ---- Folder walks, file facts, paths, drives and the clock ---------------------------------
// What the catalogue's searches and loads need from the file system. Paths are wide text of at
// most kPathBufferChars - 1 characters; joining refuses, rather than truncates, a path that
// would not fit. On Windows the walks are FindFirstFileW / FindFirstFileExW; on POSIX
// opendir/readdir with lstat. Symbolic links are reported with kAttributeReparsePoint (never
// followed), so a walk can skip links that lead back up the tree.
constexpr uint32_t kPathBufferChars = 260;
#ifdef _WIN32
constexpr wchar_t kPathSeparator = L'\\';
#else
constexpr wchar_t kPathSeparator = L'/';
#endif

constexpr uint32_t kAttributeReadOnly = 0x01;
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;
constexpr uint32_t kAttributeReparsePoint = 0x400;

// One entry of a folder listing.
struct FindData {
  uint32_t attributes;            // never 0 for an entry that exists
  uint64_t size;                  // bytes
  uint64_t created;               // creation file time: 100 ns units since 1601-01-01 UTC
  wchar_t name[kPathBufferChars]; // the entry's name, no folder
};

using FindHandle = intptr_t;
constexpr FindHandle kInvalidFind = -1;

// The Windows wildcard rules ("*.*", "*.pmr", "*.??"): '*' any run of characters, '?' one
// character or none before a dot or the end, a '.' before a wildcard or the end also matches
// the end of a name, a '*' before a dot stops at the name's last dot; letters compare without
// regard to case. So "*.??" selects names with an extension of at most two characters and
// names without one ("MXF", "1"). 1 when name matches pattern.
int MatchesWildcard(const wchar_t *name, const wchar_t *pattern);

// Starts listing the entries of folder that match pattern. Windows applies the pattern
// itself; elsewhere the program applies it (MatchesWildcard) to everything the system lists,
// so that every system selects the same names: Wine's own matcher takes '?' as exactly one
// character and so would skip the "MXF" and "1" folders of a media drive, and POSIX systems
// have no matcher of these rules. directoriesOnly asks the system to limit the search
// to folders (FindExSearchLimitToDirectories); callers still check the attribute, as the
// limit is only advice. Fills *data with the first match; kInvalidFind when there is none or
// the folder cannot be listed.
FindHandle FindFirst(const wchar_t *folder, const wchar_t *pattern, int directoriesOnly,
                     FindData *data);
// The next match into *data; 0 at the end.
int FindNext(FindHandle find, FindData *data);
void FindEnd(FindHandle find);
// The facts of the one entry that path names (a wildcard-free path); 1 when it exists.
int LookUpEntry(const wchar_t *path, FindData *data);

// PathFileExistsW and PathIsDirectoryW: 1 or 0; relative paths start at the current folder.
int PathExists(const wchar_t *path);
int IsDirectory(const wchar_t *path);

// PathAppendW: joins more to path (a buffer of kPathBufferChars) with one separator. Returns
// 0 and leaves path as it was when the result would not fit.
int PathJoin(wchar_t *path, const wchar_t *more);
// PathRemoveFileSpecW: cuts the last name off path, keeping a root's separator.
void RemoveFileName(wchar_t *path);
// PathFindFileNameW and PathFindExtensionW: the name after the last separator, and its
// extension from the last "." (the terminator when there is none).
const wchar_t *FileNameOf(const wchar_t *path);
const wchar_t *ExtensionOf(const wchar_t *path);

// The process's current folder: set (1 on success) and read (the length written, or the
// size needed with its terminator when chars is too small; 0 on failure).
int SetCurrentFolder(const wchar_t *path);
uint32_t GetCurrentFolder(wchar_t *buffer, uint32_t chars);

// GetLogicalDriveStringsW: the roots of the drives as strings one after the other, each
// with its terminator, and one more terminator at the end. Returns the characters written
// without the last terminator, or the size needed when chars is too small, 0 on failure.
// POSIX reports "/" and the mount points of block devices.
uint32_t GetDriveRoots(wchar_t *buffer, uint32_t chars);
// GetDiskFreeSpaceExW: 1 when the system can tell the drive's space.
int GetDriveSpace(const wchar_t *root, uint64_t *freeToCaller, uint64_t *total,
                  uint64_t *totalFree);
// GetDriveTypeW's values.
enum DriveKind : uint32_t {
  DRIVE_KIND_UNKNOWN = 0,
  DRIVE_KIND_NO_ROOT = 1,
  DRIVE_KIND_REMOVABLE = 2,
  DRIVE_KIND_FIXED = 3,
  DRIVE_KIND_REMOTE = 4,
  DRIVE_KIND_CDROM = 5,
  DRIVE_KIND_RAMDISK = 6,
};
uint32_t GetDriveKind(const wchar_t *root);

// Milliseconds of a monotonic clock, for throttling progress updates.
uint64_t Milliseconds();

// Memory for a large table that is filled once and then read at random (a container's TOC),
// released with std::free. Where the system can back it with large pages it is placed so,
// which saves most page faults when it is first filled and most address translations after.
void *AllocateTable(size_t size);

// 1 when the process's standard error goes to a terminal (a console), where a progress line
// may be redrawn in place.
int ErrorStreamIsTerminal();

// ---- Changing files: copy, move, delete --------------------------------------------------
// What the file operations need. Every call goes through one table (FileCalls) so that tests
// can put a failing call in place of the system's (a disk that fills part-way through a copy,
// a delete refused, an identity that cannot be read). On Windows the calls are CopyFileExW,
// MoveFileExW, DeleteFileW, Get/SetFileAttributesW, GetFileInformationByHandle and
// SHCreateDirectoryExW; on POSIX read/write, rename, unlink, chmod and stat. Failures give
// the system's error code (GetLastError, errno) in *error.
#ifdef _WIN32
constexpr uint32_t kErrorCancelled = 1235; // ERROR_REQUEST_ABORTED
#else
constexpr uint32_t kErrorCancelled = 125; // ECANCELED
#endif

// What tells one file from another whatever the path it is reached by: the volume serial
// number and file index (POSIX: device and inode).
struct FileIdentity {
  uint64_t volume;
  uint64_t index;
};

// Told the bytes copied so far; returns 1 to stop the copy, which then fails with
// kErrorCancelled.
using CopyProgress = int (*)(void *context, uint64_t copied);

struct FileCalls {
  // Copies a file, replacing a target that exists (and is not read-only).
  int (*copyFile)(const wchar_t *source, const wchar_t *target, CopyProgress progress,
                  void *context, uint32_t *error);
  // Renames a file within one volume, replacing a target that exists.
  int (*moveFile)(const wchar_t *source, const wchar_t *target, uint32_t *error);
  int (*deleteFile)(const wchar_t *path, uint32_t *error);
  // The attribute bits (kAttribute...); 0 when the file cannot be looked at.
  int (*getAttributes)(const wchar_t *path, uint32_t *attributes);
  int (*setAttributes)(const wchar_t *path, uint32_t attributes, uint32_t *error);
  int (*readIdentity)(const wchar_t *path, FileIdentity *identity, uint32_t *error);
  // The size and creation time of the one entry path names, as a folder listing gives them.
  int (*lookUpEntry)(const wchar_t *path, FindData *data);
  int (*pathExists)(const wchar_t *path);
  // 1 when a file at a can be renamed to b without copying (PathIsSameRootW on Windows).
  int (*sameVolume)(const wchar_t *a, const wchar_t *b);
  // The root of the volume that holds path (PathStripToRootW: "M:\\"); 0 when it has none.
  int (*volumeRoot)(const wchar_t *path, wchar_t (&root)[kPathBufferChars]);
  // Makes a folder and every missing folder above it.
  int (*makeFolders)(const wchar_t *path, uint32_t *error);
  // GetDriveRoots: drives may come and go between a question for the size and the next.
  uint32_t (*driveRoots)(wchar_t *buffer, uint32_t chars);
};

// The system's calls, the calls in use, and a swap that returns the set that was in use.
FileCalls SystemFileCalls();
const FileCalls &Files();
FileCalls SetFileCalls(const FileCalls &calls);

// ---- Log and progress of long tasks ------------------------------------------------------
// The core writes its log lines and drives the progress display through these hooks; the
// program hosting the core installs the receivers (the GUI: debug console and progress
// window; orvalis-cli: standard error). Without receivers every call does nothing and the
// cancel checks answer 0.
struct HostHooks {
  void (*logLine)(const wchar_t *text);                // one log line
  void (*logError)(const wchar_t *tag, uint32_t code); // "%s : error %d: %s"; code 0 adds nothing
  void (*logShow)();                                   // show / hide the log
  void (*logHide)();
  void (*progressStart)(); // open the (hidden) progress display
  void (*progressShow)();
  void (*progressClose)();
  void (*progressTitle)(const wchar_t *text);
  void (*progressInfo)(const wchar_t *text);
  void (*progressOverallTotal)(uint64_t total);
  void (*progressOverallPos)(uint64_t pos);
  void (*progressItemTotal)(uint64_t total);
  void (*progressItemPos)(uint64_t pos);
  void (*progressShowCancel)();
  int (*cancelRequested)(); // the Cancel button was confirmed
  int (*pollUserCancel)();  // a key press confirmed as "cancel"
};

// Installs the receivers (null members stay no-ops) and returns the previous set.
HostHooks SetHostHooks(const HostHooks &hooks);

void LogLine(const wchar_t *text);
void LogError(const wchar_t *tag, uint32_t code);
void LogShow();
void LogHide();
void ProgressStart();
void ProgressShow();
void ProgressClose();
void ProgressTitle(const wchar_t *text);
void ProgressInfo(const wchar_t *text);
void ProgressOverallTotal(uint64_t total);
void ProgressOverallPos(uint64_t pos);
void ProgressItemTotal(uint64_t total);
void ProgressItemPos(uint64_t pos);
void ProgressShowCancel();
int CancelRequested();
int PollUserCancel();

} // namespace platform
