// The OMF structure viewer ("OMFi info tool", class QELOMFiInfo): the raw Bento/OMF
// structure of one file as a tree whose references open on demand, hex dumps of entries to
// the console, and the "Dump dictionary" button. It runs on a thread of its own, which owns
// the window's context and the viewer parser.
#pragma once

#include <windows.h>

#include "inspection/name_dictionary.h"

// The viewer window's context.
struct OmfViewer {
  HWND window;
  HWND tree;
  HWND openButton;
  HWND dumpButton;
  HFONT font;
  wchar_t fileName[MAX_PATH];
  HANDLE closed;         // the closer's semaphore, released once the viewer has cleaned up
  NameDictionary *names; // made by the first container opened
};

bool RegisterOmfViewerClass(HINSTANCE instance);
// Opens the viewer on the path (none: empty) unless *viewer is its window still; returns once
// the window exists or has failed, with *viewer set to it (none when it failed).
void OpenOmfViewer(HINSTANCE instance, HFONT font, const wchar_t *path, HWND *viewer);
// Closes the viewer and waits until its thread has released the viewer parser; nothing when
// it is not open.
void CloseOmfViewer(HWND viewer);
LRESULT CALLBACK OmfViewerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
