// The parser's side of a version-2 table: decoding it into entries, indexing its objects,
// the file's own names and mobs, and reading values made of pieces.
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>

#include "inspection/bento_constants.h"
#include "base/byte_order.h"
#include "inspection/media_file_parser.h"
#include "inspection/toc_stream.h"
#include "platform/platform.h"

namespace {

bool EndsWith(const char *text, const char *end) {
  const size_t n = std::strlen(text), m = std::strlen(end);
  return n >= m && std::strcmp(text + n - m, end) == 0;
}

} // namespace

const TocStream *MediaFileParser::Stream() const {
  return readsByteCodeToc && IsByteCodeLabel(label) && tocStream != nullptr && entryCount != 0
             ? tocStream
             : nullptr;
}

void MediaFileParser::ReleaseTocStream() {
  delete tocStream;
  tocStream = nullptr;
}

int MediaFileParser::LoadTocStream() {
  if (tocStream == nullptr) tocStream = new (std::nothrow) TocStream;
  if (tocStream == nullptr) {
    ResetParser();
    return 0;
  }
  TocStream &toc = *tocStream;
  toc.bigEndian = label.majorVersion == kTocByteCodesBigEndian;
  littleEndian = toc.bigEndian ? 0 : 1;
  const TocStreamFormat format = {toc.bigEndian, uint32_t{label.byteOrder} * kTocBlockUnit,
                                  fileSize};
  const wchar_t *reason = nullptr;
  uint64_t at = 0;
  if (!DecodeTocStream(tocBuffer, label.tocSize, format, &toc, &reason, &at)) {
    wchar_t line[160];
    std::swprintf(line, 160, L"QEL::ReadTocStream::%ls at byte %u, table ends after %u entries",
                  reason, static_cast<unsigned>(at), static_cast<unsigned>(toc.entries.size()));
    platform::LogLine(line);
  }
  entries = toc.entries.data();
  entryCount = static_cast<uint32_t>(toc.entries.size());

  // Objects: one index element per run of entries, as for the fixed-entry form.
  objectCount = 0;
  uint32_t previous = 0;
  for (const TocEntry &entry : toc.entries) {
    if (entry.objectId != previous) ++objectCount;
    previous = entry.objectId;
  }
  if (objectCount == 0) {
    ResetParser();
    return 0;
  }
  objectIndex.Clear();
  if (objectIndex.capacity < objectCount) objectIndex.Grow(objectCount - objectIndex.capacity);
  previous = 0;
  for (uint32_t i = 0; i < entryCount; ++i) {
    if (entries[i].objectId == previous) continue;
    previous = entries[i].objectId;
    ObjectIndexElement element = {previous, i};
    if (objectIndex.InsertUnique(&element) == nullptr) {
      ResetParser();
      return 0;
    }
  }
  valid = 1;

  // The file's own names, and the IDs the viewer needs among them.
  if (toc.names != nullptr) toc.names->Clear();
  BuildNameDictionary(*this, &toc.names);
  FindNamedIds(&toc);

  // Mobs by their IDs, so that a mob ID leads to its mob or media data as in a version-1
  // database's mob lists.
  for (uint32_t i = 0; i < entryCount && toc.ids.uid != 0; ++i) {
    const TocEntry entry = entries[i];
    if (entry.typeId != toc.ids.uid) continue;
    const char *name = LookupName(toc.names, entry.propertyId);
    if (name == nullptr || !EndsWith(name, ":MobID") || ReadValue(i) < kMobIdSize) continue;
    MobIndexElement element = {{ReadLittle32(valueBuffer + 4), ReadLittle32(valueBuffer + 8)},
                               entry.objectId};
    MobIndex *index = std::strcmp(name, "OMFI:MOBJ:MobID") == 0 ? &sourceMobIndex : &mediaDataIndex;
    index->InsertUnique(&element);
  }
  return 1;
}

uint32_t MediaFileParser::ReadStreamValue(uint32_t index) {
  const TocEntry &entry = GetEntry(index);
  valueLength = 0;
  if (entry.length == 0 || tocStream == nullptr || index >= tocStream->values.size()) return 0;
  const StreamValue value = tocStream->values[index];
  const uint32_t length = entry.length; // the pieces' sum, below UINT32_MAX - 8
  if (length + 4 > valueCapacity) {
    uint8_t *grown = static_cast<uint8_t *>(ParserAllocate(length + 4));
    if (grown == nullptr) return 0; // the old buffer stays for the next read
    std::free(valueBuffer);
    valueBuffer = grown;
    valueCapacity = length + 4;
  }
  std::memset(valueBuffer, 0, length + 4);
  uint32_t at = 0;
  for (uint32_t k = 0; k < value.segmentCount; ++k) {
    const ValueSegment &segment = tocStream->segments[value.firstSegment + k];
    if (segment.inStream)
      std::memcpy(valueBuffer + at, segment.bytes, segment.length);
    else
      ReadAt(segment.offset, valueBuffer + at, segment.length); // short: zeros stay
    at += segment.length;
  }
  valueLength = length;
  return length;
}
