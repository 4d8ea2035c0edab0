#include "support/omf_builder.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "inspection/bento_constants.h"

namespace {

// Value types of the builder's dictionary besides the reader's list and reference types.
constexpr uint32_t kTypeUInt32 = 0x10065, kTypeUInt16 = 0x10066, kTypeDataValue = 0x10067;

// The builder's dictionary, the names that the structure viewer and the dictionary dump show.
// clang-format off
constexpr std::pair<uint32_t, const char *> kPropertyNames[] = {
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
    {PROP_PCM_BYTE_RATE, "OMFI:PCMA:AverageBPS"}};
constexpr std::pair<uint32_t, const char *> kTypeNames[] = {
    {TYPE_MOB_INDEX_LIST, "omfi:MobIndex"}, {TYPE_OBJECT_REF, "omfi:ObjRef"},
    {TYPE_OBJECT_REF_ARRAY, "omfi:ObjRefArray"}, {TYPE_CLASS_ID, "omfi:ClassID"},
    {TYPE_STRING, "omfi:String"}, {TYPE_UID, "omfi:UID"}, {kTypeUInt32, "omfi:UInt32"},
    {kTypeUInt16, "omfi:UInt16"}, {kTypeDataValue, "omfi:DataValue"}, {0x10068, "omfi:Int32"}};
// clang-format on

// Properties of the current object.
uint32_t Stored(OmfBuilder &b, uint32_t property, uint32_t type, const void *bytes, size_t size) {
  return b.writer.toc[BentoAddStored(b.writer, b.current, property, type, bytes, size)].value;
}
void Text(OmfBuilder &b, uint32_t property, const std::string &text) {
  Stored(b, property, TYPE_STRING, text.c_str(), text.size() + 1);
}
void Uid(OmfBuilder &b, uint32_t property, const MobKey &key) {
  const std::vector<uint8_t> id = BentoMobId(key.low, key.high);
  Stored(b, property, TYPE_UID, id.data(), id.size());
}
void Ref(OmfBuilder &b, uint32_t property, uint32_t objectId) {
  BentoAddImmediateU32(b.writer, b.current, property, TYPE_OBJECT_REF, objectId);
}
void Refs(OmfBuilder &b, uint32_t property, const std::vector<uint32_t> &objectIds) {
  const std::vector<uint8_t> value = BentoRefArray(b.writer, objectIds);
  Stored(b, property, TYPE_OBJECT_REF_ARRAY, value.data(), value.size());
}
void U32InByteOrder(OmfBuilder &b, uint32_t property, uint32_t v) {
  OmfU32(b, property,
         b.writer.bigEndian ? v >> 24 | (v >> 8 & 0xFF00) | (v << 8 & 0xFF0000) | v << 24 : v);
}

uint32_t DescriptorWithSummary(OmfBuilder &b, const char *classCode, uint32_t property,
                               const std::vector<uint8_t> &summary) {
  const uint32_t id = OmfObject(b, classCode);
  Stored(b, property, kTypeDataValue, summary.data(), summary.size());
  return id;
}

// The 80-bit extended-precision form of a whole sample rate: exponent, then the mantissa
// with its top bit set.
void PutExtended(std::vector<uint8_t> &out, uint32_t rate) {
  int top = 31;
  while (top > 0 && !(rate >> top & 1)) --top;
  PutU16Big(out, static_cast<uint16_t>(rate != 0 ? 16383 + top : 0));
  const uint64_t mantissa = static_cast<uint64_t>(rate) << (63 - top);
  PutU32Big(out, static_cast<uint32_t>(mantissa >> 32));
  PutU32Big(out, static_cast<uint32_t>(mantissa));
}

void PutChars(std::vector<uint8_t> &out, const char *text) {
  out.insert(out.end(), text, text + std::strlen(text));
}

} // namespace

OmfBuilder OmfBegin(bool bigEndian) {
  OmfBuilder b;
  b.writer = BentoBegin(bigEndian);
  BentoAddCode(b.writer, CM_StdObjID_TOC, PROP_CLASS, TYPE_CLASS_ID, "HEAD");
  const uint32_t lists[3] = {PROP_CLIP_MOB_LIST, PROP_MEDIA_DATA_LIST, PROP_SOURCE_MOB_LIST};
  for (int i = 0; i < 3; ++i)
    b.listEntry[i] =
        BentoAddEntry(b.writer, CM_StdObjID_TOC, lists[i], TYPE_MOB_INDEX_LIST, 0, 0, 1);
  return b;
}

