#include "formats/pmr_file.h"

#include <cstdlib>
#include <cwchar>

#if defined(__SSE2__)
#include <emmintrin.h> // texts checked and widened sixteen bytes at once
#endif

#include "base/byte_order.h"
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

uint16_t Length16(const uint8_t *b, uint32_t bigEndian) {
  return bigEndian ? ReadBig16(b) : ReadLittle16(b);
}

// A header word in the file's byte order; 0 when the file ends first.
uint32_t ReadWord(PMRFile &f) {
  uint8_t b[4] = {};
  f.reader.Read(b, 4);
  return f.bigEndian ? SwapBytes32(ReadLittle32(b)) : ReadLittle32(b);
}

int ReadLength(PMRFile &f, uint16_t *length) {
  uint8_t b[2];
  if (f.reader.Read(b, 2) != 2) return 0;
  *length = Length16(b, f.bigEndian);
  return 1;
}

int ReadBytes(PMRFile &f, void *to, uint32_t count) {
  return f.reader.Read(to, count) == count;
}

// Entries are taken from a window of the file's bytes when one can be had: one system read
// fills it, and it is small enough to stay in the processor's cache while its entries are
// parsed. Without memory, entries come through the reader field by field.
void StartWindow(PMRFile &f) {
  f.windowed = 0;
  if (f.windowBytes == 0) return;
  const uint32_t size = f.windowBytes > kPmrMaxEntryBytes ? f.windowBytes : kPmrMaxEntryBytes;
  if (f.windowCapacity < size) {
    // Zeroed, so that the slack behind the window never holds unwritten bytes.
    void *grown = std::calloc(1, size + kPmrBlockSlack);
    if (grown == nullptr) return;
    std::free(f.window);
    f.window = static_cast<uint8_t *>(grown);
    f.windowCapacity = size;
  }
  f.at = f.reader.Tell();
  f.windowStart = f.windowEnd = f.at;
  f.windowed = 1;
}

// Reads the window from start, left bytes before the end of the file; out of line, as the
// scan needs it once in thousands of entries.
[[gnu::noinline]] bool RefillWindow(PMRFile &f, uint64_t start, uint64_t left) {
  const uint64_t n = left < f.windowCapacity ? left : f.windowCapacity;
  f.reader.Seek(static_cast<int64_t>(start), SEEK_FROM_START);
  if (f.reader.Read(f.window, static_cast<uint32_t>(n)) != n) {
    f.windowed = 0;
    f.reader.Seek(static_cast<int64_t>(start), SEEK_FROM_START);
    return false;
  }
  f.windowStart = start;
  f.windowEnd = start + n;
  return true;
}

// Makes the window hold the entry that may start at start: the longest entry, or the rest of
// the file. False when the file cannot give those bytes (it shrank, or a read failed): the
// caller goes on through the reader, which meets the same end.
inline bool WindowHolds(PMRFile &f, uint64_t start) {
  const uint64_t left = f.end - start;
  const uint64_t need = left < kPmrMaxEntryBytes ? left : kPmrMaxEntryBytes;
  // (After a trailer the next entry may start beyond the window's end.)
  if (start >= f.windowStart && start <= f.windowEnd && f.windowEnd - start >= need) [[likely]]
    return true;
  return RefillWindow(f, start, left);
}

// Texts are checked and widened sixteen bytes at a time, each block starting inside the text;
// the bytes of a block behind the text are read but not used. Names have at most 255 bytes and
// projects 64, so a block stays within the work entry's fields of 256 and 65 bytes; in the
// window, within its slack.
inline uint32_t PrintableBlock(const char *at) {
#if defined(__SSE2__)
  // As signed bytes, 0x20-0x7F are exactly those above 0x1F.
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
  return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpgt_epi8(bytes, _mm_set1_epi8(0x1F))));
#else
  uint32_t mask = 0;
  for (int k = 0; k < 16; ++k) mask |= (static_cast<uint8_t>(at[k]) - 0x20u < 0x60u) << k;
  return mask;
#endif
}

// Bytes that are all within 0x20-0x7F. A zero byte is below 0x20, so a text that passes has
// no terminator before its length (the work entry writes one right behind it).
inline bool PrintableText(const char *text, uint32_t length) {
  uint32_t i = 0;
  for (; length - i > 16; i += 16)
    if (PrintableBlock(text + i) != 0xFFFFu) return false;
  const uint32_t wanted = (1u << (length - i)) - 1;
  return (PrintableBlock(text + i) & wanted) == wanted;
}

