#include "formats/pmr_file.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "base/walk_helpers.h"
#include "platform/platform.h"

namespace {

constexpr wchar_t kOpenError[] = L" ::open error";
constexpr wchar_t kTooSmall[] = L" ::too small";
constexpr wchar_t kInvalidRecords[] = L" ::Found invalid records";
constexpr wchar_t kBadIdLength[] = L"PMRFile: bad GUID Length";

// Three bytes as one number, to match an extension byte for byte: the media file types that
// an index entry may name are listed in EntryValid.
constexpr uint32_t ExtensionCode(const char *c) {
  return static_cast<uint32_t>(static_cast<uint8_t>(c[0])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(c[1])) << 8 | static_cast<uint8_t>(c[2]);
}

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

// Reads at the position, from the image when the file is in memory, else through the
// reader; both deliver at most what remains of the file.
uint32_t Read(PMRFile &f, void *to, uint32_t count) {
  if (!f.imageLoaded) return f.reader.Read(to, count);
  const uint64_t left = f.end - f.at;
  const uint32_t n = count < left ? count : static_cast<uint32_t>(left);
  std::memcpy(to, f.image + f.at, n);
  f.at += n;
  return n;
}

uint64_t Tell(PMRFile &f) {
  return f.imageLoaded ? f.at : f.reader.Tell();
}

void SeekTo(PMRFile &f, uint64_t offset) {
  if (f.imageLoaded)
    f.at = offset < f.end ? offset : f.end;
  else
    f.reader.Seek(static_cast<int64_t>(offset), SEEK_FROM_START);
}

// A header word in the file's byte order; 0 when the file ends first.
uint32_t ReadWord(PMRFile &f) {
  uint8_t b[4] = {};
  f.reader.Read(b, 4);
  return f.bigEndian ? BigEndian32(b) : LittleEndian32(b);
}

int ReadLength(PMRFile &f, uint16_t *length) {
  uint8_t b[2];
  if (Read(f, b, 2) != 2) return 0;
  *length = f.bigEndian ? static_cast<uint16_t>(b[0] << 8 | b[1])
                        : static_cast<uint16_t>(b[1] << 8 | b[0]);
  return 1;
}

int ReadBytes(PMRFile &f, void *to, uint32_t count) {
  return Read(f, to, count) == count;
}

// Reads the whole file into the image when it is small enough; the position stays where
// the reader left it. Without memory or a complete read, entries come through the reader.
void LoadImage(PMRFile &f) {
  f.imageLoaded = 0;
  if (f.wholeFileLimit == 0 || f.end > f.wholeFileLimit) return;
  if (f.imageCapacity < f.end) {
    void *grown = std::malloc(static_cast<size_t>(f.end));
    if (grown == nullptr) return;
    std::free(f.image);
    f.image = static_cast<uint8_t *>(grown);
    f.imageCapacity = f.end;
  }
  const uint64_t position = f.reader.Tell();
  f.reader.Seek(0, SEEK_FROM_START);
  const bool whole = f.reader.Read(f.image, static_cast<uint32_t>(f.end)) == f.end;
  f.reader.Seek(static_cast<int64_t>(position), SEEK_FROM_START);
  if (!whole) return;
  f.at = position;
  f.imageLoaded = 1;
}

// Bytes that are all within 0x20-0x7F. A zero byte is below 0x20, so a text that passes
// has no terminator before its length (the work entry writes one right behind it).
bool PrintableText(const char *text, uint32_t length) {
  // Eight bytes at a time: none has its high bit set, and each reaches 0x80 when 0x60 is
  // added (a byte below 0x80 plus 0x60 stays below 0x100, so no carry crosses bytes).
  constexpr uint64_t kHigh = 0x8080808080808080ull, kLift = 0x6060606060606060ull;
  uint32_t i = 0;
  for (; length - i >= 8; i += 8) {
    uint64_t word;
    std::memcpy(&word, text + i, 8);
    if ((word & kHigh) != 0 || ((word + kLift) & kHigh) != kHigh) return false;
  }
  for (; i < length; ++i) {
    if (static_cast<uint8_t>(text[i]) - 0x20u >= 0x60u) return false;
  }
  return true;
}

// A name of 4 to 255 printable bytes ending in one of the media extensions, and a printable
// project (an entry without one has an empty project).
bool EntryValid(const char *name, uint32_t nameLength, const char *project,
                uint32_t projectLength) {
  if (!PrintableText(project, projectLength)) return false;
  // A name that fills its whole field has no terminator and cannot be taken.
  if (nameLength < 4 || nameLength >= kPmrNameBytes) return false;
  if (!PrintableText(name, nameLength)) return false;
  const char *dot = name + nameLength - 4;
  if (dot[0] != '.') return false;
  switch (ExtensionCode(dot + 1)) {
  case ExtensionCode("aif"):
  case ExtensionCode("omf"):
  case ExtensionCode("mxf"):
  case ExtensionCode("wav"):
  case ExtensionCode("AIF"):
  case ExtensionCode("OMF"):
  case ExtensionCode("MXF"):
  case ExtensionCode("WAV"):
    return true;
  default:
    return false;
  }
}

uint16_t Length16(const uint8_t *b, uint32_t bigEndian) {
  return bigEndian ? static_cast<uint16_t>(b[0] << 8 | b[1])
                   : static_cast<uint16_t>(b[1] << 8 | b[0]);
}

// Where the fields of a valid entry lie: in the image, or in the work entry.
struct EntryView {
  const char *name;
  uint32_t nameLength;
  const char *project;
  uint32_t projectLength;
  const uint8_t *firstId;
  const uint8_t *secondId;
};

// ReadEntry on the image: the same checks in the same order, straight on the file's bytes,
// leaving the position where ReadEntry's reads would (a short read stops at the end). A valid
// entry's fields are read where they lie, without a copy.
Attempt ParseEntryInImage(PMRFile &f, EntryView &view) {
  const uint32_t idBytes = 4 * f.idWordCount;
  const uint8_t *p = f.image + f.at;
  const uint64_t left = f.end - f.at;
  const auto stop = [&f](Attempt attempt, uint64_t read) {
    f.at = attempt == Attempt::Short ? f.end : f.at + read;
    return attempt;
  };
  if (left < idBytes + 2u) return stop(Attempt::Short, 0);
  const uint8_t *firstId = p;
  const uint16_t nameLength = Length16(p + idBytes, f.bigEndian);
  uint64_t used = idBytes + 2u;
  if (nameLength == 0 || nameLength > kPmrNameBytes) return stop(Attempt::BadLength, used);
  if (left - used < nameLength + 2u) return stop(Attempt::Short, 0);
  const char *name = reinterpret_cast<const char *>(p + used);
  used += nameLength;
  const uint16_t projectLength = Length16(p + used, f.bigEndian);
  used += 2;
  if (projectLength > kPmrProjectBytes) return stop(Attempt::BadLength, used);
  if (left - used < projectLength) return stop(Attempt::Short, 0);
  const char *project = reinterpret_cast<const char *>(p + used);
  used += projectLength;
  if (left - used < idBytes) return stop(Attempt::Short, 0);
  const uint8_t *secondId = p + used;
  used += idBytes;
  if (!EntryValid(name, nameLength, project, projectLength)) return stop(Attempt::Invalid, used);

  view = EntryView{name, nameLength, project, projectLength, firstId, secondId};
  f.at += used;
  return Attempt::Valid;
}

// Reads one entry at the position into the work entry.
Attempt ReadEntry(PMRFile &f, EntryView &view) {
  PMRWorkEntry &e = f.work;
  if (f.idWordCount != 2 && f.idWordCount != 8) return Attempt::Short;
  uint32_t idBytes = 4 * f.idWordCount;
  if (!ReadBytes(f, e.firstId, idBytes) || !ReadLength(f, &e.nameLength)) return Attempt::Short;
  if (e.nameLength == 0 || e.nameLength > kPmrNameBytes) return Attempt::BadLength;
  if (!ReadBytes(f, e.name, e.nameLength) || !ReadLength(f, &e.projectLength)) {
    return Attempt::Short;
  }
  // Each text ends in a zero as in a zero-filled entry; a name of 256 bytes fills its field.
  if (e.nameLength < kPmrNameBytes) e.name[e.nameLength] = 0;
  if (e.projectLength > kPmrProjectBytes) return Attempt::BadLength;
  if (e.projectLength != 0 && !ReadBytes(f, e.project, e.projectLength)) return Attempt::Short;
  e.project[e.projectLength] = 0;
  if (!ReadBytes(f, e.secondId, idBytes)) return Attempt::Short;
  if (!EntryValid(e.name, e.nameLength, e.project, e.projectLength)) return Attempt::Invalid;
  view = EntryView{e.name, e.nameLength, e.project, e.projectLength, e.firstId, e.secondId};
  return Attempt::Valid;
}

// The entry takes bytes 0-7 of a two-word identifier and bytes 16-23 of an eight-word one,
// low half first, each half little-endian whatever the file's byte order.
MobKey KeyFromIdentifier(const uint8_t *id, uint32_t idWordCount) {
  const uint8_t *at = id + (idWordCount == 8 ? 16 : 0);
  return MobKey{LittleEndian32(at), LittleEndian32(at + 4)};
}

// Validated text is plain ASCII: each byte becomes the character of the same code.
void Widen(const char *text, uint32_t length, wchar_t *to, uint32_t capacity) {
  const uint32_t n = length < capacity ? length : capacity - 1;
  for (uint32_t i = 0; i < n; ++i) to[i] = static_cast<wchar_t>(static_cast<uint8_t>(text[i]));
  to[n] = 0;
}

void FillEntry(const EntryView &e, uint32_t idWordCount, PMRIndexEntry &entry) {
  Widen(e.name, e.nameLength, entry.fileName, kPmrNameBytes);
  Widen(e.project, e.projectLength, entry.project, kPmrProjectBytes + 1);
  entry.mediaId = KeyFromIdentifier(e.firstId, idWordCount);
  entry.clipMobKey = KeyFromIdentifier(e.secondId, idWordCount);
}

int Finish(PMRFile &f, int report) {
  // The reader stands where reading field by field would have left it.
  if (f.imageLoaded) f.reader.Seek(static_cast<int64_t>(f.at), SEEK_FROM_START);
  if (f.invalidSeen) {
    if (!MessageEndsWith(f, kInvalidRecords)) AppendMessage(f, kInvalidRecords);
    if (report) platform::LogLine(f.message);
  }
  return 0;
}

} // namespace

