// "Backup Duplicates": the core's backup over the duplicates list's rows, its questions
// owned by the finder so that the finder cannot be used or closed while one is open.
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "fileops/file_operations.h"
#include "operations/confirm_dialog.h"
#include "operations/duplicates_dialog.h"
#include "window_services/long_task.h"

namespace {

bool IsChecked(int row) {
  LRESULT state = SendMessageW(g_duplicatesList, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

MediaRecord *RowRecord(int row) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(g_duplicatesList, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
    return nullptr;
  return reinterpret_cast<MediaRecord *>(item.lParam);
}

ConfirmAnswer Ask(void *finder, const wchar_t *question) {
  return AskConfirm(static_cast<HWND>(finder), question);
}

void ShowChangedRow(void *, uint32_t row, const MediaRecord *record) {
  if (g_duplicatesList != nullptr) UpdateDuplicateRow(static_cast<int>(row), record);
}

} // namespace

void BackupDuplicates() {
  if (g_duplicatesList == nullptr) return;
  // Its questions are owned by the finder, but a click posted meanwhile must not start a
  // second backup that moves the files this one works on.
  LongTask task(L"Backup Duplicates");
  if (task.refused) return;
  int count = static_cast<int>(SendMessageW(g_duplicatesList, LVM_GETITEMCOUNT, 0, 0));
  std::vector<BackupRow> rows;
  for (int row = 0; row < count; ++row) rows.push_back({RowRecord(row), IsChecked(row) ? 1 : 0});
  FileRunHost host{GetParent(g_duplicatesList), Ask, nullptr, nullptr, ShowChangedRow};
  RunBackup(rows.data(), static_cast<uint32_t>(rows.size()), host);
}
