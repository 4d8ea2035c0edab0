// The walks over the OMF objects of an opened container that fill the parser's results:
// from a media file's media data object, or from a database record's two mob keys, to the
// file mob, its descriptor, and along the source clips to the tape or imported file.
#include <cstdio>
#include <cstring>

#include "inspection/bento_constants.h"
#include "base/byte_order.h"
#include "inspection/media_file_parser.h"
#include "platform/platform.h"

namespace {

void StoreCode(char *destination, uint32_t code) {
  for (int i = 0; i < 4; ++i) destination[i] = static_cast<char>(code >> (8 * i) & 0xFF);
}

// Object ID of element k of a TYPE_OBJECT_REF_ARRAY value, 0 when the value does not hold it.
uint32_t ArrayElementId(const uint8_t *value, uint32_t length, uint32_t k) {
  if (length < 2 || k >= static_cast<uint32_t>(value[0] | value[1] << 8)) return 0;
  const uint32_t at = 2 + kObjectRefElementSize * k;
  if (length < 4 || at > length - 4) return 0;
  return ReadLittle32(value + at);
}

} // namespace

void CopyTruncated(const uint8_t *text, uint32_t length, wchar_t *destination, uint32_t capacity) {
  if (text == nullptr || destination == nullptr || length == 0 || capacity == 0) return;
  const bool fits = length < capacity || capacity < 4;
  const uint32_t count = fits ? (length < capacity ? length : capacity - 1) : capacity - 4;
  for (uint32_t i = 0; i < count && text[i] != 0; ++i) destination[i] = text[i];
  if (!fits) {
    destination[capacity - 4] = L'.';
    destination[capacity - 3] = L'.';
    destination[capacity - 2] = L'.';
  }
}

// ---- Small steps of the walks ----------------------------------------------------------

uint32_t MediaFileParser::ReadPropertyValue(int32_t first, uint32_t propertyId) {
  return ReadValue(static_cast<uint32_t>(FindProperty(first, propertyId)));
}

int MediaFileParser::ReadU32Property(int32_t first, uint32_t propertyId, uint32_t *value) {
  if (ReadPropertyValue(first, propertyId) == 0) return 0;
  *value = ReadLittle32(valueBuffer); // the zeros behind the value make up a shorter one
  return 1;
}

// First entry of the object that a TYPE_OBJECT_REF property names, or -1.
int32_t MediaFileParser::ReferencedObject(int32_t first, uint32_t propertyId) {
  uint32_t objectId = 0;
  if (!ReadU32Property(first, propertyId, &objectId)) return -1;
  return FirstEntryOfObject(objectId);
}

// First entry of the object of element k of a TYPE_OBJECT_REF_ARRAY property, or -1.
int32_t MediaFileParser::ArrayElementObject(int32_t first, uint32_t propertyId, uint32_t k) {
  const uint32_t length = ReadPropertyValue(first, propertyId);
  return FirstEntryOfObject(ArrayElementId(valueBuffer, length, k));
}

// Bytes 4-11 of a TYPE_UID property as a mob key; 0 when the property has no value.
int MediaFileParser::ReadMobKeyProperty(int32_t first, uint32_t propertyId, MobKey *key) {
  const uint32_t length = ReadPropertyValue(first, propertyId);
  if (length == 0) return 0;
  uint8_t id[kMobIdSize] = {};
  std::memcpy(id, valueBuffer, length < kMobIdSize ? length : kMobIdSize);
  key->low = ReadLittle32(id + 4);
  key->high = ReadLittle32(id + 8);
  return 1;
}

// The class of an object: bytes 12-15 of its first entry; zero for -1.
uint32_t MediaFileParser::ObjectClass(int32_t first) {
  return GetEntry(static_cast<uint32_t>(first)).value;
}

void MediaFileParser::CopyTextProperty(int32_t first, uint32_t propertyId, wchar_t *destination) {
  const uint32_t length = ReadPropertyValue(first, propertyId);
  CopyTruncated(valueBuffer, length, destination, kParserTextChars);
}

// Compression ID (in the container's byte order), format code and unit size of a video
// descriptor.
void MediaFileParser::ReadVideoFields(int32_t descriptorEntry) {
  uint32_t value = 0;
  if (ReadU32Property(descriptorEntry, PROP_COMPRESSION_ID, &value))
    results.compressionId = littleEndian ? value : SwapBytes32(value);
  if (ReadPropertyValue(descriptorEntry, PROP_COMPRESSION) != 0)
    std::memcpy(results.formatCode, valueBuffer, 4);
  if (ReadU32Property(descriptorEntry, PROP_UNIT_SIZE, &value)) results.unitSize = value;
}

