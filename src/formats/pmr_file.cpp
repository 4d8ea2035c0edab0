#include "formats/pmr_file.h"

#include <cstring>
#include <cwchar>

#include "platform/platform.h"

namespace {

constexpr wchar_t kOpenError[] = L" ::open error";
constexpr wchar_t kTooSmall[] = L" ::too small";
constexpr wchar_t kInvalidRecords[] = L" ::Found invalid records";
constexpr wchar_t kBadIdLength[] = L"PMRFile: bad GUID Length";

// The media file types that an index entry may name, matched byte for byte.
constexpr const char *kMediaExtensions[] = {"aif", "omf", "mxf", "wav", "AIF", "OMF", "MXF", "WAV"};

enum class Attempt {
  Valid,
  BadLength, // a length no entry can have
  Invalid,   // complete, but fails validation
  Short,     // the file ends inside the entry
};

void AppendMessage(PMRFile &f, const wchar_t *text) {
  size_t used = std::wcslen(f.message);
  while (*text != 0 && used + 1 < kPmrMessageChars) f.message[used++] = *text++;
  f.message[used] = 0;
}

bool MessageEndsWith(const PMRFile &f, const wchar_t *suffix) {
  size_t used = std::wcslen(f.message), n = std::wcslen(suffix);
  return used >= n && std::wcscmp(f.message + used - n, suffix) == 0;
}

uint32_t LittleEndian32(const uint8_t *b) {
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
         static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
}

uint32_t BigEndian32(const uint8_t *b) {
  return static_cast<uint32_t>(b[3]) | static_cast<uint32_t>(b[2]) << 8 |
         static_cast<uint32_t>(b[1]) << 16 | static_cast<uint32_t>(b[0]) << 24;
}

// A header word in the file's byte order; 0 when the file ends first.
uint32_t ReadWord(PMRFile &f) {
  uint8_t b[4] = {};
  f.reader.Read(b, 4);
  return f.bigEndian ? BigEndian32(b) : LittleEndian32(b);
}

int ReadLength(PMRFile &f, uint16_t *length) {
  uint8_t b[2];
  if (f.reader.Read(b, 2) != 2) return 0;
  *length = f.bigEndian ? static_cast<uint16_t>(b[0] << 8 | b[1])
                        : static_cast<uint16_t>(b[1] << 8 | b[0]);
  return 1;
}

int ReadBytes(PMRFile &f, void *to, uint32_t count) {
  return f.reader.Read(to, count) == count;
}

// Text of exactly length bytes before its terminator, each within 0x20-0x7F.
bool PrintableText(const char *text, uint32_t length, size_t field) {
  if (strnlen(text, field) != length) return false;
  for (uint32_t i = 0; i < length; ++i) {
    if (static_cast<signed char>(text[i]) < 0x20) return false;
  }
  return true;
}

bool EntryValid(const PMRWorkEntry &e) {
  if (!PrintableText(e.project, e.projectLength, sizeof e.project)) return false;
  // A name that fills its whole field has no terminator and cannot be taken.
  if (e.nameLength < 4 || e.nameLength >= kPmrNameBytes) return false;
  if (!PrintableText(e.name, e.nameLength, sizeof e.name)) return false;
  const char *dot = e.name + e.nameLength - 4;
  if (dot[0] != '.') return false;
  for (const char *extension : kMediaExtensions) {
    if (std::memcmp(dot + 1, extension, 3) == 0) return true;
  }
  return false;
}

// Reads one entry at the position into the work entry.
Attempt ReadEntry(PMRFile &f) {
  PMRWorkEntry &e = f.work;
  if (f.idWordCount != 2 && f.idWordCount != 8) return Attempt::Short;
  uint32_t idBytes = 4 * f.idWordCount;
  if (!ReadBytes(f, e.firstId, idBytes) || !ReadLength(f, &e.nameLength)) return Attempt::Short;
  if (e.nameLength == 0 || e.nameLength > kPmrNameBytes) return Attempt::BadLength;
  if (!ReadBytes(f, e.name, e.nameLength) || !ReadLength(f, &e.projectLength)) {
    return Attempt::Short;
  }
  if (e.projectLength > kPmrProjectBytes) return Attempt::BadLength;
  if (e.projectLength == 0) {
    for (size_t i = 0; kNullProject[i] != 0; ++i) e.project[i] = static_cast<char>(kNullProject[i]);
    e.projectLength = static_cast<uint16_t>(std::strlen(e.project));
  } else if (!ReadBytes(f, e.project, e.projectLength)) {
    return Attempt::Short;
  }
  if (!ReadBytes(f, e.secondId, idBytes)) return Attempt::Short;
  return EntryValid(e) ? Attempt::Valid : Attempt::Invalid;
}

// The record takes bytes 0-7 of a two-word identifier and bytes 16-23 of an eight-word one,
// low half first, each half little-endian whatever the file's byte order.
MobKey KeyFromIdentifier(const uint8_t *id, uint32_t idWordCount) {
  const uint8_t *at = id + (idWordCount == 8 ? 16 : 0);
  return MobKey{LittleEndian32(at), LittleEndian32(at + 4)};
}

// Validated text is plain ASCII: each byte becomes the character of the same code.
void Widen(const char *text, uint32_t length, wchar_t *to, uint32_t capacity) {
  uint32_t i = 0;
  for (; i < length && i + 1 < capacity; ++i) to[i] = static_cast<wchar_t>(text[i]);
  to[i] = 0;
}

void FillRecord(const PMRFile &f, MediaRecord &record) {
  const PMRWorkEntry &e = f.work;
  Widen(e.name, e.nameLength, record.fileName, kPathChars);
  Widen(e.project, e.projectLength, record.project, kProjectChars);
  record.mediaId = KeyFromIdentifier(e.firstId, f.idWordCount);
  record.clipMobKey = KeyFromIdentifier(e.secondId, f.idWordCount);
}

int Finish(PMRFile &f, int report) {
  if (f.invalidSeen) {
    if (!MessageEndsWith(f, kInvalidRecords)) AppendMessage(f, kInvalidRecords);
    if (report) platform::LogLine(f.message);
  }
  return 0;
}

} // namespace

