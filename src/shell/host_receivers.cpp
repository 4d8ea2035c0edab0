#include "shell/host_receivers.h"

#include "operations/progress.h"
#include "operations/progress_window.h"
#include "platform/platform.h"
#include "shell/console_window.h"

namespace {
void LogErrorReceiver(const wchar_t *tag, uint32_t code) {
  LogError(tag, code);
}
int CancelReceiver() {
  return ProgressCancelRequested() ? 1 : 0;
}
} // namespace

void InstallHostReceivers() {
  platform::HostHooks hooks{};
  hooks.logLine = LogLine;
  hooks.logError = LogErrorReceiver;
  hooks.logShow = LogShow;
  hooks.logHide = LogHide;
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
