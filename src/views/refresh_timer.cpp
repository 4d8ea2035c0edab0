// The refresh timer: every 150 ms, between the main thread's messages, it adds and removes
// whole projects' rows as their view states ask.
#include "catalogue/catalogue.h"
#include "window_services/shell_state.h"
#include "views/files_list.h"
#include "views/list_headers.h"
#include "views/projects_list.h"
#include "views/view_state.h"
#include "window_services/long_task.h"

namespace {

constexpr uint32_t kBarLimit = 65535; // the bar's range is 16 bits wide

// The bar counts the records, its range halved until it fits 16 bits; every row added or
// removed still steps it by one.
void PrepareBar(uint64_t records) {
  while (records > kBarLimit) records >>= 1;
  SendMessageW(g_shell.overallBar, PBM_SETRANGE, 0, MAKELPARAM(0, records));
  SendMessageW(g_shell.overallBar, PBM_SETSTEP, 1, 0);
}

// Appends the project's records, newest first, to `records`; shows the project's name.
void CollectRecords(ProjectEntry *row, std::vector<MediaRecord *> &records) {
  if (row->firstNode == nullptr || row->firstNode->element == nullptr) return;
  SetWindowTextW(g_shell.statusLine, row->firstNode->element->project);
  ProjectIndex &index = g_catalogue.projectIndex;
  MediaRecord **record = index.SetCursor(row->firstNode);
  for (uint32_t i = 0; record != nullptr && i < row->recordCount; ++i) {
    records.push_back(*record);
    record = index.FindNextEqual();
  }
}

// Removes the rows of every project that waits for it, all in one pass over the rows: the
// rows that stay keep their order, whichever project goes first.
void RemoveMarkedProjects() {
  std::vector<MediaRecord *> records;
  uint64_t count = 0;
  for (uint32_t i = 1;; ++i) {
    ProjectEntry *row = g_catalogue.GetProject(i);
    if (row == nullptr) break;
    if (row->viewState != kViewToRemove) continue;
    count += row->recordCount;
    CollectRecords(row, records);
    row->viewState = kViewHidden;
  }
  if (count == 0 && records.empty()) return;
  PrepareBar(count);
  RemoveRecordsFromFilesList(records);
  SendMessageW(g_shell.overallBar, PBM_SETPOS, 0, 0);
}

// Appends the rows of the projects that wait for it, in project table order.
void AddMarkedProjects() {
  std::vector<MediaRecord *> records;
  for (uint32_t i = 1;; ++i) {
    ProjectEntry *row = g_catalogue.GetProject(i);
    if (row == nullptr) break;
    if (row->viewState != kViewToAdd) continue;
    PrepareBar(row->recordCount);
    ClearSortMarks(g_shell.filesList); // appended rows are in no sorted order
    records.clear();
    CollectRecords(row, records);
    AddRecordsToFilesList(records);
    row->viewState = kViewShown;
    SendMessageW(g_shell.overallBar, PBM_SETPOS, 0, 0);
  }
}

} // namespace

void CALLBACK OnRefreshTimer(HWND, UINT, UINT_PTR timerId, DWORD) {
  ViewState &views = g_views;
  if (timerId != g_shell.refreshTimerId || !views.syncEnabled || views.syncBusy ||
      !IsWindow(g_shell.filesList) || LongTaskRunning()) {
    return;
  }
  views.syncBusy = true;
  if (views.statusDirty) BuildStatusLine();
  RemoveMarkedProjects();
  AddMarkedProjects();
  MarkStatusDirty(); // the next tick counts the rows
  views.syncBusy = false;
}
