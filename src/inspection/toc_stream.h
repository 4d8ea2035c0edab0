// The table of contents of a Bento 1.0 container (label major version 2): a stream of byte
// codes that name an object, a property and a type, then give each value as bytes held in
// the stream or as pieces of the file, in blocks whose ends jump to the next block. Read
// into the same 24-byte entries as the fixed-entry form, so that lookups, the structure
// viewer and the dictionary work on both forms; what an entry cannot hold (the pieces of a
// continued value, 8-byte offsets, the value's reference list) stands beside it.
//
// In these files property and type IDs are numbered per file: the IDs that mean something
// to the viewer are found by name in the file's own dictionary (OmfNamedIds).
#pragma once

#include <cstdint>
#include <vector>

#include "inspection/bento_constants.h"
#include "inspection/media_file_parser.h"
#include "inspection/name_dictionary.h"

// Major version 2 as a big-endian label reads when taken as little-endian.
inline constexpr uint16_t kTocByteCodesBigEndian = 0x0200;
inline constexpr uint32_t kTocBlockUnit = 1024; // the label's block size counts kibibytes

inline bool IsByteCodeLabel(const ContainerLabel &label) {
  return label.majorVersion == kTocByteCodes || label.majorVersion == kTocByteCodesBigEndian;
}

// One piece of a value: bytes of the file, or up to four bytes held in the stream.
struct ValueSegment {
  uint64_t offset; // in the file, unless inStream
  uint32_t length;
  uint8_t inStream;
  uint8_t bytes[4];
};

// What entry i of a version-2 table holds besides its 24 bytes.
struct StreamValue {
  uint32_t firstSegment;
  uint32_t segmentCount;
  uint32_t referenceList; // object whose reference data map this value's keys; 0: none
};

// IDs of one file's dictionary that the viewer needs, found by their names; 0 when absent.
inline constexpr uint32_t kNamedLabelProperties = 8;
struct OmfNamedIds {
  uint32_t classProperty[2];                     // the object's class (2.x, then 1.x model)
  uint32_t labelProperty[kNamedLabelProperties]; // texts that name an object, in order
  uint32_t classType[2];                         // four characters
  uint32_t textType[2];                          // 8-bit text
  uint32_t objectRef, objectRefArray, mobIndex, uid;
};

struct TocStream {
  std::vector<TocEntry> entries;
  std::vector<StreamValue> values; // beside entries
  std::vector<ValueSegment> segments;
  NameDictionary *names = nullptr; // this file's own names and the standard ones
  OmfNamedIds ids{};
  bool bigEndian = false;

  TocStream() = default;
  ~TocStream() { DestroyNameDictionary(names); }
  TocStream(const TocStream &) = delete;
  TocStream &operator=(const TocStream &) = delete;
};

struct TocStreamFormat {
  bool bigEndian;
  uint32_t blockSize; // bytes; a jump goes to the next multiple of it
  uint64_t fileSize;  // every piece of a value lies inside the file
};

// Decodes size bytes of stream into toc's entries, values and segments (emptied first).
// Every operand, offset and length is checked before use; damage ends the table with the
// entries read before it (an unfinished value is dropped) and gives its reason. Returns 1
// when the stream ended well, 0 with *reason and *at (the byte where reading stopped).
int DecodeTocStream(const uint8_t *stream, uint64_t size, const TocStreamFormat &format,
                    TocStream *toc, const wchar_t **reason, uint64_t *at);

// Finds the named IDs among toc->names.
void FindNamedIds(TocStream *toc);