// A name of 4 to 255 printable bytes ending in one of the media extensions, and a printable
// project (an entry without one has an empty project).
inline bool EntryValid(const char *name, uint32_t nameLength, const char *project,
                       uint32_t projectLength) {
  // A name that fills its whole field has no terminator and cannot be taken.
  if (nameLength < 4 || nameLength >= kPmrNameBytes) return false;
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
    break;
  default:
    return false;
  }
  return PrintableText(name, nameLength) && PrintableText(project, projectLength);
}

// Where the fields of a valid entry lie: in the window, or in the work entry.
struct EntryView {
  const char *name;
  uint32_t nameLength;
  const char *project;
  uint32_t projectLength;
  const uint8_t *firstId;
  const uint8_t *secondId;
};

// ReadEntry on the window: the same checks in the same order, straight on the file's bytes from
// p, with left bytes to the end of the file (the window holds them, or the longest entry). A valid
// entry's fields are read where they lie, without a copy. used = the bytes ReadEntry's reads would
// have taken (for a short entry, whatever is left: the reader stops at the end).
inline Attempt ParseEntryInWindow(const uint8_t *p, uint64_t left, uint32_t idBytes,
                                  uint32_t bigEndian, EntryView &view, uint64_t &used) {
  used = left;
  if (left < idBytes + 2u) return Attempt::Short;
  const uint16_t nameLength = Length16(p + idBytes, bigEndian);
  uint64_t at = idBytes + 2u;
  if (nameLength == 0 || nameLength > kPmrNameBytes) {
    used = at;
    return Attempt::BadLength;
  }
  if (left - at < nameLength + 2u) return Attempt::Short;
  const char *name = reinterpret_cast<const char *>(p + at);
  at += nameLength;
  const uint16_t projectLength = Length16(p + at, bigEndian);
  at += 2;
  if (projectLength > kPmrProjectBytes) {
    used = at;
    return Attempt::BadLength;
  }
  if (left - at < projectLength) return Attempt::Short;
  const char *project = reinterpret_cast<const char *>(p + at);
  at += projectLength;
  if (left - at < idBytes) return Attempt::Short;
  const uint8_t *secondId = p + at;
  used = at + idBytes;
  if (!EntryValid(name, nameLength, project, projectLength)) return Attempt::Invalid;
  view = EntryView{name, nameLength, project, projectLength, p, secondId};
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
inline MobKey KeyFromIdentifier(const uint8_t *id, uint32_t idWordCount) {
  const uint8_t *at = id + (idWordCount == 8 ? 16 : 0);
  return MobKey{ReadLittle32(at), ReadLittle32(at + 4)};
}

// Sixteen bytes widened to sixteen characters of the same codes.
inline void WidenBlock(const char *text, wchar_t *to) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text));
  const __m128i low = _mm_unpacklo_epi8(bytes, zero), high = _mm_unpackhi_epi8(bytes, zero);
  if constexpr (sizeof(wchar_t) == 2) {
    _mm_storeu_si128(reinterpret_cast<__m128i *>(to), low);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(to + 8), high);
  } else {
    _mm_storeu_si128(reinterpret_cast<__m128i *>(to), _mm_unpacklo_epi16(low, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(to + 4), _mm_unpackhi_epi16(low, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(to + 8), _mm_unpacklo_epi16(high, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(to + 12), _mm_unpackhi_epi16(high, zero));
  }
#else
  for (int k = 0; k < 16; ++k) to[k] = static_cast<wchar_t>(static_cast<uint8_t>(text[k]));
#endif
}

// Validated text is plain ASCII: each byte becomes the character of the same code. The last
// block may write characters behind the terminator; as it starts inside the text, they stay
// within the entry's fields of 256 and 65 characters.
inline void Widen(const char *text, uint32_t length, wchar_t *to, uint32_t capacity) {
  const uint32_t n = length < capacity ? length : capacity - 1;
  for (uint32_t i = 0; i < n; i += 16) WidenBlock(text + i, to + i);
  to[n] = 0;
}

inline void FillEntry(const EntryView &e, uint32_t idWordCount, PMRIndexEntry &entry) {
  Widen(e.name, e.nameLength, entry.fileName, kPmrNameBytes);
  Widen(e.project, e.projectLength, entry.project, kPmrProjectBytes + 1);
  entry.mediaId = KeyFromIdentifier(e.firstId, idWordCount);
  entry.clipMobKey = KeyFromIdentifier(e.secondId, idWordCount);
}

[[gnu::noinline]] int Finish(PMRFile &f, int report) {
  // The reader stands where reading field by field would have left it.
  if (f.windowed) f.reader.Seek(static_cast<int64_t>(f.at), SEEK_FROM_START);
  if (f.invalidSeen) {
    if (!MessageEndsWith(f, kInvalidRecords)) AppendMessage(f, kInvalidRecords);
    if (report) platform::LogLine(f.message);
  }
  return 0;
}

// After a damaged entry the scan tries every following byte as the start of an entry. There a
// candidate that runs past the end is just another wrong start; only an entry that follows a
// good one (or the first) ends the file when it is cut short.
[[gnu::noinline]] int NextEntryThroughReader(PMRFile &f, PMRIndexEntry *entry, int report,
                                             bool resynchronising) {
  for (;;) {
    EntryView view;
    Attempt attempt = ReadEntry(f, view);
    if (attempt == Attempt::Valid) {
      f.reader.Seek(4, SEEK_FROM_CURRENT); // the trailer
      if (entry != nullptr) FillEntry(view, f.idWordCount, *entry);
      return 1;
    }
    if (attempt == Attempt::Short && !resynchronising) return Finish(f, report);
    if (attempt == Attempt::BadLength) f.invalidSeen = 1;
    f.recordStart += 1;
    if (f.recordStart >= f.end) return Finish(f, report);
    f.reader.Seek(static_cast<int64_t>(f.recordStart), SEEK_FROM_START);
    resynchronising = true;
  }
}

// The same attempts, positions and results on the window, with the loop's state in locals.
int NextEntryInWindow(PMRFile &f, PMRIndexEntry *entry, int report) {
  const uint64_t end = f.end;
  const uint32_t idBytes = 4 * f.idWordCount, bigEndian = f.bigEndian;
  uint64_t start = f.at;
  f.recordStart = start;
  if (start >= end) return Finish(f, report);
  bool resynchronising = false;
  for (;;) {
    if (!WindowHolds(f, start)) {
      f.recordStart = start;
      return NextEntryThroughReader(f, entry, report, resynchronising);
    }
    EntryView view;
    uint64_t used;
    const Attempt attempt = ParseEntryInWindow(f.window + (start - f.windowStart), end - start,
                                               idBytes, bigEndian, view, used);
    if (attempt == Attempt::Valid) [[likely]] {
      const uint64_t next = start + used;
      f.at = end - next > 4 ? next + 4 : end; // past the trailer
      f.recordStart = start;
      if (entry != nullptr) FillEntry(view, f.idWordCount, *entry);
      return 1;
    }
    if (attempt == Attempt::BadLength) f.invalidSeen = 1;
    if ((attempt == Attempt::Short && !resynchronising) || end - start <= 1) {
      f.at = attempt == Attempt::Short ? end : start + used;
      f.recordStart = attempt == Attempt::Short && !resynchronising ? start : start + 1;
      return Finish(f, report);
    }
    start += 1;
    resynchronising = true;
  }
}

} // namespace

PMRFile::PMRFile()
    : bigEndian(0), invalidSeen(0), recordStart(0), end(0), message{}, idWordCount(0),
      headerWord3(0), work{}, windowBytes(kPmrWindowBytes), window(nullptr), windowCapacity(0),
      windowStart(0), windowEnd(0), at(0), windowed(0) {}

PMRFile::~PMRFile() {
  std::free(window);
}

int PMRFile::OpenIndex(const wchar_t *path) {
  message[0] = 0;
  AppendMessage(*this, L"PMRFile::");
  AppendMessage(*this, path != nullptr ? path : L"");
  invalidSeen = 0;
  recordStart = 0;
  end = 0;
  windowed = 0;
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
  StartWindow(*this);
  return 1;
}

int PMRFile::NextEntry(PMRIndexEntry *entry, int report) {
  // The work entry is not cleared per attempt: every field that is looked at was written by
  // the attempt, each text with its terminator.
  if (windowed) return NextEntryInWindow(*this, entry, report);
  recordStart = reader.Tell();
  if (recordStart >= end) return Finish(*this, report);
  return NextEntryThroughReader(*this, entry, report, false);
}
