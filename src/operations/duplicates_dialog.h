// The duplicate finder, dialog 106.
#pragma once

#include <windows.h>

INT_PTR CALLBACK DuplicatesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
