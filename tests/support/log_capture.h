// Collects the core's log lines while it lives, in place of the console or standard error;
// the receivers that were installed before come back when it goes. One capture at a time.
#pragma once

#include <string>
#include <vector>

struct LogCapture {
  std::vector<std::wstring> lines; // LogLine texts, and LogError as "tag : error code"

  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture &) = delete;
  LogCapture &operator=(const LogCapture &) = delete;

  size_t Count(const std::wstring &line) const;
};
