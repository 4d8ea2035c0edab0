// Builds the OMF objects that the media descriptor walks read, inside a Bento container:
// mobs with names, usage, attributes and slots, source clips, descriptors of the classes
// MDES, MDTP, WAVD, AIFD, PCMA, SD2D and of video, locators, media data objects, and the
// three mob index lists on object 1 (the head object, whose entries begin the table).
//
// Each object is written whole when it is added, so its entries stand together; object IDs
// start at 0x20000, above the dictionary's property and type IDs. A big-endian builder
// writes the values that readers take in the container's byte order (list counts, clip
// usage, compression ID) big-endian, and everything else little-endian.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/mob_key.h"
#include "inspection/bento_constants.h"
#include "support/bento_writer.h"

// Properties of filler attributes; value types of the builder's dictionary besides the
// reader's list and reference types.
inline constexpr uint32_t kOmfPropAttrKind = 0x10270;
inline constexpr uint32_t kOmfPropAttrInt = 0x10262;
inline constexpr uint32_t kOmfTypeUInt32 = 0x10065, kOmfTypeUInt16 = 0x10066,
                          kOmfTypeDataValue = 0x10067;

struct OmfBuilder {
  BentoWriter writer;
  uint32_t nextObjectId = 0x20000;
  uint32_t current = 0;     // the object that property additions go to
  size_t listEntry[3] = {}; // object 1's entries of the clip mob, media data, source mob lists
  std::vector<BentoMobRecord> lists[3];
  std::unordered_map<uint64_t, uint32_t> tapeMobs; // tape key -> object, for shared tapes
  bool completed = false;
};

// Starts a container with object 1: class "HEAD" and the three list entries (filled by
// OmfComplete).
inline OmfBuilder OmfBegin(bool bigEndian = false) {
  OmfBuilder b;
  b.writer = BentoBegin(bigEndian);
  BentoAddCode(b.writer, CM_StdObjID_TOC, PROP_CLASS, TYPE_CLASS_ID, "HEAD");
  const uint32_t lists[3] = {PROP_CLIP_MOB_LIST, PROP_MEDIA_DATA_LIST, PROP_SOURCE_MOB_LIST};
  for (int i = 0; i < 3; ++i)
    b.listEntry[i] =
        BentoAddEntry(b.writer, CM_StdObjID_TOC, lists[i], TYPE_MOB_INDEX_LIST, 0, 0, 1);
  return b;
}

// A new current object, then properties of the current object.
inline uint32_t OmfObject(OmfBuilder &b, const char *classCode) {
  b.current = b.nextObjectId++;
  BentoAddCode(b.writer, b.current, PROP_CLASS, TYPE_CLASS_ID, classCode);
  return b.current;
}
inline void OmfU32(OmfBuilder &b, uint32_t property, uint32_t value) {
  BentoAddEntry(b.writer, b.current, property, kOmfTypeUInt32, value, 4, 0);
}
inline uint32_t OmfStored(OmfBuilder &b, uint32_t property, uint32_t type, const void *bytes,
                          size_t size) {
  return b.writer.toc[BentoAddStored(b.writer, b.current, property, type, bytes, size)].value;
}
inline void OmfText(OmfBuilder &b, uint32_t property, const std::string &text) {
  OmfStored(b, property, TYPE_STRING, text.c_str(), text.size() + 1);
}
inline void OmfUid(OmfBuilder &b, uint32_t property, const MobKey &key) {
  BentoAddStored(b.writer, b.current, property, TYPE_UID, BentoMobId(key.low, key.high));
}
inline void OmfRef(OmfBuilder &b, uint32_t property, uint32_t objectId) {
  BentoAddEntry(b.writer, b.current, property, TYPE_OBJECT_REF, objectId, 4, 0);
}
inline void OmfRefs(OmfBuilder &b, uint32_t property, const std::vector<uint32_t> &objectIds) {
  BentoAddStored(b.writer, b.current, property, TYPE_OBJECT_REF_ARRAY,
                 BentoRefArray(b.writer, objectIds));
}
inline void OmfU32InByteOrder(OmfBuilder &b, uint32_t property, uint32_t v) {
  OmfU32(b, property,
         b.writer.bigEndian ? v >> 24 | (v >> 8 & 0xFF00) | (v << 8 & 0xFF0000) | v << 24 : v);
}