PMRFile::PMRFile()
    : bigEndian(0), invalidSeen(0), recordStart(0), end(0), message{}, idWordCount(0),
      headerWord3(0), work{} {}

int PMRFile::OpenIndex(const wchar_t *path) {
  message[0] = 0;
  AppendMessage(*this, L"PMRFile::");
  AppendMessage(*this, path != nullptr ? path : L"");
  invalidSeen = 0;
  recordStart = 0;
  end = 0;
  if (!reader.Open(path)) {
    AppendMessage(*this, kOpenError);
    platform::LogLine(message);
    return 0;
  }
  end = reader.fileSize;
  if (end < kPmrMinimumSize) {
    reader.Close();
    end = 0;
    AppendMessage(*this, kTooSmall);
    platform::LogLine(message);
    return 0;
  }
  bigEndian = 0;
  if (ReadWord(*this) != kPmrMagic) bigEndian = 1;
  idWordCount = ReadWord(*this);
  if (idWordCount != 2 && idWordCount != 8) {
    reader.Close();
    end = 0;
    platform::LogLine(kBadIdLength);
    return 0;
  }
  headerWord3 = ReadWord(*this);
  return 1;
}

int PMRFile::NextRecord(MediaRecord *record, int report) {
  std::memset(&work, 0, sizeof work);
  recordStart = reader.Tell();
  if (recordStart >= end) return Finish(*this, report);
  // After a damaged entry the scan tries every following byte as the start of an entry.
  // There a candidate that runs past the end is just another wrong start; only an entry
  // that follows a good one (or the first) ends the file when it is cut short.
  bool resynchronising = false;
  for (;;) {
    Attempt attempt = ReadEntry(*this);
    if (attempt == Attempt::Valid) {
      reader.Seek(4, SEEK_FROM_CURRENT); // the trailer
      if (record != nullptr) FillRecord(*this, *record);
      return 1;
    }
    if (attempt == Attempt::Short && !resynchronising) return Finish(*this, report);
    if (attempt == Attempt::BadLength) invalidSeen = 1;
    recordStart += 1;
    if (recordStart >= end) return Finish(*this, report);
    reader.Seek(static_cast<int64_t>(recordStart), SEEK_FROM_START);
    std::memset(&work, 0, sizeof work);
    resynchronising = true;
  }
}
