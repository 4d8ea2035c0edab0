// Small calls on any list view control of the views: row counts, selection, and holding a
// control's drawing around a change of many rows.
#pragma once

#include <windows.h>
#include <commctrl.h>

int ListRowCount(HWND list);
int ListSelectedCount(HWND list);
bool IsRowSelected(HWND list, int row);
// Selects or unselects one row; the list reports it to its parent like a click.
void SetRowSelected(HWND list, int row, bool selected);
// Stops and restarts a control's drawing around a change of many rows, which would
// otherwise be drawn row by row.
void HoldRedraw(HWND control, bool hold);
// True when an item-changed report says that its row (every row, for item -1) became
// selected or unselected; *selected tells which.
bool SelectionChanged(const NMLISTVIEW *change, bool *selected);
