// Copy, move and delete of the media files behind the Files list's selected rows.
#pragma once

#include <windows.h>

void CopySelectedFiles();   // F5
void MoveSelectedFiles();   // F6
void DeleteSelectedFiles(); // F8

// The progress routine given to the file copy: the bytes copied so far go to the item bar.
DWORD CALLBACK FileCopyProgress(LARGE_INTEGER totalSize, LARGE_INTEGER transferred,
                                LARGE_INTEGER streamSize, LARGE_INTEGER streamTransferred,
                                DWORD streamNumber, DWORD reason, HANDLE source, HANDLE target,
                                LPVOID data);

// Every media file copy goes through this routine, CopyFileExW unless a test puts its own
// in place (to fail a copy part-way, which the system's copy cannot be made to do on
// every platform). Returns the routine that was in place; null restores CopyFileExW.
using CopyFileRoutine = BOOL(WINAPI *)(LPCWSTR source, LPCWSTR target, LPPROGRESS_ROUTINE progress,
                                       LPVOID data, LPBOOL cancel, DWORD flags);
CopyFileRoutine SetCopyFileRoutine(CopyFileRoutine routine);
