// Steps that copy, move, delete and the backup share: paths that must fit, the questions
// and their standing answers, the target made free, the copy that leaves no partial file,
// and the checks that keep a run from destroying a file it was not meant to touch.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "catalogue/media_record.h"
#include "fileops/file_operations.h"

// The texts of one operation's log lines.
struct OperationNames {
  const wchar_t *name;       // "Copy", "Move", "Delete", "Backup": "QEL::<name>::..." lines
  const wchar_t *equalLine;  // logged when source and target are one file
  const wchar_t *failureTag; // error tag of a failed copy (the backup: of its move)
};

// The locals of one run.
struct RunState {
  const FileRunHost *host;
  const OperationNames *names;
  ConfirmAnswer answer;         // the overwrite question; for delete the delete question
  ConfirmAnswer readOnlyAnswer; // delete only: the read-only question
  int keepGoing;
  wchar_t text[kMessageChars]; // the question being asked
};

// Writes the texts one after the other, cut at the buffer's end; returns the buffer.
wchar_t *ComposeText(wchar_t *buffer, size_t capacity,
                     std::initializer_list<const wchar_t *> parts);

// folder + name with one separator; false, leaving an empty path, when it would not fit
// (a path is never cut short and then used). Record texts may lack their terminator.
bool JoinPath(wchar_t (&path)[kPathChars], const wchar_t *folder, const wchar_t *name);
// Logs "QEL::<name>::Path too long::" with the folder and name that do not fit.
void LogPathTooLong(const RunState &run, const wchar_t *folder, const wchar_t *name);
void LogOperationLine(const RunState &run, const wchar_t *event, const wchar_t *path);

// Asks the question in run.text unless a standing answer covers it: Cancel stays Cancel,
// "Yes to All" and "Skip All" answer without asking. Cancel clears keepGoing.
ConfirmAnswer AskConfirm(RunState &run, ConfirmAnswer &answer);
inline bool IsYes(ConfirmAnswer answer) {
  return answer == kAnswerYes || answer == kAnswerYesToAll;
}

// The user confirmed Cancel: logged as a cancelled copy under tag, and the run stops.
bool CancelledAt(RunState &run, const wchar_t *tag);

// Clears the read-only bit, deletes, and puts the bit back when the delete fails.
bool DeleteClearingReadOnly(const wchar_t *path, uint32_t *error);

// Everything before a file is put at target: one file under two names is reported with
// the equal line and skipped; a file already there is deleted only on the user's yes and
// only while no Cancel is pending. True when the way is free.
bool PrepareTarget(RunState &run, const wchar_t *source, const wchar_t *target);

// Copies source to target with the item bar and the host's Cancel. A failure is logged
// with the failure tag; a target that this copy created is then removed.
bool CopyMediaFile(RunState &run, const wchar_t *source, const wchar_t *target, uint64_t size);

// The file at source is still the one the catalogue found: size and creation time match
// the record. Otherwise "QEL::<name>::Changed since the scan::" and false. A file that
// cannot be looked at passes: the operation then fails on it with its own error.
bool UnchangedSinceScan(const RunState &run, const MediaRecord *record, const wchar_t *source);
