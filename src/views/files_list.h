// The Files list: one row per media record of the selected projects. The rows live in the
// views' own array (g_views.rows), in the list's order; the control only knows how
// many there are, which are selected, and asks for a row's texts when it draws it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <span>

#include "catalogue/media_record.h"

inline constexpr int kFilesColumns = 9;

void SetupFilesColumns();
void ClearFilesList(); // also hides every project and clears the sort mark
void EmptyFilesList(); // as ClearFilesList, but the header stays as it is

// Appends the records' rows in their order (leaving out those without a file on disk while
// only existing files are shown); the control hears of the new rows once.
void AddRecordsToFilesList(std::span<MediaRecord *const> records);
// Removes the records' rows, wherever they stand; a record without a row is no error.
void RemoveRecordsFromFilesList(std::span<MediaRecord *const> records);
void AddRecordToFilesList(const MediaRecord *record);
void RemoveRecordFromFilesList(const MediaRecord *record);

// Draws the row again after its record has changed; nothing for row -1 or no record.
void SetRecordRowTexts(int row, const MediaRecord *record);
// The text of one cell as the list shows it, into a buffer of `capacity` characters.
void FormatRowText(const MediaRecord *record, int column, wchar_t *text, int capacity);

// Sort order of a column: negative when a comes first. Each column has one direction.
int CompareRecords(const MediaRecord *a, const MediaRecord *b, int column);
void SortFilesList(int column); // a click on a header item

// Every notification of the Files list, sent to the main window, comes here: selection
// changes (which keep the selected byte sum), text requests and searches. Returns the
// notification's result.
LRESULT OnFilesListNotify(const NMHDR *notification);
void BuildStatusLine(); // "%s in %d items" or "%s in %d selected items"

// The "Show only existing files" check box is checked.
bool ShowOnlyExistingFiles();
// The record behind a row, or none.
MediaRecord *FilesListRecord(int row);
// Sum of the sizes of the selected rows: the total of a file operation.
uint64_t SelectedBytes();