// A media file may hold several media data objects: the one whose data lies at the
// descriptor's data offset is the one described.
void MediaFileParser::SearchMediaData(int32_t descriptorEntry) {
  const uint32_t own =
      GetEntry(static_cast<uint32_t>(FindProperty(descriptorEntry, PROP_MEDIA_DATA))).value;
  if (own == results.dataOffset) return;
  const uint32_t count = MobCount(&mediaDataIndex);
  for (uint32_t i = 0; i < count; ++i) {
    const MobIndexElement *media = MobAt(&mediaDataIndex, i);
    results.mediaMobKey = media->key;
    results.mediaDataEntry = FirstEntryOfObject(media->objectId);
    const int32_t data = FindProperty(results.mediaDataEntry, PROP_MEDIA_DATA);
    if (data >= 0 && GetEntry(static_cast<uint32_t>(data)).value == results.dataOffset) return;
  }
}

// ---- Project and source ----------------------------------------------------------------------

void MediaFileParser::ReadProjectName(int32_t mobEntry) {
  if (results.projectName[0] != 0) return;
  const int32_t list = ReferencedObject(mobEntry, PROP_MOB_ATTRIBUTES);
  if (list < 0) return;
  const uint32_t length = ReadPropertyValue(list, PROP_ATTR_LIST);
  // Only entries are looked at until the project attribute is found, so the list stays in
  // the value buffer during the search.
  const uint32_t count =
      length >= 2 ? static_cast<uint32_t>(valueBuffer[0] | valueBuffer[1] << 8) : 0;
  for (uint32_t k = 0; k < count; ++k) {
    const uint32_t objectId = ArrayElementId(valueBuffer, length, k);
    if (objectId == 0) return; // the list ends at the first empty element
    const int32_t attribute = FirstEntryOfObject(objectId);
    const int32_t name = FindProperty(attribute, PROP_ATTR_NAME);
    if (name >= 0 && GetEntry(static_cast<uint32_t>(name)).value == kProjectAttributeName) {
      CopyTextProperty(attribute, PROP_ATTR_STRING, results.projectName);
      return;
    }
  }
}

void MediaFileParser::FindSourceName(int32_t mobEntry) {
  if (ReadPropertyValue(mobEntry, PROP_MOB_SLOTS) == 0) return;
  // Each step moves to another mob, so a chain longer than the container has objects has
  // come back to a mob already seen.
  for (uint32_t step = 0; step <= objectCount; ++step) {
    const int32_t slot = FirstEntryOfObject(ArrayElementId(valueBuffer, valueLength, 0));
    const int32_t segment = ReferencedObject(slot, PROP_SLOT_SEGMENT);
    if (segment < 0) return;
    int32_t mob = segment;
    MobKey key;
    if (ReadMobKeyProperty(segment, PROP_CLIP_SOURCE_ID, &key))
      mob = FirstEntryOfObject(LookupMob(&sourceMobIndex, key));
    ReadProjectName(mob);
    const int32_t descriptor = ReferencedObject(mob, PROP_MOB_DESCRIPTOR);
    if (descriptor < 0) return;
    const uint32_t descriptorClass = ObjectClass(descriptor);
    if (descriptorClass == kClassTapeDescriptor) {
      CopyTextProperty(mob, PROP_MOB_NAME, results.sourceName);
      return;
    }
    if (descriptorClass == kClassFileDescriptor) {
      // Media imported from a file: its first locator records the path.
      const int32_t locator = ArrayElementObject(descriptor, PROP_LOCATORS, 0);
      const uint32_t locatorClass = ObjectClass(locator);
      if (locatorClass == kClassWindowsLocator)
        CopyTextProperty(locator, PROP_WIN_PATH, results.sourceName);
      else if (locatorClass == kClassMacLocator)
        CopyTextProperty(locator, PROP_MAC_PATH, results.sourceName);
      return;
    }
    if (ReadPropertyValue(mob, PROP_MOB_SLOTS) == 0) return;
  }
  platform::LogLine(L"QEL::FindSourceName::Source chain loops back, walk stopped");
}

// ---- The two walks -------------------------------------------------------------------------

