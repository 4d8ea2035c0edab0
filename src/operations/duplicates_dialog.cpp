#include "operations/duplicates_dialog.h"

#include <commctrl.h>

#include <iterator>

#include "catalogue/duplicate_rows.h"
#include "window_services/long_task.h"
#include "resources/resource.h"
#include "window_services/shell_state.h"
#include "window_services/window_helpers.h"

namespace {

struct DuplicatesFinder {
  HWND list = nullptr;
};

DuplicatesFinder *FinderOf(HWND dialog) {
  return reinterpret_cast<DuplicatesFinder *>(GetWindowLongPtrW(dialog, DWLP_USER));
}

constexpr wchar_t kHelpText[] =
    L"In This window you can see a list of Media Files which may have multiple copies on your "
    L"Drive(s)\nThese Files have equal Media ID's, but file names can be different.\nPlease be "
    L"carefull with deleting these files. You can lose your media.\n\nIf this window is empty - "
    L"it seems that all media ID's are unique in your system";

constexpr struct {
  const wchar_t *title;
  int width;
} kColumns[] = {{L"Media ID", 130}, {L"File name", 200}, {L"Name in Bin", 200},
                {L"Path", 70},      {L"Size", 60},       {L"Project", 100}};

void SetCell(HWND list, int row, int column, const wchar_t *text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t *>(text);
  SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void SetFont(HWND window) {
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(g_shell.uiFont), FALSE);
}

HWND CreateDuplicatesList(HWND dialog) {
  HWND list = CreateWindowExW(WS_EX_STATICEDGE, WC_LISTVIEWW, L"Duplicates",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | LVS_REPORT | LVS_SHOWSELALWAYS,
                              15, 11, 784, 327, dialog, nullptr, g_shell.instance, nullptr);
  if (list == nullptr) return nullptr;
  SetFont(list);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
  for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = kColumns[i].width;
    column.pszText = const_cast<wchar_t *>(kColumns[i].title);
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  return list;
}

void AddRow(MediaRecord *record, int checked, void *list) {
  AddDuplicateRow(static_cast<HWND>(list), record, checked);
}

BOOL OnInitDialog(HWND dialog) {
  auto *finder = new DuplicatesFinder{};
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(finder));
  finder->list = CreateDuplicatesList(dialog);
  HWND help =
      CreateWindowExW(WS_EX_STATICEDGE, L"STATIC", kHelpText, WS_CHILD | WS_VISIBLE | SS_CENTER, 11,
                      349, 550, 77, dialog, nullptr, g_shell.instance, nullptr);
  if (help != nullptr) SetFont(help);
  if (finder->list != nullptr) ListDuplicateRows(g_catalogue, AddRow, finder->list);
  return TRUE;
}

void OnCommand(HWND dialog, WPARAM wParam) {
  if (LOWORD(wParam) == IDC_BACKUP_DUPLICATES) {
    DuplicatesFinder *finder = FinderOf(dialog);
    if (finder != nullptr) BackupDuplicates(finder->list);
  } else if (!LongTaskRunning()) { // the run holds this list's records
    EndDialog(dialog, 1);
  }
}

void OnNcDestroy(HWND dialog) {
  delete FinderOf(dialog);
  SetWindowLongPtrW(dialog, DWLP_USER, 0);
}

} // namespace

HWND DuplicatesList(HWND finder) {
  DuplicatesFinder *context = FinderOf(finder);
  return context != nullptr ? context->list : nullptr;
}

void AddDuplicateRow(HWND list, MediaRecord *record, int checked) {
  if (record == nullptr || MobKeyIsZero(record->mediaId) || record->attributes == 0) return;
  wchar_t mediaId[24];
  wsprintfW(mediaId, L"%8.8X.%8.8X", record->mediaId.low, record->mediaId.high);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  item.pszText = mediaId;
  item.lParam = reinterpret_cast<LPARAM>(record->self);
  int row =
      static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return;
  UpdateDuplicateRow(list, row, record);
  LVITEMW state{};
  state.stateMask = LVIS_STATEIMAGEMASK;
  state.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}

void UpdateDuplicateRow(HWND list, int row, const MediaRecord *record) {
  if (list == nullptr || row == -1 || record == nullptr) return;
  SetCell(list, row, 1, record->fileName);
  SetCell(list, row, 2, record->nameInBin);
  SetCell(list, row, 3, record->folder);
  wchar_t size[64];
  if (record->attributes != 0)
    FormatByteSize(size, 64, record->size);
  else
    lstrcpyW(size, L"Not Exist");
  SetCell(list, row, 4, size);
  SetCell(list, row, 5, record->project);
}

INT_PTR CALLBACK DuplicatesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
  case WM_INITDIALOG:
    return OnInitDialog(dialog);
  case WM_COMMAND:
    OnCommand(dialog, wParam);
    return TRUE;
  case WM_CLOSE:
    if (!LongTaskRunning()) EndDialog(dialog, 1);
    return TRUE;
  case WM_NCDESTROY:
    OnNcDestroy(dialog);
    return FALSE;
  default:
    return FALSE;
  }
}
