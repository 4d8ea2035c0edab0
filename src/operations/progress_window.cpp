#include "operations/progress_window.h"

#include <commctrl.h>

#include <climits>
#include <cwchar>

#include "platform/platform.h"
#include "shell/shell_state.h"
#include "shell/window_helpers.h"

ProgressState g_progress;

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
  HINSTANCE instance = static_cast<HINSTANCE>(parameter);
  g_progress.cancelRequested = 0;
  g_progress.cancelButton = nullptr;
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_WINDOWEDGE,
                                kProgressClass, L"Please wait...", WS_CAPTION, 0, 0, 500, 75,
                                nullptr, nullptr, instance, nullptr);
  if (window == nullptr) {
    // The starter waits for this signal without a time-out: give it even without a window.
    ReleaseSemaphore(g_progress.readySignal, 1, nullptr);
    return 0;
  }
  g_progress.window = window;
  Frame f = MeasureFrame(window);
  g_progress.infoLabel = CreateWindowExW(
      WS_EX_STATICEDGE, L"Static", L"Info:", WS_CHILD | WS_VISIBLE, f.client.left + f.cx,
      f.client.top + f.cy, f.client.right - 2 * f.cx, 17, window, nullptr, instance, nullptr);
  SendMessageW(g_progress.infoLabel, WM_SETFONT, reinterpret_cast<WPARAM>(g_progress.font), FALSE);
  g_progress.overallBar = MakeBar(window, instance, f, 18, g_progress.overallRange);
  g_progress.itemBar = MakeBar(window, instance, f, 24, g_progress.itemRange);
  // A position sent to an earlier window does not count for this one.
  g_progress.positionChanged = 0;
  g_progress.percentText[0] = 0;
  g_progress.estimateText[0] = 0;

  g_progress.startTime = Clock();
  g_progress.timerId = SetTimer(window, kStatusTimer, kStatusPeriod, nullptr);
  UpdateWindow(window);
  ReleaseSemaphore(g_progress.readySignal, 1, nullptr);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  g_progress.cancelRequested = 0;
  return 0;
}

// Stores a new total and its scale (a repeated total keeps both), then sets the bar's range.
void SetTotal(uint64_t value, bool overall) {
  uint64_t &total = overall ? g_progress.overallTotal : g_progress.itemTotal;
  int16_t &range = overall ? g_progress.overallRange : g_progress.itemRange;
  uint16_t &shift = overall ? g_progress.overallShift : g_progress.itemShift;
  HWND bar = overall ? g_progress.overallBar : g_progress.itemBar;
  if (value != total) {
    total = value;
    shift = 0;
    while (value >= 32766) {
      value >>= 1;
      ++shift;
    }
    range = static_cast<int16_t>(value);
    if (overall) {
      g_progress.overallPos = 0;
      g_progress.overallScaledPos = 0;
    }
  }
  SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, range));
  if (overall) SendMessageW(bar, PBM_SETSTEP, 1, 0);
}

void SetOverallPos(uint64_t value) {
  if (value >= g_progress.overallTotal) {
    g_progress.overallPos = g_progress.overallTotal;
    g_progress.overallScaledPos = g_progress.overallRange;
  } else {
    g_progress.overallPos = value;
    g_progress.overallScaledPos = static_cast<int16_t>(value >> g_progress.overallShift);
  }
  SendMessageW(g_progress.overallBar, PBM_SETPOS, static_cast<WPARAM>(g_progress.overallScaledPos),
               0);
  g_progress.positionChanged = 1;
}

void SetItemPos(uint64_t value) {
  WPARAM pos = value >= g_progress.itemTotal ? static_cast<WPARAM>(g_progress.itemRange)
                                             : static_cast<WPARAM>(value >> g_progress.itemShift);
  SendMessageW(g_progress.itemBar, PBM_SETPOS, pos, 0);
}