enum class OmfList { Clip, Source };
struct OmfMob {
  MobKey key{};
  std::string name;   // empty: no name property
  int64_t usage = -1; // -1: no usage property
  uint32_t descriptor = 0;
  uint32_t attributes = 0;
  std::vector<uint32_t> slots;
};
inline uint32_t OmfAddMob(OmfBuilder &b, const OmfMob &mob, OmfList list) {
  const uint32_t id = OmfObject(b, list == OmfList::Clip ? "MMOB" : "SMOB");
  if (!mob.name.empty()) OmfText(b, PROP_MOB_NAME, mob.name);
  if (mob.usage >= 0) OmfU32InByteOrder(b, PROP_MOB_USAGE, static_cast<uint32_t>(mob.usage));
  if (mob.descriptor != 0) OmfRef(b, PROP_MOB_DESCRIPTOR, mob.descriptor);
  if (!mob.slots.empty()) OmfRefs(b, PROP_MOB_SLOTS, mob.slots);
  if (mob.attributes != 0) OmfRef(b, PROP_MOB_ATTRIBUTES, mob.attributes);
  b.lists[list == OmfList::Clip ? 0 : 2].push_back({mob.key.low, mob.key.high, id});
  return id;
}

// A string attribute; a list of attributes; "_PJ" in a list.
inline uint32_t OmfAddAttribute(OmfBuilder &b, const char *name, const std::string &text) {
  const uint32_t id = OmfObject(b, "ATTB");
  BentoAddCode(b.writer, id, PROP_ATTR_NAME, TYPE_STRING, name); // names of three characters
  OmfU32(b, kOmfPropAttrKind, 2);
  OmfText(b, PROP_ATTR_STRING, text);
  return id;
}
inline uint32_t OmfAddAttributeList(OmfBuilder &b, const std::vector<uint32_t> &attributes) {
  const uint32_t id = OmfObject(b, "ATTR");
  OmfRefs(b, PROP_ATTR_LIST, attributes);
  return id;
}
inline uint32_t OmfAddProjectAttributes(OmfBuilder &b, const std::string &project) {
  const uint32_t attribute = OmfAddAttribute(b, "_PJ", project);
  return OmfAddAttributeList(b, {attribute});
}

// A slot whose segment is a source clip naming the mob of key source.
inline uint32_t OmfAddSourceSlot(OmfBuilder &b, const MobKey &source) {
  const uint32_t clip = OmfObject(b, "SCLP");
  OmfUid(b, PROP_CLIP_SOURCE_ID, source);
  const uint32_t slot = OmfObject(b, "MSLT");
  OmfRef(b, PROP_SLOT_SEGMENT, clip);
  return slot;
}
inline uint32_t OmfAddLocator(OmfBuilder &b, const char *classCode, const std::string &path) {
  const uint32_t id = OmfObject(b, classCode);
  OmfText(b, std::strcmp(classCode, "MACL") == 0 ? PROP_MAC_PATH : PROP_WIN_PATH, path);
  return id;
}
inline uint32_t OmfAddFileDescriptor(OmfBuilder &b, const std::vector<uint32_t> &locators) {
  const uint32_t id = OmfObject(b, "MDES");
  if (!locators.empty()) OmfRefs(b, PROP_LOCATORS, locators);
  return id;
}

struct OmfVideo {
  uint32_t compressionId = 76;
  const char *formatCode = "JFIF";
  uint32_t unitSize = 0;
  int64_t dataOffset = -1; // -1: no data offset property
};
inline uint32_t OmfAddVideoDescriptor(OmfBuilder &b, const OmfVideo &video) {
  const uint32_t id = OmfObject(b, "CDCI");
  if (video.dataOffset >= 0) OmfU32(b, PROP_DATA_OFFSET, static_cast<uint32_t>(video.dataOffset));
  OmfU32InByteOrder(b, PROP_COMPRESSION_ID, video.compressionId);
  BentoAddCode(b.writer, id, PROP_COMPRESSION, TYPE_CLASS_ID, video.formatCode);
  OmfU32(b, PROP_UNIT_SIZE, video.unitSize);
  return id;
}
// A descriptor of an audio class: WAVD and AIFD carry the summary given, PCMA its bits and
// byte rate; MDTP (a tape) and SD2D carry nothing.
inline uint32_t OmfAddDescriptor(OmfBuilder &b, const char *classCode,
                                 const std::vector<uint8_t> &summary = {}, uint16_t bits = 0,
                                 uint32_t byteRate = 0) {
  const uint32_t id = OmfObject(b, classCode);
  if (std::strcmp(classCode, "PCMA") == 0) {
    BentoAddEntry(b.writer, id, PROP_PCM_BITS, kOmfTypeUInt16, bits, 2, 0);
    OmfU32(b, PROP_PCM_BYTE_RATE, byteRate);
  } else if (std::strcmp(classCode, "WAVD") == 0 || std::strcmp(classCode, "AIFD") == 0) {
    OmfStored(b, classCode[0] == 'W' ? PROP_WAVE_SUMMARY : PROP_AIFC_SUMMARY, kOmfTypeDataValue,
              summary.data(), summary.size());
  }
  return id;
}

