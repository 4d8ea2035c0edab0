// The process-wide state of the main window, owned by the main thread. Tool threads
// receive the instance and the fonts when they start and only read them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "window_services/progress_window.h"

struct ShellState {
  HINSTANCE instance;
  HFONT uiFont;   // every control of the main window and of the tools
  HFONT monoFont; // the console's list box and the confirmation text
  HWND mainWindow;
  HACCEL accelerators;

  // The fourteen child controls, in creation order.
  HWND searchButton;     // "Search for Databases"
  HWND scanButton;       // "Scan"
  HWND infoLabel;        // drag hint, replaced by the catalogue totals
  HWND mountButton;      // "Mount Folders (Subst)"
  HWND duplicatesButton; // "Find duplicates"
  HWND existingCheck;    // "Show only existing files"
  HWND hardwareButton;   // "Hardware Tool"
  HWND keyHelp;          // shortcut keys
  HWND basesTree;
  HWND mediaHint; // drag hint above the Projects list
  HWND projectsList;
  HWND overallBar;
  HWND statusLine; // "Info:"
  HWND filesList;

  UINT_PTR refreshTimerId;
  wchar_t infoText[1024]; // shared by the info label and the status line
  RECT clientRect;        // measured again before every layout
  HBITMAP sortMarkBitmap;

  // The windows of other threads and the tools, reached only through their handles: each
  // keeps its state in its own context. A handle goes stale when its window closes, so every
  // use tests it with IsWindow.
  HWND console;
  ProgressShared progress; // the progress window of the running task, and what outlives it
  HWND driveTool;
  HWND mountTool;
  HWND omfViewer;
};

extern ShellState g_shell;
