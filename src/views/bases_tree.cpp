// The database tree: one root item per present database, checked when it is enabled.
#include "views/bases_tree.h"

#include <windows.h>
#include <commctrl.h>

#include "catalogue/catalogue.h"
#include "window_services/shell_state.h"

namespace {

constexpr UINT kUnchecked = 1; // state images of the check boxes
constexpr UINT kChecked = 2;

void SetStateImage(HTREEITEM item, UINT image) {
  TVITEMW change{};
  change.mask = TVIF_HANDLE | TVIF_STATE;
  change.hItem = item;
  change.stateMask = TVIS_STATEIMAGEMASK;
  change.state = INDEXTOSTATEIMAGEMASK(image);
  SendMessageW(g_shell.basesTree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change));
}

HTREEITEM NextRoot(HTREEITEM item) {
  UINT which = item == nullptr ? TVGN_ROOT : TVGN_NEXT;
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(g_shell.basesTree, TVM_GETNEXTITEM, which, reinterpret_cast<LPARAM>(item)));
}

// The item's parameter and state image; false when the item cannot be read.
bool ReadItem(HTREEITEM item, LPARAM *parameter, UINT *image) {
  TVITEMW read{};
  read.mask = TVIF_HANDLE | TVIF_PARAM | TVIF_STATE;
  read.hItem = item;
  read.stateMask = TVIS_STATEIMAGEMASK;
  if (!SendMessageW(g_shell.basesTree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read)))
    return false;
  *parameter = read.lParam;
  *image = (read.state & TVIS_STATEIMAGEMASK) >> 12;
  return true;
}

// The entry of a 1-based ordinal: the databases tree is never cleared, so it lies in pool
// node ordinal - 1.
DatabaseEntry *EntryOfOrdinal(LPARAM ordinal) {
  if (ordinal <= 0 || ordinal > static_cast<LPARAM>(g_catalogue.databases.capacity)) return nullptr;
  DatabaseEntry *entry = g_catalogue.databases.NodeAt(static_cast<uint32_t>(ordinal - 1));
  return entry != nullptr && entry->ordinal == ordinal ? entry : nullptr;
}

} // namespace

void FillBasesTree() {
  SendMessageW(g_shell.basesTree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  for (DatabaseEntry *entry = g_catalogue.databases.First(); entry != nullptr;
       entry = g_catalogue.databases.Next()) {
    if (entry->present == 0) continue;
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = entry->path;
    insert.item.lParam = static_cast<LPARAM>(entry->ordinal);
    auto item = reinterpret_cast<HTREEITEM>(
        SendMessageW(g_shell.basesTree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (item != nullptr) SetStateImage(item, entry->enabled != 0 ? kChecked : kUnchecked);
  }
}

void StoreBaseChecks() {
  for (HTREEITEM item = NextRoot(nullptr); item != nullptr; item = NextRoot(item)) {
    LPARAM ordinal;
    UINT image;
    if (!ReadItem(item, &ordinal, &image) || ordinal == 0) continue;
    if (DatabaseEntry *entry = EntryOfOrdinal(ordinal)) entry->enabled = image == kChecked ? 1 : 0;
  }
}

void CheckAllBases() {
  for (HTREEITEM item = NextRoot(nullptr); item != nullptr; item = NextRoot(item))
    SetStateImage(item, kChecked);
  StoreBaseChecks();
}

void InvertBaseChecks() {
  for (HTREEITEM item = NextRoot(nullptr); item != nullptr; item = NextRoot(item)) {
    LPARAM ordinal;
    UINT image;
    if (!ReadItem(item, &ordinal, &image)) continue;
    SetStateImage(item, image == kUnchecked ? kChecked : kUnchecked);
  }
  StoreBaseChecks();
}
