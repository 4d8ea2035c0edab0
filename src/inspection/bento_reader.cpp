// Access to an opened version-1 container: the indexes over its table of contents, entries,
// properties and values.
#include <cstdlib>
#include <cstring>

#include "inspection/bento_constants.h"
#include "inspection/byte_order.h"
#include "inspection/media_file_parser.h"
#include "inspection/toc_stream.h"

void MediaFileParser::IndexToc() {
  entryCount = tocBuffer != nullptr ? label.tocSize / kTocEntrySize : 0;
  entries = reinterpret_cast<const TocEntry *>(tocBuffer);
  objectCount = 0;
  uint32_t previous = 0;
  for (uint32_t i = 0; i < entryCount; ++i) {
    if (entries[i].objectId != previous) ++objectCount;
    previous = entries[i].objectId;
  }
  if (objectCount == 0) {
    ResetParser();
    return;
  }

  objectIndex.Clear();
  if (objectIndex.capacity < objectCount + 4)
    objectIndex.Grow(objectCount + 4 - objectIndex.capacity);
  int ok = objectIndex.capacity >= objectCount;
  previous = 0;
  for (uint32_t i = 0; ok && i < entryCount; ++i) {
    const TocEntry &entry = entries[i];
    if (entry.objectId != previous) {
      // An object whose entries stand in two runs keeps the index of its first run.
      ObjectIndexElement element = {entry.objectId, i};
      ok = objectIndex.InsertUnique(&element) != nullptr;
      previous = entry.objectId;
    }
    if (entry.objectId != CM_StdObjID_TOC) continue;
    if (entry.propertyId == PROP_CLIP_MOB_LIST && clipMobIndex.count == 0)
      ok = ok && FillMobIndex(&clipMobIndex, i);
    else if (entry.propertyId == PROP_MEDIA_DATA_LIST && mediaDataIndex.count == 0)
      ok = ok && FillMobIndex(&mediaDataIndex, i);
    else if (entry.propertyId == PROP_SOURCE_MOB_LIST && sourceMobIndex.count == 0)
      ok = ok && FillMobIndex(&sourceMobIndex, i);
  }
  if (!ok) {
    // Memory for the indexes could not be had: an index with holes would describe media
    // wrongly, so the open fails as a whole.
    ResetParser();
    return;
  }
  valid = 1;
}

// Fills a mob index from a TYPE_MOB_INDEX_LIST value: a 16-bit count, then 20-byte records
// of which bytes 4-11 are the key and 12-15 the object ID. Only the records that the value
// holds are read; a key already present keeps its first object. 0 when memory ran out.
int MediaFileParser::FillMobIndex(MobIndex *index, uint32_t entry) {
  const uint32_t length = ReadValue(entry);
  if (length == 0) return 1;
  const uint32_t count = ReadLittle16(valueBuffer);
  index->Clear();
  if (index->capacity < count) index->Grow(count - index->capacity);
  for (uint32_t k = 0; k < count; ++k) {
    const uint32_t at = 2 + kMobIndexRecordSize * k;
    if (length < 16 || at > length - 16) break;
    MobIndexElement element = {
        {ReadLittle32(valueBuffer + at + 4), ReadLittle32(valueBuffer + at + 8)},
        ReadLittle32(valueBuffer + at + 12)};
    if (index->InsertUnique(&element) == nullptr) return 0;
  }
  return 1;
}

const TocEntry &MediaFileParser::GetEntry(uint32_t index) {
  if (index == UINT32_MAX || entries == nullptr || index >= entryCount)
    currentEntry = &emptyEntry;
  else
    currentEntry = &entries[index];
  return *currentEntry;
}

int32_t MediaFileParser::FindProperty(int32_t first, uint32_t propertyId) {
  if (first < 0 || entries == nullptr || static_cast<uint32_t>(first) >= entryCount ||
      propertyId == 0)
    return -1;
  const uint32_t objectId = entries[first].objectId;
  for (uint32_t i = static_cast<uint32_t>(first); i < entryCount && entries[i].objectId == objectId;
       ++i) {
    if (entries[i].propertyId == propertyId) return static_cast<int32_t>(i);
  }
  return -1;
}

uint32_t MediaFileParser::ReadValue(uint32_t index) {
  if (readsByteCodeToc && IsByteCodeLabel(label)) return ReadStreamValue(index);
  const TocEntry &entry = GetEntry(index);
  valueLength = 0;
  if (entry.length == 0) return 0; // the buffer keeps its old bytes
  const bool stored = entry.storage == kStorageStored;
  // An immediate value has only the entry's four bytes to give.
  uint32_t length = stored ? entry.length : (entry.length < 4 ? entry.length : 4);
  // A stored value must lie inside the file; this also bounds the buffer that it needs.
  if (stored && (entry.value > fileSize || length > fileSize - entry.value)) return 0;

  const uint64_t needed = static_cast<uint64_t>(length) + 4;
  if (needed > valueCapacity) {
    uint8_t *grown = static_cast<uint8_t *>(ParserAllocate(static_cast<size_t>(needed)));
    if (grown == nullptr) return 0; // the old buffer stays for the next read
    std::free(valueBuffer);
    valueBuffer = grown;
    valueCapacity = static_cast<uint32_t>(needed);
  }
  std::memset(valueBuffer, 0, static_cast<size_t>(needed));
  if (!stored) {
    std::memcpy(valueBuffer, &entry.value, length);
  } else {
    // A short read leaves zeros where the bytes are missing.
    if (imageLoaded && entry.value <= imageSize && length <= imageSize - entry.value)
      std::memcpy(valueBuffer, image + entry.value, length);
    else
      ReadAt(entry.value, valueBuffer, length);
    if (!littleEndian &&
        (entry.typeId == TYPE_OBJECT_REF_ARRAY || entry.typeId == TYPE_MOB_INDEX_LIST)) {
      const uint8_t first = valueBuffer[0];
      valueBuffer[0] = valueBuffer[1];
      valueBuffer[1] = first;
    }
  }
  valueLength = length;
  return length;
}

int32_t MediaFileParser::FirstEntryOfObject(uint32_t objectId) {
  if (objectId == 0 || objectCount == 0) return -1;
  if (objectId == CM_StdObjID_TOC) return 0;
  ObjectIndexElement key = {objectId, 0};
  const ObjectIndexElement *found = objectIndex.Find(&key);
  return found != nullptr ? static_cast<int32_t>(found->firstEntry) : -1;
}

uint32_t MediaFileParser::LookupMob(MobIndex *index, const MobKey &key) {
  if (index == nullptr) return 0;
  MobIndexElement element = {key, 0};
  const MobIndexElement *found = index->Find(&element);
  return found != nullptr ? found->objectId : 0;
}

const MobIndexElement *MediaFileParser::MobAt(MobIndex *index, uint32_t i) {
  if (index == nullptr || i >= index->count) return nullptr;
  return index->NodeAt(i);
}

uint32_t MediaFileParser::MobCount(const MobIndex *index) const {
  return index != nullptr ? index->count : 0;
}
