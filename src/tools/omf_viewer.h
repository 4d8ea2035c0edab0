// The OMF structure viewer, on a thread of its own.
#pragma once

#include <windows.h>

bool RegisterOmfViewerClass(HINSTANCE instance);
// Opens the viewer on the path (none: empty) unless it is already open.
void OpenOmfViewer(HINSTANCE instance, HFONT font, const wchar_t *path);
// Closes the viewer and waits for its thread; nothing when it is not open.
void CloseOmfViewer();