uint32_t OmfObject(OmfBuilder &b, const char *classCode) {
  b.current = b.nextObjectId++;
  BentoAddCode(b.writer, b.current, PROP_CLASS, TYPE_CLASS_ID, classCode);
  return b.current;
}

void OmfU32(OmfBuilder &b, uint32_t property, uint32_t value) {
  BentoAddImmediateU32(b.writer, b.current, property, kTypeUInt32, value);
}

uint32_t OmfAddMob(OmfBuilder &b, const OmfMob &mob, OmfList list) {
  const uint32_t id = OmfObject(b, list == OmfList::Clip ? "MMOB" : "SMOB");
  if (!mob.name.empty()) Text(b, PROP_MOB_NAME, mob.name);
  if (mob.usage >= 0) U32InByteOrder(b, PROP_MOB_USAGE, static_cast<uint32_t>(mob.usage));
  if (mob.descriptor != 0) Ref(b, PROP_MOB_DESCRIPTOR, mob.descriptor);
  if (!mob.slots.empty()) Refs(b, PROP_MOB_SLOTS, mob.slots);
  if (mob.attributes != 0) Ref(b, PROP_MOB_ATTRIBUTES, mob.attributes);
  if (list != OmfList::None)
    b.lists[list == OmfList::Clip ? 0 : 2].push_back({mob.key.low, mob.key.high, id});
  return id;
}

uint32_t OmfAddAttribute(OmfBuilder &b, const char *name, const std::string &text) {
  const uint32_t id = OmfObject(b, "ATTB");
  char code[4] = {};
  std::memcpy(code, name, std::min<size_t>(std::strlen(name), 4));
  BentoAddImmediate(b.writer, id, PROP_ATTR_NAME, TYPE_STRING, code, 4);
  OmfU32(b, kOmfPropAttrKind, 2); // string attribute
  Text(b, PROP_ATTR_STRING, text);
  return id;
}

uint32_t OmfAddAttributeList(OmfBuilder &b, const std::vector<uint32_t> &attributes) {
  const uint32_t id = OmfObject(b, "ATTR");
  Refs(b, PROP_ATTR_LIST, attributes);
  return id;
}

uint32_t OmfAddProjectAttributes(OmfBuilder &b, const std::string &project) {
  const uint32_t attribute = OmfAddAttribute(b, "_PJ", project);
  return OmfAddAttributeList(b, {attribute});
}

uint32_t OmfAddSlot(OmfBuilder &b, uint32_t segment) {
  const uint32_t id = OmfObject(b, "MSLT");
  Ref(b, PROP_SLOT_SEGMENT, segment);
  return id;
}

uint32_t OmfAddSourceClip(OmfBuilder &b, const MobKey &source) {
  const uint32_t id = OmfObject(b, "SCLP");
  Uid(b, PROP_CLIP_SOURCE_ID, source);
  return id;
}

uint32_t OmfAddLocator(OmfBuilder &b, const char *classCode, const std::string &path) {
  const uint32_t id = OmfObject(b, classCode);
  Text(b, std::strcmp(classCode, "MACL") == 0 ? PROP_MAC_PATH : PROP_WIN_PATH, path);
  return id;
}

uint32_t OmfAddFileDescriptor(OmfBuilder &b, const std::vector<uint32_t> &locators) {
  const uint32_t id = OmfObject(b, "MDES");
  if (!locators.empty()) Refs(b, PROP_LOCATORS, locators);
  return id;
}

uint32_t OmfAddTapeDescriptor(OmfBuilder &b) {
  return OmfObject(b, "MDTP");
}

uint32_t OmfAddVideoDescriptor(OmfBuilder &b, const OmfVideo &video) {
  const uint32_t id = OmfObject(b, video.classCode);
  if (video.dataOffset >= 0) OmfU32(b, PROP_DATA_OFFSET, static_cast<uint32_t>(video.dataOffset));
  U32InByteOrder(b, PROP_COMPRESSION_ID, video.compressionId);
  if (video.formatCode != nullptr)
    BentoAddCode(b.writer, id, PROP_COMPRESSION, TYPE_CLASS_ID, video.formatCode);
  OmfU32(b, PROP_UNIT_SIZE, video.unitSize);
  return id;
}

uint32_t OmfAddWaveDescriptor(OmfBuilder &b, const std::vector<uint8_t> &summary) {
  return DescriptorWithSummary(b, "WAVD", PROP_WAVE_SUMMARY, summary);
}

