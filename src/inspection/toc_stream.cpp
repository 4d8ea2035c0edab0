#include "inspection/toc_stream.h"

#include <cstring>

#include "inspection/bento_constants.h"

namespace {

// The byte codes of the stream. A value is one code of the value group, or a run of
// continued codes closed by a plain one; its object, property and type are the last ones
// named before it.
enum : uint8_t {
  kNewObject = 1,   // object, property and type IDs
  kNewProperty = 2, // property and type IDs
  kNewType = 3,     // type ID
  kGeneration = 4,  // generation number, not kept
  kOffset4Len4 = 5,
  kContdOffset4Len4 = 6,
  kOffset8Len4 = 7,
  kContdOffset8Len4 = 8,
  kImmediate0 = 9, // Immediate1..4 are 10..13: a 4-byte operand, of which 1..4 bytes count
  kImmediate4 = 13,
  kContdImmediate4 = 14,
  kReferenceList = 15, // object holding the reference data of the next value
  kEndOfBlock = 24,    // the rest of the block is padding
  kNop = 0xFF,
};

struct Decoder {
  const uint8_t *stream;
  uint64_t size;
  TocStreamFormat format;
  TocStream *toc;
  uint64_t pos = 0;
  uint32_t object = 0, property = 0, type = 0;
  uint32_t referenceList = 0;
  bool continuing = false; // the last value asked for more pieces
  const wchar_t *reason = nullptr;

  bool Fail(const wchar_t *why) {
    reason = why;
    return false;
  }
  // The operand of n bytes behind the code, or a failure when the stream ends first.
  bool Operand(uint64_t n) {
    if (pos > size - 1 || n > size - 1 - pos) return Fail(L"operand past the end of the table");
    return true;
  }
  uint32_t U32(uint64_t at) const {
    const uint8_t *p = stream + at;
    return format.bigEndian
               ? static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
                     static_cast<uint32_t>(p[2]) << 8 | p[3]
               : static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[2]) << 16 |
                     static_cast<uint32_t>(p[1]) << 8 | p[0];
  }
  uint64_t U64(uint64_t at) const {
    const uint64_t first = U32(at), second = U32(at + 4);
    return format.bigEndian ? first << 32 | second : second << 32 | first;
  }

  // Adds a piece to the value being continued, or starts a value with it.
  bool AddSegment(const ValueSegment &segment, bool more) {
    if (!segment.inStream &&
        (segment.offset > format.fileSize || segment.length > format.fileSize - segment.offset))
      return Fail(L"value past the end of the file");
    // A value is never longer than the file that holds it, nor than a value buffer can be.
    const uint64_t total = (continuing ? toc->entries.back().length : 0) + uint64_t{segment.length};
    if (total > format.fileSize || total > UINT32_MAX - 8)
      return Fail(L"value longer than the file");
    if (!continuing) {
      if (object == 0) return Fail(L"value before any object");
      TocEntry entry = {object, property, type, 0, 0, 0};
      if (segment.inStream) {
        std::memcpy(&entry.value, segment.bytes, 4);
      } else {
        entry.value = static_cast<uint32_t>(segment.offset); // shown; reads use the segment
        entry.storage = kStorageStored;
      }
      toc->entries.push_back(entry);
      toc->values.push_back({static_cast<uint32_t>(toc->segments.size()), 0, referenceList});
      referenceList = 0;
    }
    TocEntry &entry = toc->entries.back();
    StreamValue &value = toc->values.back();
    entry.length = static_cast<uint32_t>(total);
    ++value.segmentCount;
    toc->segments.push_back(segment);
    continuing = more;
    return true;
  }

