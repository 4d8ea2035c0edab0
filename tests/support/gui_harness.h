// Drives real windows in-process for the GUI suites: pumps the test thread's messages,
// presses keys and buttons, reads controls back and answers modal dialogs and message
// boxes from a helper thread. Windows build only.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace gui {

// How pumped messages are delivered; the shell suite sets the program's own loop body so
// that accelerators are translated as in the product. Default: translate and dispatch.
using Dispatcher = void (*)(MSG *msg);
void SetDispatcher(Dispatcher dispatcher);

// Delivers the calling thread's queued messages until done() holds or the time is up;
// returns done()'s last answer.
bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs = 5000);
void Pump(DWORD ms = 30);

// Posts key presses (down and up) to the window, with Ctrl held when asked, and pumps them:
// all are queued before the first is taken, so no timer tick comes between them.
void PressKey(HWND window, UINT virtualKey, bool ctrl = false, int presses = 1);
// A real button click (BM_CLICK), which the button turns into WM_COMMAND for its parent.
void Click(HWND button);

std::wstring Text(HWND window);
std::wstring ClassOf(HWND window);
std::vector<HWND> Children(HWND parent); // direct children, in creation order
std::vector<std::wstring> ListBoxLines(HWND listBox);
std::wstring TreeItemText(HWND tree, HTREEITEM item);
std::vector<std::wstring> TreeRootTexts(HWND tree);
std::wstring ListViewText(HWND list, int row, int column);

// Finds a visible dialog or message box (class "#32770") of this process whose texts
// contain `needle` (empty: any), or none.
HWND FindDialog(const std::wstring &needle = L"");
std::wstring DialogTexts(HWND dialog); // title and static texts, one per line

// Answers the dialogs whose texts hold `needle`, one after the other, with the given buttons;
// whileOpen runs first while each of those is open. Dialogs beyond the list get Cancel, so a
// faulty run (a second question, even one nested in the first) ends instead of hanging the
// suite. Finish stops and returns every answered dialog's texts.
class Answers {
public:
  explicit Answers(std::vector<int> buttons, std::function<void()> whileOpen = {},
                   std::wstring needle = L"");
  ~Answers();
  Answers(const Answers &) = delete;
  Answers &operator=(const Answers &) = delete;
  const std::vector<std::wstring> &Finish();

private:
  void Run();
  std::vector<int> buttons_;
  std::function<void()> whileOpen_;
  std::wstring needle_;
  std::vector<std::wstring> texts_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> ended_{false};
  std::thread thread_;
};

} // namespace gui
#endif
