#include "base/walk_helpers.h"

#include <cwchar>

namespace {

// Room for a folder, a separator, a name and the tag that introduces them; longer texts
// (only arguments given to orvalis-cli can be) are cut short with "...".
constexpr size_t kReportChars = 3 * platform::kPathBufferChars;

size_t Append(wchar_t *line, size_t used, const wchar_t *text) {
  for (; *text != 0 && used + 4 < kReportChars; ++text) line[used++] = *text;
  if (*text != 0 && used + 3 < kReportChars) {
    for (int i = 0; i < 3; ++i) line[used++] = L'.';
  }
  line[used] = 0;
  return used;
}

void ReportLongPath(const wchar_t *tag, const wchar_t *folder, const wchar_t *name) {
  wchar_t line[kReportChars];
  size_t used = Append(line, 0, tag);
  used = Append(line, used, folder);
  if (name != nullptr) {
    const wchar_t separator[2] = {platform::kPathSeparator, 0};
    used = Append(line, used, separator);
    Append(line, used, name);
  }
  platform::LogLine(line);
}

} // namespace

void CopyText(wchar_t *destination, size_t capacity, const wchar_t *text) {
  if (capacity == 0) return;
  size_t i = 0;
  for (; text != nullptr && i + 1 < capacity && text[i] != 0; ++i) destination[i] = text[i];
  destination[i] = 0;
}

bool IsDotEntry(const wchar_t *name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

int JoinOrReport(wchar_t (&path)[platform::kPathBufferChars], const wchar_t *folder,
                 const wchar_t *name, const wchar_t *tag) {
  if (std::wcslen(folder) < platform::kPathBufferChars) {
    CopyText(path, folder);
    if (platform::PathJoin(path, name)) return 1;
  }
  path[0] = 0;
  ReportLongPath(tag, folder, name);
  return 0;
}

int FitsOrReport(const wchar_t *text, const wchar_t *tag) {
  if (std::wcslen(text) < platform::kPathBufferChars) return 1;
  ReportLongPath(tag, text, nullptr);
  return 0;
}

void ReportAboutPath(const wchar_t *text, const wchar_t *detail, const wchar_t *path) {
  wchar_t line[kReportChars];
  size_t used = Append(line, 0, text);
  if (detail != nullptr) used = Append(line, used, detail);
  used = Append(line, used, L" ::");
  Append(line, used, path != nullptr ? path : L"");
  platform::LogLine(line);
}

bool Throttle::Due() {
  uint64_t now = platform::Milliseconds();
  if (started && now - last < interval) return false;
  started = true;
  last = now;
  return true;
}

void ProgressCount(const wchar_t *prefix, uint64_t number) {
  wchar_t text[96];
  std::swprintf(text, sizeof text / sizeof text[0], L"%ls%llu", prefix,
                static_cast<unsigned long long>(number));
  platform::ProgressInfo(text);
}
