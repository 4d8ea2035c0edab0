#include "support/omf_builder.h"

#include <algorithm>
#include <cstring>

#include "inspection/bento_constants.h"

namespace {

// The test dictionary: the names that the structure viewer and the dictionary dump show.
struct DictionaryName {
  uint32_t id;
  bool isType;
  const char *name;
};

constexpr DictionaryName kDictionary[] = {
    {PROP_CLASS, false, "OMFI:OOBJ:ObjClass"},
    {PROP_CLIP_MOB_LIST, false, "OMFI:HEAD:ClipMobIndex"},
    {PROP_MEDIA_DATA_LIST, false, "OMFI:HEAD:MediaDataIndex"},
    {PROP_SOURCE_MOB_LIST, false, "OMFI:HEAD:SourceMobIndex"},
    {PROP_MOB_NAME, false, "OMFI:MOBJ:Name"},
    {PROP_MOB_USAGE, false, "OMFI:MOBJ:UsageCode"},
    {PROP_MOB_DESCRIPTOR, false, "OMFI:SMOB:MediaDescription"},
    {PROP_MOB_SLOTS, false, "OMFI:MOBJ:Slots"},
    {PROP_MOB_ATTRIBUTES, false, "OMFI:MOBJ:UserAttributes"},
    {PROP_ATTR_LIST, false, "OMFI:ATTR:AttrRefs"},
    {PROP_ATTR_NAME, false, "OMFI:ATTB:Name"},
    {PROP_ATTR_STRING, false, "OMFI:ATTB:StringAttribute"},
    {kOmfPropAttrKind, false, "OMFI:ATTB:Kind"},
    {kOmfPropAttrInt, false, "OMFI:ATTB:IntAttribute"},
    {PROP_SLOT_SEGMENT, false, "OMFI:MSLT:Segment"},
    {PROP_CLIP_SOURCE_ID, false, "OMFI:SCLP:SourceID"},
    {PROP_LOCATORS, false, "OMFI:MDES:Locator"},
    {PROP_WIN_PATH, false, "OMFI:WINL:PathName"},
    {PROP_MAC_PATH, false, "OMFI:MACL:PathName"},
    {PROP_DATA_OFFSET, false, "OMFI:MDFL:DataOffset"},
    {PROP_COMPRESSION_ID, false, "OMFI:DIDD:CompressionID"},
    {PROP_COMPRESSION, false, "OMFI:DIDD:Compression"},
    {PROP_UNIT_SIZE, false, "OMFI:DIDD:UnitSize"},
    {PROP_AIFC_MOB_ID, false, "OMFI:AIFC:MobID"},
    {PROP_SD2_MOB_ID, false, "OMFI:SD2D:MobID"},
    {PROP_WAVE_MOB_ID, false, "OMFI:WAVE:MobID"},
    {PROP_VIDEO_MOB_ID, false, "OMFI:MDAT:MobID"},
    {PROP_MEDIA_DATA, false, "OMFI:MDAT:Data"},
    {PROP_WAVE_SUMMARY, false, "OMFI:WAVD:Summary"},
    {PROP_AIFC_SUMMARY, false, "OMFI:AIFD:Summary"},
    {PROP_PCM_BITS, false, "OMFI:PCMA:BitsPerSample"},
    {PROP_PCM_BYTE_RATE, false, "OMFI:PCMA:AverageBPS"},
    {TYPE_MOB_INDEX_LIST, true, "omfi:MobIndex"},
    {TYPE_OBJECT_REF, true, "omfi:ObjRef"},
    {TYPE_OBJECT_REF_ARRAY, true, "omfi:ObjRefArray"},
    {TYPE_CLASS_ID, true, "omfi:ClassID"},
    {TYPE_STRING, true, "omfi:String"},
    {TYPE_UID, true, "omfi:UID"},
    {kOmfTypeUInt32, true, "omfi:UInt32"},
    {kOmfTypeUInt16, true, "omfi:UInt16"},
    {kOmfTypeDataValue, true, "omfi:DataValue"},
    {kOmfTypeInt32, true, "omfi:Int32"},
};

uint32_t Swap32(uint32_t v) {
  return v >> 24 | (v >> 8 & 0xFF00) | (v << 8 & 0xFF0000) | v << 24;
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

void PutChars(std::vector<uint8_t> &out, const char *four) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(four[i]));
}

} // namespace

