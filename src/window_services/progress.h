// The progress protocol as the rest of the program uses it. Every call is safe at any time:
// messages to a window that is not up are skipped, so a task goes on without a display.
#pragma once

#include <cstdint>

void OpenProgress();  // starts the window (hidden) and centres it over the main window
void ShowProgress();  // the window is shown once the task has set its first texts
void CloseProgress(); // closes the window and ends its thread
void SetProgressTitle(const wchar_t *text);
void SetProgressInfo(const wchar_t *text);
void SetProgressOverallTotal(uint64_t total);
void SetProgressOverallPos(uint64_t pos);
void SetProgressItemTotal(uint64_t total);
void SetProgressItemPos(uint64_t pos);
void ShowProgressCancel();      // (re)creates the Cancel button and clears the request
bool ProgressCancelRequested(); // the user confirmed Cancel
