// Each window keeps its state in one context struct, reached from its window procedure
// instead of through file-level globals. The creator allocates the context and passes it as
// lpCreateParams; the window takes it at WM_NCCREATE into GWLP_USERDATA and frees it at
// WM_NCDESTROY. A dialog gets its context as DialogBoxParamW's lParam at WM_INITDIALOG and
// does not own it. Messages that come before WM_NCCREATE find no context.
#pragma once

#include <windows.h>

template <class Context> Context *ContextOf(HWND window) {
  return reinterpret_cast<Context *>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// WM_NCCREATE: the default handling first; the context is taken (and learns its window)
// only when that succeeded, so a window that could not be made leaves its context to the
// creator. None of the procedures fails a window after this: none answers WM_CREATE with -1.
template <class Context> LRESULT AttachContext(HWND window, WPARAM wParam, LPARAM lParam) {
  LRESULT made = DefWindowProcW(window, WM_NCCREATE, wParam, lParam);
  if (!made) return made;
  auto *context =
      static_cast<Context *>(reinterpret_cast<const CREATESTRUCTW *>(lParam)->lpCreateParams);
  context->window = window;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(context));
  return made;
}

// WM_INITDIALOG: the dialog's context is DialogBoxParamW's parameter.
inline void AttachDialogContext(HWND dialog, LPARAM lParam) {
  SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
}

// WM_NCDESTROY, last: the context is freed and the window forgets it.
template <class Context> void FreeContext(HWND window) {
  delete ContextOf<Context>(window);
  SetWindowLongPtrW(window, GWLP_USERDATA, 0);
}

// Makes a top-level window (no owner, no menu) that takes the context; when no window is
// made the context is freed here.
template <class Context>
HWND CreateContextWindow(Context *context, DWORD exStyle, const wchar_t *cls, const wchar_t *title,
                         DWORD style, int x, int y, int width, int height, HINSTANCE instance) {
  HWND window = CreateWindowExW(exStyle, cls, title, style, x, y, width, height, nullptr, nullptr,
                                instance, context);
  if (window == nullptr) delete context;
  return window;
}

// What a threaded window's thread gets from its starter (StartWindowThread).
struct WindowThreadStart {
  HINSTANCE instance;
  void *context;  // the window's context, handed on as lpCreateParams
  HANDLE started; // released by the thread once its window exists, or has failed to
  HWND window;    // the window the thread made (none when it failed), written before that
};

// The one way every threaded window starts: the thread gets the record, the starter waits
// without time-out on an unnamed semaphore (count 0, maximum 1) until the thread has made its
// window (or failed to, which it must signal too) and returns that window. The thread owns the
// context from its start; when no thread starts, it is freed here.
template <class Context>
HWND StartWindowThread(LPTHREAD_START_ROUTINE thread, HINSTANCE instance, Context *context) {
  WindowThreadStart start{instance, context, CreateSemaphoreW(nullptr, 0, 1, nullptr), nullptr};
  HANDLE handle =
      start.started != nullptr ? CreateThread(nullptr, 0, thread, &start, 0, nullptr) : nullptr;
  if (handle != nullptr) {
    WaitForSingleObject(start.started, INFINITE);
    CloseHandle(handle);
  } else {
    delete context;
  }
  if (start.started != nullptr) CloseHandle(start.started);
  return start.window;
}

// In the thread: makes its window with the context (then built, shown and signalled).
template <class Context>
HWND CreateThreadWindow(WindowThreadStart *start, DWORD exStyle, const wchar_t *cls,
                        const wchar_t *title, DWORD style, int x, int y, int width, int height) {
  start->window = CreateContextWindow(static_cast<Context *>(start->context), exStyle, cls, title,
                                      style, x, y, width, height, start->instance);
  return start->window;
}

// In the thread, once its window is ready or has failed: wakes the starter, whose record is
// gone afterwards.
inline void SignalWindowStarted(WindowThreadStart *start) {
  ReleaseSemaphore(start->started, 1, nullptr);
}