OmfBuilder OmfBegin(bool bigEndian) {
  OmfBuilder b;
  b.writer = BentoBegin(bigEndian);
  BentoAddCode(b.writer, CM_StdObjID_TOC, PROP_CLASS, TYPE_CLASS_ID, "HEAD");
  b.listEntry[0] =
      BentoAddEntry(b.writer, CM_StdObjID_TOC, PROP_CLIP_MOB_LIST, TYPE_MOB_INDEX_LIST, 0, 0, 1);
  b.listEntry[1] =
      BentoAddEntry(b.writer, CM_StdObjID_TOC, PROP_MEDIA_DATA_LIST, TYPE_MOB_INDEX_LIST, 0, 0, 1);
  b.listEntry[2] =
      BentoAddEntry(b.writer, CM_StdObjID_TOC, PROP_SOURCE_MOB_LIST, TYPE_MOB_INDEX_LIST, 0, 0, 1);
  return b;
}

uint32_t OmfObject(OmfBuilder &b, const char *classCode) {
  b.current = b.nextObjectId++;
  BentoAddCode(b.writer, b.current, PROP_CLASS, TYPE_CLASS_ID, classCode);
  return b.current;
}

void OmfU32(OmfBuilder &b, uint32_t property, uint32_t value) {
  BentoAddImmediateU32(b.writer, b.current, property, kOmfTypeUInt32, value);
}

void OmfU32InByteOrder(OmfBuilder &b, uint32_t property, uint32_t value) {
  OmfU32(b, property, b.writer.bigEndian ? Swap32(value) : value);
}

void OmfU16(OmfBuilder &b, uint32_t property, uint16_t value) {
  const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
  BentoAddImmediate(b.writer, b.current, property, kOmfTypeUInt16, bytes, 2);
}

void OmfCode(OmfBuilder &b, uint32_t property, const char *code) {
  BentoAddCode(b.writer, b.current, property, TYPE_CLASS_ID, code);
}

void OmfRef(OmfBuilder &b, uint32_t property, uint32_t objectId) {
  BentoAddImmediateU32(b.writer, b.current, property, TYPE_OBJECT_REF, objectId);
}

void OmfRefs(OmfBuilder &b, uint32_t property, const std::vector<uint32_t> &objectIds) {
  std::vector<uint8_t> value = BentoRefArray(b.writer, objectIds);
  BentoAddStored(b.writer, b.current, property, TYPE_OBJECT_REF_ARRAY, value.data(), value.size());
}

void OmfText(OmfBuilder &b, uint32_t property, const std::string &text) {
  BentoAddStored(b.writer, b.current, property, TYPE_STRING, text.c_str(), text.size() + 1);
}

void OmfUid(OmfBuilder &b, uint32_t property, const MobKey &key) {
  std::vector<uint8_t> id = BentoMobId(key.low, key.high);
  BentoAddStored(b.writer, b.current, property, TYPE_UID, id.data(), id.size());
}

uint32_t OmfBytes(OmfBuilder &b, uint32_t property, uint32_t type,
                  const std::vector<uint8_t> &bytes) {
  const size_t entry =
      BentoAddStored(b.writer, b.current, property, type, bytes.data(), bytes.size());
  return b.writer.toc[entry].value;
}

uint32_t OmfAddMob(OmfBuilder &b, const OmfMob &mob, OmfList list) {
  const uint32_t id = OmfObject(b, list == OmfList::Clip ? "MMOB" : "SMOB");
  if (!mob.name.empty()) OmfText(b, PROP_MOB_NAME, mob.name);
  if (mob.usage >= 0) OmfU32InByteOrder(b, PROP_MOB_USAGE, static_cast<uint32_t>(mob.usage));
  if (mob.descriptor != 0) OmfRef(b, PROP_MOB_DESCRIPTOR, mob.descriptor);
  if (!mob.slots.empty()) OmfRefs(b, PROP_MOB_SLOTS, mob.slots);
  if (mob.attributes != 0) OmfRef(b, PROP_MOB_ATTRIBUTES, mob.attributes);
  if (list == OmfList::Clip) b.clipMobs.push_back({mob.key.low, mob.key.high, id});
  if (list == OmfList::Source) b.sourceMobs.push_back({mob.key.low, mob.key.high, id});
  return id;
}

uint32_t OmfAddAttribute(OmfBuilder &b, const char *name, const std::string &text) {
  const uint32_t id = OmfObject(b, "ATTB");
  uint8_t code[4] = {};
  std::memcpy(code, name, std::min<size_t>(std::strlen(name), 4));
  BentoAddImmediate(b.writer, id, PROP_ATTR_NAME, TYPE_STRING, code, 4);
  OmfU32(b, kOmfPropAttrKind, 2); // string attribute
  OmfText(b, PROP_ATTR_STRING, text);
  return id;
}

uint32_t OmfAddAttributeList(OmfBuilder &b, const std::vector<uint32_t> &attributes) {
  const uint32_t id = OmfObject(b, "ATTR");
  OmfRefs(b, PROP_ATTR_LIST, attributes);
  return id;
}

uint32_t OmfAddProjectAttributes(OmfBuilder &b, const std::string &project) {
  const uint32_t attribute = OmfAddAttribute(b, "_PJ", project);
  return OmfAddAttributeList(b, {attribute});
}

