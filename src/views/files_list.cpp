// The media list: its rows, their texts, sorting, and the byte sums of the status line.
// The control is an owner-data list: the rows and their order live in g_views.rows,
// the control keeps only their number and selection, and it asks for a cell's text when it
// draws it. Adding or removing a project's rows is then one change of the row count, and a
// sort is a sort of the array, instead of twenty thousand texts written or moved.
#include "views/files_list.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <string_view>
#include <unordered_map>

#include "inspection/media_info_text.h"
#include "window_services/shell_state.h"
#include "window_services/window_helpers.h"
#include "views/list_headers.h"
#include "views/list_helpers.h"
#include "views/view_state.h"

namespace {

struct FilesColumn {
  const wchar_t *header;
  int width;
};

constexpr FilesColumn kColumns[kFilesColumns] = {
    {L"File Name", 200},     {L"Name in bin", 200}, {L"Size", 70},
    {L"Compression", 100},   {L"Path", 110},        {L"Type", 55},
    {L"Creation Date", 120}, {L"Project", 100},     {L"Source", 100},
};

enum FilesColumnIndex {
  kFileNameColumn,
  kNameInBinColumn,
  kSizeColumn,
  kCompressionColumn,
  kPathColumn,
  kTypeColumn,
  kCreatedColumn,
  kProjectColumn,
  kSourceColumn,
};

constexpr UINT kSizeChars = 60;
constexpr size_t kDateChars = 59;

ViewState &Views() {
  return g_views;
}

HWND List() {
  return g_shell.filesList;
}

// "%d.%b.%Y/%H:%M:%S" of the creation time in local time; false when a conversion fails.
bool FormatCreationDate(uint64_t created, wchar_t *text, size_t capacity) {
  FILETIME utc{static_cast<DWORD>(created), static_cast<DWORD>(created >> 32)};
  SYSTEMTIME universal;
  SYSTEMTIME local;
  if (!FileTimeToSystemTime(&utc, &universal)) return false;
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) return false;
  std::tm parts{};
  parts.tm_year = local.wYear - 1900;
  parts.tm_mon = local.wMonth - 1;
  parts.tm_mday = local.wDay;
  parts.tm_hour = local.wHour;
  parts.tm_min = local.wMinute;
  parts.tm_sec = local.wSecond;
  parts.tm_wday = local.wDayOfWeek;
  parts.tm_isdst = -1;
  return std::wcsftime(text, capacity, L"%d.%b.%Y/%H:%M:%S", &parts) != 0;
}

// The four characters of a media type or format code as one number, first character lowest.
uint32_t FourCharValue(const char *chars) {
  uint32_t value;
  std::memcpy(&value, chars, sizeof value);
  return value;
}

// Empty texts sort after any text; otherwise case-insensitive.
int CompareTexts(const wchar_t *a, const wchar_t *b) {
  if (a[0] == 0 && b[0] != 0) return 1;
  if (a[0] != 0 && b[0] == 0) return -1;
  return StrCmpIW(a, b);
}

// Descending order of two unsigned values: the larger comes first.
template <typename T> int LargerFirst(T a, T b) {
  return a > b ? -1 : (a < b ? 1 : 0);
}

int CompareCompression(const MediaRecord *a, const MediaRecord *b) {
  if (a->compressionId == 0 && b->compressionId != 0) return 1;
  if (a->compressionId != 0 && b->compressionId == 0) return -1;
  if (a->compressionId != 0) return LargerFirst(a->compressionId, b->compressionId);
  int byType = LargerFirst(FourCharValue(a->mediaType), FourCharValue(b->mediaType));
  if (byType != 0) return byType;
  return LargerFirst(FourCharValue(a->formatCode), FourCharValue(b->formatCode));
}

int RowCount() {
  return static_cast<int>(Views().rows.size());
}

// Tells the control how many rows there are; `appended` keeps the rows on screen as they
// are, since only rows past them are new.
void TellRowCount(bool appended) {
  SendMessageW(List(), LVM_SETITEMCOUNT, Views().rows.size(),
               appended ? LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL : 0);
}

