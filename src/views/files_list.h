// The Files list: one row per media record of the selected projects. A row's parameter is
// the stored record's address, so every operation on a row reaches its record directly.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "catalogue/media_record.h"

inline constexpr int kFilesColumns = 9;

void SetupFilesColumns();
void ClearFilesList(); // also hides every project and clears the sort mark
void EmptyFilesList(); // as ClearFilesList, but the header stays as it is

// Appends the record's row (unless only existing files are shown and it has none on disk).
void AddRecordToFilesList(const MediaRecord *record);
void RemoveRecordFromFilesList(const MediaRecord *record);

// Writes columns 1 to 8 of the row from the record, after the record has changed; nothing
// for row -1 or no record.
void SetRecordRowTexts(int row, const MediaRecord *record);

// Sort order of a column: negative when a comes first. Each column has one direction.
int CompareRecords(const MediaRecord *a, const MediaRecord *b, int column);
void SortFilesList(int column); // a click on a header item

void OnFilesSelectionChanged(const NMHDR *notification); // keeps SelectedBytes
void BuildStatusLine(); // "%s in %d items" or "%s in %d selected items"

// The "Show only existing files" check box is checked.
bool ShowOnlyExistingFiles();
// The record behind a row, or none.
MediaRecord *FilesListRecord(int row);
// Stops and restarts a list's drawing around a change of many rows, which would otherwise
// be drawn row by row.
void HoldRedraw(HWND list, bool hold);
// Selects or unselects one row; the list reports it to the main window like a click.
void SetRowSelected(HWND list, int row, bool selected);
