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

// ---- Log and progress of long tasks ------------------------------------------------------
// The core writes its log lines and drives the progress display through these hooks; the
// program hosting the core installs the receivers (the GUI: debug console and progress
// window; orvalis-cli: standard error). Without receivers every call does nothing and the
// cancel checks answer 0.
struct HostHooks {
  void (*logLine)(const wchar_t *text);                 // one log line
  void (*logError)(const wchar_t *tag, uint32_t code);  // "%s : error %d: %s"; code 0 adds nothing
  void (*logShow)();                                    // show / hide the log
  void (*logHide)();
  void (*progressStart)();                              // open the (hidden) progress display
  void (*progressShow)();
  void (*progressClose)();
  void (*progressTitle)(const wchar_t *text);
  void (*progressInfo)(const wchar_t *text);
  void (*progressOverallTotal)(uint64_t total);
  void (*progressOverallPos)(uint64_t pos);
  void (*progressItemTotal)(uint64_t total);
  void (*progressItemPos)(uint64_t pos);
  void (*progressShowCancel)();
  int (*cancelRequested)();                             // the Cancel button was confirmed
  int (*pollUserCancel)();                              // a key press confirmed as "cancel"
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
