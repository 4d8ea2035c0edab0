#include "inspection/media_info_text.h"

#include <cwchar>

#include "inspection/bento_constants.h"

namespace {

struct CompressionLabel {
  uint32_t compressionId;
  const wchar_t *text;
};

constexpr CompressionLabel kCompressionLabels[] = {
    {75, L"JPEG: 10:1"},   {76, L"JPEG: 2:1"},           {77, L"JPEG: 3:1"},  {78, L"JPEG: 15:1s"},
    {79, L"JPEG: 4:1s"},   {80, L"JPEG: 2:1s"},          {82, L"JPEG: 20:1"}, {110, L"JPEG: 10:1m"},
    {111, L"JPEG: 4:1m"},  {140, L"DV25: 411"},          {141, L"DV25: 420"}, {142, L"DV50"},
    {151, L"UNCOMP: 1:1"}, {160, L"MPEG: 50"},           {161, L"MPEG: 40"},  {162, L"MPEG: 30"},
    {170, L"UNCOMP: 1:1"}, {2022, L"UNCOMP: 1:1 10bit"},
};

struct AudioTemplate {
  uint32_t mediaType;
  const wchar_t *text;
  uint32_t rateAt;  // where format code characters 0-1 go
  uint32_t depthAt; // where characters 2-3 go
};

constexpr AudioTemplate kAudioTemplates[] = {
    {kMediaWave, L"WAVE   khz   bit", 5, 11},
    {kMediaAiff, L"AIFF   khz   bit", 5, 11},
    {kMediaPcm, L"PCM   khz   bit", 4, 10},
};

constexpr wchar_t kFallbackTemplate[] = L"          0x         ";

// Copies count characters from source to output + at; a zero byte ends the text there.
// Returns 0 when it ended the text.
int CopyCodeCharacters(wchar_t *output, uint32_t at, const char *source, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    const unsigned char c = static_cast<unsigned char>(source[i]);
    output[at + i] = c;
    if (c == 0) return 0;
  }
  return 1;
}

uint32_t CodeValue(const char *code) {
  return static_cast<uint32_t>(static_cast<unsigned char>(code[0])) |
         static_cast<uint32_t>(static_cast<unsigned char>(code[1])) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(code[2])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(code[3])) << 24;
}

} // namespace

wchar_t *FormatCompressionText(wchar_t *output, uint32_t compressionId, const char *formatCode,
                               uint32_t /*unitSize*/, const char *mediaType) {
  if (output == nullptr) return nullptr;
  static const char kZeroCode[4] = {};
  if (formatCode == nullptr) formatCode = kZeroCode;
  if (mediaType == nullptr) mediaType = kZeroCode;
  output[0] = 0;
  output[1] = 0;

  const uint32_t type = CodeValue(mediaType);
  for (const AudioTemplate &audio : kAudioTemplates) {
    if (audio.mediaType != type) continue;
    std::wcscpy(output, audio.text);
    // A zero in the rate code cuts the text there; the depth then lies behind the end.
    CopyCodeCharacters(output, audio.rateAt, formatCode, 2);
    CopyCodeCharacters(output, audio.depthAt, formatCode + 2, 2);
  }
  if (type == kMediaVideo) {
    for (const CompressionLabel &label : kCompressionLabels) {
      if (label.compressionId == compressionId) std::wcscpy(output, label.text);
    }
  }
  if (output[0] != 0) return output;

  // Raw form: media type, format code and the compression ID in hexadecimal.
  std::wcscpy(output, kFallbackTemplate);
  if (CopyCodeCharacters(output, 0, mediaType, 4) && CopyCodeCharacters(output, 5, formatCode, 4))
    std::swprintf(output + 12, kCompressionTextChars - 12, L"%x", compressionId);
  return output;
}
