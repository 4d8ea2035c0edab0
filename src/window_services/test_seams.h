// The program's test seams, all in one place. Each lets a test answer in place of a system
// dialog or query that a test cannot drive: the folder browser, the structure viewer's
// open-file dialog, the drive queries of the drive information tool. The program never sets
// them: while a seam is unset (null) the system's own call is used. Each setter returns what
// was in place; null restores the system's call.
#pragma once

#include <windows.h>

using FolderBrowser = bool (*)(HWND owner, wchar_t *path, size_t capacity);
FolderBrowser SetFolderBrowser(FolderBrowser browser);
FolderBrowser FolderBrowserSeam();

// The open-file dialog as the structure viewer asks it.
struct FileDialogRequest {
  HWND owner;
  const wchar_t *filter; // display name and pattern, each ended by a zero, then one more
  DWORD flags;           // OFN_* flags
  wchar_t *path;         // in: the initial name; out: the chosen path
  DWORD capacity;
};
using FileDialogFunction = bool (*)(FileDialogRequest *request);
FileDialogFunction SetViewerFileDialog(FileDialogFunction dialog);
FileDialogFunction ViewerFileDialogSeam();

// The system queries of the drive information tool; a null member keeps the system's call.
struct DriveQueries {
  DWORD(WINAPI *logicalDriveStrings)(DWORD chars, LPWSTR buffer);
  BOOL(WINAPI *diskFreeSpace)
  (LPCWSTR root, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total, PULARGE_INTEGER totalFree);
  BOOL(WINAPI *volumeInformation)
  (LPCWSTR root, LPWSTR name, DWORD nameChars, LPDWORD serial, LPDWORD maxComponent, LPDWORD flags,
   LPWSTR fileSystem, DWORD fileSystemChars);
  UINT(WINAPI *driveType)(LPCWSTR root);
};
DriveQueries SetDriveQueries(const DriveQueries &queries);
// The queries in force: the seam's where set, the system's elsewhere.
DriveQueries CurrentDriveQueries();
