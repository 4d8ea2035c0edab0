#include "shell/console_window.h"

#include "shell/window_helpers.h"

LogWindow g_log;

namespace {

constexpr wchar_t kConsoleClass[] = L"QELConsole";
constexpr int kMinWidth = 300;
constexpr int kMinHeight = 150;
constexpr int kLineCapacity = 1024; // wsprintfW writes at most this many characters

void PlaceControls() {
  g_log.windowInfo.cbSize = sizeof g_log.windowInfo;
  GetWindowInfo(g_log.window, &g_log.windowInfo);
  RECT client = g_log.windowInfo.rcClient;
  OffsetRect(&client, -client.left, -client.top);
  int cx = static_cast<int>(g_log.windowInfo.cxWindowBorders);
  int cy = static_cast<int>(g_log.windowInfo.cyWindowBorders);
  int buttonY = client.bottom - 2 * cy - 13;
  MoveWindow(g_log.listBox, client.left + cx, client.top + cy, client.right - 2 * cx,
             client.bottom - 2 * cy - 17, TRUE);
  MoveWindow(g_log.clearButton, client.left + cx, buttonY, 70, 18, TRUE);
  MoveWindow(g_log.hideButton, client.left + cx + 70, buttonY, 70, 18, TRUE);
}

HWND MakeControl(const wchar_t *cls, const wchar_t *text, DWORD style, HINSTANCE instance,
                 HFONT font) {
  HWND control = CreateWindowExW(WS_EX_STATICEDGE, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0,
                                 0, 0, g_log.window, nullptr, instance, nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

DWORD WINAPI ConsoleThread(LPVOID parameter) {
  HINSTANCE instance = static_cast<HINSTANCE>(parameter);
  HWND window = CreateWindowExW(WS_EX_APPWINDOW | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE,
                                kConsoleClass, L"Debug Console", WS_OVERLAPPEDWINDOW, 621, 20, 620,
                                235, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) {
    ReleaseSemaphore(g_log.startSignal, 1, nullptr);
    return 0;
  }
  g_log.window = window;
  g_log.listBox = MakeControl(L"ListBox", L"Console box",
                              WS_VSCROLL | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT |
                                  LBS_DISABLENOSCROLL | LBS_NOSEL,
                              instance, g_log.listFont);
  g_log.clearButton = MakeControl(L"Button", L"Clear", BS_PUSHBUTTON, instance, g_log.buttonFont);
  g_log.hideButton = MakeControl(L"Button", L"Hide", BS_PUSHBUTTON, instance, g_log.buttonFont);
  PlaceControls();
  ShowWindow(window, SW_HIDE);
  UpdateWindow(window);
  ReleaseSemaphore(g_log.startSignal, 1, nullptr);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

void AppendErrorLine(DWORD code, const wchar_t *tag) {
  if (code == 0) return;
  wchar_t *text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                     FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, code, 0x400, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
  wchar_t line[kLineCapacity];
  wsprintfW(line, L"%s : error %d: %s", tag != nullptr ? tag : L"", static_cast<int>(code),
            text != nullptr ? text : L"");
  SendMessageW(g_log.listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
  if (text != nullptr) LocalFree(text);
}

void OnWindowPosChanged(const WINDOWPOS *pos) {
  // Position changes during creation come before the controls exist.
  if ((pos->cx == 0 && pos->cy == 0) || g_log.listBox == nullptr) return;
  PlaceControls();
}

void OnSizing(RECT *dragged) {
  if (dragged->right - dragged->left < kMinWidth) dragged->right = dragged->left + kMinWidth;
  if (dragged->bottom - dragged->top < kMinHeight) dragged->bottom = dragged->top + kMinHeight;
}

void OnCommand(HWND control) {
  if (control == g_log.hideButton)
    ShowWindow(g_log.window, SW_HIDE);
  else if (control == g_log.clearButton)
    SendMessageW(g_log.listBox, LB_RESETCONTENT, 0, 0);
}

void OnPaint(HWND window) {
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  EndPaint(window, &paint);
}

} // namespace

bool RegisterConsoleClass(HINSTANCE instance) {
  return RegisterToolWindowClass(instance, kConsoleClass, ConsoleWindowProc);
}

void StartConsole(HINSTANCE instance, HFONT buttonFont, HFONT listFont) {
  g_log.buttonFont = buttonFont;
  g_log.listFont = listFont;
  StartToolThread(ConsoleThread, instance, &g_log.startSignal);
}

LRESULT CALLBACK ConsoleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_PAINT:
    OnPaint(window);
    return 0;
  case WM_CLOSE:
  case LOG_HIDE:
    ShowWindow(window, SW_HIDE);
    return 0;
  case WM_WINDOWPOSCHANGED:
    OnWindowPosChanged(reinterpret_cast<const WINDOWPOS *>(lParam));
    return 0;
  case WM_NCDESTROY: // ends the thread's loop, and with it the thread
    PostQuitMessage(0);
    return 0;
  case WM_COMMAND:
    OnCommand(reinterpret_cast<HWND>(lParam));
    return 0;
  case WM_SIZING:
    OnSizing(reinterpret_cast<RECT *>(lParam));
    return TRUE;
  case LOG_DESTROY:
    DestroyWindow(window);
    return 0;
  case LOG_SHOW:
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    return 0;
  case LOG_LINE:
    SendMessageW(g_log.listBox, LB_ADDSTRING, 0, lParam);
    return 0;
  case LOG_ERROR:
    AppendErrorLine(static_cast<DWORD>(wParam), reinterpret_cast<const wchar_t *>(lParam));
    return 0;
  default:
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

void LogLine(const wchar_t *text) {
  if (IsWindow(g_log.window))
    SendMessageW(g_log.window, LOG_LINE, 0, reinterpret_cast<LPARAM>(text));
}

void LogError(const wchar_t *tag, DWORD code) {
  if (IsWindow(g_log.window))
    SendMessageW(g_log.window, LOG_ERROR, code, reinterpret_cast<LPARAM>(tag));
}

void LogShow() {
  if (IsWindow(g_log.window)) SendMessageW(g_log.window, LOG_SHOW, 0, 0);
}

void LogHide() {
  if (IsWindow(g_log.window)) SendMessageW(g_log.window, LOG_HIDE, 0, 0);
}
