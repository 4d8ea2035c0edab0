// The Projects list: one row per project of the last scan with its size. Selecting rows
// only marks projects (their view state); the refresh timer brings the Files list in line.
#pragma once

#include <windows.h>
#include <commctrl.h>

void SetupProjectsColumns();
void FillProjectsList();

// Sort order of two rows by their 1-based project indexes: negative when a comes first.
int CompareProjects(LPARAM a, LPARAM b, int column);
void SortProjectsList(int column); // a click on a header item

// Ctrl+A selects every project; Ctrl+I empties the Files list and inverts the selection.
// The timer then lists the newly selected projects.
void SelectAllProjects();
void InvertProjectsSelection();

// Every notification of the Projects list, sent to the main window, comes here.
void OnProjectsSelectionChanged(const NMHDR *notification);

// The list let the mouse go (its capture ended): a selection rectangle dragged since
// LVN_MARQUEEBEGIN is complete, and the timer may list its projects.
void OnProjectsCaptureEnded();

// The refresh timer's procedure (every 150 ms on the Files list): applies the view states.
void CALLBACK OnRefreshTimer(HWND window, UINT message, UINT_PTR timerId, DWORD time);
