// Drives the program's real windows in-process for the GUI suites, the walkthrough and the GUI
// benchmarks. Header only: the test executables link the window libraries before the support
// library. Windows build only.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/catalogue.h"
#include "shell/main_window.h"
#include "support/log_capture.h"
#include "support/scratch_dir.h"
#include "views/files_list.h"
#include "views/view_state.h"
#include "window_services/shell_state.h"

using Names = std::vector<std::wstring>;

namespace gui {

// Delivers this thread's messages through the program's own loop body, accelerators
// translated as in the product, until done() holds or the time is up; done()'s last answer.
inline bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs = 5000) {
  for (DWORD start = GetTickCount();; MsgWaitForMultipleObjects(0, nullptr, 0, 10, QS_ALLINPUT)) {
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchShellMessage(&msg);
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
  }
}

inline void Pump(DWORD ms = 30) {
  PumpUntil([] { return false; }, ms);
}

// Key presses, Ctrl held when asked, all queued before the first is taken.
inline void PressKey(HWND window, UINT virtualKey, bool ctrl = false, int presses = 1) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = ctrl ? 0x80 : 0;
  SetKeyboardState(keys);
  for (int i = 0; i < presses; ++i) PostMessageW(window, WM_KEYDOWN, virtualKey, 1);
  Pump();
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
}

inline void Click(HWND button) { // BM_CLICK: the button sends WM_COMMAND to its parent
  SendMessageW(button, BM_CLICK, 0, 0);
  Pump();
}

inline std::wstring Text(HWND window) {
  wchar_t text[2048];
  GetWindowTextW(window, text, 2048);
  return text;
}

inline std::wstring TreeItemText(HWND tree, HTREEITEM item) {
  wchar_t text[512] = {};
  TVITEMW tv{TVIF_TEXT, item, 0, 0, text, 512, 0, 0, 0, 0};
  TreeView_GetItem(tree, &tv);
  return text;
}

// The texts a control lists, top to bottom: a list box's lines, a tree's top-level items or
// one column of a list view (the file names of the Files list by default).
inline Names Items(HWND control, int column = 0) {
  wchar_t kind[32], text[512];
  GetClassNameW(control, kind, 32);
  Names items;
  if (std::wcscmp(kind, WC_TREEVIEWW) == 0) {
    for (HTREEITEM i = TreeView_GetRoot(control); i; i = TreeView_GetNextSibling(control, i))
      items.push_back(TreeItemText(control, i));
  } else if (_wcsicmp(kind, L"ListBox") == 0) {
    for (LRESULT i = 0, n = SendMessageW(control, LB_GETCOUNT, 0, 0); i < n; ++i) {
      items.emplace_back(SendMessageW(control, LB_GETTEXTLEN, i, 0) + 1, L'\0');
      items[i].resize(SendMessageW(control, LB_GETTEXT, i, (LPARAM)items[i].data()));
    }
  } else {
    for (int i = 0, n = ListView_GetItemCount(control); i < n; ++i) {
      ListView_GetItemText(control, i, column, text, 512);
      items.push_back(text);
    }
  }
  return items;
}

// Checks or unchecks the tree's top-level item with this text; whether it was checked before.
inline bool Check(HWND tree, const std::wstring &text, int checked = -1) {
  HTREEITEM item = TreeView_GetRoot(tree);
  while (item != nullptr && TreeItemText(tree, item) != text)
    item = TreeView_GetNextSibling(tree, item);
  bool was = item != nullptr && TreeView_GetCheckState(tree, item) == 1;
  if (item != nullptr && checked >= 0) TreeView_SetCheckState(tree, item, checked);
  return was;
}

