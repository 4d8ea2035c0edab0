// The debug console: the program's one log, a list box in a window of its own thread. The
// program writes to it only through the core's log calls (platform::LogLine and the rest),
// whose receivers send the console these messages synchronously, so a text may live in the
// writer's stack.
#pragma once

#include <windows.h>

// Private messages of the console window.
constexpr UINT LOG_DESTROY = WM_APP + 0x15; // destroy the console window
constexpr UINT LOG_SHOW = WM_APP + 0x16;    // show it top-most
constexpr UINT LOG_HIDE = WM_APP + 0x17;
constexpr UINT LOG_LINE = WM_APP + 0x18;  // lParam: the text of one line
constexpr UINT LOG_ERROR = WM_APP + 0x19; // wParam: system error code, lParam: the tag

// The console window's context, on the console's thread.
struct ConsoleWindow {
  HWND window;
  HWND listBox;
  HWND clearButton;
  HWND hideButton;
  HFONT buttonFont;
  HFONT listFont;
  WINDOWINFO windowInfo;
};

bool RegisterConsoleClass(HINSTANCE instance);

// Starts the console thread; returns its (hidden) window once it exists, none when it could
// not be made (then every log line is dropped).
HWND StartConsole(HINSTANCE instance, HFONT buttonFont, HFONT listFont);

LRESULT CALLBACK ConsoleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
