#include "window_services/progress.h"

#include "window_services/progress_window.h"
#include "window_services/shell_state.h"
#include "window_services/window_helpers.h"

namespace {

// Every message is guarded: the window may never have been made, or be gone already.
void Send(UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsWindow(g_shell.progress.window))
    SendMessageW(g_shell.progress.window, message, wParam, lParam);
}

void SendValue(UINT message, uint64_t value) {
  Send(message, static_cast<WPARAM>(value >> 32), static_cast<LPARAM>(value & 0xFFFFFFFFu));
}

} // namespace

void OpenProgress() {
  StartProgressWindow(g_shell.instance, g_shell.uiFont, &g_shell.progress);
  if (IsWindow(g_shell.progress.window)) CenterWindow(g_shell.progress.window, g_shell.mainWindow);
}

void ShowProgress() {
  if (IsWindow(g_shell.progress.window)) ShowWindow(g_shell.progress.window, SW_SHOW);
}

void CloseProgress() {
  Send(PROGRESS_CLOSE, 0, 0);
}
void SetProgressTitle(const wchar_t *text) {
  Send(PROGRESS_SET_TITLE, 0, reinterpret_cast<LPARAM>(text));
}
void SetProgressInfo(const wchar_t *text) {
  Send(PROGRESS_SET_INFO, 0, reinterpret_cast<LPARAM>(text));
}
void SetProgressOverallTotal(uint64_t total) {
  SendValue(PROGRESS_SET_OVERALL_TOTAL, total);
}
void SetProgressOverallPos(uint64_t pos) {
  SendValue(PROGRESS_SET_OVERALL_POS, pos);
}
void SetProgressItemTotal(uint64_t total) {
  SendValue(PROGRESS_SET_ITEM_TOTAL, total);
}
void SetProgressItemPos(uint64_t pos) {
  SendValue(PROGRESS_SET_ITEM_POS, pos);
}
void ShowProgressCancel() {
  Send(PROGRESS_SHOW_CANCEL, 0, 0);
}
bool ProgressCancelRequested() {
  return *static_cast<volatile BOOL *>(&g_shell.progress.cancelRequested) != 0;
}
