// The drive information tool ("Hardware Tool"), class QELHWTool: one row per drive that
// answers a free-space query, with a used-space bar drawn to a scale common to all drives.
#pragma once

#include <windows.h>

#include <cstdint>

void OpenDriveInfoTool(); // does nothing when the tool is already open
LRESULT CALLBACK DriveInfoWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The system queries the tool makes; tests replace them to describe drives of their own.
struct DriveQueries {
  DWORD(WINAPI *logicalDriveStrings)(DWORD chars, LPWSTR buffer);
  BOOL(WINAPI *diskFreeSpace)
  (LPCWSTR root, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total, PULARGE_INTEGER totalFree);
  BOOL(WINAPI *volumeInformation)
  (LPCWSTR root, LPWSTR name, DWORD nameChars, LPDWORD serial, LPDWORD maxComponent, LPDWORD flags,
   LPWSTR fileSystem, DWORD fileSystemChars);
  UINT(WINAPI *driveType)(LPCWSTR root);
};
// Installs queries (a null member keeps the system's call) and returns the previous set.
DriveQueries SetDriveQueries(const DriveQueries &queries);

// Width in pixels that bytes take on the common scale, where largest fills 320 pixels.
int DriveBarPixels(uint64_t bytes, uint64_t largest);

// Background colour of the free part of a bar, by GetDriveTypeW's drive type.
COLORREF DriveBarColour(UINT driveType);
