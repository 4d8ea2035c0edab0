// The confirmation dialog (resource 105) that shows the file operations' questions.
#pragma once

#include <windows.h>

#include "fileops/file_operations.h"

// The question arrives as the dialog's parameter (lParam of WM_INITDIALOG).
INT_PTR CALLBACK ConfirmDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the question in dialog 105, owned by owner (which it disables while open), and
// returns the button pressed; a dialog that cannot be shown answers kAnswerNone.
ConfirmAnswer AskConfirm(HWND owner, const wchar_t *question);
