// The debug console: the program's one log, a list box in a window of its own thread.
// Writers send it lines synchronously, so a text may live in the writer's stack.
#pragma once

#include <windows.h>

#include <cstdint>

// Private messages of the console window.
constexpr UINT LOG_DESTROY = WM_APP + 0x15; // destroy the console window
constexpr UINT LOG_SHOW = WM_APP + 0x16;    // show it top-most
constexpr UINT LOG_HIDE = WM_APP + 0x17;
constexpr UINT LOG_LINE = WM_APP + 0x18;  // lParam: the text of one line
constexpr UINT LOG_ERROR = WM_APP + 0x19; // wParam: system error code, lParam: the tag

struct LogWindow {
  HWND window; // written once by the console thread before it signals its start
  HWND listBox;
  HWND clearButton;
  HWND hideButton;
  HFONT buttonFont;
  HFONT listFont;
  HANDLE startSignal; // exists only while the console is being started
  WINDOWINFO windowInfo;
};

extern LogWindow g_log;

bool RegisterConsoleClass(HINSTANCE instance);

// Starts the console thread and returns once its (hidden) window exists or has failed.
void StartConsole(HINSTANCE instance, HFONT buttonFont, HFONT listFont);

LRESULT CALLBACK ConsoleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Writers: each does nothing while the console window does not exist.
void LogLine(const wchar_t *text);
void LogError(const wchar_t *tag, DWORD code); // "%s : error %d: %s"; code 0 adds nothing
void LogShow();
void LogHide();
