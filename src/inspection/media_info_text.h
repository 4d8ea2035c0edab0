// The short text of the media list's "Compression" column: a compression label for video,
// rate and bit depth for audio, and the raw fields for everything else.
#pragma once

#include <cstdint>

inline constexpr uint32_t kCompressionTextChars = 22; // the least the output must hold

// Writes the text for a record's media type, compression ID and format code (four
// characters each; the unit size is not shown) into output and returns it; none without
// an output buffer.
wchar_t *FormatCompressionText(wchar_t *output, uint32_t compressionId, const char *formatCode,
                               uint32_t unitSize, const char *mediaType);