void MediaFileParser::DescribeMediaFile() {
  uint32_t mediaDataObject = 0;
  if (const MobIndexElement *media = MobAt(&mediaDataIndex, 0)) {
    results.mediaMobKey = media->key;
    mediaDataObject = media->objectId;
  }
  results.fileMobEntry = -1;
  if (MobKeyIsZero(results.mediaMobKey)) {
    StoreCode(results.mediaType, kMediaNone);
  } else {
    results.mediaDataEntry = FirstEntryOfObject(mediaDataObject);
    uint32_t mediaType = kMediaVideo;
    uint32_t mobIdProperty = PROP_VIDEO_MOB_ID;
    switch (ObjectClass(results.mediaDataEntry)) {
    case kClassAifc:
      mediaType = kMediaAiff;
      mobIdProperty = PROP_AIFC_MOB_ID;
      break;
    case kClassSd2Data:
      mediaType = kMediaSd2;
      mobIdProperty = PROP_SD2_MOB_ID;
      break;
    case kClassWave:
      mediaType = kMediaWave;
      mobIdProperty = PROP_WAVE_MOB_ID;
      break;
    default:
      break;
    }
    StoreCode(results.mediaType, mediaType);
    if (ReadMobKeyProperty(results.mediaDataEntry, mobIdProperty, &results.fileMobKey))
      results.fileMobEntry = FirstEntryOfObject(LookupMob(&sourceMobIndex, results.fileMobKey));
    if (results.fileMobEntry >= 0) {
      ReadProjectName(results.fileMobEntry);
      const int32_t descriptor = ReferencedObject(results.fileMobEntry, PROP_MOB_DESCRIPTOR);
      if (descriptor >= 0) {
        ReadU32Property(descriptor, PROP_DATA_OFFSET, &results.dataOffset);
        if (mediaType == kMediaVideo) {
          SearchMediaData(descriptor);
          ReadVideoFields(descriptor);
        } else if (mediaType == kMediaWave) {
          ReadWaveSummary(descriptor);
        } else if (mediaType == kMediaAiff) {
          ReadAifcSummary(descriptor);
        }
      }
      FindSourceName(results.fileMobEntry);
    }
  }

  const MobIndexElement *clip = MobAt(&clipMobIndex, 0);
  if (clip == nullptr || MobKeyIsZero(clip->key)) return;
  results.clipMobKey = clip->key;
  const int32_t clipEntry = FirstEntryOfObject(clip->objectId);
  CopyTextProperty(clipEntry, PROP_MOB_NAME, results.clipName);
  ReadU32Property(clipEntry, PROP_MOB_USAGE, &results.clipUsage); // as stored
}

void MediaFileParser::DescribeDatabaseMob(const MobKey &fileMobKey, const MobKey &clipMobKey) {
  const MobKey fileKey = fileMobKey; // the arguments may be results of the last walk
  const MobKey clipKey = clipMobKey;
  std::memset(&results, 0, sizeof results);
  results.fileMobKey = fileKey;
  results.mediaDataEntry = -1;
  results.fileMobEntry = FirstEntryOfObject(LookupMob(&sourceMobIndex, fileKey));
  if (results.fileMobEntry >= 0) {
    ReadProjectName(results.fileMobEntry);
    const int32_t descriptor = ReferencedObject(results.fileMobEntry, PROP_MOB_DESCRIPTOR);
    if (descriptor >= 0) {
      switch (ObjectClass(descriptor)) {
      case kClassWaveDescriptor:
        StoreCode(results.mediaType, kMediaWave);
        ReadWaveSummary(descriptor);
        break;
      case kClassAifcDescriptor:
        StoreCode(results.mediaType, kMediaAiff);
        ReadAifcSummary(descriptor);
        break;
      case kClassPcmDescriptor:
        ReadPcmProperties(descriptor);
        break;
      case kClassSd2Descriptor:
        StoreCode(results.mediaType, kMediaSd2);
        break;
      default:
        StoreCode(results.mediaType, kMediaVideo);
        ReadVideoFields(descriptor);
        break;
      }
    }
    FindSourceName(results.fileMobEntry);
  }

  results.clipMobKey = clipKey;
  const int32_t clipEntry = FirstEntryOfObject(LookupMob(&clipMobIndex, clipKey));
  CopyTextProperty(clipEntry, PROP_MOB_NAME, results.clipName);
  uint32_t usage = 0;
  if (ReadU32Property(clipEntry, PROP_MOB_USAGE, &usage))
    results.clipUsage = littleEndian ? usage : SwapBytes32(usage);
}