  bool Step() {
    const uint8_t code = stream[pos];
    if (continuing && code != kNop && code != kEndOfBlock && code != kContdOffset4Len4 &&
        code != kOffset4Len4 && code != kContdOffset8Len4 && code != kOffset8Len4 &&
        code != kContdImmediate4 && !(code >= kImmediate0 && code <= kImmediate4))
      return Fail(L"continued value not finished");
    ValueSegment segment = {};
    switch (code) {
    case kNewObject:
      if (!Operand(12)) return false;
      object = U32(pos + 1);
      property = U32(pos + 5);
      type = U32(pos + 9);
      referenceList = 0;
      pos += 13;
      return true;
    case kNewProperty:
      if (!Operand(8)) return false;
      property = U32(pos + 1);
      type = U32(pos + 5);
      referenceList = 0;
      pos += 9;
      return true;
    case kNewType:
    case kGeneration:
    case kReferenceList:
      if (!Operand(4)) return false;
      if (code == kNewType) type = U32(pos + 1);
      if (code == kReferenceList) referenceList = U32(pos + 1);
      pos += 5;
      return true;
    case kOffset4Len4:
    case kContdOffset4Len4:
      if (!Operand(8)) return false;
      segment.offset = U32(pos + 1);
      segment.length = U32(pos + 5);
      pos += 9;
      return AddSegment(segment, code == kContdOffset4Len4);
    case kOffset8Len4:
    case kContdOffset8Len4:
      if (!Operand(12)) return false;
      segment.offset = U64(pos + 1);
      segment.length = U32(pos + 9);
      pos += 13;
      return AddSegment(segment, code == kContdOffset8Len4);
    case kEndOfBlock: {
      if (format.blockSize == 0) return Fail(L"block end in a table without a block size");
      const uint64_t next = (pos / format.blockSize + 1) * format.blockSize;
      pos = next < size ? next : size;
      return true;
    }
    case kNop:
      ++pos;
      return true;
    default:
      break;
    }
    if (code < kImmediate0 || code > kContdImmediate4) return Fail(L"unknown code");
    const uint32_t length = code == kContdImmediate4 ? 4 : code - kImmediate0;
    const uint32_t operand = code == kImmediate0 ? 0 : 4;
    if (!Operand(operand)) return false;
    segment.inStream = 1;
    segment.length = length;
    std::memcpy(segment.bytes, stream + pos + 1, length);
    pos += 1 + operand;
    return AddSegment(segment, code == kContdImmediate4);
  }
};

} // namespace

int DecodeTocStream(const uint8_t *stream, uint64_t size, const TocStreamFormat &format,
                    TocStream *toc, const wchar_t **reason, uint64_t *at) {
  toc->entries.clear();
  toc->values.clear();
  toc->segments.clear();
  Decoder decoder{stream, size, format, toc};
  while (decoder.pos < size && decoder.Step()) {
  }
  if (decoder.reason == nullptr && decoder.continuing)
    decoder.reason = L"continued value not finished";
  if (decoder.reason != nullptr && decoder.continuing) {
    // The pieces read so far are not the whole value.
    toc->segments.resize(toc->values.back().firstSegment);
    toc->entries.pop_back();
    toc->values.pop_back();
  }
  *reason = decoder.reason;
  *at = decoder.pos;
  return decoder.reason == nullptr ? 1 : 0;
}

void FindNamedIds(TocStream *toc) {
  OmfNamedIds &ids = toc->ids;
  ids = OmfNamedIds{};
  struct Wanted {
    const char *name;
    uint32_t *id;
  };
  const Wanted wanted[] = {
      {"OMFI:OOBJ:ObjClass", &ids.classProperty[0]},
      {"OMFI:ObjID", &ids.classProperty[1]},
      {"OMFI:MOBJ:Name", &ids.labelProperty[0]},
      {"OMFI:ATTB:Name", &ids.labelProperty[1]},
      {"OMFI:CPNT:Name", &ids.labelProperty[2]},
      {"OMFI:WINL:PathName", &ids.labelProperty[3]},
      {"OMFI:DOSL:PathName", &ids.labelProperty[4]},
      {"OMFI:UNXL:PathName", &ids.labelProperty[5]},
      {"OMFI:MACL:FileName", &ids.labelProperty[6]},
      {"OMFI:TXTL:Name", &ids.labelProperty[7]},
      {"omfi:ClassID", &ids.classType[0]},
      {"omfi:ObjectTag", &ids.classType[1]},
      {"omfi:String", &ids.textType[0]},
      {"omfi:UniqueName", &ids.textType[1]},
      {"omfi:ObjRef", &ids.objectRef},
      {"omfi:ObjRefArray", &ids.objectRefArray},
      {"omfi:MobIndex", &ids.mobIndex},
      {"omfi:UID", &ids.uid},
  };
  if (toc->names == nullptr) return;
  // Standard IDs name Bento's own objects, never a property or type of the file.
  for (const NameEntry *entry = toc->names->First(); entry != nullptr; entry = toc->names->Next()) {
    if (entry->id <= kLastStandardObjectId) continue;
    for (const Wanted &w : wanted) {
      if (*w.id == 0 && std::strcmp(entry->name, w.name) == 0) *w.id = entry->id;
    }
  }
}
