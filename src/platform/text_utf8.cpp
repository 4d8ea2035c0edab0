// UTF-8 conversion of wide text, the same code in both builds: wchar_t holds UTF-16 on
// Windows and whole code points elsewhere.
#include "platform/platform.h"

namespace platform {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;
constexpr bool kWideIsUtf16 = sizeof(wchar_t) == 2;

bool IsSurrogate(uint32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

// Next code point of wide text; advances text past it.
uint32_t NextWideCodePoint(const wchar_t *&text) {
  uint32_t c = static_cast<uint32_t>(*text++);
  if (kWideIsUtf16) c &= 0xFFFF;
  if (kWideIsUtf16 && c >= 0xD800 && c <= 0xDBFF) {
    uint32_t low = static_cast<uint32_t>(*text) & 0xFFFF;
    if (low < 0xDC00 || low > 0xDFFF) return kReplacement;
    ++text;
    return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
  }
  if (IsSurrogate(c) || c > 0x10FFFF) return kReplacement;
  return c;
}

uint32_t EncodeUtf8(uint32_t c, char *units) {
  if (c < 0x80) {
    units[0] = static_cast<char>(c);
    return 1;
  }
  if (c < 0x800) {
    units[0] = static_cast<char>(0xC0 | (c >> 6));
    units[1] = static_cast<char>(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    units[0] = static_cast<char>(0xE0 | (c >> 12));
    units[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    units[2] = static_cast<char>(0x80 | (c & 0x3F));
    return 3;
  }
  units[0] = static_cast<char>(0xF0 | (c >> 18));
  units[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
  units[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  units[3] = static_cast<char>(0x80 | (c & 0x3F));
  return 4;
}

// Next code point of UTF-8 text; advances text past it (by one byte when malformed).
uint32_t NextUtf8CodePoint(const char *&text) {
  const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
  uint32_t lead = p[0];
  uint32_t length, c, least;
  if (lead < 0x80) {
    text += 1;
    return lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, c = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, c = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, c = lead & 0x07, least = 0x10000;
  } else {
    text += 1;
    return kReplacement;
  }
  // A terminator is not a continuation byte, so the loop never reads past it.
  for (uint32_t i = 1; i < length; ++i) {
    if ((p[i] & 0xC0) != 0x80) {
      text += 1;
      return kReplacement;
    }
    c = (c << 6) | (p[i] & 0x3F);
  }
  text += length;
  if (c < least || IsSurrogate(c) || c > 0x10FFFF) return kReplacement;
  return c;
}

uint32_t EncodeWide(uint32_t c, wchar_t *units) {
  if (kWideIsUtf16 && c >= 0x10000) {
    c -= 0x10000;
    units[0] = static_cast<wchar_t>(0xD800 + (c >> 10));
    units[1] = static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    return 2;
  }
  units[0] = static_cast<wchar_t>(c);
  return 1;
}

// Collects units into a bounded buffer: a character is written whole or, once one did not
// fit, neither it nor anything after it is; every unit is counted.
template <typename Unit> struct BoundedOutput {
  Unit *out;
  size_t outSize;
  size_t written = 0;
  size_t needed = 0;
  bool full = false;

  void Add(const Unit *units, uint32_t n) {
    if (!full && outSize > 0 && n <= outSize - 1 - written) {
      for (uint32_t i = 0; i < n; ++i) out[written + i] = units[i];
      written += n;
    } else {
      full = true;
    }
    needed += n;
  }
  size_t Finish() {
    if (outSize > 0) out[written] = 0;
    return needed;
  }
};

template <typename In, typename Out, uint32_t (*Next)(const In *&),
          uint32_t (*Encode)(uint32_t, Out *)>
size_t Convert(const In *text, Out *out, size_t outSize) {
  BoundedOutput<Out> result{out, outSize};
  while (*text != 0) {
    Out units[4];
    result.Add(units, Encode(Next(text), units));
  }
  return result.Finish();
}

} // namespace

size_t WideToUtf8(const wchar_t *text, char *out, size_t outSize) {
  return Convert<wchar_t, char, NextWideCodePoint, EncodeUtf8>(text, out, outSize);
}

size_t Utf8ToWide(const char *text, wchar_t *out, size_t outSize) {
  return Convert<char, wchar_t, NextUtf8CodePoint, EncodeWide>(text, out, outSize);
}

} // namespace platform
