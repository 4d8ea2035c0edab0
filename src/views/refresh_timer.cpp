// The refresh timer: every 150 ms, between the main thread's messages, it adds and removes
// whole projects' rows as their view states ask, in project table order.
#include "catalogue/catalogue.h"
#include "shell/shell_state.h"
#include "views/files_list.h"
#include "views/projects_list.h"
#include "views/list_headers.h"
#include "views/view_state.h"

namespace {

constexpr uint32_t kBarLimit = 65535;  // the bar's range is 16 bits wide
constexpr DWORD kBarPaintPeriod = 100; // ms between two paintings of the stepping bar

// The bar counts the project's records, its range halved until it fits 16 bits; every
// record still steps it by one.
void PrepareBar(uint32_t records) {
  while (records > kBarLimit) records >>= 1;
  SendMessageW(g_shell.overallBar, PBM_SETRANGE, 0, MAKELPARAM(0, records));
  SendMessageW(g_shell.overallBar, PBM_SETSTEP, 1, 0);
}

// Every record steps the bar, but a bar that draws itself at each step would cost more
// than the rows: it is drawn at most every 100 ms while a project is applied.
void PaintBar(DWORD *lastPaint) {
  DWORD now = GetTickCount();
  if (now - *lastPaint < kBarPaintPeriod) return;
  *lastPaint = now;
  HoldRedraw(g_shell.overallBar, false);
  UpdateWindow(g_shell.overallBar);
  HoldRedraw(g_shell.overallBar, true);
}

// Adds or removes the rows of every record of the project, newest first.
void ApplyProject(ProjectEntry *row, bool add) {
  PrepareBar(row->recordCount);
  if (add) ClearSortMarks(g_shell.filesList); // appended rows are in no sorted order
  if (row->firstNode != nullptr && row->firstNode->element != nullptr) {
    SetWindowTextW(g_shell.statusLine, row->firstNode->element->project);
    HoldRedraw(g_shell.filesList, true);
    HoldRedraw(g_shell.overallBar, true);
    DWORD lastPaint = GetTickCount();
    ProjectIndex &index = g_catalogue.projectIndex;
    MediaRecord **record = index.SetCursor(row->firstNode);
    for (uint32_t i = 0; record != nullptr && i < row->recordCount; ++i) {
      if (add)
        AddRecordToFilesList(*record);
      else
        RemoveRecordFromFilesList(*record);
      record = index.FindNextEqual();
      PaintBar(&lastPaint);
    }
    HoldRedraw(g_shell.overallBar, false);
    HoldRedraw(g_shell.filesList, false);
  }
  row->viewState = add ? kViewShown : kViewHidden;
  SendMessageW(g_shell.overallBar, PBM_SETPOS, 0, 0);
}

} // namespace

void CALLBACK OnRefreshTimer(HWND, UINT, UINT_PTR timerId, DWORD) {
  if (timerId != g_shell.refreshTimerId || g_shell.SyncEnabled == 0 || g_shell.SyncBusy == 1 ||
      !IsWindow(g_shell.filesList)) {
    return;
  }
  g_shell.SyncBusy = 1;
  if (g_shell.StatusDirty != 0) BuildStatusLine();
  for (uint32_t i = 1;; ++i) {
    ProjectEntry *row = g_catalogue.GetProject(i);
    if (row == nullptr) break;
    if (row->viewState == kViewToAdd)
      ApplyProject(row, true);
    else if (row->viewState == kViewToRemove)
      ApplyProject(row, false);
  }
  g_shell.StatusDirty = 1;
  g_shell.SyncBusy = 0;
}