uint32_t OmfAddAifcDescriptor(OmfBuilder &b, const std::vector<uint8_t> &summary) {
  return DescriptorWithSummary(b, "AIFD", PROP_AIFC_SUMMARY, summary);
}

uint32_t OmfAddPcmDescriptor(OmfBuilder &b, uint16_t bits, uint32_t byteRate) {
  const uint32_t id = OmfObject(b, "PCMA");
  BentoAddEntry(b.writer, id, PROP_PCM_BITS, kTypeUInt16, bits, 2, 0);
  OmfU32(b, PROP_PCM_BYTE_RATE, byteRate);
  return id;
}

uint32_t OmfAddSd2Descriptor(OmfBuilder &b) {
  return OmfObject(b, "SD2D");
}

uint32_t OmfAddMediaData(OmfBuilder &b, const char *classCode, const MobKey &key,
                         const std::vector<uint8_t> &data, uint32_t *dataOffset) {
  const uint32_t id = OmfObject(b, classCode);
  uint32_t mobIdProperty = PROP_VIDEO_MOB_ID;
  if (std::strcmp(classCode, "AIFC") == 0) mobIdProperty = PROP_AIFC_MOB_ID;
  if (std::strcmp(classCode, "SD2D") == 0) mobIdProperty = PROP_SD2_MOB_ID;
  if (std::strcmp(classCode, "WAVE") == 0) mobIdProperty = PROP_WAVE_MOB_ID;
  Uid(b, mobIdProperty, key);
  const uint32_t offset = Stored(b, PROP_MEDIA_DATA, kTypeDataValue, data.data(), data.size());
  if (dataOffset != nullptr) *dataOffset = offset;
  b.lists[1].push_back({key.low, key.high, id});
  return id;
}

std::vector<uint8_t> WaveSummary(uint16_t channels, uint32_t rate, uint16_t bits) {
  const uint16_t blockAlign = static_cast<uint16_t>(channels * (bits / 8));
  std::vector<uint8_t> out;
  PutChars(out, "RIFF");
  PutU32(out, 36);
  PutChars(out, "WAVEfmt ");
  PutU32(out, 16);
  PutU16(out, 1); // PCM
  PutU16(out, channels);
  PutU32(out, rate);
  PutU32(out, rate * blockAlign);
  PutU16(out, blockAlign);
  PutU16(out, bits);
  PutChars(out, "data");
  PutU32(out, 0);
  return out;
}

std::vector<uint8_t> AifcSummary(uint16_t channels, uint32_t rate, uint16_t bits) {
  std::vector<uint8_t> out;
  PutChars(out, "FORM");
  PutU32Big(out, 4 + 12 + 8 + 24 + 8 + 8);
  PutChars(out, "AIFCFVER");
  PutU32Big(out, 4);
  PutU32Big(out, 0xA2805140); // AIFC version 1
  PutChars(out, "COMM");
  PutU32Big(out, 24);
  PutU16Big(out, channels);
  PutU32Big(out, 0); // sample frames
  PutU16Big(out, bits);
  PutExtended(out, rate);
  PutChars(out, "NONE");
  PutU16Big(out, 0); // empty compression name and its pad byte
  PutChars(out, "SSND");
  for (uint32_t v : {8, 0, 0}) PutU32Big(out, v);
  return out;
}

void OmfComplete(OmfBuilder &b) {
  if (b.completed) return;
  b.completed = true;
  for (int i = 0; i < 3; ++i) {
    if (b.lists[i].empty()) continue; // no value: the list is absent
    const std::vector<uint8_t> value = BentoMobList(b.writer, b.lists[i]);
    BentoTocRecord &entry = b.writer.toc[b.listEntry[i]];
    entry.value = BentoAppendData(b.writer, value.data(), value.size());
    entry.length = static_cast<uint32_t>(value.size());
  }
  for (const auto &[id, name] : kPropertyNames) BentoAddName(b.writer, id, false, name);
  for (const auto &[id, name] : kTypeNames) BentoAddName(b.writer, id, true, name);
}

std::vector<uint8_t> OmfFinish(OmfBuilder &b, const BentoLabel &label) {
  OmfComplete(b);
  return BentoFinish(b.writer, label);
}

bool OmfWriteFile(OmfBuilder &b, const std::filesystem::path &file, const BentoLabel &label) {
  OmfComplete(b);
  return BentoWriteFile(b.writer, file, label);
}
