#include "window_services/progress_window.h"

#include <commctrl.h>

#include <climits>
#include <cwchar>
#include <new>

#include "platform/platform.h"
#include "window_services/shell_state.h"
#include "window_services/window_helpers.h"
#include "window_services/window_context.h"

namespace {

constexpr wchar_t kProgressClass[] = L"QELProgress";
constexpr wchar_t kCancelQuestion[] = L"Do you want to cancel current task?";
constexpr UINT_PTR kStatusTimer = 1;
constexpr UINT kStatusPeriod = 50;
constexpr int kStatusY = 36;

uint32_t Clock() {
  return static_cast<uint32_t>(platform::Milliseconds());
}

uint64_t Joined(WPARAM high, LPARAM low) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32) | static_cast<uint32_t>(low);
}

struct Frame {
  RECT client; // in client coordinates
  int cx, cy;  // border widths
};

Frame MeasureFrame(HWND window) {
  WINDOWINFO info{};
  info.cbSize = sizeof info;
  GetWindowInfo(window, &info);
  Frame f{info.rcClient, static_cast<int>(info.cxWindowBorders),
          static_cast<int>(info.cyWindowBorders)};
  OffsetRect(&f.client, -f.client.left, -f.client.top);
  return f;
}

HWND MakeBar(HWND window, HINSTANCE instance, const Frame &f, int y, int16_t range) {
  HWND bar =
      CreateWindowExW(0, PROGRESS_CLASSW, L"Overall progress", WS_CHILD | WS_VISIBLE | PBS_SMOOTH,
                      f.client.left + f.cx, f.client.top + f.cy + y, f.client.right - 2 * f.cx, 6,
                      window, nullptr, instance, nullptr);
  SendMessageW(bar, PBM_SETBKCOLOR, 0, RGB(255, 255, 255));
  SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, range)); // the scale outlives the window
  return bar;
}

DWORD WINAPI ProgressThread(LPVOID parameter) {
  auto *start = static_cast<WindowThreadStart *>(parameter);
  HINSTANCE instance = start->instance;
  ProgressShared &shared = *static_cast<ProgressWindow *>(start->context)->shared;
  shared.cancelRequested = 0;
  HWND window = CreateThreadWindow<ProgressWindow>(
      start, WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, kProgressClass,
      L"Please wait...", WS_CAPTION, 0, 0, 500, 75);
  if (window == nullptr) {
    // The starter waits for this signal without a time-out: give it even without a window.
    SignalWindowStarted(start);
    return 0;
  }
  ProgressWindow &progress = *ContextOf<ProgressWindow>(window);
  Frame f = MeasureFrame(window);
  progress.infoLabel = CreateWindowExW(
      WS_EX_STATICEDGE, L"Static", L"Info:", WS_CHILD | WS_VISIBLE, f.client.left + f.cx,
      f.client.top + f.cy, f.client.right - 2 * f.cx, 17, window, nullptr, instance, nullptr);
  SendMessageW(progress.infoLabel, WM_SETFONT, reinterpret_cast<WPARAM>(progress.font), FALSE);
  progress.overallBar = MakeBar(window, instance, f, 18, shared.overallRange);
  progress.itemBar = MakeBar(window, instance, f, 24, shared.itemRange);

  progress.startTime = Clock();
  progress.timerId = SetTimer(window, kStatusTimer, kStatusPeriod, nullptr);
  UpdateWindow(window);
  SignalWindowStarted(start);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  shared.cancelRequested = 0;
  return 0;
}

// Stores a new total and its scale (a repeated total keeps both), then sets the bar's range.
void SetTotal(ProgressWindow &progress, uint64_t value, bool overall) {
  ProgressShared &shared = *progress.shared;
  uint64_t &total = overall ? shared.overallTotal : shared.itemTotal;
  int16_t &range = overall ? shared.overallRange : shared.itemRange;
  uint16_t &shift = overall ? shared.overallShift : shared.itemShift;
  HWND bar = overall ? progress.overallBar : progress.itemBar;
  if (value != total) {
    total = value;
    shift = 0;
    while (value >= 32766) {
      value >>= 1;
      ++shift;
    }
    range = static_cast<int16_t>(value);
    if (overall) {
      shared.overallPos = 0;
      shared.overallScaledPos = 0;
    }
  }
  SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, range));
  if (overall) SendMessageW(bar, PBM_SETSTEP, 1, 0);
}

