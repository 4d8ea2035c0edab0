// Writes Bento containers for tests, demo media, benchmarks and fuzz seeds: value bytes
// first, then the table of contents (version 1: fixed 24-byte entries; version 2: a
// byte-code stream), then the 24-byte label. Entries are written exactly in the order given,
// so damaged tables (split object runs, an entry cut short, a TOC outside the file) can be
// made too. Property and type names are name objects of the container's own dictionary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct BentoTocRecord {
  uint32_t objectId;
  uint32_t propertyId;
  uint32_t typeId;
  uint32_t value; // stored: offset in the file; immediate: the value's bytes
  uint32_t length;
  uint32_t storage;           // 1: stored; in a version-2 table also kStreamContinued, kStreamWide
  uint32_t referenceList = 0; // version-2 table: the object mapping the value's reference keys
};

// Storage bits that only the version-2 table writes: the value goes on in the next record
// (same object, property and type), and the offset is written as 8 bytes.
inline constexpr uint32_t kStreamContinued = 2;
inline constexpr uint32_t kStreamWide = 4;

struct BentoWriter {
  bool bigEndian = false;    // byte-order mark "MM" instead of "II"
  std::vector<uint8_t> data; // the file's bytes before the TOC
  std::vector<BentoTocRecord> toc;
};

// The label as written; negative overrides keep what the writer computed.
struct BentoLabel {
  uint16_t majorVersion = 1;
  uint16_t minorVersion = 0;
  int64_t tocOffset = -1;
  int64_t tocSize = -1;   // e.g. the real size + 1 for a trailing byte, - 1 to cut the last entry
  bool badMagic = false;  // first magic byte changed
  int64_t byteOrder = -1; // the byte-order field; default from the writer
};

// Starts a container; the first stored value lies behind a 16-byte preamble, so no value
// offset is 0.
BentoWriter BentoBegin(bool bigEndian = false);

// Entry adders return the entry's index. An immediate value keeps its first min(length, 4)
// bytes in the entry; its length is recorded as given (longer than 4 makes a damaged entry).
size_t BentoAddEntry(BentoWriter &writer, uint32_t objectId, uint32_t propertyId, uint32_t typeId,
                     uint32_t value, uint32_t length, uint32_t storage);
size_t BentoAddImmediate(BentoWriter &writer, uint32_t objectId, uint32_t propertyId,
                         uint32_t typeId, const void *bytes, uint32_t length);
inline size_t BentoAddImmediateU32(BentoWriter &writer, uint32_t objectId, uint32_t propertyId,
                                   uint32_t typeId, uint32_t value) {
  return BentoAddEntry(writer, objectId, propertyId, typeId, value, 4, 0);
}
// Four characters, immediate (a class ID, the name of an attribute).
inline size_t BentoAddCode(BentoWriter &writer, uint32_t objectId, uint32_t propertyId,
                           uint32_t typeId, const char *code) {
  return BentoAddImmediate(writer, objectId, propertyId, typeId, code, 4);
}
// Appends the bytes to the data (BentoAppendData returns their offset), with a stored entry.
uint32_t BentoAppendData(BentoWriter &writer, const void *bytes, size_t length);
size_t BentoAddStored(BentoWriter &writer, uint32_t objectId, uint32_t propertyId, uint32_t typeId,
                      const void *bytes, size_t length);
// A name object: the entry (id, 24 or 23, 21) holding the name and its terminator.
inline size_t BentoAddName(BentoWriter &writer, uint32_t id, bool isType, const std::string &name) {
  return BentoAddStored(writer, id, isType ? 23 : 24, 21, name.c_str(), name.size() + 1);
}

// The values of the list types, in the writer's byte order for their counts.
std::vector<uint8_t> BentoRefArray(const BentoWriter &writer, const std::vector<uint32_t> &ids);
struct BentoMobRecord {
  uint32_t low;
  uint32_t high;
  uint32_t objectId;
};
std::vector<uint8_t> BentoMobList(const BentoWriter &writer,
                                  const std::vector<BentoMobRecord> &records);
// A 12-byte mob ID: bytes 0-3 a fixed prefix, then the key's low and high halves.
std::vector<uint8_t> BentoMobId(uint32_t low, uint32_t high);

std::vector<uint8_t> BentoFinish(const BentoWriter &writer, const BentoLabel &label = {});
bool BentoWriteFile(const BentoWriter &writer, const std::filesystem::path &file,
                    const BentoLabel &label = {});
// The same records as a version-2 table (label major version 2, written in the writer's byte
// order): a byte-code stream in blocks of blockKiB KiB, each block closed by an end code
// and padding. The label's tocSize, when set, cuts the stream; its byteOrder, when set,
// is written as the block size field.
std::vector<uint8_t> BentoFinishStream(const BentoWriter &writer, uint16_t blockKiB = 1,
                                       const BentoLabel &label = {});

// Numbers of count bytes for building values.
void PutBytes(std::vector<uint8_t> &out, uint32_t value, int count, bool bigEndian);
inline void PutU16(std::vector<uint8_t> &out, uint16_t v) {
  PutBytes(out, v, 2, false);
}
inline void PutU32(std::vector<uint8_t> &out, uint32_t v) {
  PutBytes(out, v, 4, false);
}
inline void PutU16Big(std::vector<uint8_t> &out, uint16_t v) {
  PutBytes(out, v, 2, true);
}
inline void PutU32Big(std::vector<uint8_t> &out, uint32_t v) {
  PutBytes(out, v, 4, true);
}
