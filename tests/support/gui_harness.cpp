#include "support/gui_harness.h"

#ifdef _WIN32
namespace gui {
namespace {

std::wstring DialogTexts(HWND dialog) { // its title and its controls' texts, one per line
  std::wstring texts = Text(dialog) + L"\n";
  for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
    texts += Text(c) + L"\n";
  return texts;
}

} // namespace

std::wstring Text(HWND window) {
  wchar_t text[2048];
  GetWindowTextW(window, text, 2048);
  return text;
}

std::vector<std::wstring> ListBoxLines(HWND listBox) {
  std::vector<std::wstring> lines;
  for (LRESULT i = 0, n = SendMessageW(listBox, LB_GETCOUNT, 0, 0); i < n; ++i) {
    std::wstring line(static_cast<size_t>(SendMessageW(listBox, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
    line.resize(SendMessageW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data())));
    lines.push_back(line);
  }
  return lines;
}

std::wstring TreeItemText(HWND tree, HTREEITEM item) {
  wchar_t text[512] = {};
  TVITEMW tv{TVIF_TEXT, item, 0, 0, text, 512, 0, 0, 0, 0};
  TreeView_GetItem(tree, &tv);
  return text;
}

std::vector<std::wstring> TreeRootTexts(HWND tree) {
  std::vector<std::wstring> texts;
  for (HTREEITEM item = TreeView_GetRoot(tree); item; item = TreeView_GetNextSibling(tree, item))
    texts.push_back(TreeItemText(tree, item));
  return texts;
}

std::wstring ListViewText(HWND list, int row, int column) {
  wchar_t text[512] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 512;
  SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  return text;
}

HWND FindDialog(const std::wstring &needle) {
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr;) {
    DWORD process = 0;
    GetWindowThreadProcessId(w, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(w) &&
        DialogTexts(w).find(needle) != std::wstring::npos)
      return w;
  }
  return nullptr;
}

Answers::Answers(std::vector<int> buttons, std::function<void()> whileOpen, std::wstring needle)
    : buttons(std::move(buttons)), whileOpen(std::move(whileOpen)), needle(std::move(needle)) {
  thread = std::thread([this] {
    for (HWND answered = nullptr; !stop; Sleep(10)) {
      HWND dialog = FindDialog(this->needle);
      if (dialog == nullptr || dialog == answered) continue; // the answer is on its way
      answered = dialog;
      texts.push_back(DialogTexts(dialog));
      bool listed = texts.size() <= this->buttons.size();
      if (listed && this->whileOpen) this->whileOpen();
      int button = listed ? this->buttons[texts.size() - 1] : IDCANCEL;
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    }
    ended = true;
  });
}

const std::vector<std::wstring> &Answers::Finish() {
  stop = true;
  // The helper reads window texts, which are messages sent to this thread: take them.
  for (MSG msg; !ended;)
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE) != WAIT_TIMEOUT)
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  if (thread.joinable()) thread.join();
  return texts;
}

} // namespace gui
#endif
