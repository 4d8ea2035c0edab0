// The main window "QELWNDClass" and the start-up and shut-down of the program.
#pragma once

#include <windows.h>

// Start-up up to the message loop: classes, main window, controls, console, timer, banner.
// False when a class, the main window or the common controls could not be made.
bool StartShell(HINSTANCE instance, int showCommand);

// Translates accelerators against the window the message was addressed to (the focused
// control), else translates and dispatches. Every message of the main thread goes here.
void DispatchShellMessage(MSG *msg);

int RunMessageLoop(); // until the quit message; returns its code
void EndShell();      // kills the refresh timer, deletes the fonts

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

