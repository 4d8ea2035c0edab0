#include "operations/duplicates_dialog.h"

#include <commctrl.h>

#include <iterator>

#include "catalogue/duplicate_rows.h"
#include "window_services/long_task.h"
#include "resources/resource.h"
#include "shell/shell_state.h"
#include "shell/window_helpers.h"

HWND g_duplicatesList = nullptr;

namespace {

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

void SetCell(int row, int column, const wchar_t *text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t *>(text);
  SendMessageW(g_duplicatesList, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void SetFont(HWND window) {
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(g_shell.uiFont), FALSE);
}

void CreateDuplicatesList(HWND dialog) {
  g_duplicatesList =
      CreateWindowExW(WS_EX_STATICEDGE, WC_LISTVIEWW, L"Duplicates",
                      WS_CHILD | WS_VISIBLE | WS_VSCROLL | LVS_REPORT | LVS_SHOWSELALWAYS, 15, 11,
                      784, 327, dialog, nullptr, g_shell.instance, nullptr);
  if (g_duplicatesList == nullptr) return;
  SetFont(g_duplicatesList);
  SendMessageW(g_duplicatesList, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
  for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = kColumns[i].width;
    column.pszText = const_cast<wchar_t *>(kColumns[i].title);
    SendMessageW(g_duplicatesList, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
}

void AddRow(MediaRecord *record, int checked, void *) {
  AddDuplicateRow(record, checked);
}

BOOL OnInitDialog(HWND dialog) {
  CreateDuplicatesList(dialog);
  HWND help =
      CreateWindowExW(WS_EX_STATICEDGE, L"STATIC", kHelpText, WS_CHILD | WS_VISIBLE | SS_CENTER, 11,
                      349, 550, 77, dialog, nullptr, g_shell.instance, nullptr);
  if (help != nullptr) SetFont(help);
  if (g_duplicatesList != nullptr) ListDuplicateRows(g_catalogue, AddRow, nullptr);
  return TRUE;
}

} // namespace

void AddDuplicateRow(MediaRecord *record, int checked) {
  if (record == nullptr || MobKeyIsZero(record->mediaId) || record->attributes == 0) return;
  wchar_t mediaId[24];
  wsprintfW(mediaId, L"%8.8X.%8.8X", record->mediaId.low, record->mediaId.high);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = static_cast<int>(SendMessageW(g_duplicatesList, LVM_GETITEMCOUNT, 0, 0));
  item.pszText = mediaId;
  item.lParam = reinterpret_cast<LPARAM>(record->self);
  int row = static_cast<int>(
      SendMessageW(g_duplicatesList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return;
  UpdateDuplicateRow(row, record);
  LVITEMW state{};
  state.stateMask = LVIS_STATEIMAGEMASK;
  state.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  SendMessageW(g_duplicatesList, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}

void UpdateDuplicateRow(int row, const MediaRecord *record) {
  if (row == -1 || record == nullptr) return;
  SetCell(row, 1, record->fileName);
  SetCell(row, 2, record->nameInBin);
  SetCell(row, 3, record->folder);
  wchar_t size[64];
  if (record->attributes != 0)
    FormatByteSize(size, 64, record->size);
  else
    lstrcpyW(size, L"Not Exist");
  SetCell(row, 4, size);
  SetCell(row, 5, record->project);
}

INT_PTR CALLBACK DuplicatesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
  case WM_INITDIALOG:
    return OnInitDialog(dialog);
  case WM_COMMAND:
    if (LOWORD(wParam) == IDC_BACKUP_DUPLICATES)
      BackupDuplicates();
    else if (!LongTaskRunning()) // the run holds this list's records
      EndDialog(dialog, 1);
    return TRUE;
  case WM_CLOSE:
    if (!LongTaskRunning()) EndDialog(dialog, 1);
    return TRUE;
  case WM_DESTROY:
    g_duplicatesList = nullptr;
    return FALSE;
  default:
    return FALSE;
  }
}
