// The progress window "QELProgress" of long tasks. It lives on a thread of its own while a
// task runs on the main thread; the task drives it with the synchronous PROGRESS_* messages
// (64-bit values as wParam = high half, lParam = low half) through window_services/progress.h.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr UINT PROGRESS_CLOSE = WM_APP + 0x10;
constexpr UINT PROGRESS_SET_OVERALL_POS = WM_APP + 0x11;
constexpr UINT PROGRESS_SET_OVERALL_TOTAL = WM_APP + 0x12;
constexpr UINT PROGRESS_SET_ITEM_POS = WM_APP + 0x13;
constexpr UINT PROGRESS_SET_ITEM_TOTAL = WM_APP + 0x14;
constexpr UINT PROGRESS_SET_INFO = WM_APP + 0x15;  // lParam: wide text
constexpr UINT PROGRESS_SET_TITLE = WM_APP + 0x16; // lParam: wide text
constexpr UINT PROGRESS_SHOW_CANCEL = WM_APP + 0x19;

constexpr size_t kTimeTextChars = 16; // "HH:MM:SS.t" and the terminator, with room to spare

// What outlives each progress window, kept by the shell (ShellState::progress): the current
// window, the cancel request that tasks read, and the totals with their scales, which a new
// window keeps. Written by the progress thread, read by the task's.
struct ProgressShared {
  HWND window;                 // stale once the window is gone: every sender tests it with IsWindow
  BOOL cancelRequested;        // 1 after the user confirmed Cancel; also CopyFileExW's cancel flag
  uint64_t overallTotal = 255; // both totals start at 255
  uint64_t itemTotal = 255;
  int16_t overallRange = 255; // the totals scaled to the bars' 16-bit range
  int16_t itemRange = 255;
  uint16_t overallShift;
  uint16_t itemShift;
  uint64_t overallPos; // clamped to overallTotal
  int16_t overallScaledPos;
};

// The progress window's context, on the progress thread.
struct ProgressWindow {
  HWND window;
  HWND infoLabel;
  HWND overallBar;
  HWND itemBar;
  HWND cancelButton;
  HFONT font;
  ProgressShared *shared;
  uint32_t positionChanged;
  uint32_t startTime; // millisecond clock when the window was made
  uint32_t elapsed;
  UINT_PTR timerId;
  // What the status line shows: elapsed time, then percentage and estimated duration once
  // a position has arrived (both empty until then).
  wchar_t statusText[100];
  wchar_t percentText[16];
  wchar_t estimateText[kTimeTextChars];
};

bool RegisterProgressClass(HINSTANCE instance);

// Starts the progress thread and returns once its (hidden) window exists, or once the
// thread has given up because the window could not be made (then nothing is shown and
// every later message is skipped); shared->window is the new window or none.
void StartProgressWindow(HINSTANCE instance, HFONT font, ProgressShared *shared);

LRESULT CALLBACK ProgressWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Takes the main thread's key presses out of its queue and asks whether to cancel; 1 when
// the user says Yes.
int PollUserCancel();

// "HH:MM:SS.t" of a millisecond count, hours modulo 24.
void FormatDuration(wchar_t (&text)[kTimeTextChars], uint32_t milliseconds);
// The estimated total duration: total / position x elapsed; 00:00:00.0 at position 0 and
// "--:--:--.-" beyond a signed 32-bit millisecond count.
void FormatEstimate(wchar_t (&text)[kTimeTextChars], uint64_t total, uint64_t position,
                    uint32_t elapsed);