// A media data object of the class given, with the class's mob ID property (any class
// other than AIFC, SD2D and WAVE takes the video one) and its data; listed in the media data
// list under key. *dataOffset receives the data's offset.
inline uint32_t OmfAddMediaData(OmfBuilder &b, const char *classCode, const MobKey &key,
                                const std::vector<uint8_t> &data, uint32_t *dataOffset = nullptr) {
  const uint32_t id = OmfObject(b, classCode);
  uint32_t mobIdProperty = PROP_VIDEO_MOB_ID;
  if (std::strcmp(classCode, "AIFC") == 0) mobIdProperty = PROP_AIFC_MOB_ID;
  if (std::strcmp(classCode, "SD2D") == 0) mobIdProperty = PROP_SD2_MOB_ID;
  if (std::strcmp(classCode, "WAVE") == 0) mobIdProperty = PROP_WAVE_MOB_ID;
  OmfUid(b, mobIdProperty, key);
  const uint32_t offset =
      OmfStored(b, PROP_MEDIA_DATA, kOmfTypeDataValue, data.data(), data.size());
  if (dataOffset != nullptr) *dataOffset = offset;
  b.lists[1].push_back({key.low, key.high, id});
  return id;
}

// Header bytes as the audio descriptors carry them. An AIFC rate is the 80-bit extended
// form of a whole number: exponent, then the mantissa with its top bit set.
inline std::vector<uint8_t> WaveSummary(uint16_t channels, uint32_t rate, uint16_t bits) {
  const uint16_t blockAlign = static_cast<uint16_t>(channels * (bits / 8));
  std::vector<uint8_t> out = {'R', 'I', 'F', 'F', 36,  0,  0, 0, 'W', 'A', 'V',
                              'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,   1,   0}; // PCM
  PutU16(out, channels);
  PutU32(out, rate);
  PutU32(out, rate * blockAlign);
  PutU16(out, blockAlign);
  PutU16(out, bits);
  out.insert(out.end(), {'d', 'a', 't', 'a', 0, 0, 0, 0});
  return out;
}
inline std::vector<uint8_t> AifcSummary(uint16_t channels, uint32_t rate, uint16_t bits) {
  std::vector<uint8_t> out = {'F',  'O',  'R', 'M', 0,   0,   0, 64, 'A', 'I',  'F',
                              'C',  'F',  'V', 'E', 'R', 0,   0, 0,  4,   0xA2, 0x80,
                              0x51, 0x40, 'C', 'O', 'M', 'M', 0, 0,  0,   24}; // AIFC version 1
  PutBytes(out, channels, 2, true);
  PutBytes(out, 0, 4, true); // sample frames
  PutBytes(out, bits, 2, true);
  int top = 31;
  while (top > 0 && !(rate >> top & 1)) --top;
  PutBytes(out, rate != 0 ? 16383 + top : 0, 2, true);
  const uint64_t mantissa = static_cast<uint64_t>(rate) << (63 - top);
  PutBytes(out, static_cast<uint32_t>(mantissa >> 32), 4, true);
  PutBytes(out, static_cast<uint32_t>(mantissa), 4, true);
  // No compression, an empty name and its pad byte; an empty sound data chunk.
  out.insert(out.end(), {'N', 'O', 'N', 'E', 0, 0, 'S', 'S', 'N', 'D', 0, 0, 0, 8});
  out.resize(out.size() + 8, 0);
  return out;
}

// Writes the three lists into object 1 and the names of the dictionary (the names that the
// structure viewer and the dictionary dump show). Once.
inline void OmfComplete(OmfBuilder &b) {
  // clang-format off
  static constexpr std::pair<uint32_t, const char *> kNames[] = { // types in lower case
    {PROP_CLASS, "OMFI:OOBJ:ObjClass"}, {PROP_CLIP_MOB_LIST, "OMFI:HEAD:ClipMobIndex"},
    {PROP_MEDIA_DATA_LIST, "OMFI:HEAD:MediaDataIndex"},
    {PROP_SOURCE_MOB_LIST, "OMFI:HEAD:SourceMobIndex"}, {PROP_MOB_NAME, "OMFI:MOBJ:Name"},
    {PROP_MOB_USAGE, "OMFI:MOBJ:UsageCode"}, {PROP_MOB_DESCRIPTOR, "OMFI:SMOB:MediaDescription"},
    {PROP_MOB_SLOTS, "OMFI:MOBJ:Slots"}, {PROP_MOB_ATTRIBUTES, "OMFI:MOBJ:UserAttributes"},
    {PROP_ATTR_LIST, "OMFI:ATTR:AttrRefs"}, {PROP_ATTR_NAME, "OMFI:ATTB:Name"},
    {PROP_ATTR_STRING, "OMFI:ATTB:StringAttribute"}, {kOmfPropAttrKind, "OMFI:ATTB:Kind"},
    {kOmfPropAttrInt, "OMFI:ATTB:IntAttribute"}, {PROP_SLOT_SEGMENT, "OMFI:MSLT:Segment"},
    {PROP_CLIP_SOURCE_ID, "OMFI:SCLP:SourceID"}, {PROP_LOCATORS, "OMFI:MDES:Locator"},
    {PROP_WIN_PATH, "OMFI:WINL:PathName"}, {PROP_MAC_PATH, "OMFI:MACL:PathName"},
    {PROP_DATA_OFFSET, "OMFI:MDFL:DataOffset"}, {PROP_COMPRESSION_ID, "OMFI:DIDD:CompressionID"},
    {PROP_COMPRESSION, "OMFI:DIDD:Compression"}, {PROP_UNIT_SIZE, "OMFI:DIDD:UnitSize"},
    {PROP_AIFC_MOB_ID, "OMFI:AIFC:MobID"}, {PROP_SD2_MOB_ID, "OMFI:SD2D:MobID"},
    {PROP_WAVE_MOB_ID, "OMFI:WAVE:MobID"}, {PROP_VIDEO_MOB_ID, "OMFI:MDAT:MobID"},
    {PROP_MEDIA_DATA, "OMFI:MDAT:Data"}, {PROP_WAVE_SUMMARY, "OMFI:WAVD:Summary"},
    {PROP_AIFC_SUMMARY, "OMFI:AIFD:Summary"}, {PROP_PCM_BITS, "OMFI:PCMA:BitsPerSample"},
    {PROP_PCM_BYTE_RATE, "OMFI:PCMA:AverageBPS"},
    {TYPE_MOB_INDEX_LIST, "omfi:MobIndex"}, {TYPE_OBJECT_REF, "omfi:ObjRef"},
    {TYPE_OBJECT_REF_ARRAY, "omfi:ObjRefArray"}, {TYPE_CLASS_ID, "omfi:ClassID"},
    {TYPE_STRING, "omfi:String"}, {TYPE_UID, "omfi:UID"}, {kOmfTypeUInt32, "omfi:UInt32"},
    {kOmfTypeUInt16, "omfi:UInt16"}, {kOmfTypeDataValue, "omfi:DataValue"}, {0x10068, "omfi:Int32"}};
  // clang-format on
  if (b.completed) return;
  b.completed = true;
  for (int i = 0; i < 3; ++i) {
    if (b.lists[i].empty()) continue; // no value: the list is absent
    const std::vector<uint8_t> value = BentoMobList(b.writer, b.lists[i]);
    BentoTocRecord &entry = b.writer.toc[b.listEntry[i]];
    entry.value = BentoAppendData(b.writer, value.data(), value.size());
    entry.length = static_cast<uint32_t>(value.size());
  }
  for (const auto &[id, name] : kNames) BentoAddName(b.writer, id, name[0] == 'o', name);
}
inline std::vector<uint8_t> OmfFinish(OmfBuilder &b, const BentoLabel &label = {}) {
  OmfComplete(b);
  return BentoFinish(b.writer, label);
}
