// Selection and refresh commands of the media list.
#include "views/files_commands.h"

#include "catalogue/media_linking.h"
#include "window_services/progress.h"
#include "window_services/progress_window.h"
#include "window_services/shell_state.h"
#include "views/files_list.h"
#include "views/list_helpers.h"
#include "window_services/long_task.h"
#include "views/view_state.h"

namespace {

int RowCount() {
  return ListRowCount(g_shell.filesList);
}

// Selection commands change many rows: the list is drawn once at their end.
void BeginSelectionCommand() {
  HoldViewRefresh();
  HoldRedraw(g_shell.filesList, true);
}

void EndSelectionCommand() {
  HoldRedraw(g_shell.filesList, false);
  MarkStatusDirty();
  ResumeViewRefresh();
}

// Reads the record's own header again; true (with its row rewritten) when that worked.
bool DescribeRow(int row, MediaRecord *record) {
  if (DescribeMediaRecord(record) != 1) return false;
  SetRecordRowTexts(row, record);
  return true;
}

} // namespace

void SelectAllFiles() {
  BeginSelectionCommand();
  // Row by row, so that each row's size reaches SelectedBytes.
  for (int row = 0; row < RowCount(); ++row) SetRowSelected(g_shell.filesList, row, true);
  EndSelectionCommand();
}

void InvertFilesSelection() {
  BeginSelectionCommand();
  for (int row = 0; row < RowCount(); ++row)
    SetRowSelected(g_shell.filesList, row, !IsRowSelected(g_shell.filesList, row));
  EndSelectionCommand();
}

void SelectPrecomputes() {
  LongTask task(L"Select Precomputes");
  if (task.refused) return;
  BeginSelectionCommand();
  OpenProgress();
  SetProgressInfo(L"Selecting Precomputes");
  ShowProgress();
  SetProgressOverallTotal(static_cast<uint64_t>(RowCount()));
  uint64_t counter = 0;
  for (int row = 0; row < RowCount(); ++row) {
    if (PollUserCancel() == 1) break;
    SetProgressOverallPos(++counter);
    MediaRecord *record = FilesListRecord(row);
    if (record == nullptr) continue;
    if (record->clipUsage == kClipUsagePrecomp) {
      SetRowSelected(g_shell.filesList, row, true);
    } else if (record->clipUsage == 0 && record->attributes != 0) {
      if (DescribeRow(row, record) && record->clipUsage == kClipUsagePrecomp)
        SetRowSelected(g_shell.filesList, row, true);
    }
  }
  CloseProgress();
  EndSelectionCommand();
}

bool GetInfoForSelectedMedia() {
  int selected = static_cast<int>(SendMessageW(g_shell.filesList, LVM_GETSELECTEDCOUNT, 0, 0));
  if (selected == 0) return false;
  LongTask task(L"Get info");
  if (task.refused) return true;
  OpenProgress();
  SetProgressInfo(L"Scanning selected files");
  ShowProgress();
  SetProgressOverallTotal(static_cast<uint64_t>(selected));
  uint64_t counter = 0;
  for (int row = -1;;) {
    row = static_cast<int>(
        SendMessageW(g_shell.filesList, LVM_GETNEXTITEM, row, MAKELPARAM(LVNI_SELECTED, 0)));
    if (row < 0) break;
    SetProgressOverallPos(++counter);
    if (PollUserCancel() == 1) break;
    MediaRecord *record = FilesListRecord(row);
    if (record != nullptr && record->attributes != 0) DescribeRow(row, record);
  }
  CloseProgress();
  return true;
}
