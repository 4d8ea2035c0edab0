// Copy (F5), move (F6) and delete (F8) of the media files behind a list's selected rows:
// the program's windows around the file operations of the core. The caller runs each as a
// long task (window_services/long_task.h).
#pragma once

#include <windows.h>

#include <cstdint>

#include "catalogue/media_record.h"

// The rows a run works on, from the list that holds them, in list order: each row's index
// and record (none for a row without one), and how the list shows a row again after its
// record changed.
struct SelectedRows {
  const int *rows;
  MediaRecord *const *records;
  uint32_t count;
  void (*showRow)(int row, const MediaRecord *record);
};

void CopySelectedFiles(const SelectedRows &selection);
void MoveSelectedFiles(const SelectedRows &selection);
void DeleteSelectedFiles(const SelectedRows &selection);
