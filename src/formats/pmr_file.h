// Reader of ".pmr" media index files: the list of a media folder's files with their
// project, media ID and clip mob key. One object reads many files in turn.
//
// Layout: a 12-byte header (magic 1961, ID word count W of 2 or 8, one more word), then
// entries back to back: first identifier (4*W bytes), u16 name length, name, u16 project
// length, project, second identifier (4*W bytes), 4-byte trailer. A magic that does not read
// as 1961 little-endian makes the whole file big-endian; identifiers are never swapped.
#pragma once

#include <cstdint>

#include "base/mob_key.h"
#include "formats/buffered_file_reader.h"

inline constexpr uint32_t kPmrMagic = 1961;
inline constexpr uint64_t kPmrMinimumSize = 30;
inline constexpr uint32_t kPmrNameBytes = 256; // a name must leave room for its terminator
inline constexpr uint32_t kPmrProjectBytes = 64;
inline constexpr uint32_t kPmrMaxIdBytes = 32; // W = 8
inline constexpr uint32_t kPmrMessageChars = 2048;
// The longest entry: two identifiers of 32 bytes, a name of 256 and a project of 64 bytes with
// their lengths (the trailer is not read).
inline constexpr uint32_t kPmrMaxEntryBytes =
    2 * kPmrMaxIdBytes + 2 + kPmrNameBytes + 2 + kPmrProjectBytes;
// Entries are parsed from a window of this many of the file's bytes, read in one go.
inline constexpr uint32_t kPmrWindowBytes = 128u << 10;
// Texts are read in blocks of sixteen bytes: the window keeps this many bytes behind its end.
inline constexpr uint32_t kPmrBlockSlack = 16;

// The entry being read; each attempt writes the fields it reads, each text with its terminator.
struct PMRWorkEntry {
  uint16_t nameLength;
  char name[kPmrNameBytes];
  uint16_t projectLength;
  char project[kPmrProjectBytes + 1];
  uint8_t firstId[kPmrMaxIdBytes];
  uint8_t secondId[kPmrMaxIdBytes];
};

// One entry as the index gives it. Texts are the entry's ASCII bytes widened, each ending in
// a zero; the project is empty when the entry names none. The characters behind a text's
// terminator are not part of it and may hold anything.
struct PMRIndexEntry {
  wchar_t fileName[kPmrNameBytes];
  wchar_t project[kPmrProjectBytes + 1];
  MobKey mediaId;    // bytes 0-7 of the first identifier (16-23 of an eight-word one)
  MobKey clipMobKey; // the same bytes of the second identifier
};

struct PMRFile {
  BufferedFileReader reader; // first member: the index file is read through it
  uint32_t bigEndian;
  uint32_t invalidSeen;              // an entry with an impossible length was met in this file
  uint64_t recordStart;              // where the entry being read begins
  uint64_t end;                      // file size at open
  wchar_t message[kPmrMessageChars]; // "PMRFile::" + path, then the reason
  uint32_t idWordCount;
  uint32_t headerWord3;
  PMRWorkEntry work;
  // Entries are taken from a window of this many of the file's bytes (at least the longest
  // entry; 0: field by field through the reader), exactly as through the reader, without a
  // call into it per field.
  uint32_t windowBytes;
  uint8_t *window; // the file's bytes windowStart to windowEnd; reused, only grows
  uint32_t windowCapacity;
  uint64_t windowStart, windowEnd;
  uint64_t at; // the read position while windowed
  uint32_t windowed;

  PMRFile();
  ~PMRFile();
  PMRFile(const PMRFile &) = delete;
  PMRFile &operator=(const PMRFile &) = delete;

  // 1 when the file is open and its header good, the position at the first entry; 0
  // otherwise, after reporting why.
  int OpenIndex(const wchar_t *path);

  // Delivers the next valid entry into entry (when given) and returns 1; returns 0 at the
  // end of the usable entries. Damaged stretches are skipped; report = 1 logs, at the end,
  // that entries with impossible lengths were met.
  int NextEntry(PMRIndexEntry *entry, int report);

  void Close() {
    reader.Close();
    windowed = 0;
  }
};
