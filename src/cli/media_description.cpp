#include "cli/media_description.h"

#include <cwchar>
#include <string>

#include "cli/cli_common.h"
#include "inspection/media_info_text.h"

namespace {

void WriteField(const wchar_t *key, const wchar_t *value) {
  const wchar_t *fields[] = {key, value};
  WriteRow(fields, 2);
}

void WriteNumber(const wchar_t *key, uint32_t value) {
  wchar_t text[16];
  std::swprintf(text, 16, L"%u", value);
  WriteField(key, text);
}

void WriteKey(const wchar_t *key, const MobKey &value) {
  wchar_t text[kKeyTextChars];
  FormatKey(value, text);
  WriteField(key, text);
}

// Four characters, each byte as the character of the same value; a zero byte as "\0".
void WriteCode(const wchar_t *key, const char *code) {
  wchar_t text[9] = {};
  wchar_t *at = text;
  for (int i = 0; i < 4; ++i) {
    const unsigned char c = static_cast<unsigned char>(code[i]);
    if (c == 0) {
      *at++ = L'\\';
      *at++ = L'0';
    } else {
      *at++ = c;
    }
  }
  WriteField(key, text);
}

} // namespace

void WriteMediaDescription(const ParserResults &r) {
  WriteField(L"project", r.projectName);
  WriteField(L"clip", r.clipName);
  WriteField(L"source", r.sourceName);
  WriteKey(L"clip mob key", r.clipMobKey);
  WriteKey(L"media mob key", r.mediaMobKey);
  WriteNumber(L"clip usage", r.clipUsage);
  WriteCode(L"media type", r.mediaType);
  WriteCode(L"format code", r.formatCode);
  WriteNumber(L"compression id", r.compressionId);
  WriteNumber(L"unit size", r.unitSize);
  wchar_t compression[kCompressionTextChars];
  FormatCompressionText(compression, r.compressionId, r.formatCode, r.unitSize, r.mediaType);
  WriteField(L"compression", compression);
}

int OpenContainer(MediaFileParser &parser, const wchar_t *path) {
  if (parser.OpenMediaFile(path) == 1) return 1;
  std::wstring line = L"orvalis-cli: ";
  line += ContainerStatusText(parser.status);
  line += L" ::";
  line += path;
  line += L"\n";
  WriteUtf8(stderr, line.c_str());
  return 0;
}
