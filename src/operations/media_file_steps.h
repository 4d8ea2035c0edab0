// Steps that copy, move and the backup of duplicates share: building paths that must fit
// the 260-character buffers, telling whether two paths reach one file, the overwrite
// question, and a copy that leaves no partial target behind.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "catalogue/media_record.h"
#include "operations/confirm_dialog.h"

// Writes the texts one after the other, cut at the buffer's end; returns the buffer.
wchar_t *ComposeText(wchar_t *buffer, size_t capacity,
                     std::initializer_list<const wchar_t *> parts);

// folder + name joined with PathAppendW; false, leaving an empty path, when the result
// would not fit kPathChars (a path is never cut short and then used).
bool JoinPath(wchar_t (&path)[kPathChars], const wchar_t *folder, const wchar_t *name);

enum class FileIdentity { kDifferent, kSame, kUnknown };

// Compares the volume serial numbers and file indexes of two existing paths, so a file
// reached through a mapped drive letter, a share or a short name is still recognised.
// kUnknown (with the system's error code) when either cannot be opened or read.
FileIdentity CompareFileIdentity(const wchar_t *a, const wchar_t *b, DWORD *error);

// The texts of one operation's log lines.
struct OperationNames {
  const wchar_t *name;       // "Copy", "Move", "Backup": builds "QEL::<name>::..." lines
  const wchar_t *equalLine;  // logged when source and target are one file
  const wchar_t *failureTag; // error tag of a failed copy (the backup: of its move)
};

// Everything before a file is put at target: one file under two names is reported with
// the equal line and skipped; a file already there is overwritten only on the user's yes
// (answer holds the standing answer; Cancel clears keepGoing). True when the way is free.
bool PrepareTarget(const OperationNames &names, const wchar_t *source, const wchar_t *target,
                   ConfirmAnswer &answer, int &keepGoing);

// Copies source to target through the copy routine with the item bar and the progress
// window's cancel flag. A failure is logged with names.failureTag; a target that this copy
// created is then removed (with a log line), so no partial file is left behind.
bool CopyMediaFile(const OperationNames &names, const wchar_t *source, const wchar_t *target,
                   uint64_t size);

// Clears the read-only bit of the file's current attributes; false when it cannot be read.
bool ClearReadOnly(const wchar_t *path);

// Logs "QEL::<name>::Path too long::" with the folder and name that do not fit.
void LogPathTooLong(const OperationNames &names, const wchar_t *folder, const wchar_t *name);
