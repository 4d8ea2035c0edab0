#include "cli/cli_progress.h"

#include <cstdio>
#include <cwchar>
#include <iterator>

#include "cli/cli_common.h"
#include "platform/platform.h"

namespace {

constexpr int kLineColumns = 79;       // fits an 80-column terminal without wrapping
constexpr uint64_t kRedrawEvery = 100; // milliseconds between redraws of positions

struct ProgressLine {
  bool open;  // between start and close
  bool drawn; // a line is on the terminal now
  wchar_t title[80];
  wchar_t info[260];
  uint64_t total;
  uint64_t pos;
  uint64_t itemTotal;
  uint64_t itemPos;
  uint64_t lastDraw;
};

ProgressLine g_line;
platform::HostHooks g_previous; // the log receivers this line wraps

void Erase() {
  if (!g_line.drawn) return;
  std::fprintf(stderr, "\r%*s\r", kLineColumns, "");
  g_line.drawn = false;
}

unsigned Percent(uint64_t pos, uint64_t total) {
  if (total == 0) return 0;
  if (pos >= total) return 100;
  return static_cast<unsigned>(static_cast<double>(pos) * 100.0 / static_cast<double>(total));
}

void Draw(bool force) {
  if (!g_line.open) return;
  uint64_t now = platform::Milliseconds();
  if (!force && g_line.drawn && now - g_line.lastDraw < kRedrawEvery) return;
  g_line.lastDraw = now;
  const wchar_t *what = g_line.info[0] != 0 ? g_line.info : g_line.title;
  wchar_t text[kLineColumns + 1];
  int n = std::swprintf(text, kLineColumns + 1, L"%3u%%", Percent(g_line.pos, g_line.total));
  if (g_line.itemTotal != 0 && g_line.itemPos < g_line.itemTotal && n > 0)
    n += std::swprintf(text + n, kLineColumns + 1 - n, L" (%3u%%)",
                       Percent(g_line.itemPos, g_line.itemTotal));
  if (n > 0 && n < kLineColumns) {
    // The tail of a long path tells more than its head.
    size_t room = static_cast<size_t>(kLineColumns - n - 1);
    size_t length = std::wcslen(what);
    const wchar_t *shown = length > room ? what + (length - room) : what;
    std::swprintf(text + n, kLineColumns + 1 - n, L" %-*ls", static_cast<int>(room), shown);
  }
  std::fputc('\r', stderr);
  WriteUtf8(stderr, text);
  std::fflush(stderr);
  g_line.drawn = true;
}

void CopyText(wchar_t *to, size_t capacity, const wchar_t *text) {
  std::wcsncpy(to, text != nullptr ? text : L"", capacity - 1);
  to[capacity - 1] = 0;
  // One line only: line breaks in a text would break the redraw in place.
  for (wchar_t *c = to; *c != 0; ++c)
    if (*c == L'\n' || *c == L'\r' || *c == L'\t') *c = L' ';
}

void OnLogLine(const wchar_t *text) {
  Erase();
  if (g_previous.logLine) g_previous.logLine(text);
  Draw(true);
}

void OnLogError(const wchar_t *tag, uint32_t code) {
  Erase();
  if (g_previous.logError) g_previous.logError(tag, code);
  Draw(true);
}

void OnStart() {
  g_line = ProgressLine{};
  g_line.open = true;
}
void OnShow() {
  Draw(true);
}
void OnClose() {
  Erase();
  g_line.open = false;
}
void OnTitle(const wchar_t *text) {
  CopyText(g_line.title, std::size(g_line.title), text);
  Draw(true);
}
void OnInfo(const wchar_t *text) {
  CopyText(g_line.info, std::size(g_line.info), text);
  Draw(false);
}
void OnOverallTotal(uint64_t total) {
  g_line.total = total;
  g_line.pos = 0;
}
void OnOverallPos(uint64_t pos) {
  g_line.pos = pos;
  Draw(false);
}
void OnItemTotal(uint64_t total) {
  g_line.itemTotal = total;
}
void OnItemPos(uint64_t pos) {
  g_line.itemPos = pos;
  Draw(false);
}

} // namespace

void InstallProgressLine() {
  if (!platform::ErrorStreamIsTerminal()) return;
  platform::HostHooks hooks = platform::SetHostHooks(platform::HostHooks{});
  g_previous = hooks;
  hooks.logLine = OnLogLine;
  hooks.logError = OnLogError;
  hooks.progressStart = OnStart;
  hooks.progressShow = OnShow;
  hooks.progressClose = OnClose;
  hooks.progressTitle = OnTitle;
  hooks.progressInfo = OnInfo;
  hooks.progressOverallTotal = OnOverallTotal;
  hooks.progressOverallPos = OnOverallPos;
  hooks.progressItemTotal = OnItemTotal;
  hooks.progressItemPos = OnItemPos;
  platform::SetHostHooks(hooks); // no cancel from the terminal: Ctrl+C ends the program
}
