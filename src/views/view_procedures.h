// The replaced window procedures of the three views: drops, keyboard commands, sorting.
#pragma once

#include <windows.h>

// Installs the procedures on the Bases tree, the Projects list and the Files list, in
// this order, keeping each previous one; at process exit they are put back.
void SubclassViews();
// Puts the previous procedures back (Files list, Projects list, Bases tree), where the
// view still exists and still runs ours.
void RestoreViewProcedures();

LRESULT CALLBACK BasesTreeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ProjectsListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK FilesListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
