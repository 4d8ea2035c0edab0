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
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/mob_key.h"
#include "support/bento_writer.h"

// Properties of filler attributes.
inline constexpr uint32_t kOmfPropAttrKind = 0x10270;
inline constexpr uint32_t kOmfPropAttrInt = 0x10262;

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
OmfBuilder OmfBegin(bool bigEndian = false);

uint32_t OmfObject(OmfBuilder &b, const char *classCode); // a new current object; its ID
void OmfU32(OmfBuilder &b, uint32_t property, uint32_t value);

enum class OmfList { None, Clip, Source };
struct OmfMob {
  MobKey key{};
  std::string name;   // empty: no name property
  int64_t usage = -1; // -1: no usage property
  uint32_t descriptor = 0;
  uint32_t attributes = 0;
  std::vector<uint32_t> slots;
};
uint32_t OmfAddMob(OmfBuilder &b, const OmfMob &mob, OmfList list);
uint32_t OmfAddAttribute(OmfBuilder &b, const char *name, const std::string &text);
uint32_t OmfAddAttributeList(OmfBuilder &b, const std::vector<uint32_t> &attributes);
uint32_t OmfAddProjectAttributes(OmfBuilder &b, const std::string &project); // "_PJ" in a list
uint32_t OmfAddSlot(OmfBuilder &b, uint32_t segment);
uint32_t OmfAddSourceClip(OmfBuilder &b, const MobKey &source);
uint32_t OmfAddLocator(OmfBuilder &b, const char *classCode, const std::string &path);
uint32_t OmfAddFileDescriptor(OmfBuilder &b, const std::vector<uint32_t> &locators); // MDES
uint32_t OmfAddTapeDescriptor(OmfBuilder &b);                                        // MDTP
struct OmfVideo {
  const char *classCode = "CDCI";
  uint32_t compressionId = 76;
  const char *formatCode = "JFIF";
  uint32_t unitSize = 0;
  int64_t dataOffset = -1; // -1: no data offset property
};
uint32_t OmfAddVideoDescriptor(OmfBuilder &b, const OmfVideo &video);
uint32_t OmfAddWaveDescriptor(OmfBuilder &b, const std::vector<uint8_t> &summary); // WAVD
uint32_t OmfAddAifcDescriptor(OmfBuilder &b, const std::vector<uint8_t> &summary); // AIFD
uint32_t OmfAddPcmDescriptor(OmfBuilder &b, uint16_t bits, uint32_t byteRate);     // PCMA
uint32_t OmfAddSd2Descriptor(OmfBuilder &b);                                       // SD2D
// A media data object of the class given, with the class's mob ID property (any class
// other than AIFC, SD2D and WAVE takes the video one) and its data; listed in the media data
// list under key. *dataOffset receives the data's offset.
uint32_t OmfAddMediaData(OmfBuilder &b, const char *classCode, const MobKey &key,
                         const std::vector<uint8_t> &data, uint32_t *dataOffset = nullptr);

// Header bytes as the audio descriptors carry them.
std::vector<uint8_t> WaveSummary(uint16_t channels, uint32_t rate, uint16_t bits);
std::vector<uint8_t> AifcSummary(uint16_t channels, uint32_t rate, uint16_t bits);

// Writes the three lists into object 1 and the names of the dictionary. Once.
void OmfComplete(OmfBuilder &b);
std::vector<uint8_t> OmfFinish(OmfBuilder &b, const BentoLabel &label = {});
bool OmfWriteFile(OmfBuilder &b, const std::filesystem::path &file, const BentoLabel &label = {});
