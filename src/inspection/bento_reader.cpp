// Access to an opened version-1 container: the indexes over its table of contents, entries,
// properties and values.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "inspection/bento_constants.h"
#include "base/byte_order.h"
#include "inspection/media_file_parser.h"
#include "inspection/toc_stream.h"

void MediaFileParser::IndexToc() {
  entryCount = tocBuffer != nullptr ? label.tocSize / kTocEntrySize : 0;
  entries = reinterpret_cast<const TocEntry *>(tocBuffer);
  objectCount = 0;
  // The objects' first entries go into a table sorted afterwards and searched by halving,
  // or, when memory for the table cannot be had, into the tree.
  if (searchObjectTable && IndexIntoTable()) return;
  uint32_t previous = 0;
  for (uint32_t i = 0; i < entryCount; ++i) {
    if (entries[i].objectId != previous) ++objectCount;
    previous = entries[i].objectId;
  }
  if (objectCount == 0) {
    Refuse(kContainerEmptyToc);
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
    if (entry.objectId == CM_StdObjID_TOC) ok = ok && FillMobIndexesFrom(i);
  }
  if (!ok) {
    // Memory for the indexes could not be had: an index with holes would describe media
    // wrongly, so the open fails as a whole.
    Refuse(kContainerNoMemory);
    return;
  }
  valid = 1;
}

// Notes where each run of an object begins, for the entries from the last one gathered up
// to end (the TOC may be gathered slice by slice while it is read).
void MediaFileParser::GatherRuns(uint32_t end) {
  const TocEntry *table = reinterpret_cast<const TocEntry *>(tocBuffer);
  for (uint32_t i = gatheredEntries; i < end && !gatherFailed; ++i) {
    const uint32_t id = table[i].objectId;
    if (id == gatherPrevious) continue;
    if (objectTableCount == objectTableCapacity &&
        !GrowObjectTable(label.tocSize / kTocEntrySize)) {
      gatherFailed = 1;
      break;
    }
    objectTable[objectTableCount++] = ObjectIndexElement{id, i};
    gatherPrevious = id;
  }
  gatheredEntries = end;
}

// IndexToc into the object table: the runs gathered (the rest of them now); the mob lists
// are looked for in object 1's runs only, in table order. 0 when the table could not grow
// (nothing is indexed then).
int MediaFileParser::IndexIntoTable() {
  GatherRuns(entryCount);
  if (gatherFailed) {
    objectTableCount = 0;
    return 0;
  }
  objectCount = objectTableCount;
  int ok = objectCount != 0;
  for (uint32_t r = 0; ok && r < objectTableCount; ++r) {
    if (objectTable[r].objectId != CM_StdObjID_TOC) continue;
    for (uint32_t i = objectTable[r].firstEntry;
         ok && i < entryCount && entries[i].objectId == CM_StdObjID_TOC; ++i)
      ok = FillMobIndexesFrom(i);
  }
  if (!ok) { // no objects, or no memory for a mob index
    Refuse(objectCount == 0 ? kContainerEmptyToc : kContainerNoMemory);
    return 1;
  }
  SortObjectTable();
  valid = 1;
  return 1;
}

// The first entry of object 1 that holds each mob list fills that list's index.
int MediaFileParser::FillMobIndexesFrom(uint32_t i) {
  const uint32_t property = entries[i].propertyId;
  if (property == PROP_CLIP_MOB_LIST && clipMobIndex.count == 0)
    return FillMobIndex(&clipMobIndex, i);
  if (property == PROP_MEDIA_DATA_LIST && mediaDataIndex.count == 0)
    return FillMobIndex(&mediaDataIndex, i);
  if (property == PROP_SOURCE_MOB_LIST && sourceMobIndex.count == 0)
    return FillMobIndex(&sourceMobIndex, i);
  return 1;
}

// Doubles the table's room (a quarter of the entries at first: objects have several
// entries each), up to one element per entry; 0 without memory.
int MediaFileParser::GrowObjectTable(uint32_t entries) {
  uint64_t wanted = objectTableCapacity != 0 ? 2ull * objectTableCapacity : entries / 4 + 64;
  if (wanted > entries) wanted = entries;
  if (wanted <= objectTableCapacity) return 0;
  void *grown = ParserAllocate(static_cast<size_t>(wanted) * sizeof(ObjectIndexElement));
  if (grown == nullptr) return 0;
  if (objectTableCount != 0)
    std::memcpy(grown, objectTable, objectTableCount * sizeof(ObjectIndexElement));
  std::free(objectTable);
  objectTable = static_cast<ObjectIndexElement *>(grown);
  objectTableCapacity = static_cast<uint32_t>(wanted);
  return 1;
}

// Orders the table by object ID and keeps each object's first run. Writers add objects in
// rising ID order, perhaps with a few (dictionary objects) at the end, so only the part
// after the ordered start is sorted and then merged in.
void MediaFileParser::SortObjectTable() {
  auto before = [](const ObjectIndexElement &a, const ObjectIndexElement &b) {
    return a.objectId != b.objectId ? a.objectId < b.objectId : a.firstEntry < b.firstEntry;
  };
  ObjectIndexElement *begin = objectTable, *end = objectTable + objectTableCount;
  ObjectIndexElement *ordered = begin + (begin != end ? 1 : 0);
  while (ordered != end && before(ordered[-1], *ordered)) ++ordered;
  if (ordered != end) {
    std::sort(ordered, end, before);
    std::inplace_merge(begin, ordered, end, before);
  }
  uint32_t kept = 0;
  for (uint32_t i = 0; i < objectTableCount; ++i) {
    if (kept == 0 || objectTable[kept - 1].objectId != objectTable[i].objectId)
      objectTable[kept++] = objectTable[i];
  }
  objectTableCount = kept;
  objectTableSorted = 1;
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
  if (objectTableSorted) {
    const ObjectIndexElement *begin = objectTable, *end = objectTable + objectTableCount;
    const ObjectIndexElement *found =
        std::lower_bound(begin, end, objectId,
                         [](const ObjectIndexElement &e, uint32_t id) { return e.objectId < id; });
    return found != end && found->objectId == objectId ? static_cast<int32_t>(found->firstEntry)
                                                       : -1;
  }
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
