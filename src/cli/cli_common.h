// Conventions shared by the commands of orvalis-cli, so that every command's output reads
// the same way:
// - results go to standard output as lines of tab-separated fields, text as UTF-8 (lines
//   end as the system's text files do: CRLF on Windows);
// - keys are written "%8.8X.%8.8X", low half first;
// - the core's log lines go to standard error, one per line;
// - exit status kExitOk, kExitFailed when the input could not be read, kExitUsage for a
//   usage error (main then prints the usage text).
#pragma once

#include <cstddef>
#include <cstdio>

#include "base/mob_key.h"

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

inline constexpr size_t kKeyTextChars = 18; // 8 digits, a dot, 8 digits and the terminator

// A command gets the arguments behind its name and returns the exit status.
using CommandFunction = int (*)(int argc, wchar_t **argv);

void WriteUtf8(std::FILE *stream, const wchar_t *text);

// One line of standard output: the fields joined by tabs.
void WriteRow(const wchar_t *const *fields, size_t count);

void FormatKey(const MobKey &key, wchar_t (&text)[kKeyTextChars]);

// Sends the core's log lines and system errors to standard error.
void InstallLogHooks();
