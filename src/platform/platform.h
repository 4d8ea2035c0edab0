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

// (The file functions are added with the buffered reader.)

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