// The one place where a row's selected flag and the selected byte sum change.
void SetSelectedFlag(FilesRow &row, bool selected) {
  if (row.selected == selected) return;
  ViewState &views = Views();
  row.selected = selected;
  uint64_t size = row.record != nullptr ? row.record->size : 0;
  if (selected) {
    ++views.selectedRows;
    views.selectedBytes += size;
  } else {
    --views.selectedRows;
    views.selectedBytes -= size;
  }
  views.statusDirty = true;
}

// The control has no selected row: neither have the rows, and the sum is 0.
void ForgetSelection() {
  ViewState &views = Views();
  if (views.selectedRows != 0)
    for (FilesRow &row : views.rows) row.selected = false;
  views.selectedRows = 0;
  views.selectedBytes = 0;
  views.statusDirty = true;
}

// Takes the selection of rows first to last (inclusive) from the control, for a change
// that it reports for many rows at once.
void ReadSelection(int first, int last) {
  std::vector<FilesRow> &rows = Views().rows;
  first = std::max(first, 0);
  last = std::min(last, RowCount() - 1);
  if (first == 0 && last == RowCount() - 1 && ListSelectedCount(List()) == RowCount()) {
    for (FilesRow &row : rows) SetSelectedFlag(row, true);
    return;
  }
  for (int i = first; i <= last; ++i) SetSelectedFlag(rows[i], IsRowSelected(List(), i));
}

// The row of a record, or -1.
int FindRecordRow(const MediaRecord *record) {
  const std::vector<FilesRow> &rows = Views().rows;
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].record == record) return static_cast<int>(i);
  return -1;
}

void SetFocusedRow(int row) {
  LVITEMW item{};
  item.stateMask = LVIS_FOCUSED;
  item.state = LVIS_FOCUSED;
  if (row >= 0) SendMessageW(List(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

// Gives the control the rows' selection again after the rows moved (a sort, or rows taken
// out before them); the sums do not change, so the control's reports are not counted.
void RestoreControlSelection() {
  ViewState &views = Views();
  views.restoringSelection = true;
  SetRowSelected(List(), -1, false);
  if (views.selectedRows != 0 && views.selectedRows == views.rows.size()) {
    SetRowSelected(List(), -1, true);
  } else if (views.selectedRows != 0) {
    for (size_t i = 0; i < views.rows.size(); ++i)
      if (views.rows[i].selected) SetRowSelected(List(), static_cast<int>(i), true);
  }
  views.restoringSelection = false;
}

const MediaRecord *RecordOfRow(int row) {
  return row >= 0 && row < RowCount() ? Views().rows[row].record : nullptr;
}

void CopyText(wchar_t *text, int capacity, const wchar_t *from) {
  lstrcpynW(text, from, capacity);
}

// Names match as the list's own search does: without regard to case, the whole name or,
// for a search as the user types, its beginning.
bool NameMatches(const MediaRecord *record, const LVFINDINFOW &find) {
  if (find.psz == nullptr) return false;
  int length = lstrlenW(find.psz);
  int compared = (find.flags & LVFI_PARTIAL) != 0 ? length : -1;
  if (compared >= 0 && lstrlenW(record->fileName) < length) return false;
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, record->fileName, compared, find.psz,
                        compared) == CSTR_EQUAL;
}

bool RowMatches(const FilesRow &row, const LVFINDINFOW &find) {
  if ((find.flags & LVFI_PARAM) != 0)
    return row.record == reinterpret_cast<MediaRecord *>(find.lParam);
  if ((find.flags & (LVFI_STRING | LVFI_PARTIAL)) != 0) return NameMatches(row.record, find);
  return false;
}

// LVM_FINDITEM on the list: the search begins after `start` (-1: at the first row) and,
// with LVFI_WRAP, goes on from the top.
int FindRow(const NMLVFINDITEMW *search) {
  const std::vector<FilesRow> &rows = Views().rows;
  int count = RowCount();
  int begin = search->iStart + 1;
  if (begin < 0 || begin > count) begin = 0;
  for (int i = begin; i < count; ++i)
    if (RowMatches(rows[i], search->lvfi)) return i;
  if ((search->lvfi.flags & LVFI_WRAP) != 0)
    for (int i = 0; i < begin; ++i)
      if (RowMatches(rows[i], search->lvfi)) return i;
  return -1;
}

void OnGetDisplayInfo(NMLVDISPINFOW *request) {
  LVITEMW &item = request->item;
  const MediaRecord *record = RecordOfRow(item.iItem);
  if (record == nullptr) return;
  if ((item.mask & LVIF_PARAM) != 0) item.lParam = reinterpret_cast<LPARAM>(record);
  if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0)
    FormatRowText(record, item.iSubItem, item.pszText, item.cchTextMax);
}

void OnItemChanged(const NMLISTVIEW *change) {
  if (Views().restoringSelection) return;
  if (ListSelectedCount(List()) == 0) {
    ForgetSelection();
    return;
  }
  bool is;
  if (!SelectionChanged(change, &is)) return;
  if (change->iItem < 0)
    ReadSelection(0, RowCount() - 1); // one report for every row
  else if (change->iItem < RowCount())
    SetSelectedFlag(Views().rows[change->iItem], is);
}

// A range of rows changed at once (Shift+click, a dragged rectangle).
void OnRangeChanged(const NMLVODSTATECHANGE *change) {
  if (Views().restoringSelection) return;
  if (ListSelectedCount(List()) == 0) {
    ForgetSelection();
    return;
  }
  if (((change->uOldState ^ change->uNewState) & LVIS_SELECTED) == 0) return;
  ReadSelection(change->iFrom, change->iTo);
}

// Steps the "Overall progress" bar once per row added or removed.
void StepBar(size_t rows) {
  if (rows != 0) SendMessageW(g_shell.overallBar, PBM_DELTAPOS, static_cast<WPARAM>(rows), 0);
}

} // namespace

