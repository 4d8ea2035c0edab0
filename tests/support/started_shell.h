// The shell is started once per test process, as the program starts it, and stays up.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "shell/console_window.h"
#include "shell/main_window.h"
#include "shell/shell_state.h"
#include "support/gui_harness.h"

// The console's lines right after start-up: the banner.
inline std::vector<std::wstring> g_bannerLines;

inline HWND StartedShell() {
  static bool started = false;
  if (!started) {
    started = true;
    gui::SetDispatcher(DispatchShellMessage);
    if (StartShell(GetModuleHandleW(nullptr), SW_SHOWNORMAL)) {
      gui::Pump(100);
      g_bannerLines = gui::ListBoxLines(g_log.listBox);
    }
  }
  return g_shell.mainWindow;
}
