#include "support/gui_harness.h"

#ifdef _WIN32
#include <commctrl.h>

namespace gui {
namespace {

void DefaultDispatch(MSG *msg) {
  TranslateMessage(msg);
  DispatchMessageW(msg);
}

Dispatcher g_dispatcher = DefaultDispatch;

struct DialogSearch {
  const std::wstring *needle;
  HWND found;
};

BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
  auto *texts = reinterpret_cast<std::wstring *>(param);
  if (ClassOf(child) == L"Static") *texts += Text(child) + L"\n";
  return TRUE;
}

BOOL CALLBACK MatchDialog(HWND window, LPARAM param) {
  auto *search = reinterpret_cast<DialogSearch *>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  if (ClassOf(window) != L"#32770") return TRUE;
  if (!search->needle->empty() && DialogTexts(window).find(*search->needle) == std::wstring::npos)
    return TRUE;
  search->found = window;
  return FALSE;
}

} // namespace

void SetDispatcher(Dispatcher dispatcher) {
  g_dispatcher = dispatcher != nullptr ? dispatcher : DefaultDispatch;
}

bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) g_dispatcher(&msg);
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void Pump(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

void PressKey(HWND window, UINT virtualKey, bool ctrl, int presses) {
  BYTE keys[256];
  GetKeyboardState(keys);
  BYTE saved = keys[VK_CONTROL];
  keys[VK_CONTROL] = ctrl ? 0x80 : 0;
  SetKeyboardState(keys);
  for (int i = 0; i < presses; ++i) {
    PostMessageW(window, WM_KEYDOWN, virtualKey, 1);
    PostMessageW(window, WM_KEYUP, virtualKey, 0xC0000001);
  }
  Pump();
  keys[VK_CONTROL] = saved;
  SetKeyboardState(keys);
}

void Click(HWND button) {
  SendMessageW(button, BM_CLICK, 0, 0);
  Pump();
}

std::wstring Text(HWND window) {
  wchar_t text[2048];
  GetWindowTextW(window, text, 2048);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[128];
  GetClassNameW(window, name, 128);
  return name;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
    children.push_back(c);
  return children;
}

std::vector<std::wstring> ListBoxLines(HWND listBox) {
  std::vector<std::wstring> lines;
  LRESULT n = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    std::wstring line(static_cast<size_t>(SendMessageW(listBox, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
    SendMessageW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
    line.resize(line.size() - 1);
    lines.push_back(line);
  }
  return lines;
}

std::wstring TreeItemText(HWND tree, HTREEITEM item) {
  wchar_t text[512] = {};
  TVITEMW tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = 512;
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
  DialogSearch search{&needle, nullptr};
  EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring DialogTexts(HWND dialog) {
  std::wstring texts = Text(dialog) + L"\n";
  EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

Answers::Answers(std::vector<int> buttons, std::function<void()> whileOpen, std::wstring needle)
    : buttons_(std::move(buttons)), whileOpen_(std::move(whileOpen)), needle_(std::move(needle)),
      thread_([this] { Run(); }) {}

Answers::~Answers() {
  Finish();
}

void Answers::Run() {
  for (HWND answered = nullptr; !stop_; Sleep(10)) {
    HWND dialog = FindDialog(needle_);
    if (dialog == nullptr || dialog == answered) continue; // the answer is on its way
    answered = dialog;
    texts_.push_back(DialogTexts(dialog));
    bool listed = texts_.size() <= buttons_.size();
    if (listed && whileOpen_) whileOpen_();
    int button = listed ? buttons_[texts_.size() - 1] : IDCANCEL;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
  }
  ended_ = true;
}

const std::vector<std::wstring> &Answers::Finish() {
  stop_ = true;
  // The helper reads window texts, which are messages sent to this thread: take them.
  for (MSG msg; !ended_;)
    if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE) != WAIT_TIMEOUT)
      PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  if (thread_.joinable()) thread_.join();
  return texts_;
}

} // namespace gui
#endif
