// The catalogue's plain records. Text fields are fixed buffers of wide characters that
// include their terminator; what lies behind a terminator is not part of the text. Records are
// copied by value, or by CopyRecord where many are copied.
#pragma once

#include <cstdint>

#include "base/mob_key.h"

inline constexpr uint32_t kPathChars = 260;   // folders, file names, paths, bin and source names
inline constexpr uint32_t kProjectChars = 65; // 64 characters and the terminator

// Project names given to records whose own project is not known.
inline constexpr wchar_t kNullProject[] = L"**NULL_PROJECT"; // media ID but no project
inline constexpr wchar_t kUnreferencedFiles[] =
    L"**UNREFERENCED_FILES";                                   // neither media ID nor project
inline constexpr wchar_t kUnknownFiles[] = L"**UNKNOWN_FILES"; // header could not be read
inline constexpr wchar_t kUnknownMxf[] = L"**UNKNOWN_MXF";     // MXF file added by itself

// Clip usage values that the views name.
inline constexpr uint32_t kClipUsageSource = 7;  // "Source"
inline constexpr uint32_t kClipUsagePrecomp = 1; // "Precomp"

// One media file, from a database entry or from the disk.
struct MediaRecord {
  uint32_t linked;              // 1 when a database or the file's own header named it
  wchar_t folder[kPathChars];   // folder holding the file, no trailing name
  wchar_t fileName[kPathChars]; // key of the records tree (case-insensitive)
  wchar_t project[kProjectChars];
  MediaRecord *self;   // this record's stored copy inside the records tree
  uint64_t size;       // bytes on disk; 0 when not found
  uint32_t attributes; // attribute bits on disk; 0 when not found
  uint64_t created;    // creation file time (UTC); 0 when not found
  MobKey clipMobKey;
  wchar_t nameInBin[kPathChars];
  uint32_t clipUsage; // kClipUsageSource, kClipUsagePrecomp or other
  MobKey mediaId;     // 0 when unknown; key of the media ID index
  char mediaType[4];  // four ASCII characters, no terminator
  uint32_t compressionId;
  char formatCode[4]; // four ASCII characters, no terminator
  uint32_t unitSize;
  wchar_t source[kPathChars]; // source tape name
};

// One ".pmr" media index file known to the system.
struct DatabaseEntry {
  wchar_t path[kPathChars]; // key of the databases tree (case-insensitive)
  uint32_t ordinal;         // 1-based order of addition: lies in pool node ordinal - 1
  uint32_t enabled;         // the database tree's check box
  uint32_t present;         // 1 whenever the path was (re)added
};

// Empties a record: every field zero, each text cut at its first character.
void EmptyRecord(MediaRecord &record);
// Copies a record's fields and the used part of each text; the tails behind the terminators
// keep what they held.
void CopyRecord(MediaRecord &destination, const MediaRecord &source);
