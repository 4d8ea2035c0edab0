// The OMF structure viewer ("OMFi info tool", class QELOMFiInfo): the raw Bento/OMF
// structure of one file as a tree whose references open on demand, hex dumps of entries to
// the console, and the "Dump dictionary" button. It runs on a thread of its own, which owns
// everything below and the viewer parser.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "inspection/name_dictionary.h"

struct OmfViewer {
  HWND window;
  HWND tree;
  HWND openButton;
  HWND dumpButton;
  HFONT font;
  wchar_t fileName[MAX_PATH];
  HANDLE semaphore;      // start and close hand-shakes; null while unused
  NameDictionary *names; // made by the first container opened
};

extern OmfViewer g_omfViewer;

bool RegisterOmfViewerClass(HINSTANCE instance);
// Opens the viewer on the path (none: empty) unless it is already open.
void OpenOmfViewer(HINSTANCE instance, HFONT font, const wchar_t *path);
// Closes the viewer and waits for its thread; nothing when it is not open.
void CloseOmfViewer();
LRESULT CALLBACK OmfViewerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The viewer's work, on its thread.
void OpenOmfFile();    // the Open button
void DumpDictionary(); // the Dump button
void AddObjectNode(uint32_t objectId, HTREEITEM parent);
void AddPropertyNodes(uint32_t objectId, HTREEITEM parent);
void ExpandReference(HTREEITEM item, int32_t entry);
void DumpEntry(int32_t entry);

// The system's open-file dialog as the viewer asks it; tests answer in its place.
struct FileDialogRequest {
  HWND owner;
  const wchar_t *filter; // display name and pattern, each ended by a zero, then one more
  DWORD flags;           // OFN_* flags
  wchar_t *path;         // in: the initial name; out: the chosen path
  DWORD capacity;
};
using FileDialogFunction = bool (*)(FileDialogRequest *request);
// Installs the function (null: the system's dialog) and returns the previous one.
FileDialogFunction SetViewerFileDialog(FileDialogFunction dialog);