void SetupFilesColumns() {
  HoldViewRefresh();
  for (int i = 0; i < kFilesColumns; ++i)
    InsertReportColumn(List(), i, kColumns[i].header, kColumns[i].width);
  ClearSortMarks(List());
  ResumeViewRefresh();
}

void ClearFilesList() {
  HoldViewRefresh();
  RemoveHeaderBitmaps(List());
  EmptyFilesList();
}

void EmptyFilesList() {
  ViewState &views = Views();
  HoldViewRefresh();
  views.restoringSelection = true;
  SendMessageW(List(), LVM_DELETEALLITEMS, 0, 0);
  views.restoringSelection = false;
  views.rows.clear();
  views.selectedRows = 0;
  views.listedBytes = 0;
  views.selectedBytes = 0;
  HideAllProjects();
  MarkStatusDirty();
  ResumeViewRefresh();
}

void AddRecordsToFilesList(std::span<MediaRecord *const> records) {
  ViewState &views = Views();
  bool onlyExisting = ShowOnlyExistingFiles();
  size_t before = views.rows.size();
  for (const MediaRecord *record : records) {
    if (record == nullptr || (onlyExisting && record->attributes == 0)) continue;
    views.rows.push_back({record->self, false});
    views.listedBytes += record->size;
  }
  if (views.rows.size() == before) return;
  StepBar(views.rows.size() - before);
  TellRowCount(true);
}

void RemoveRecordsFromFilesList(std::span<MediaRecord *const> records) {
  ViewState &views = Views();
  std::vector<const MediaRecord *> gone;
  gone.reserve(records.size());
  for (const MediaRecord *record : records)
    if (record != nullptr) gone.push_back(record->self);
  std::sort(gone.begin(), gone.end());
  bool hadSelection = views.selectedRows != 0;
  size_t kept = 0;
  for (FilesRow &row : views.rows) {
    if (!std::binary_search(gone.begin(), gone.end(), row.record)) {
      views.rows[kept++] = row;
      continue;
    }
    SetSelectedFlag(row, false);
    views.listedBytes -= row.record->size;
  }
  size_t removed = views.rows.size() - kept;
  if (removed == 0) return;
  views.rows.resize(kept);
  if (views.selectedRows == 0) views.selectedBytes = 0;
  StepBar(removed);
  TellRowCount(false);
  if (hadSelection) RestoreControlSelection();
  MarkStatusDirty();
}

void AddRecordToFilesList(const MediaRecord *record) {
  MediaRecord *one[] = {record != nullptr ? record->self : nullptr};
  AddRecordsToFilesList(one);
}

