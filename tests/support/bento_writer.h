// Writes Bento containers for tests, demo media, benchmarks and fuzz seeds: value bytes
// first, then the table of contents (version 1: fixed 24-byte entries; version 2: a
// byte-code stream), then the 24-byte label. Entries are written exactly in the order given,
// so damaged tables (split object runs, an entry cut short, a TOC outside the file) can be
// made too. Property and type names are name objects of the container's own dictionary.
#pragma once

#include <cstddef>
#include <cstdint>
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
  int64_t tocOffset = -1;
  int64_t tocSize = -1;   // e.g. the real size + 1 for a trailing byte, - 1 to cut the last entry
  bool badMagic = false;  // first magic byte changed
  int64_t byteOrder = -1; // the byte-order field; default from the writer
};

// Numbers of count bytes for building values.
inline void PutBytes(std::vector<uint8_t> &out, uint32_t value, int count, bool bigEndian) {
  for (int i = 0; i < count; ++i)
    out.push_back(static_cast<uint8_t>(value >> (8 * (bigEndian ? count - 1 - i : i))));
}
inline void PutU16(std::vector<uint8_t> &out, uint16_t v) {
  PutBytes(out, v, 2, false);
}
inline void PutU32(std::vector<uint8_t> &out, uint32_t v) {
  PutBytes(out, v, 4, false);
}

// Starts a container; the first stored value lies behind a 16-byte preamble, so no value
// offset is 0.
inline BentoWriter BentoBegin(bool bigEndian = false) {
  static constexpr char kPreamble[16] = "BENTO TEST DATA";
  BentoWriter writer;
  writer.bigEndian = bigEndian;
  writer.data.assign(kPreamble, kPreamble + sizeof kPreamble);
  return writer;
}

// Entry adders return the entry's index. An immediate value keeps its first min(length, 4)
// bytes in the entry; its length is recorded as given (longer than 4 makes a damaged entry).
inline size_t BentoAddEntry(BentoWriter &writer, uint32_t objectId, uint32_t propertyId,
                            uint32_t typeId, uint32_t value, uint32_t length, uint32_t storage) {
  writer.toc.push_back({objectId, propertyId, typeId, value, length, storage});
  return writer.toc.size() - 1;
}
inline size_t BentoAddImmediate(BentoWriter &writer, uint32_t objectId, uint32_t propertyId,
                                uint32_t typeId, const void *bytes, uint32_t length) {
  uint32_t value = 0;
  for (uint32_t i = 0; i < length && i < 4; ++i)
    value |= uint32_t{static_cast<const uint8_t *>(bytes)[i]} << (8 * i);
  return BentoAddEntry(writer, objectId, propertyId, typeId, value, length, 0);
}
// Four characters, immediate (a class ID, the name of an attribute).
inline size_t BentoAddCode(BentoWriter &writer, uint32_t objectId, uint32_t propertyId,
                           uint32_t typeId, const char *code) {
  return BentoAddImmediate(writer, objectId, propertyId, typeId, code, 4);
}
// Appends the bytes to the data (BentoAppendData returns their offset), with a stored entry.
inline uint32_t BentoAppendData(BentoWriter &writer, const void *bytes, size_t length) {
  const uint32_t offset = static_cast<uint32_t>(writer.data.size());
  const uint8_t *p = static_cast<const uint8_t *>(bytes);
  writer.data.insert(writer.data.end(), p, p + length);
  return offset;
}
inline size_t BentoAddStored(BentoWriter &writer, uint32_t objectId, uint32_t propertyId,
                             uint32_t typeId, const void *bytes, size_t length) {
  const uint32_t offset = BentoAppendData(writer, bytes, length);
  return BentoAddEntry(writer, objectId, propertyId, typeId, offset, static_cast<uint32_t>(length),
                       1);
}
inline size_t BentoAddStored(BentoWriter &writer, uint32_t objectId, uint32_t propertyId,
                             uint32_t typeId, const std::vector<uint8_t> &bytes) {
  return BentoAddStored(writer, objectId, propertyId, typeId, bytes.data(), bytes.size());
}
// A name object: the entry (id, 24 or 23, 21) holding the name and its terminator.
inline size_t BentoAddName(BentoWriter &writer, uint32_t id, bool isType, const std::string &name) {
  return BentoAddStored(writer, id, isType ? 23 : 24, 21, name.c_str(), name.size() + 1);
}

// The values of the list types, in the writer's byte order for their counts: an object
// reference array, a mob index list (records of a mob ID and an object), a 12-byte mob ID
// (bytes 0-3 a fixed prefix that plays no part in any lookup, then the key's halves).
inline std::vector<uint8_t> BentoRefArray(const BentoWriter &writer,
                                          const std::vector<uint32_t> &ids) {
  std::vector<uint8_t> out;
  PutBytes(out, static_cast<uint16_t>(ids.size()), 2, writer.bigEndian);
  for (uint32_t id : ids)
    for (uint32_t v : {id, 0u}) PutU32(out, v);
  return out;
}
struct BentoMobRecord {
  uint32_t low;
  uint32_t high;
  uint32_t objectId;
};
inline std::vector<uint8_t> BentoMobList(const BentoWriter &writer,
                                         const std::vector<BentoMobRecord> &records) {
  std::vector<uint8_t> out;
  PutBytes(out, static_cast<uint16_t>(records.size()), 2, writer.bigEndian);
  for (const BentoMobRecord &r : records)
    for (uint32_t v : {0x2Au, r.low, r.high, r.objectId, 0u}) PutU32(out, v);
  return out;
}
inline std::vector<uint8_t> BentoMobId(uint32_t low, uint32_t high) {
  std::vector<uint8_t> out;
  for (uint32_t v : {0x2Au, low, high}) PutU32(out, v);
  return out;
}

