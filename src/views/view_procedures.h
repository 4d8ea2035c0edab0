// The replaced window procedures of the three views: drops, keyboard commands, sorting.
#pragma once

#include <windows.h>

// Subclasses the Bases tree, the Projects list and the Files list, in this order, with the
// system's subclassing calls; each view removes its subclass itself when it is destroyed.
void SubclassViews();

LRESULT CALLBACK BasesTreeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                               UINT_PTR subclass, DWORD_PTR data);
LRESULT CALLBACK ProjectsListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR subclass, DWORD_PTR data);
LRESULT CALLBACK FilesListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                               UINT_PTR subclass, DWORD_PTR data);
