#include "support/log_capture.h"

#include <algorithm>

#include "platform/platform.h"

namespace {

LogCapture *g_capture = nullptr;
platform::HostHooks g_previous{};

void CaptureLine(const wchar_t *text) {
  if (g_capture) g_capture->lines.push_back(text);
}

void CaptureError(const wchar_t *tag, uint32_t code) {
  if (g_capture)
    g_capture->lines.push_back(std::wstring(tag) + L" : error " + std::to_wstring(code));
}

} // namespace

LogCapture::LogCapture() {
  g_capture = this;
  // Only the log receivers change; whatever else was installed stays.
  g_previous = platform::SetHostHooks(platform::HostHooks{});
  platform::HostHooks hooks = g_previous;
  hooks.logLine = CaptureLine;
  hooks.logError = CaptureError;
  platform::SetHostHooks(hooks);
}

LogCapture::~LogCapture() {
  platform::SetHostHooks(g_previous);
  g_capture = nullptr;
}

size_t LogCapture::Count(const std::wstring &line) const {
  return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}
