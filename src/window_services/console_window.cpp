#include "window_services/console_window.h"

#include <new>

#include "window_services/window_helpers.h"
#include "window_services/window_context.h"

namespace {

constexpr wchar_t kConsoleClass[] = L"QELConsole";
constexpr int kMinWidth = 300;
constexpr int kMinHeight = 150;
constexpr int kLineCapacity = 1024; // wsprintfW writes at most this many characters

void PlaceControls(ConsoleWindow &console) {
  console.windowInfo.cbSize = sizeof console.windowInfo;
  GetWindowInfo(console.window, &console.windowInfo);
  RECT client = console.windowInfo.rcClient;
  OffsetRect(&client, -client.left, -client.top);
  int cx = static_cast<int>(console.windowInfo.cxWindowBorders);
  int cy = static_cast<int>(console.windowInfo.cyWindowBorders);
  int buttonY = client.bottom - 2 * cy - 13;
  MoveWindow(console.listBox, client.left + cx, client.top + cy, client.right - 2 * cx,
             client.bottom - 2 * cy - 17, TRUE);
  MoveWindow(console.clearButton, client.left + cx, buttonY, 70, 18, TRUE);
  MoveWindow(console.hideButton, client.left + cx + 70, buttonY, 70, 18, TRUE);
}

HWND MakeControl(HWND parent, const wchar_t *cls, const wchar_t *text, DWORD style,
                 HINSTANCE instance, HFONT font) {
  HWND control = CreateWindowExW(WS_EX_STATICEDGE, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0,
                                 0, 0, parent, nullptr, instance, nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

DWORD WINAPI ConsoleThread(LPVOID parameter) {
  auto *start = static_cast<WindowThreadStart *>(parameter);
  HINSTANCE instance = start->instance;
  HWND window = CreateThreadWindow<ConsoleWindow>(
      start, WS_EX_APPWINDOW | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE, kConsoleClass, L"Debug Console",
      WS_OVERLAPPEDWINDOW, 621, 20, 620, 235);
  if (window == nullptr) {
    SignalWindowStarted(start);
    return 0;
  }
  ConsoleWindow &console = *ContextOf<ConsoleWindow>(window);
  console.listBox = MakeControl(window, L"ListBox", L"Console box",
                                WS_VSCROLL | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT |
                                    LBS_DISABLENOSCROLL | LBS_NOSEL,
                                instance, console.listFont);
  console.clearButton =
      MakeControl(window, L"Button", L"Clear", BS_PUSHBUTTON, instance, console.buttonFont);
  console.hideButton =
      MakeControl(window, L"Button", L"Hide", BS_PUSHBUTTON, instance, console.buttonFont);
  PlaceControls(console);
  ShowWindow(window, SW_HIDE);
  UpdateWindow(window);
  SignalWindowStarted(start);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

void AppendErrorLine(const ConsoleWindow &console, DWORD code, const wchar_t *tag) {
  if (code == 0) return;
  wchar_t *text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                     FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, code, 0x400, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
  wchar_t line[kLineCapacity];
  wsprintfW(line, L"%s : error %d: %s", tag != nullptr ? tag : L"", static_cast<int>(code),
            text != nullptr ? text : L"");
  SendMessageW(console.listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
  if (text != nullptr) LocalFree(text);
}

void OnWindowPosChanged(ConsoleWindow &console, const WINDOWPOS *pos) {
  // Position changes during creation come before the controls exist.
  if ((pos->cx == 0 && pos->cy == 0) || console.listBox == nullptr) return;
  PlaceControls(console);
}

void OnSizing(RECT *dragged) {
  if (dragged->right - dragged->left < kMinWidth) dragged->right = dragged->left + kMinWidth;
  if (dragged->bottom - dragged->top < kMinHeight) dragged->bottom = dragged->top + kMinHeight;
}

void OnCommand(const ConsoleWindow &console, HWND control) {
  if (control == console.hideButton)
    ShowWindow(console.window, SW_HIDE);
  else if (control == console.clearButton)
    SendMessageW(console.listBox, LB_RESETCONTENT, 0, 0);
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

HWND StartConsole(HINSTANCE instance, HFONT buttonFont, HFONT listFont) {
  auto *context = new (std::nothrow) ConsoleWindow{};
  if (context == nullptr) return nullptr;
  context->buttonFont = buttonFont;
  context->listFont = listFont;
  return StartWindowThread(ConsoleThread, instance, context);
}

LRESULT CALLBACK ConsoleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ConsoleWindow *console = ContextOf<ConsoleWindow>(window);
  if (console == nullptr) {
    if (message == WM_NCCREATE) return AttachContext<ConsoleWindow>(window, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
  }
  switch (message) {
  case WM_PAINT:
    OnPaint(window);
    return 0;
  case WM_CLOSE:
  case LOG_HIDE:
    ShowWindow(window, SW_HIDE);
    return 0;
  case WM_WINDOWPOSCHANGED:
    OnWindowPosChanged(*console, reinterpret_cast<const WINDOWPOS *>(lParam));
    return 0;
  case WM_NCDESTROY: // ends the thread's loop, and with it the thread
    FreeContext<ConsoleWindow>(window);
    PostQuitMessage(0);
    return 0;
  case WM_COMMAND:
    OnCommand(*console, reinterpret_cast<HWND>(lParam));
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
    SendMessageW(console->listBox, LB_ADDSTRING, 0, lParam);
    return 0;
  case LOG_ERROR:
    AppendErrorLine(*console, static_cast<DWORD>(wParam),
                    reinterpret_cast<const wchar_t *>(lParam));
    return 0;
  default:
    return DefWindowProcW(window, message, wParam, lParam);
  }
}
