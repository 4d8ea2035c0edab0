// Shared set-up of the views suite: the shell started once, as the program starts it, and
// records, lists and flags brought back to an empty catalogue before each test.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "support/started_shell.h"
#include "views/files_list.h"
#include "views/view_state.h"

namespace views_test {

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

inline MediaRecord *Store(MediaRecord record) {
  return g_catalogue.records.Insert(&record);
}

// The file names of the Files list's rows, top to bottom.
inline std::vector<std::wstring> ListColumn(HWND list, int column = 0) {
  std::vector<std::wstring> texts;
  int n = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) texts.push_back(gui::ListViewText(list, i, column));
  return texts;
}

inline int RowCount(HWND list) {
  return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

inline void Select(HWND list, int row, bool selected = true) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  item.state = selected ? LVIS_SELECTED : 0;
  SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
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

inline bool IsSelected(HWND list, int row) {
  return (SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

// Header format of one column of a report list.
inline int HeaderFormat(HWND list, int column) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
  return item.fmt;
}

// A real click on a column header: the header turns it into HDN_ITEMCLICK for the list.
inline void ClickHeader(HWND list, int column) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  RECT r{};
  SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&r));
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(header, WM_LBUTTONUP, 0, at);
  gui::Pump(10);
}

// Waits for the refresh timer to have run over the current marks.
inline bool WaitForTimer(const std::function<bool()> &done) {
  return gui::PumpUntil(done, 5000);
}

class ViewsTest : public testing::Test {
protected:
  void SetUp() override {
    main = StartedShell();
    ASSERT_TRUE(IsWindow(main)) << "start-up failed";
    // Wide enough for every column of the Files list to be clicked.
    RECT r;
    GetWindowRect(main, &r);
    if (r.right - r.left < 1500) MoveWindow(main, 0, 0, 1500, 900, TRUE);
    ClearFilesList();
    SendMessageW(g_shell.projectsList, LVM_DELETEALLITEMS, 0, 0);
    g_catalogue.ClearCatalogue();
    SendMessageW(g_shell.existingCheck, BM_SETCHECK, BST_CHECKED, 0);
    ResumeViewRefresh();
    gui::Pump(10);
  }
  void TearDown() override {
    ClearFilesList();
    SendMessageW(g_shell.projectsList, LVM_DELETEALLITEMS, 0, 0);
    g_catalogue.ClearCatalogue();
  }
  HWND main = nullptr;
};

} // namespace views_test