void RemoveRecordFromFilesList(const MediaRecord *record) {
  if (record == nullptr) return;
  int row = FindRecordRow(record->self);
  if (row < 0) return;
  // A deleted row reports no selection change, so a selected one is unselected first and
  // its size leaves the selected sum the usual way.
  if (Views().rows[row].selected) SetRowSelected(List(), row, false);
  SendMessageW(List(), LVM_DELETEITEM, row, 0); // the control moves the selection up
  Views().rows.erase(Views().rows.begin() + row);
  Views().listedBytes -= record->size;
  StepBar(1);
}

void SetRecordRowTexts(int row, const MediaRecord *record) {
  if (row == -1 || record == nullptr) return;
  SendMessageW(List(), LVM_REDRAWITEMS, row, row);
}

void FormatRowText(const MediaRecord *record, int column, wchar_t *text, int capacity) {
  if (capacity <= 0) return;
  text[0] = 0;
  wchar_t work[kPathChars];
  switch (column) {
  case kFileNameColumn:
    return CopyText(text, capacity, record->fileName);
  case kNameInBinColumn:
    return CopyText(text, capacity, record->nameInBin);
  case kSizeColumn:
    if (record->attributes == 0) return CopyText(text, capacity, L"Not Exist");
    return CopyText(text, capacity, FormatByteSize(work, kSizeChars, record->size));
  case kCompressionColumn:
    FormatCompressionText(work, record->compressionId, record->formatCode, record->unitSize,
                          record->mediaType);
    return CopyText(text, capacity, work);
  case kPathColumn:
    return CopyText(text, capacity, record->folder);
  case kTypeColumn:
    if (record->clipUsage == kClipUsageSource) return CopyText(text, capacity, L"Source");
    if (record->clipUsage == kClipUsagePrecomp) return CopyText(text, capacity, L"Precomp");
    return;
  case kCreatedColumn:
    if (record->created != 0 && FormatCreationDate(record->created, work, kDateChars))
      CopyText(text, capacity, work);
    return;
  case kProjectColumn:
    return CopyText(text, capacity, record->project);
  case kSourceColumn:
    return CopyText(text, capacity, record->source);
  default:
    return;
  }
}

int CompareRecords(const MediaRecord *a, const MediaRecord *b, int column) {
  if (a == nullptr) return b == nullptr ? 0 : -1;
  if (b == nullptr) return 1;
  switch (column) {
  case kFileNameColumn:
    return StrCmpIW(a->fileName, b->fileName);
  case kNameInBinColumn:
    return CompareTexts(a->nameInBin, b->nameInBin);
  case kSizeColumn:
    return LargerFirst(a->size, b->size);
  case kCompressionColumn:
    return CompareCompression(a, b);
  case kPathColumn:
    return StrCmpIW(a->folder, b->folder);
  case kTypeColumn:
    return LargerFirst(a->clipUsage, b->clipUsage);
  case kCreatedColumn:
    return LargerFirst(a->created, b->created);
  case kProjectColumn:
    return CompareTexts(a->project, b->project);
  case kSourceColumn:
    return CompareTexts(a->source, b->source);
  default:
    return 0;
  }
}

