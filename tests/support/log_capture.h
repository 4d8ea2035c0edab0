// Collects the core's log lines while it lives, in place of the console or standard error,
// and with progressToo the progress messages (the cancel checks then answer cancelAnswer);
// the receivers that were installed before come back when it goes. One capture at a time.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.h"

struct LogCapture {
  std::vector<std::wstring> lines; // LogLine texts, and LogError as "tag : error code"
  std::vector<uint64_t> overallPositions, itemTotals;
  std::vector<std::wstring> infos, titles;
  int cancelAnswer = 0;
  // Only the receivers captured change; whatever else was installed stays.
  platform::HostHooks previous = platform::SetHostHooks(platform::HostHooks{});
  static inline LogCapture *current = nullptr;

  explicit LogCapture(bool progressToo = false) {
    current = this;
    platform::HostHooks hooks = previous;
    hooks.logLine = [](const wchar_t *text) {
      if (current) current->lines.push_back(text);
    };
    hooks.logError = [](const wchar_t *tag, uint32_t code) {
      if (current)
        current->lines.push_back(std::wstring(tag) + L" : error " + std::to_wstring(code));
    };
    if (progressToo) {
      hooks.progressOverallPos = [](uint64_t pos) { current->overallPositions.push_back(pos); };
      hooks.progressItemTotal = [](uint64_t total) { current->itemTotals.push_back(total); };
      hooks.progressInfo = [](const wchar_t *text) { current->infos.push_back(text); };
      hooks.progressTitle = [](const wchar_t *text) { current->titles.push_back(text); };
      hooks.pollUserCancel = hooks.cancelRequested = [] { return current->cancelAnswer; };
    }
    platform::SetHostHooks(hooks);
  }
  ~LogCapture() {
    platform::SetHostHooks(previous);
    current = nullptr;
  }
  LogCapture(const LogCapture &) = delete;
  LogCapture &operator=(const LogCapture &) = delete;

  size_t Count(const std::wstring &line) const {
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
  }
  bool HasInfoStartingWith(const std::wstring &prefix) const {
    return std::any_of(infos.begin(), infos.end(),
                       [&](const std::wstring &info) { return info.rfind(prefix, 0) == 0; });
  }
};
