#include "views/list_helpers.h"

#include <commctrl.h>

int ListRowCount(HWND list) {
  return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

int ListSelectedCount(HWND list) {
  return static_cast<int>(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0));
}

bool IsRowSelected(HWND list, int row) {
  return (SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void SetRowSelected(HWND list, int row, bool selected) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  item.state = selected ? LVIS_SELECTED : 0;
  SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void HoldRedraw(HWND control, bool hold) {
  SendMessageW(control, WM_SETREDRAW, hold ? FALSE : TRUE, 0);
  if (!hold) InvalidateRect(control, nullptr, TRUE);
}

bool SelectionChanged(const NMLISTVIEW *change, bool *selected) {
  if ((change->uChanged & LVIF_STATE) == 0) return false;
  bool was = (change->uOldState & LVIS_SELECTED) != 0;
  *selected = (change->uNewState & LVIS_SELECTED) != 0;
  return was != *selected;
}
