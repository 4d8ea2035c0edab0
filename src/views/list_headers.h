// The column headers of the two report lists: their columns and the sort mark, the
// OBM_COMBO arrow at the right end of the header item of the column last sorted.
#pragma once

#include <windows.h>

// Appends a left-aligned column whose sub-item is its index.
void InsertReportColumn(HWND list, int index, const wchar_t *header, int width);

void ClearSortMarks(HWND list);          // hides the mark on every header item
void SetSortMark(HWND list, int column); // shows it on one header item
void RemoveHeaderBitmaps(HWND list);     // as ClearSortMarks, and drops the bitmaps