void SetOverallPos(ProgressWindow &progress, uint64_t value) {
  ProgressShared &shared = *progress.shared;
  if (value >= shared.overallTotal) {
    shared.overallPos = shared.overallTotal;
    shared.overallScaledPos = shared.overallRange;
  } else {
    shared.overallPos = value;
    shared.overallScaledPos = static_cast<int16_t>(value >> shared.overallShift);
  }
  SendMessageW(progress.overallBar, PBM_SETPOS, static_cast<WPARAM>(shared.overallScaledPos), 0);
  progress.positionChanged = 1;
}

void SetItemPos(const ProgressWindow &progress, uint64_t value) {
  const ProgressShared &shared = *progress.shared;
  WPARAM pos = value >= shared.itemTotal ? static_cast<WPARAM>(shared.itemRange)
                                         : static_cast<WPARAM>(value >> shared.itemShift);
  SendMessageW(progress.itemBar, PBM_SETPOS, pos, 0);
}

void ShowCancelButton(ProgressWindow &progress) {
  progress.shared->cancelRequested = 0;
  if (IsWindow(progress.cancelButton)) DestroyWindow(progress.cancelButton);
  Frame f = MeasureFrame(progress.window);
  progress.cancelButton = CreateWindowExW(
      WS_EX_STATICEDGE, L"Button", L"Cancel", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP,
      f.client.right - f.cx + f.client.left - 100, f.client.top + f.cy + 32, 100, 18,
      progress.window, nullptr,
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(progress.window, GWLP_HINSTANCE)), nullptr);
  SendMessageW(progress.cancelButton, WM_SETFONT, reinterpret_cast<WPARAM>(progress.font), FALSE);
}

void DrawStatusPart(HDC dc, int x, const wchar_t *text, int length) {
  TextOutW(dc, x, kStatusY, text, length);
}

// Elapsed time every tick; percentage and estimate only after a new overall position.
void OnStatusTimer(ProgressWindow &progress) {
  const ProgressShared &shared = *progress.shared;
  progress.elapsed = Clock() - progress.startTime;
  wchar_t elapsed[kTimeTextChars];
  FormatDuration(elapsed, progress.elapsed);
  std::wcsncpy(progress.statusText, elapsed, 100);
  if (progress.positionChanged) {
    if (shared.overallRange > 0)
      std::swprintf(progress.percentText, 16, L"%d %%    ",
                    shared.overallScaledPos * 100 / shared.overallRange);
    else
      std::wcscpy(progress.percentText, L"000 %    ");
    FormatEstimate(progress.estimateText, shared.overallTotal, shared.overallPos, progress.elapsed);
  }

  HDC dc = GetDC(progress.window);
  HGDIOBJ oldFont = SelectObject(dc, progress.font);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  DrawStatusPart(dc, 4, progress.statusText, 10);
  if (progress.positionChanged) {
    DrawStatusPart(dc, 100, progress.percentText, lstrlenW(progress.percentText));
    DrawStatusPart(dc, 200, progress.estimateText, lstrlenW(progress.estimateText));
    progress.positionChanged = 0;
  }
  SelectObject(dc, oldFont);
  ReleaseDC(progress.window, dc);
}

void OnCommand(const ProgressWindow &progress, HWND control) {
  if (control == nullptr || control != progress.cancelButton) return;
  if (MessageBoxW(progress.window, kCancelQuestion, nullptr, MB_YESNO) == IDYES)
    progress.shared->cancelRequested = 1;
}

void OnPaint(HWND window) {
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  EndPaint(window, &paint);
}