inline void BentoPutLabel(std::vector<uint8_t> &out, bool big, bool badMagic, uint16_t flags,
                          uint16_t order, uint16_t major, uint32_t tocOffset, uint32_t tocSize) {
  static constexpr uint8_t kMagic[8] = {0xA4, 0x43, 0x4D, 0xA5, 0x48, 0x64, 0x72, 0xD7};
  out.insert(out.end(), kMagic, kMagic + 8);
  if (badMagic) out[out.size() - 8] ^= 0xFF;
  for (uint16_t v : {flags, order, major, uint16_t{0}}) PutBytes(out, v, 2, big);
  for (uint32_t v : {tocOffset, tocSize}) PutBytes(out, v, 4, big);
}

// The version-1 TOC as the label describes its size (a size a little larger adds zero bytes
// behind the entries, a smaller one cuts them, a far larger one is a label that lies about the
// file), then the label, whose fields are little-endian in either byte order.
inline std::vector<uint8_t> BentoFinish(const BentoWriter &w, const BentoLabel &label = {}) {
  std::vector<uint8_t> out = w.data;
  for (const BentoTocRecord &r : w.toc)
    for (uint32_t v : {r.objectId, r.propertyId, r.typeId, r.value, r.length, r.storage})
      PutU32(out, v);
  const size_t real = w.toc.size() * 24;
  if (label.tocSize >= 0 && static_cast<size_t>(label.tocSize) < real + 24)
    out.resize(w.data.size() + static_cast<size_t>(label.tocSize), 0);
  const int64_t order = label.byteOrder >= 0 ? label.byteOrder : w.bigEndian ? 0x4D4D : 0x4949;
  BentoPutLabel(out, false, label.badMagic, 0, static_cast<uint16_t>(order), label.majorVersion,
                static_cast<uint32_t>(label.tocOffset >= 0 ? label.tocOffset : w.data.size()),
                static_cast<uint32_t>(label.tocSize >= 0 ? label.tocSize : real));
  return out;
}

// The same records as a version-2 table (label major version 2, written in the writer's byte
// order): a byte-code stream in blocks of 1 KiB, each block closed by an end code and
// padding. The label's tocSize, when set, cuts the stream; its byteOrder, when set, is
// written as the block size field (in KiB).
inline std::vector<uint8_t> BentoFinishStream(const BentoWriter &writer,
                                              const BentoLabel &label = {}) {
  const bool big = writer.bigEndian;
  constexpr size_t block = 1024;
  std::vector<uint8_t> toc;
  // A code and its operands never straddle a block: the block is closed first. Immediate
  // bytes go as they lie, operands in the writer's byte order.
  auto put = [&](uint32_t code, std::vector<uint32_t> operands, bool asTheyLie = false) {
    if (toc.size() % block + 4 * operands.size() + 2 > block) {
      toc.push_back(24);
      toc.resize((toc.size() + block - 1) / block * block, 0xFF);
    }
    toc.push_back(static_cast<uint8_t>(code));
    for (uint32_t v : operands) PutBytes(toc, v, 4, big && !asTheyLie);
  };
  const BentoTocRecord *last = nullptr;
  for (const BentoTocRecord &r : writer.toc) {
    if (last == nullptr || r.objectId != last->objectId)
      put(1, {r.objectId, r.propertyId, r.typeId});
    else if (r.propertyId != last->propertyId)
      put(2, {r.propertyId, r.typeId});
    else if (r.typeId != last->typeId)
      put(3, {r.typeId});
    if (r.referenceList != 0) put(15, {r.referenceList});
    const uint32_t more = (r.storage & kStreamContinued) != 0 ? 1 : 0;
    if ((r.storage & 1) && (r.storage & kStreamWide)) // an 8-byte offset; the file is small
      put(7 + more, big ? std::vector<uint32_t>{0, r.value, r.length}
                        : std::vector<uint32_t>{r.value, 0, r.length});
    else if (r.storage & 1)
      put(5 + more, {r.value, r.length});
    else
      put(more ? 14 : 9 + r.length,
          r.length != 0 ? std::vector<uint32_t>{r.value} : std::vector<uint32_t>{}, true);
    last = &r;
  }
  if (label.tocSize >= 0 && static_cast<size_t>(label.tocSize) < toc.size())
    toc.resize(static_cast<size_t>(label.tocSize));

  std::vector<uint8_t> out = writer.data;
  out.insert(out.end(), toc.begin(), toc.end());
  BentoPutLabel(out, big, false, 0x0101,
                static_cast<uint16_t>(label.byteOrder >= 0 ? label.byteOrder : 1), 2,
                static_cast<uint32_t>(writer.data.size()), static_cast<uint32_t>(toc.size()));
  return out;
}
