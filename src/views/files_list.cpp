// The media list: rows, their texts, sorting and the byte sums of the status line.
#include "views/files_list.h"

#include <shlwapi.h>

#include <cstring>
#include <ctime>
#include <cwchar>

#include "inspection/media_info_text.h"
#include "shell/shell_state.h"
#include "shell/window_helpers.h"
#include "views/list_headers.h"
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

// The Files list's own state beyond its control.
struct FilesView {
  int removedRow; // where the last removed row stood
};

FilesView g_filesView;

constexpr UINT kSizeChars = 60;
constexpr size_t kDateChars = 59;

void SetCellText(int row, int column, const wchar_t *text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t *>(text);
  SendMessageW(g_shell.filesList, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void SetCellTextIfAny(int row, int column, const wchar_t *text) {
  if (text[0] != 0) SetCellText(row, column, text);
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

int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM column) {
  return CompareRecords(reinterpret_cast<const MediaRecord *>(a),
                        reinterpret_cast<const MediaRecord *>(b), static_cast<int>(column));
}

int SelectedRowCount() {
  return static_cast<int>(SendMessageW(g_shell.filesList, LVM_GETSELECTEDCOUNT, 0, 0));
}

// The sum over the selected rows, for a change that the list reports for all rows at once.
uint64_t SumSelectedBytes() {
  uint64_t sum = 0;
  for (int row = -1;;) {
    row = static_cast<int>(
        SendMessageW(g_shell.filesList, LVM_GETNEXTITEM, row, MAKELPARAM(LVNI_SELECTED, 0)));
    if (row < 0) return sum;
    if (const MediaRecord *record = FilesListRecord(row)) sum += record->size;
  }
}

// The row of a record, or -1. Rows are unique per record, so wherever the search starts it
// finds the same row. A project's rows are removed in the order in which they were
// appended, so the next one usually stands where the last one was removed: the search
// starts there and wraps around, instead of walking every row before it each time.
int FindRecordRow(const MediaRecord *record) {
  LVFINDINFOW find{};
  find.flags = LVFI_PARAM | LVFI_WRAP;
  find.lParam = reinterpret_cast<LPARAM>(record->self);
  int count = static_cast<int>(SendMessageW(g_shell.filesList, LVM_GETITEMCOUNT, 0, 0));
  int start = g_filesView.removedRow - 1; // the search begins after this row
  if (start < -1 || start >= count) start = -1;
  int row = static_cast<int>(
      SendMessageW(g_shell.filesList, LVM_FINDITEMW, start, reinterpret_cast<LPARAM>(&find)));
  if (row < 0 && start != -1) { // a list control that does not wrap
    find.flags = LVFI_PARAM;
    row = static_cast<int>(
        SendMessageW(g_shell.filesList, LVM_FINDITEMW, -1, reinterpret_cast<LPARAM>(&find)));
  }
  return row;
}

} // namespace

void SetupFilesColumns() {
  g_shell.SyncEnabled = 0;
  for (int i = 0; i < kFilesColumns; ++i)
    InsertReportColumn(g_shell.filesList, i, kColumns[i].header, kColumns[i].width);
  ClearSortMarks(g_shell.filesList);
  g_shell.SyncEnabled = 1;
}

void ClearFilesList() {
  g_shell.SyncEnabled = 0;
  RemoveHeaderBitmaps(g_shell.filesList);
  EmptyFilesList();
}

void EmptyFilesList() {
  g_shell.SyncEnabled = 0;
  SendMessageW(g_shell.filesList, LVM_DELETEALLITEMS, 0, 0);
  g_shell.ListedBytes = 0;
  g_shell.SelectedBytes = 0;
  HideAllProjects();
  g_shell.StatusDirty = 1;
  g_shell.SyncEnabled = 1;
}

void AddRecordToFilesList(const MediaRecord *record) {
  if (record == nullptr) return;
  if (ShowOnlyExistingFiles() && record->attributes == 0) return;
  SendMessageW(g_shell.overallBar, PBM_STEPIT, 0, 0);
  int count = static_cast<int>(SendMessageW(g_shell.filesList, LVM_GETITEMCOUNT, 0, 0));
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = count + 1; // past the end: appended
  item.pszText = const_cast<wchar_t *>(record->fileName);
  item.lParam = reinterpret_cast<LPARAM>(record->self);
  int row = static_cast<int>(
      SendMessageW(g_shell.filesList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return;
  g_shell.ListedBytes += record->size;
  SetRecordRowTexts(row, record);
}

void RemoveRecordFromFilesList(const MediaRecord *record) {
  if (record == nullptr) return;
  int row = FindRecordRow(record);
  if (row < 0) return;
  // A deleted row reports no selection change, so a selected one is unselected first and
  // its size leaves SelectedBytes the usual way.
  if (SendMessageW(g_shell.filesList, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED)
    SetRowSelected(g_shell.filesList, row, false);
  SendMessageW(g_shell.filesList, LVM_DELETEITEM, row, 0);
  g_filesView.removedRow = row;
  SendMessageW(g_shell.overallBar, PBM_STEPIT, 0, 0);
  g_shell.ListedBytes -= record->size;
}

void SetRecordRowTexts(int row, const MediaRecord *record) {
  if (row == -1 || record == nullptr) return;
  SetCellText(row, kProjectColumn, record->project);
  SetCellText(row, kPathColumn, record->folder);
  SetCellTextIfAny(row, kNameInBinColumn, record->nameInBin);
  SetCellTextIfAny(row, kSourceColumn, record->source);

  wchar_t size[kSizeChars];
  if (record->attributes != 0)
    FormatByteSize(size, kSizeChars, record->size);
  else
    std::wcscpy(size, L"Not Exist");
  SetCellText(row, kSizeColumn, size);

  wchar_t compression[kCompressionTextChars + 2];
  FormatCompressionText(compression, record->compressionId, record->formatCode, record->unitSize,
                        record->mediaType);
  SetCellText(row, kCompressionColumn, compression);

  if (record->clipUsage == kClipUsageSource)
    SetCellText(row, kTypeColumn, L"Source");
  else if (record->clipUsage == kClipUsagePrecomp)
    SetCellText(row, kTypeColumn, L"Precomp");

  wchar_t date[kDateChars];
  if (record->created != 0 && FormatCreationDate(record->created, date, kDateChars))
    SetCellText(row, kCreatedColumn, date);
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

void SortFilesList(int column) {
  ClearSortMarks(g_shell.filesList);
  SetSortMark(g_shell.filesList, column);
  SendMessageW(g_shell.filesList, LVM_SORTITEMS, column, reinterpret_cast<LPARAM>(CompareRows));
}

void OnFilesSelectionChanged(const NMHDR *notification) {
  if (notification->code != LVN_ITEMCHANGED) return;
  if (SelectedRowCount() == 0) {
    g_shell.SelectedBytes = 0;
    g_shell.StatusDirty = 1;
    return;
  }
  const auto *change = reinterpret_cast<const NMLISTVIEW *>(notification);
  if ((change->uChanged & LVIF_STATE) == 0) return;
  bool was = (change->uOldState & LVIS_SELECTED) != 0;
  bool is = (change->uNewState & LVIS_SELECTED) != 0;
  if (was == is) return;
  if (change->iItem < 0) {
    // One notification for every row: count the selection again.
    g_shell.SelectedBytes = SumSelectedBytes();
    g_shell.StatusDirty = 1;
    return;
  }
  const auto *record = reinterpret_cast<const MediaRecord *>(change->lParam);
  if (record == nullptr) return;
  if (is)
    g_shell.SelectedBytes += record->size;
  else
    g_shell.SelectedBytes -= record->size;
  g_shell.StatusDirty = 1;
}

void BuildStatusLine() {
  wchar_t size[kSizeChars];
  if (g_shell.SelectedBytes != 0) {
    FormatByteSize(size, kSizeChars, g_shell.SelectedBytes);
    wsprintfW(g_shell.infoText, L"%s in %d selected items", size, SelectedRowCount());
  } else {
    FormatByteSize(size, kSizeChars, g_shell.ListedBytes);
    wsprintfW(g_shell.infoText, L"%s in %d items", size,
              static_cast<int>(SendMessageW(g_shell.filesList, LVM_GETITEMCOUNT, 0, 0)));
  }
  SetWindowTextW(g_shell.statusLine, g_shell.infoText);
  g_shell.StatusDirty = 0;
}

bool ShowOnlyExistingFiles() {
  return SendMessageW(g_shell.existingCheck, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

MediaRecord *FilesListRecord(int row) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(g_shell.filesList, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
    return nullptr;
  return reinterpret_cast<MediaRecord *>(item.lParam);
}

void HoldRedraw(HWND list, bool hold) {
  SendMessageW(list, WM_SETREDRAW, hold ? FALSE : TRUE, 0);
  if (!hold) InvalidateRect(list, nullptr, TRUE);
}

void SetRowSelected(HWND list, int row, bool selected) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  item.state = selected ? LVIS_SELECTED : 0;
  SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}