uint32_t OmfAddSlot(OmfBuilder &b, uint32_t segment) {
  const uint32_t id = OmfObject(b, "MSLT");
  OmfRef(b, PROP_SLOT_SEGMENT, segment);
  return id;
}

uint32_t OmfAddSourceClip(OmfBuilder &b, const MobKey &source) {
  const uint32_t id = OmfObject(b, "SCLP");
  OmfUid(b, PROP_CLIP_SOURCE_ID, source);
  return id;
}

uint32_t OmfAddLocator(OmfBuilder &b, const char *classCode, const std::string &path) {
  const uint32_t id = OmfObject(b, classCode);
  OmfText(b, std::strcmp(classCode, "MACL") == 0 ? PROP_MAC_PATH : PROP_WIN_PATH, path);
  return id;
}

uint32_t OmfAddFileDescriptor(OmfBuilder &b, const std::vector<uint32_t> &locators) {
  const uint32_t id = OmfObject(b, "MDES");
  if (!locators.empty()) OmfRefs(b, PROP_LOCATORS, locators);
  return id;
}

uint32_t OmfAddTapeDescriptor(OmfBuilder &b) {
  return OmfObject(b, "MDTP");
}

uint32_t OmfAddVideoDescriptor(OmfBuilder &b, const OmfVideo &video) {
  const uint32_t id = OmfObject(b, video.classCode);
  if (video.dataOffset >= 0) OmfU32(b, PROP_DATA_OFFSET, static_cast<uint32_t>(video.dataOffset));
  OmfU32InByteOrder(b, PROP_COMPRESSION_ID, video.compressionId);
  if (video.formatCode != nullptr) OmfCode(b, PROP_COMPRESSION, video.formatCode);
  OmfU32(b, PROP_UNIT_SIZE, video.unitSize);
  return id;
}

uint32_t OmfAddWaveDescriptor(OmfBuilder &b, const std::vector<uint8_t> &summary) {
  const uint32_t id = OmfObject(b, "WAVD");
  OmfBytes(b, PROP_WAVE_SUMMARY, kOmfTypeDataValue, summary);
  return id;
}

uint32_t OmfAddAifcDescriptor(OmfBuilder &b, const std::vector<uint8_t> &summary) {
  const uint32_t id = OmfObject(b, "AIFD");
  OmfBytes(b, PROP_AIFC_SUMMARY, kOmfTypeDataValue, summary);
  return id;
}

uint32_t OmfAddPcmDescriptor(OmfBuilder &b, uint16_t bits, uint32_t byteRate) {
  const uint32_t id = OmfObject(b, "PCMA");
  OmfU16(b, PROP_PCM_BITS, bits);
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
  OmfUid(b, mobIdProperty, key);
  const uint32_t offset = OmfBytes(b, PROP_MEDIA_DATA, kOmfTypeDataValue, data);
  if (dataOffset != nullptr) *dataOffset = offset;
  b.mediaData.push_back({key.low, key.high, id});
  return id;
}

std::vector<uint8_t> WaveSummary(uint16_t channels, uint32_t rate, uint16_t bits) {
  const uint16_t blockAlign = static_cast<uint16_t>(channels * (bits / 8));
  std::vector<uint8_t> out;
  PutChars(out, "RIFF");
  PutU32(out, 36);
  PutChars(out, "WAVE");
  PutChars(out, "fmt ");
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
  PutChars(out, "AIFC");
  PutChars(out, "FVER");
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
  PutU32Big(out, 8);
  PutU32Big(out, 0);
  PutU32Big(out, 0);
  return out;
}

void OmfComplete(OmfBuilder &b) {
  if (b.completed) return;
  b.completed = true;
  const std::vector<BentoMobRecord> *lists[3] = {&b.clipMobs, &b.mediaData, &b.sourceMobs};
  for (int i = 0; i < 3; ++i) {
    BentoTocRecord &entry = b.writer.toc[b.listEntry[i]];
    if (lists[i]->empty()) continue; // no value: the list is absent
    std::vector<uint8_t> value = BentoMobList(b.writer, *lists[i]);
    entry.value = BentoAppendData(b.writer, value.data(), value.size());
    entry.length = static_cast<uint32_t>(value.size());
  }
  for (const DictionaryName &name : kDictionary)
    BentoAddName(b.writer, name.id, name.isType, name.name);
}

std::vector<uint8_t> OmfFinish(OmfBuilder &b, const BentoLabel &label) {
  OmfComplete(b);
  return BentoFinish(b.writer, label);
}

bool OmfWriteFile(OmfBuilder &b, const std::filesystem::path &file, const BentoLabel &label) {
  OmfComplete(b);
  return BentoWriteFile(b.writer, file, label);
}