void ShowCancelButton(HWND window) {
  g_progress.cancelRequested = 0;
  if (IsWindow(g_progress.cancelButton)) DestroyWindow(g_progress.cancelButton);
  Frame f = MeasureFrame(window);
  g_progress.cancelButton = CreateWindowExW(
      WS_EX_STATICEDGE, L"Button", L"Cancel", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP,
      f.client.right - f.cx + f.client.left - 100, f.client.top + f.cy + 32, 100, 18, window,
      nullptr, reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)), nullptr);
  SendMessageW(g_progress.cancelButton, WM_SETFONT, reinterpret_cast<WPARAM>(g_progress.font),
               FALSE);
}

void DrawStatusPart(HDC dc, int x, const wchar_t *text, int length) {
  TextOutW(dc, x, kStatusY, text, length);
}

// Elapsed time every tick; percentage and estimate only after a new overall position.
void OnStatusTimer(HWND window) {
  g_progress.elapsed = Clock() - g_progress.startTime;
  wchar_t elapsed[kTimeTextChars];
  FormatDuration(elapsed, g_progress.elapsed);
  std::wcsncpy(g_progress.statusText, elapsed, 100);
  if (g_progress.positionChanged) {
    if (g_progress.overallRange > 0)
      std::swprintf(g_progress.percentText, 16, L"%d %%    ",
                    g_progress.overallScaledPos * 100 / g_progress.overallRange);
    else
      std::wcscpy(g_progress.percentText, L"000 %    ");
    FormatEstimate(g_progress.estimateText, g_progress.overallTotal, g_progress.overallPos,
                   g_progress.elapsed);
  }

  HDC dc = GetDC(window);
  HGDIOBJ oldFont = SelectObject(dc, g_progress.font);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  DrawStatusPart(dc, 4, g_progress.statusText, 10);
  if (g_progress.positionChanged) {
    DrawStatusPart(dc, 100, g_progress.percentText, lstrlenW(g_progress.percentText));
    DrawStatusPart(dc, 200, g_progress.estimateText, lstrlenW(g_progress.estimateText));
    g_progress.positionChanged = 0;
  }
  SelectObject(dc, oldFont);
  ReleaseDC(window, dc);
}

void OnCommand(HWND window, HWND control) {
  if (control == nullptr || control != g_progress.cancelButton) return;
  if (MessageBoxW(window, kCancelQuestion, nullptr, MB_YESNO) == IDYES)
    g_progress.cancelRequested = 1;
}

void OnPaint(HWND window) {
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  EndPaint(window, &paint);
}

void OnNcDestroy(HWND window) {
  g_progress.cancelRequested = 0;
  KillTimer(window, g_progress.timerId);
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

void StartProgressWindow(HINSTANCE instance, HFONT font) {
  g_progress.font = font;
  g_progress.window = nullptr; // a failed start leaves no stale handle that could be reused
  StartToolThread(ProgressThread, instance, &g_progress.readySignal);
}

LRESULT CALLBACK ProgressWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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
    OnCommand(window, reinterpret_cast<HWND>(lParam));
    return 0;
  case WM_TIMER:
    if (wParam == g_progress.timerId) OnStatusTimer(window);
    return 0;
  case WM_NCDESTROY:
    OnNcDestroy(window);
    return 0;
  case PROGRESS_CLOSE:
    DestroyWindow(window);
    return 0;
  case PROGRESS_SET_OVERALL_POS:
    SetOverallPos(Joined(wParam, lParam));
    return 0;
  case PROGRESS_SET_OVERALL_TOTAL:
    SetTotal(Joined(wParam, lParam), true);
    return 0;
  case PROGRESS_SET_ITEM_POS:
    SetItemPos(Joined(wParam, lParam));
    return 0;
  case PROGRESS_SET_ITEM_TOTAL:
    SetTotal(Joined(wParam, lParam), false);
    return 0;
  case PROGRESS_SET_INFO:
    SetWindowTextW(g_progress.infoLabel, reinterpret_cast<const wchar_t *>(lParam));
    return 0;
  case PROGRESS_SET_TITLE:
    SetWindowTextW(window, reinterpret_cast<const wchar_t *>(lParam));
    return 0;
  case PROGRESS_SHOW_CANCEL:
    ShowCancelButton(window);
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
    if (IsWindow(g_progress.window)) SwitchToThisWindow(g_progress.window, TRUE);
  }
  return 0;
}
