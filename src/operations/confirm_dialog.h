// The confirmation dialog (resource 105) of the file operations and the answer policy that
// copy, move, delete and the backup of duplicates share.
#pragma once

#include <windows.h>

#include <cstddef>

// The identifier of the button that closed the dialog.
enum ConfirmAnswer : INT_PTR {
  kAnswerNone = 0,
  kAnswerYes = 6,         // this file; the next conflict asks again
  kAnswerSkipFile = 1001, // leave this file; the next conflict asks again
  kAnswerYesToAll = 3,    // this and every later conflict of the same kind in the run
  kAnswerSkipAll = 8,     // leave this and every later conflict of the same kind
  kAnswerCancel = 2,      // leave this file and stop the run after it (also Esc)
};

// Room for two full paths and the fixed texts; the question shown and the current row's
// log line are built here.
inline constexpr size_t kMessageChars = 1024;
extern wchar_t g_operationText[kMessageChars];

INT_PTR CALLBACK ConfirmDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Asks the question in g_operationText unless a standing answer covers it: Cancel stays
// Cancel, "Yes to All" and "Skip All" answer without asking; otherwise the dialog (owner
// the main window) gives the new answer. The result decides this file; any result other
// than Yes, Yes to All and Cancel (a dialog that failed to show too) means skip.
ConfirmAnswer AskConfirm(ConfirmAnswer &answer);

inline bool IsYes(ConfirmAnswer answer) {
  return answer == kAnswerYes || answer == kAnswerYesToAll;
}
