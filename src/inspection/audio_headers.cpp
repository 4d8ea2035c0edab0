// Bit depth, sample rate and unit size of audio media, from the copy of the RIFF/WAVE or
// FORM/AIFC header that a descriptor carries, or from the plain properties of a "PCMA"
// descriptor. The results go into the format code (positions 0-1 the rate code, 2-3 the bit
// depth) and the unit size.
#include <cstring>

#include "inspection/bento_constants.h"
#include "base/byte_order.h"
#include "inspection/media_file_parser.h"

namespace {

// Offset of the last occurrence of chunkId whose fields (span bytes from it) lie inside the
// summary; offset 0 is never examined. -1 when there is none.
int64_t FindChunk(const uint8_t *summary, uint32_t length, const char (&chunkId)[5],
                  uint32_t span) {
  if (length <= span) return -1;
  for (uint32_t at = length - span; at >= 1; --at) {
    if (std::memcmp(summary + at, chunkId, 4) == 0) return at;
  }
  return -1;
}

// "  16", "  24" or "  32" for the depths listed, else four zero bytes.
void SetBitDepth(char *formatCode, uint32_t bits) {
  std::memset(formatCode, 0, 4);
  if (bits == 16 || bits == 24 || bits == 32) {
    formatCode[0] = ' ';
    formatCode[1] = ' ';
    formatCode[2] = static_cast<char>('0' + bits / 10);
    formatCode[3] = static_cast<char>('0' + bits % 10);
  }
}

// Positions 0-1 for a rate that the table lists (44.1, 48, 32 kHz in this order).
void SetRateCode(char *formatCode, uint32_t value, const uint32_t *rates, int count) {
  static const char kCodes[3][2] = {{'4', '4'}, {'4', '8'}, {'3', '2'}};
  for (int i = 0; i < count; ++i) {
    if (value != rates[i]) continue;
    formatCode[0] = kCodes[i][0];
    formatCode[1] = kCodes[i][1];
  }
}

constexpr uint32_t kWaveRates[] = {44100, 48000, 32000};
// The top 16 bits of the extended-precision mantissa; the exponent is not looked at, so
// 64000 Hz reads as 32000 Hz.
constexpr uint32_t kAifcRates[] = {0xAC44, 0xBB80, 0xFA00};
constexpr uint32_t kPcmRates[] = {44100, 48000};

} // namespace

void MediaFileParser::ReadWaveSummary(int32_t descriptorEntry) {
  const uint32_t length = ReadPropertyValue(descriptorEntry, PROP_WAVE_SUMMARY);
  const int64_t chunk = FindChunk(valueBuffer, length, "fmt ", 24);
  if (chunk < 0) return;
  const uint8_t *fmt = valueBuffer + chunk;
  SetBitDepth(results.formatCode, ReadLittle16(fmt + 22));
  SetRateCode(results.formatCode, ReadLittle32(fmt + 12), kWaveRates, 3);
  results.unitSize = ReadLittle16(fmt + 20); // block alignment
}

void MediaFileParser::ReadAifcSummary(int32_t descriptorEntry) {
  const uint32_t length = ReadPropertyValue(descriptorEntry, PROP_AIFC_SUMMARY);
  const int64_t chunk = FindChunk(valueBuffer, length, "COMM", 26);
  if (chunk < 0) return;
  const uint8_t *comm = valueBuffer + chunk;
  const uint32_t channels = ReadBig16(comm + 8);
  const uint32_t bits = ReadBig16(comm + 14);
  SetBitDepth(results.formatCode, bits);
  SetRateCode(results.formatCode, ReadBig16(comm + 18), kAifcRates, 3);
  results.unitSize = channels * (bits / 8);
}

void MediaFileParser::ReadPcmProperties(int32_t descriptorEntry) {
  std::memcpy(results.mediaType, "_PCM", 4);
  std::memset(results.formatCode, 0, 4);
  if (ReadPropertyValue(descriptorEntry, PROP_PCM_BITS) == 0) return;
  const uint32_t bits = ReadLittle16(valueBuffer);
  SetBitDepth(results.formatCode, bits);
  uint32_t byteRate = 0;
  if (bits >= 8 && ReadU32Property(descriptorEntry, PROP_PCM_BYTE_RATE, &byteRate)) {
    SetRateCode(results.formatCode, byteRate / (bits / 8), kPcmRates, 2);
  }
  if (std::memcmp(results.formatCode + 2, "16", 2) == 0) results.unitSize = 2;
  if (std::memcmp(results.formatCode + 2, "24", 2) == 0) results.unitSize = 3;
}
