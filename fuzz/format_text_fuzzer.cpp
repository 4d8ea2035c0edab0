// The "Compression" column text over any record fields. The codes are handed over in heap
// blocks of exactly four bytes (they carry no terminator) and the output in a block of
// exactly the 22 characters that callers provide, filled with garbage first, so that any
// read or write past them, or a text left without its terminator, stops the run.
#include <cstring>
#include <memory>

#include "fuzz_input.h"
#include "inspection/media_info_text.h"

namespace {

uint32_t Word(const uint8_t *data, size_t size, size_t at) {
  uint8_t b[4] = {};
  for (size_t i = 0; i < 4 && at + i < size; ++i) b[i] = data[at + i];
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
         static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
}

} // namespace

// Input: compression ID, format code, unit size, media type; four bytes each, zeros when short.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  uint32_t compressionId = Word(data, size, 0);
  uint32_t format = Word(data, size, 4), unitSize = Word(data, size, 8),
           type = Word(data, size, 12);
  auto formatCode = std::make_unique<char[]>(4);
  auto mediaType = std::make_unique<char[]>(4);
  std::memcpy(formatCode.get(), &format, 4);
  std::memcpy(mediaType.get(), &type, 4);
  auto output = std::make_unique<wchar_t[]>(kCompressionTextChars);
  for (uint32_t i = 0; i < kCompressionTextChars; ++i) output[i] = 0xFFFF;

  if (FormatCompressionText(nullptr, compressionId, formatCode.get(), unitSize, mediaType.get()))
    FuzzFail("a text without an output buffer");
  wchar_t *text = FormatCompressionText(output.get(), compressionId, formatCode.get(), unitSize,
                                        mediaType.get());
  if (text != output.get()) FuzzFail("the output buffer was not returned");
  size_t n = FuzzTextLength(text, kCompressionTextChars, "compression text without terminator");
  for (size_t i = 0; i < n; ++i) {
    if (text[i] > 0xFF) FuzzFail("a character that no field holds");
  }
  return 0;
}
