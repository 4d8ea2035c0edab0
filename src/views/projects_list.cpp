// The project list: its rows and sizes, sorting, and the view states its selection sets.
#include "views/projects_list.h"

#include <shlwapi.h>

#include "catalogue/catalogue.h"
#include "window_services/shell_state.h"
#include "window_services/window_helpers.h"
#include "views/files_list.h"
#include "views/list_headers.h"
#include "views/list_helpers.h"
#include "views/view_state.h"

namespace {

constexpr UINT kSizeChars = 60;

const wchar_t *ProjectName(const ProjectEntry *row) {
  if (row == nullptr || row->firstNode == nullptr || row->firstNode->element == nullptr)
    return nullptr;
  return row->firstNode->element->project;
}

ProjectEntry *RowProject(LPARAM parameter) {
  if (parameter <= 0 || parameter > static_cast<LPARAM>(UINT32_MAX)) return nullptr;
  return g_catalogue.GetProject(static_cast<uint32_t>(parameter));
}

void InsertProjectRow(uint32_t index, const wchar_t *name, uint64_t size) {
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = static_cast<int>(index); // past the rows so far: appended
  item.pszText = const_cast<wchar_t *>(name);
  item.lParam = static_cast<LPARAM>(index);
  int row = static_cast<int>(
      SendMessageW(g_shell.projectsList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return;
  wchar_t text[kSizeChars];
  LVITEMW sizeItem{};
  sizeItem.iSubItem = 1;
  sizeItem.pszText = FormatByteSize(text, kSizeChars, size);
  SendMessageW(g_shell.projectsList, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&sizeItem));
}

int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM column) {
  return CompareProjects(a, b, static_cast<int>(column));
}

void MarkProject(ProjectEntry *row, bool selected) {
  if (row != nullptr) row->viewState = NextViewState(row->viewState, selected);
}

// A change reported for all rows at once: every row's selection is read again.
void MarkEveryProject() {
  int count = ListRowCount(g_shell.projectsList);
  for (int i = 0; i < count; ++i) {
    LVITEMW item{};
    item.mask = LVIF_PARAM | LVIF_STATE;
    item.stateMask = LVIS_SELECTED;
    item.iItem = i;
    if (!SendMessageW(g_shell.projectsList, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
      continue;
    MarkProject(RowProject(item.lParam), (item.state & LVIS_SELECTED) != 0);
  }
}

void OnItemChanged(const NMLISTVIEW *change) {
  if (ListSelectedCount(g_shell.projectsList) == 0) {
    EmptyFilesList(); // nothing is shown any more
    return;
  }
  bool is;
  if (!SelectionChanged(change, &is)) return;
  if (change->iItem < 0)
    MarkEveryProject();
  else
    MarkProject(RowProject(change->lParam), is);
}

} // namespace

void SetupProjectsColumns() {
  HoldViewRefresh();
  InsertReportColumn(g_shell.projectsList, 0, L"Project Name", 200);
  InsertReportColumn(g_shell.projectsList, 1, L"Size", 83);
  ClearSortMarks(g_shell.projectsList);
  ResumeViewRefresh();
}

void FillProjectsList() {
  HoldViewRefresh();
  SendMessageW(g_shell.projectsList, LVM_DELETEALLITEMS, 0, 0);
  RemoveHeaderBitmaps(g_shell.projectsList);
  if (g_catalogue.projectIndex.First() != nullptr) {
    bool onlyExisting = ShowOnlyExistingFiles();
    for (uint32_t i = 1;; ++i) {
      ProjectEntry *row = g_catalogue.GetProject(i);
      if (row == nullptr) break;
      row->viewState = kViewHidden;
      uint64_t size = g_catalogue.ProjectSize(row);
      const wchar_t *name = ProjectName(row);
      if (name == nullptr || (onlyExisting && size == 0)) continue;
      InsertProjectRow(i, name, size);
    }
  }
  ResumeViewRefresh();
}

int CompareProjects(LPARAM a, LPARAM b, int column) {
  ProjectEntry *first = RowProject(a);
  ProjectEntry *second = RowProject(b);
  if (first == nullptr) return second == nullptr ? 0 : -1;
  if (second == nullptr) return 1;
  if (column == 0) {
    const wchar_t *nameA = ProjectName(first);
    const wchar_t *nameB = ProjectName(second);
    return StrCmpIW(nameA != nullptr ? nameA : L"", nameB != nullptr ? nameB : L"");
  }
  if (column == 1) {
    uint64_t sizeA = g_catalogue.ProjectSize(first);
    uint64_t sizeB = g_catalogue.ProjectSize(second);
    return sizeA > sizeB ? -1 : (sizeA < sizeB ? 1 : 0);
  }
  return 0;
}

void SortProjectsList(int column) {
  ClearSortMarks(g_shell.projectsList);
  SetSortMark(g_shell.projectsList, column);
  SendMessageW(g_shell.projectsList, LVM_SORTITEMS, column, reinterpret_cast<LPARAM>(CompareRows));
}

void SelectAllProjects() {
  HoldViewRefresh();
  int count = ListRowCount(g_shell.projectsList);
  for (int i = 0; i < count; ++i) SetRowSelected(g_shell.projectsList, i, true);
  ResumeViewRefresh();
}

void InvertProjectsSelection() {
  HoldViewRefresh();
  ClearFilesList();
  HoldViewRefresh();
  int count = ListRowCount(g_shell.projectsList);
  for (int i = 0; i < count; ++i) {
    SetRowSelected(g_shell.projectsList, i, !IsRowSelected(g_shell.projectsList, i));
  }
  ResumeViewRefresh();
}

void OnProjectsCaptureEnded() {
  if (!g_views.marqueeActive) return;
  g_views.marqueeActive = false;
  ResumeViewRefresh();
}

void OnProjectsSelectionChanged(const NMHDR *notification) {
  const auto *change = reinterpret_cast<const NMLISTVIEW *>(notification);
  switch (notification->code) {
  case LVN_ITEMCHANGED:
    OnItemChanged(change);
    break;
  case LVN_ITEMCHANGING:
    if ((change->uChanged & LVIF_STATE) != 0 && (change->uNewState & LVIS_FOCUSED) != 0)
      ResumeViewRefresh();
    break;
  case LVN_MARQUEEBEGIN:
    // Rows become selected while the rectangle is dragged; they are listed once it ends.
    HoldViewRefresh();
    g_views.marqueeActive = true;
    break;
  case NM_RELEASEDCAPTURE:
    // The notification carries only its header. Some list controls send it when the
    // button goes down, before any rectangle, others when the gesture ends; either way no
    // bulk change is under way then.
    ResumeViewRefresh();
    break;
  default:
    break;
  }
}
