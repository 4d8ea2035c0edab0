// The duplicate finder, dialog 106: every media ID held by two or more files on disk, one
// file kept (unchecked) and the others checked for the backup.
#pragma once

#include <windows.h>

#include "catalogue/media_record.h"

// The finder keeps its state (the duplicates list) in a context made at WM_INITDIALOG and
// freed at WM_NCDESTROY.
INT_PTR CALLBACK DuplicatesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The duplicates list of an open finder (nullptr for any other window).
HWND DuplicatesList(HWND finder);

// Appends the record's row with its check box (nothing for no record, media ID 0 or a file
// not on disk); rewrites columns 1 to 5 of a row from its record (nothing for row -1).
void AddDuplicateRow(HWND list, MediaRecord *record, int checked);
void UpdateDuplicateRow(HWND list, int row, const MediaRecord *record);

// "Backup Duplicates": moves every checked row's file of the list into
// "AVID_Duplicated_Media_" at the root of its own drive; refused while another long task runs.
void BackupDuplicates(HWND list);
