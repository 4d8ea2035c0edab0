#include "platform/platform.h"

namespace platform {
namespace {
HostHooks g_hooks{};
}

HostHooks SetHostHooks(const HostHooks &hooks) {
  HostHooks previous = g_hooks;
  g_hooks = hooks;
  return previous;
}

void LogLine(const wchar_t *text) {
  if (g_hooks.logLine) g_hooks.logLine(text);
}
void LogError(const wchar_t *tag, uint32_t code) {
  if (g_hooks.logError && code != 0) g_hooks.logError(tag, code);
}
void LogShow() {
  if (g_hooks.logShow) g_hooks.logShow();
}
void LogHide() {
  if (g_hooks.logHide) g_hooks.logHide();
}
void ProgressStart() {
  if (g_hooks.progressStart) g_hooks.progressStart();
}
void ProgressShow() {
  if (g_hooks.progressShow) g_hooks.progressShow();
}
void ProgressClose() {
  if (g_hooks.progressClose) g_hooks.progressClose();
}
void ProgressTitle(const wchar_t *text) {
  if (g_hooks.progressTitle) g_hooks.progressTitle(text);
}
void ProgressInfo(const wchar_t *text) {
  if (g_hooks.progressInfo) g_hooks.progressInfo(text);
}
void ProgressOverallTotal(uint64_t total) {
  if (g_hooks.progressOverallTotal) g_hooks.progressOverallTotal(total);
}
void ProgressOverallPos(uint64_t pos) {
  if (g_hooks.progressOverallPos) g_hooks.progressOverallPos(pos);
}
void ProgressItemTotal(uint64_t total) {
  if (g_hooks.progressItemTotal) g_hooks.progressItemTotal(total);
}
void ProgressItemPos(uint64_t pos) {
  if (g_hooks.progressItemPos) g_hooks.progressItemPos(pos);
}
void ProgressShowCancel() {
  if (g_hooks.progressShowCancel) g_hooks.progressShowCancel();
}
int CancelRequested() { return g_hooks.cancelRequested ? g_hooks.cancelRequested() : 0; }
int PollUserCancel() { return g_hooks.pollUserCancel ? g_hooks.pollUserCancel() : 0; }

} // namespace platform
