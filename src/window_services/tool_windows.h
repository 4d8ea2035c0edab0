// What the tool windows share beyond the shell's window helpers: the message loop of the two
// that run on threads of their own (the mount tool, the structure viewer), and painting.
#pragma once

#include <windows.h>

// The thread's message loop, until the quit message.
void RunToolLoop();

// WM_PAINT of a window whose controls paint everything.
void PaintNothing(HWND window);

// The messages that the threaded tool windows answer alike: painting nothing, closing by
// destruction, and ending their thread's loop when the window is gone; the rest goes to
// DefWindowProcW.
LRESULT ThreadedToolDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