PMRFile::PMRFile()
    : bigEndian(0), invalidSeen(0), recordStart(0), end(0), message{}, idWordCount(0),
      headerWord3(0), work{}, wholeFileLimit(kPmrImageLimit), image(nullptr), imageCapacity(0),
      at(0), imageLoaded(0) {}

PMRFile::~PMRFile() {
  std::free(image);
}

int PMRFile::OpenIndex(const wchar_t *path) {
  message[0] = 0;
  AppendMessage(*this, L"PMRFile::");
  AppendMessage(*this, path != nullptr ? path : L"");
  invalidSeen = 0;
  recordStart = 0;
  end = 0;
  imageLoaded = 0;
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
    ReportAboutPath(kBadIdLength, nullptr, path);
    return 0;
  }
  headerWord3 = ReadWord(*this);
  LoadImage(*this);
  return 1;
}

int PMRFile::NextEntry(PMRIndexEntry *entry, int report) {
  // The work entry is not cleared per attempt: every field that is looked at was written by
  // the attempt, each text with its terminator.
  recordStart = Tell(*this);
  if (recordStart >= end) return Finish(*this, report);
  // After a damaged entry the scan tries every following byte as the start of an entry.
  // There a candidate that runs past the end is just another wrong start; only an entry
  // that follows a good one (or the first) ends the file when it is cut short.
  bool resynchronising = false;
  for (;;) {
    EntryView view;
    Attempt attempt = imageLoaded ? ParseEntryInImage(*this, view) : ReadEntry(*this, view);
    if (attempt == Attempt::Valid) {
      SeekTo(*this, Tell(*this) + 4); // the trailer
      if (entry != nullptr) FillEntry(view, idWordCount, *entry);
      return 1;
    }
    if (attempt == Attempt::Short && !resynchronising) return Finish(*this, report);
    if (attempt == Attempt::BadLength) invalidSeen = 1;
    recordStart += 1;
    if (recordStart >= end) return Finish(*this, report);
    SeekTo(*this, recordStart);
    resynchronising = true;
  }
}
