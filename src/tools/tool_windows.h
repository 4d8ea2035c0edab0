// What the tool windows share beyond the shell's window helpers: the message loop of the two
// that run on threads of their own (the mount tool, the structure viewer), and painting.
#pragma once

#include <windows.h>

// The thread's message loop, until the quit message.
void RunToolLoop();

// WM_PAINT of a window whose controls paint everything.
void PaintNothing(HWND window);
