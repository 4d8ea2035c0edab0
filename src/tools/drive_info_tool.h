// The drive information tool ("Hardware Tool"), class QELHWTool: one row per drive that
// answers a free-space query, with a used-space bar drawn to a scale common to all drives.
#pragma once

#include <windows.h>

#include <cstdint>

// Opens the tool unless *tool is its window still (then nothing happens, the window is not
// even brought forward); *tool becomes the new window. It is built once, on the calling
// (main) thread, centred over the reference window.
void OpenDriveInfoTool(HINSTANCE instance, HFONT font, HWND reference, HWND *tool);
LRESULT CALLBACK DriveInfoWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Width in pixels that bytes take on the common scale, where largest fills 320 pixels.
int DriveBarPixels(uint64_t bytes, uint64_t largest);

// Background colour of the free part of a bar, by GetDriveTypeW's drive type.
COLORREF DriveBarColour(UINT driveType);
