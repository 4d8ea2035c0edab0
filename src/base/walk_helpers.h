// Small pieces shared by the core's folder walks, loading and linking: bounded text copies,
// path joins that refuse (and report) what does not fit, reports that name their file, and
// the clock that thins out progress messages.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

// Copies text into a buffer of capacity characters, cutting it short when needed; the
// result always ends in a terminator.
void CopyText(wchar_t *destination, size_t capacity, const wchar_t *text);
template <size_t N> void CopyText(wchar_t (&destination)[N], const wchar_t *text) {
  CopyText(destination, N, text);
}

// "." and "..", which every listing of a folder holds.
bool IsDotEntry(const wchar_t *name);

// path = folder joined with name. When that does not fit in the platform's path buffer the
// path is not used: tag followed by the whole text goes to the log, and the result is 0.
int JoinOrReport(wchar_t (&path)[platform::kPathBufferChars], const wchar_t *folder,
                 const wchar_t *name, const wchar_t *tag);

// Logs tag followed by text when text is too long for a path buffer; 1 when it fits.
int FitsOrReport(const wchar_t *text, const wchar_t *tag);

// Logs one line about a file or folder: text, then detail (when given), " ::" and the path,
// so that every report names what it is about.
void ReportAboutPath(const wchar_t *text, const wchar_t *detail, const wchar_t *path);

// Lets a progress message through at most every interval milliseconds; the first one
// always passes.
struct Throttle {
  uint64_t interval;
  uint64_t last = 0;
  bool started = false;

  explicit Throttle(uint64_t milliseconds) : interval(milliseconds) {}
  bool Due();
};

// Progress info line "<prefix><number>", as the loops show their counts.
void ProgressCount(const wchar_t *prefix, uint64_t number);
