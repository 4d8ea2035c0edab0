// What the three views keep beyond their controls: the Files list's rows and byte sums, and
// the refresh protocol between the projects' selection and the rows listed for them. One
// instance lives in the views (g_views); outside the views it is changed only
// through the operations below.
#pragma once

#include <cstdint>
#include <vector>

#include "catalogue/media_record.h"

// The view state of a project (ProjectEntry::viewState): how far its rows in the Files list
// follow its selection in the Projects list. Selection changes only mark a project; the
// refresh timer adds or removes its rows.
inline constexpr uint32_t kViewHidden = 0;   // none of its rows are listed
inline constexpr uint32_t kViewShown = 1;    // all of its (visible) records are listed
inline constexpr uint32_t kViewToRemove = 2; // listed but no longer selected
inline constexpr uint32_t kViewToAdd = 3;    // selected but not listed yet

// A project's next view state when its row becomes selected or unselected. Only a project
// whose rows are listed is ever "to remove", so one selected again goes back to "shown"
// instead of having its rows appended a second time.
uint32_t NextViewState(uint32_t state, bool selected);

// One row of the Files list. The list control holds no texts: it asks for them when it
// draws a row, and the rows' order is this array's.
struct FilesRow {
  MediaRecord *record; // the stored record (its self field)
  bool selected;       // follows the control's selection state
};

struct ViewState {
  std::vector<FilesRow> rows;
  uint32_t selectedRows;   // rows whose selected flag is set
  uint64_t listedBytes;    // sizes of every listed row
  uint64_t selectedBytes;  // sizes of the selected rows; 0 whenever none is selected
  bool syncEnabled;        // the refresh timer may apply the view states
  bool syncBusy;           // the refresh timer is applying them
  bool statusDirty;        // the status line above the Files list must be rebuilt
  bool marqueeActive;      // a selection rectangle is being dragged over the Projects list
  bool restoringSelection; // the Files list is given its rows' selection back: not a change
};

extern ViewState g_views;

// A bulk change of the views begins: the refresh timer waits until it ends.
void HoldViewRefresh();
// The bulk change has ended: the timer may apply the view states again.
void ResumeViewRefresh();
// The status line is rebuilt at the timer's next tick.
void MarkStatusDirty();

// Every project of the catalogue becomes hidden (the Files list was emptied).
void HideAllProjects();
