#include "catalogue/media_record.h"

#include <cstddef>
#include <cstring>
#include <cwchar>

namespace {

// The record's texts in the order they lie in it. A record is several kilobytes, mostly the
// unused tails of these texts behind their terminators; emptying and copying leave the tails
// out, as nothing reads them.
struct TextField {
  size_t offset;
  size_t chars;
};
constexpr TextField kTexts[] = {
    {offsetof(MediaRecord, folder), kPathChars},     {offsetof(MediaRecord, fileName), kPathChars},
    {offsetof(MediaRecord, project), kProjectChars}, {offsetof(MediaRecord, nameInBin), kPathChars},
    {offsetof(MediaRecord, source), kPathChars},
};

constexpr bool InOrderWithinTheRecord() {
  size_t at = 0;
  for (const TextField &text : kTexts) {
    if (text.offset < at) return false;
    at = text.offset + text.chars * sizeof(wchar_t);
  }
  return at <= sizeof(MediaRecord);
}
static_assert(InOrderWithinTheRecord(), "the texts are listed as they lie in the record");

} // namespace

void EmptyRecord(MediaRecord &record) {
  unsigned char *bytes = reinterpret_cast<unsigned char *>(&record);
  size_t at = 0;
  for (const TextField &text : kTexts) {
    std::memset(bytes + at, 0, text.offset - at);
    *reinterpret_cast<wchar_t *>(bytes + text.offset) = 0;
    at = text.offset + text.chars * sizeof(wchar_t);
  }
  std::memset(bytes + at, 0, sizeof record - at);
}

void CopyRecord(MediaRecord &destination, const MediaRecord &source) {
  unsigned char *to = reinterpret_cast<unsigned char *>(&destination);
  const unsigned char *from = reinterpret_cast<const unsigned char *>(&source);
  size_t at = 0;
  for (const TextField &text : kTexts) {
    std::memcpy(to + at, from + at, text.offset - at);
    // The characters and the terminator; a text without one is copied whole.
    const size_t length =
        wcsnlen(reinterpret_cast<const wchar_t *>(from + text.offset), text.chars);
    const size_t chars = length < text.chars ? length + 1 : text.chars;
    std::memcpy(to + text.offset, from + text.offset, chars * sizeof(wchar_t));
    at = text.offset + text.chars * sizeof(wchar_t);
  }
  std::memcpy(to + at, from + at, sizeof source - at);
}