// A visible dialog or message box of this process whose title or controls' texts hold needle;
// those texts, one per line, in texts when asked.
inline HWND FindDialog(const std::wstring &needle = L"", std::wstring *texts = nullptr) {
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr;) {
    DWORD process = 0;
    GetWindowThreadProcessId(w, &process);
    std::wstring all = Text(w) + L"\n";
    for (HWND c = GetWindow(w, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
      all += Text(c) + L"\n";
    if (process != GetCurrentProcessId() || !IsWindowVisible(w) || all.find(needle) == all.npos)
      continue;
    if (texts != nullptr) *texts = all;
    return w;
  }
  return nullptr;
}

// Runs act while a helper thread answers the dialogs whose texts hold needle, one after the
// other, with these buttons; whileOpen runs first while each is open. Dialogs beyond the list
// get Cancel, so a faulty run (a second question, even one nested in the first) ends instead
// of hanging the suite. Returns every answered dialog's texts.
inline Names Answer(const std::vector<int> &buttons, const std::function<void()> &act,
                    const std::wstring &needle = L"", const std::function<void()> &whileOpen = {}) {
  Names texts;
  std::atomic<bool> stop{false}, ended{false};
  std::thread helper([&] {
    for (HWND answered = nullptr; !stop; Sleep(10)) {
      std::wstring shown;
      HWND dialog = FindDialog(needle, &shown);
      if (dialog == nullptr || dialog == answered) continue; // the answer is on its way
      answered = dialog;
      texts.push_back(shown);
      bool listed = texts.size() <= buttons.size();
      if (listed && whileOpen) whileOpen();
      int button = listed ? buttons[texts.size() - 1] : IDCANCEL;
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    }
    ended = true;
  });
  act();
  stop = true;
  // The helper reads window texts, which are messages sent to this thread: take them.
  for (MSG msg; !ended;)
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE) != WAIT_TIMEOUT)
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  helper.join();
  return texts;
}

} // namespace gui

// The program's shell, started once per process as the program starts it.
inline HWND StartedShell() {
  static bool started =
      StartShell(GetModuleHandleW(nullptr), SW_SHOWNORMAL) && (gui::Pump(100), true);
  return started ? g_shell.mainWindow : nullptr;
}

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

inline void Select(HWND list, int row, bool selected = true) {
  ListView_SetItemState(list, row, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

// Stores the record in the catalogue; listed, it also gets a row, selected when asked.
inline MediaRecord *Store(MediaRecord record, bool listed = false, bool selected = false) {
  MediaRecord *stored = g_catalogue.records.Insert(&record);
  if (listed) AddRecordToFilesList(stored);
  if (selected) Select(g_shell.filesList, RowCount(g_shell.filesList) - 1);
  return stored;
}

// A real click on a row of a list view with Shift or Ctrl held when asked, or on a column
// header, which the header turns into HDN_ITEMCLICK for the list.
inline void ClickRow(HWND list, int row, WPARAM keys = 0, bool header = false) {
  HWND target = header ? ListView_GetHeader(list) : list;
  RECT r{LVIR_LABEL, 0, 0, 0};
  SendMessageW(target, header ? HDM_GETITEMRECT : LVM_GETITEMRECT, row, (LPARAM)&r);
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
  SendMessageW(target, WM_LBUTTONUP, keys, at);
  gui::Pump(10);
}

inline void ClickHeader(HWND list, int column) {
  ClickRow(list, column, 0, true);
}

// A drop as the desktop hands it over, sent or posted: a global DROPFILES block with wide
// paths, which the receiver releases.
inline void Drop(HWND view, const std::vector<std::wstring> &paths, bool post = false) {
  size_t chars = 1;
  for (const std::wstring &p : paths) chars += p.size() + 1;
  HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto *drop = static_cast<DROPFILES *>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  auto *out = reinterpret_cast<wchar_t *>(drop + 1);
  for (const std::wstring &p : paths) out += p.copy(out, p.size()) + 1;
  GlobalUnlock(block);
  if (post)
    PostMessageW(view, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
  else
    SendMessageW(view, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
}

// Every test starts with the shell up, an empty catalogue, empty views, "Show only existing
// files" checked, the log captured and a scratch folder for the files it writes.
class ShellTest : public testing::Test {
protected:
  void SetUp() override {
    main = StartedShell();
    ASSERT_TRUE(IsWindow(main)) << "start-up failed";
    log.emplace(); // after start-up, which installs the console's receivers
    ClearFilesList();
    SendMessageW(g_shell.projectsList, LVM_DELETEALLITEMS, 0, 0);
    g_catalogue.ClearCatalogue();
    SendMessageW(g_shell.existingCheck, BM_SETCHECK, BST_CHECKED, 0);
    ResumeViewRefresh();
    gui::Pump(10);
  }
  size_t Logged(const std::wstring &prefix) const { // captured lines that start with prefix
    return std::count_if(log->lines.begin(), log->lines.end(),
                         [&](const std::wstring &line) { return line.rfind(prefix, 0) == 0; });
  }
  HWND main = nullptr;
  std::optional<LogCapture> log;
  ScratchDir scratch;
};
#endif
