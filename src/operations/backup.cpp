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

bool IsChecked(HWND list, int row) {
  LRESULT state = SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

MediaRecord *RowRecord(HWND list, int row) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
  return reinterpret_cast<MediaRecord *>(item.lParam);
}

ConfirmAnswer Ask(void *list, const wchar_t *question) {
  return AskConfirm(GetParent(static_cast<HWND>(list)), question);
}

void ShowChangedRow(void *list, uint32_t row, const MediaRecord *record) {
  UpdateDuplicateRow(static_cast<HWND>(list), static_cast<int>(row), record);
}

} // namespace

void BackupDuplicates(HWND list) {
  if (list == nullptr) return;
  // Its questions are owned by the finder, but a click posted meanwhile must not start a
  // second backup that moves the files this one works on.
  LongTask task(L"Backup Duplicates");
  if (task.refused) return;
  int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  std::vector<BackupRow> rows;
  for (int row = 0; row < count; ++row)
    rows.push_back({RowRecord(list, row), IsChecked(list, row) ? 1 : 0});
  FileRunHost host{list, Ask, nullptr, nullptr, ShowChangedRow};
  RunBackup(rows.data(), static_cast<uint32_t>(rows.size()), host);
}
