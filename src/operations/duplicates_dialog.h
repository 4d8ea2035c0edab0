// The duplicate finder, dialog 106: every media ID held by two or more files on disk, one
// file kept (unchecked) and the others checked for the backup.
#pragma once

#include <windows.h>

#include "catalogue/media_record.h"

// The duplicates list while the dialog is open (none otherwise); the backup reads it.
extern HWND g_duplicatesList;

INT_PTR CALLBACK DuplicatesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Appends the record's row with its check box (nothing for no record, media ID 0 or a file
// not on disk); rewrites columns 1 to 5 of a row from its record (nothing for row -1).
void AddDuplicateRow(MediaRecord *record, int checked);
void UpdateDuplicateRow(int row, const MediaRecord *record);

// "Backup Duplicates": moves every checked row's file into "AVID_Duplicated_Media_" at the
// root of its own drive; refused while another long task runs.
void BackupDuplicates();