void OnNcDestroy(HWND window, ProgressWindow &progress) {
  progress.shared->cancelRequested = 0;
  KillTimer(window, progress.timerId);
  FreeContext<ProgressWindow>(window);
  PostQuitMessage(0); // ends the thread's loop, and with it the thread
}

} // namespace

void FormatDuration(wchar_t (&text)[kTimeTextChars], uint32_t milliseconds) {
  uint32_t seconds = milliseconds / 1000;
  std::swprintf(text, kTimeTextChars, L"%02u:%02u:%02u.%u", seconds / 3600 % 24, seconds / 60 % 60,
                seconds % 60, milliseconds % 1000 / 100);
}

void FormatEstimate(wchar_t (&text)[kTimeTextChars], uint64_t total, uint64_t position,
                    uint32_t elapsed) {
  double estimate = 0;
  if (position != 0)
    estimate = static_cast<double>(total) / static_cast<double>(position) * elapsed;
  if (estimate > static_cast<double>(INT32_MAX)) {
    std::wcscpy(text, L"--:--:--.-");
    return;
  }
  FormatDuration(text, static_cast<uint32_t>(estimate));
}

bool RegisterProgressClass(HINSTANCE instance) {
  return RegisterToolWindowClass(instance, kProgressClass, ProgressWindowProc);
}

void StartProgressWindow(HINSTANCE instance, HFONT font, ProgressShared *shared) {
  shared->window = nullptr; // a failed start leaves no stale handle that could be reused
  auto *context = new (std::nothrow) ProgressWindow{};
  if (context == nullptr) return;
  context->font = font;
  context->shared = shared;
  shared->window = StartWindowThread(ProgressThread, instance, context);
}

LRESULT CALLBACK ProgressWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ProgressWindow *progress = ContextOf<ProgressWindow>(window);
  if (progress == nullptr) {
    if (message == WM_NCCREATE) return AttachContext<ProgressWindow>(window, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
  }
  switch (message) {
  case WM_PAINT:
    OnPaint(window);
    return 0;
  case WM_CLOSE: // only PROGRESS_CLOSE removes the window
    return 0;
  case WM_KEYDOWN: // the task's keyboard poll runs on the main thread
    PostMessageW(g_shell.mainWindow, WM_KEYDOWN, wParam, lParam);
    return 0;
  case WM_COMMAND:
    OnCommand(*progress, reinterpret_cast<HWND>(lParam));
    return 0;
  case WM_TIMER:
    if (wParam == progress->timerId) OnStatusTimer(*progress);
    return 0;
  case WM_NCDESTROY:
    OnNcDestroy(window, *progress);
    return 0;
  case PROGRESS_CLOSE:
    DestroyWindow(window);
    return 0;
  case PROGRESS_SET_OVERALL_POS:
    SetOverallPos(*progress, Joined(wParam, lParam));
    return 0;
  case PROGRESS_SET_OVERALL_TOTAL:
    SetTotal(*progress, Joined(wParam, lParam), true);
    return 0;
  case PROGRESS_SET_ITEM_POS:
    SetItemPos(*progress, Joined(wParam, lParam));
    return 0;
  case PROGRESS_SET_ITEM_TOTAL:
    SetTotal(*progress, Joined(wParam, lParam), false);
    return 0;
  case PROGRESS_SET_INFO:
    SetWindowTextW(progress->infoLabel, reinterpret_cast<const wchar_t *>(lParam));
    return 0;
  case PROGRESS_SET_TITLE:
    SetWindowTextW(window, reinterpret_cast<const wchar_t *>(lParam));
    return 0;
  case PROGRESS_SHOW_CANCEL:
    ShowCancelButton(*progress);
    return 0;
  default:
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

int PollUserCancel() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_CHAR) continue;
    SwitchToThisWindow(g_shell.mainWindow, TRUE);
    if (MessageBoxW(g_shell.mainWindow, kCancelQuestion, nullptr, MB_YESNO) == IDYES) return 1;
    if (IsWindow(g_shell.progress.window)) SwitchToThisWindow(g_shell.progress.window, TRUE);
  }
  return 0;
}
