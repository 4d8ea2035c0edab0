#include "views/list_headers.h"

#include <commctrl.h>

#include "window_services/shell_state.h"

namespace {

// Rewrites one header item with the bitmap flag set or cleared and the given bitmap; the
// bitmap always sits on the right so that the column's title stays where it was.
void WriteHeaderMark(HWND header, int index, bool shown, HBITMAP bitmap) {
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  if (!SendMessageW(header, HDM_GETITEMW, index, reinterpret_cast<LPARAM>(&item))) return;
  if (shown)
    item.fmt |= HDF_BITMAP;
  else
    item.fmt &= ~HDF_BITMAP;
  item.fmt |= HDF_BITMAP_ON_RIGHT;
  item.mask = HDI_FORMAT | HDI_BITMAP;
  item.hbm = bitmap;
  SendMessageW(header, HDM_SETITEMW, index, reinterpret_cast<LPARAM>(&item));
}

void HideMarks(HWND list, HBITMAP bitmap) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  if (header == nullptr) return;
  int count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  for (int i = count - 1; i >= 0; --i) WriteHeaderMark(header, i, false, bitmap);
}

} // namespace

void InsertReportColumn(HWND list, int index, const wchar_t *header, int width) {
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = width;
  column.pszText = const_cast<wchar_t *>(header);
  column.iSubItem = index;
  SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

void ClearSortMarks(HWND list) {
  HideMarks(list, g_shell.sortMarkBitmap);
}

void RemoveHeaderBitmaps(HWND list) {
  HideMarks(list, nullptr);
}

void SetSortMark(HWND list, int column) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  if (header != nullptr) WriteHeaderMark(header, column, true, g_shell.sortMarkBitmap);
}
