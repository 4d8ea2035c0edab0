// Copy, move and delete of media files, and the backup of duplicates: the runs as the
// program makes them, free of any window. The host asks the user its questions, reports
// Cancel and key presses, and shows each row's change; log lines and progress go through
// the platform's hooks like those of every long task.
#pragma once

#include <cstddef>
#include <cstdint>

#include "catalogue/media_record.h"

// The user's answer to a question: the identifier of the button pressed.
enum ConfirmAnswer : int {
  kAnswerNone = 0,
  kAnswerYes = 6,         // this file; the next conflict asks again
  kAnswerSkipFile = 1001, // leave this file; the next conflict asks again
  kAnswerYesToAll = 3,    // this and every later conflict of the same kind in the run
  kAnswerSkipAll = 8,     // leave this and every later conflict of the same kind
  kAnswerCancel = 2,      // leave this file and stop the run after it
};

// Room for two full paths and the fixed texts of a question or a row's log line.
inline constexpr size_t kMessageChars = 1024;

struct FileRunHost {
  void *context;
  // Shows the question and returns the button; any other result (a question that could not
  // be shown) counts as a skip. Null: every question is skipped.
  ConfirmAnswer (*ask)(void *context, const wchar_t *question);
  // Called before each row: 1 when a key pressed since the last call was confirmed as
  // "stop". Null: never.
  int (*stopRequested)(void *context);
  // 1 once the user confirmed Cancel of the whole run (the progress window's button).
  int (*cancelRequested)(void *context);
  // The row's record changed (its file was moved or deleted: attributes 0).
  void (*rowChanged)(void *context, uint32_t row, const MediaRecord *record);
};

enum class FileRunKind { kCopy, kMove, kDelete };

// Copies or moves the files of rows (null entries are passed over) into targetFolder, or
// deletes them (targetFolder unused), in row order, until done or stopped. A moved or
// deleted file's record gets attributes 0; its folder stays.
void RunFileOperation(FileRunKind kind, MediaRecord *const *rows, uint32_t count,
                      const wchar_t *targetFolder, const FileRunHost &host);

// One row of the duplicate finder. Rows of one media ID follow one another.
struct BackupRow {
  MediaRecord *record;
  int checked; // to be backed up
};

// Moves the file of every checked row into "AVID_Duplicated_Media_" at the root of its own
// volume. A file that is one of the files its media ID keeps (the same file reached by
// another path) stays where it is.
void RunBackup(const BackupRow *rows, uint32_t count, const FileRunHost &host);