namespace {

bool IsTextColumn(int column) {
  return column == kFileNameColumn || column == kNameInBinColumn || column == kPathColumn ||
         column == kProjectColumn || column == kSourceColumn;
}

// The text a text column sorts by.
const wchar_t *SortText(const MediaRecord *record, int column) {
  switch (column) {
  case kFileNameColumn:
    return record->fileName;
  case kNameInBinColumn:
    return record->nameInBin;
  case kPathColumn:
    return record->folder;
  case kProjectColumn:
    return record->project;
  case kSourceColumn:
    return record->source;
  default:
    return L"";
  }
}

// Sorts a text column by ranks: the column's distinct texts are put in order once, and each
// row then sorts by its text's rank, texts that compare equal sharing one. The order is the
// one the comparison gives row by row, at far fewer comparisons, which are what costs: the
// rows of a project share a few folders, sources and bin names.
void SortByTextRank(std::vector<FilesRow> &rows, int column) {
  std::unordered_map<std::wstring_view, uint32_t> slots;
  std::vector<const wchar_t *> texts;
  std::vector<uint32_t> slotOfRow(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const wchar_t *text = SortText(rows[i].record, column);
    auto [at, added] = slots.try_emplace(text, static_cast<uint32_t>(texts.size()));
    if (added) texts.push_back(text);
    slotOfRow[i] = at->second;
  }
  std::vector<uint32_t> order(texts.size());
  for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  auto compare = [&](const wchar_t *a, const wchar_t *b) {
    return column == kFileNameColumn || column == kPathColumn ? StrCmpIW(a, b) : CompareTexts(a, b);
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](uint32_t a, uint32_t b) { return compare(texts[a], texts[b]) < 0; });
  std::vector<uint32_t> rankOfSlot(texts.size());
  uint32_t rank = 0;
  for (size_t i = 0; i < order.size(); ++i) {
    if (i > 0 && compare(texts[order[i - 1]], texts[order[i]]) != 0) ++rank;
    rankOfSlot[order[i]] = rank;
  }
  std::vector<std::pair<uint32_t, FilesRow>> ranked(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) ranked[i] = {rankOfSlot[slotOfRow[i]], rows[i]};
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto &a, const auto &b) { return a.first < b.first; });
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = ranked[i].second;
}

} // namespace

// A stable sort, as the list control's own: rows that are equal in this column keep their
// order. The selection, the focus and the selection mark stay with their records.
void SortFilesList(int column) {
  ClearSortMarks(List());
  SetSortMark(List(), column);
  std::vector<FilesRow> &rows = Views().rows;
  const MediaRecord *focused =
      RecordOfRow(static_cast<int>(SendMessageW(List(), LVM_GETNEXTITEM, -1, LVNI_FOCUSED)));
  const MediaRecord *mark =
      RecordOfRow(static_cast<int>(SendMessageW(List(), LVM_GETSELECTIONMARK, 0, 0)));
  if (IsTextColumn(column)) {
    SortByTextRank(rows, column);
  } else {
    std::stable_sort(rows.begin(), rows.end(), [column](const FilesRow &a, const FilesRow &b) {
      return CompareRecords(a.record, b.record, column) < 0;
    });
  }
  if (Views().selectedRows != 0) RestoreControlSelection();
  if (focused != nullptr) SetFocusedRow(FindRecordRow(focused));
  if (mark != nullptr) SendMessageW(List(), LVM_SETSELECTIONMARK, 0, FindRecordRow(mark));
  InvalidateRect(List(), nullptr, FALSE);
}

LRESULT OnFilesListNotify(const NMHDR *notification) {
  switch (notification->code) {
  case LVN_ITEMCHANGED:
    OnItemChanged(reinterpret_cast<const NMLISTVIEW *>(notification));
    return 0;
  case LVN_ODSTATECHANGED:
    OnRangeChanged(reinterpret_cast<const NMLVODSTATECHANGE *>(notification));
    return 0;
  case LVN_GETDISPINFOW:
    OnGetDisplayInfo(reinterpret_cast<NMLVDISPINFOW *>(const_cast<NMHDR *>(notification)));
    return 0;
  case LVN_ODFINDITEMW:
    return FindRow(reinterpret_cast<const NMLVFINDITEMW *>(notification));
  default:
    return 0;
  }
}

void BuildStatusLine() {
  ViewState &views = Views();
  wchar_t size[kSizeChars];
  if (views.selectedBytes != 0) {
    FormatByteSize(size, kSizeChars, views.selectedBytes);
    wsprintfW(g_shell.infoText, L"%s in %d selected items", size, ListSelectedCount(List()));
  } else {
    FormatByteSize(size, kSizeChars, views.listedBytes);
    wsprintfW(g_shell.infoText, L"%s in %d items", size, ListRowCount(List()));
  }
  SetWindowTextW(g_shell.statusLine, g_shell.infoText);
  views.statusDirty = false;
}

bool ShowOnlyExistingFiles() {
  return SendMessageW(g_shell.existingCheck, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

MediaRecord *FilesListRecord(int row) {
  return row >= 0 && row < RowCount() ? Views().rows[row].record : nullptr;
}

uint64_t SelectedBytes() {
  return Views().selectedBytes;
}
