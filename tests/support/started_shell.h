// The program's shell, started once per GUI test process as the program starts it, and left
// up for every suite of the process. Header-only: it calls the GUI library, which the test
// executables link before the support library. Windows build only.
#pragma once

#ifdef _WIN32
#include <windows.h>

#include <string>
#include <vector>

#include "window_services/console_window.h"
#include "shell/main_window.h"
#include "window_services/shell_state.h"
#include "support/gui_harness.h"

// The console's list box, which holds the log lines.
inline HWND ConsoleListBox() {
  return FindWindowExW(g_shell.console, nullptr, L"ListBox", nullptr);
}

// The console's lines right after start-up: the banner.
inline std::vector<std::wstring> g_bannerLines;

inline HWND StartedShell() {
  static bool started = false;
  if (!started) {
    started = true;
    gui::SetDispatcher(DispatchShellMessage);
    if (StartShell(GetModuleHandleW(nullptr), SW_SHOWNORMAL)) {
      gui::Pump(100);
      g_bannerLines = gui::ListBoxLines(ConsoleListBox());
    }
  }
  return g_shell.mainWindow;
}
#endif
