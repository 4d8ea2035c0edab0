#include "window_services/host_receivers.h"

#include "window_services/progress.h"
#include "window_services/progress_window.h"
#include "platform/platform.h"
#include "window_services/console_window.h"
#include "window_services/shell_state.h"

namespace {

// The log's receivers: the console's messages, sent only while its window exists.
void SendToConsole(UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsWindow(g_shell.console)) SendMessageW(g_shell.console, message, wParam, lParam);
}
void ConsoleLine(const wchar_t *text) {
  SendToConsole(LOG_LINE, 0, reinterpret_cast<LPARAM>(text));
}
void ConsoleError(const wchar_t *tag, uint32_t code) {
  SendToConsole(LOG_ERROR, code, reinterpret_cast<LPARAM>(tag));
}
void ConsoleShow() {
  SendToConsole(LOG_SHOW, 0, 0);
}
void ConsoleHide() {
  SendToConsole(LOG_HIDE, 0, 0);
}

int CancelReceiver() {
  return ProgressCancelRequested() ? 1 : 0;
}
} // namespace

void InstallHostReceivers() {
  platform::HostHooks hooks{};
  hooks.logLine = ConsoleLine;
  hooks.logError = ConsoleError;
  hooks.logShow = ConsoleShow;
  hooks.logHide = ConsoleHide;
  hooks.progressStart = OpenProgress;
  hooks.progressShow = ShowProgress;
  hooks.progressClose = CloseProgress;
  hooks.progressTitle = SetProgressTitle;
  hooks.progressInfo = SetProgressInfo;
  hooks.progressOverallTotal = SetProgressOverallTotal;
  hooks.progressOverallPos = SetProgressOverallPos;
  hooks.progressItemTotal = SetProgressItemTotal;
  hooks.progressItemPos = SetProgressItemPos;
  hooks.progressShowCancel = ShowProgressCancel;
  hooks.cancelRequested = CancelReceiver;
  hooks.pollUserCancel = PollUserCancel;
  platform::SetHostHooks(hooks);
}
