// The GUI suites' shared set-up: the shell started once, records in the Files list, their
// selection, and drops as the desktop hands them over.
// Header-only, like started_shell.h. Windows build only.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "support/log_capture.h"
#include "support/started_shell.h"
#include "views/files_list.h"
#include "views/view_state.h"

// A record with the fields most tests vary; everything else is zero.
inline MediaRecord Record(const wchar_t *fileName, const wchar_t *project, uint64_t size,
                          uint32_t attributes = FILE_ATTRIBUTE_ARCHIVE) {
  MediaRecord r{};
  std::wcsncpy(r.fileName, fileName, kPathChars - 1);
  std::wcsncpy(r.project, project, kProjectChars - 1);
  std::wcscpy(r.folder, L"C:\\OMFI MediaFiles\\1");
  r.size = size;
  r.attributes = attributes;
  return r;
}

inline int RowCount(HWND list) {
  return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

// One column's texts, top to bottom (the file names of the Files list by default).
inline std::vector<std::wstring> ListColumn(HWND list, int column = 0) {
  std::vector<std::wstring> texts;
  for (int i = 0; i < RowCount(list); ++i) texts.push_back(gui::ListViewText(list, i, column));
  return texts;
}

inline void Select(HWND list, int row, bool selected = true) {
  ListView_SetItemState(list, row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

inline bool IsSelected(HWND list, int row) {
  return (SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

// Stores the record in the catalogue; listed, it also gets a row, selected when asked.
inline MediaRecord *Store(MediaRecord record, bool listed = false, bool selected = false) {
  MediaRecord *stored = g_catalogue.records.Insert(&record);
  if (listed) AddRecordToFilesList(stored);
  if (selected) Select(g_shell.filesList, RowCount(g_shell.filesList) - 1);
  return stored;
}

// A real click on a row of a list view, with Shift or Ctrl held when asked.
inline void ClickRow(HWND list, int row, WPARAM keys = 0) {
  RECT r{};
  r.left = LVIR_LABEL;
  SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
  LPARAM at = MAKELPARAM(r.left + 4, (r.top + r.bottom) / 2);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
  SendMessageW(list, WM_LBUTTONUP, keys, at);
}

// A real click on a column header: the header turns it into HDN_ITEMCLICK for the list.
inline void ClickHeader(HWND list, int column) {
  HWND header = ListView_GetHeader(list);
  RECT r{};
  Header_GetItemRect(header, column, &r);
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(header, WM_LBUTTONUP, 0, at);
  gui::Pump(10);
}

// A drop as the desktop shell hands it over: a global DROPFILES block with wide paths. The
// receiver releases it (DragFinish).
inline HDROP MakeDrop(const std::vector<std::wstring> &paths) {
  size_t chars = 1;
  for (const std::wstring &p : paths) chars += p.size() + 1;
  HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto *drop = static_cast<DROPFILES *>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  auto *out = reinterpret_cast<wchar_t *>(drop + 1);
  for (const std::wstring &p : paths) out += p.copy(out, p.size()) + 1;
  GlobalUnlock(block);
  return static_cast<HDROP>(block);
}

inline void Drop(HWND view, const std::vector<std::wstring> &paths) {
  SendMessageW(view, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
}

// Every test starts with the shell up, an empty catalogue, empty views, "Show only existing
// files" checked, and the log captured.
class ShellTest : public testing::Test {
protected:
  void SetUp() override {
    main = StartedShell();
    ASSERT_TRUE(IsWindow(main)) << "start-up failed";
    log.emplace(); // after start-up, which installs the console's receivers
    Clear();
    SendMessageW(g_shell.existingCheck, BM_SETCHECK, BST_CHECKED, 0);
    ResumeViewRefresh();
    gui::Pump(10);
  }
  void TearDown() override {
    Clear();
    log.reset();
  }
  static void Clear() {
    ClearFilesList();
    SendMessageW(g_shell.projectsList, LVM_DELETEALLITEMS, 0, 0);
    g_catalogue.ClearCatalogue();
  }
  // How many captured log lines start with prefix.
  size_t Logged(const std::wstring &prefix) const {
    return std::count_if(log->lines.begin(), log->lines.end(),
                         [&](const std::wstring &line) { return line.rfind(prefix, 0) == 0; });
  }
  HWND main = nullptr;
  std::optional<LogCapture> log;
};
#endif
