// Small helpers shared by the program's windows. They keep no state and report failure
// by their result only.
#pragma once

#include <windows.h>

#include <cstdint>

// Clears and sets style bits. Returns false, touching nothing, when the style already has
// the wanted value. Non-zero extra flags also make the frame be recomputed (SetWindowPos).
bool ModifyStyle(HWND window, DWORD remove, DWORD add, UINT extraPositionFlags);

// Centres the window over the reference (default: the parent of a child, the owner of a
// top-level window; a hidden or minimised reference counts as none) and keeps it inside
// the parent's client area or the desktop work area.
BOOL CenterWindow(HWND window, HWND reference);

// Registers the class of a tool window (console, progress, viewer, mount tool): redraw on
// size changes, the module's icon 32512 (none), arrow cursor, button-face background, no menu.
bool RegisterToolWindowClass(HINSTANCE instance, const wchar_t *name, WNDPROC proc);

// Asks the user for a folder; true when one was chosen and its path fits the buffer.
bool BrowseForFolder(HWND owner, wchar_t *path, size_t capacity);

// Writes the byte count in the shell's short size form ("1.50 MB"); the empty text when
// that fails. Returns the buffer.
wchar_t *FormatByteSize(wchar_t *buffer, UINT capacity, uint64_t bytes);
