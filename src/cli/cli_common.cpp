#include "cli/cli_common.h"

#include <cwchar>
#include <string>

#include "cli/cli_progress.h"
#include "platform/platform.h"

void WriteUtf8(std::FILE *stream, const wchar_t *text) {
  char small[1024];
  size_t needed = platform::WideToUtf8(text, small, sizeof small);
  if (needed < sizeof small) {
    std::fwrite(small, 1, needed, stream);
    return;
  }
  std::string large(needed, '\0');
  platform::WideToUtf8(text, large.data(), needed + 1);
  std::fwrite(large.data(), 1, needed, stream);
}

void WriteRow(const wchar_t *const *fields, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) std::fputc('\t', stdout);
    WriteUtf8(stdout, fields[i]);
  }
  std::fputc('\n', stdout);
}

void FormatKey(const MobKey &key, wchar_t (&text)[kKeyTextChars]) {
  std::swprintf(text, kKeyTextChars, L"%8.8X.%8.8X", key.low, key.high);
}

namespace {

void LogLineToStderr(const wchar_t *text) {
  WriteUtf8(stderr, text);
  std::fputc('\n', stderr);
}

void LogErrorToStderr(const wchar_t *tag, uint32_t code) {
  WriteUtf8(stderr, tag);
  std::fprintf(stderr, " : error %u\n", code);
}

} // namespace

void InstallLogHooks() {
  platform::HostHooks hooks{};
  hooks.logLine = LogLineToStderr;
  hooks.logError = LogErrorToStderr;
  platform::SetHostHooks(hooks);
  InstallProgressLine();
}
