#include "support/bento_writer.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace {

constexpr uint8_t kMagic[8] = {0xA4, 0x43, 0x4D, 0xA5, 0x48, 0x64, 0x72, 0xD7};
constexpr char kPreamble[16] = "BENTO TEST DATA";
constexpr size_t kLabelSize = 24;

void PutRecord(std::vector<uint8_t> &out, const BentoTocRecord &r) {
  PutU32(out, r.objectId);
  PutU32(out, r.propertyId);
  PutU32(out, r.typeId);
  PutU32(out, r.value);
  PutU32(out, r.length);
  PutU32(out, r.storage);
}

std::vector<uint8_t> LabelBytes(const BentoWriter &writer, const BentoLabel &label) {
  const uint64_t tocBytes = writer.toc.size() * 24;
  std::vector<uint8_t> out(kMagic, kMagic + 8);
  if (label.badMagic) out[0] ^= 0xFF;
  PutU16(out, 0); // flags
  PutU16(out, static_cast<uint16_t>(label.byteOrder >= 0 ? label.byteOrder
                                    : writer.bigEndian   ? 0x4D4D
                                                         : 0x4949));
  PutU16(out, label.majorVersion);
  PutU16(out, label.minorVersion);
  PutU32(out, static_cast<uint32_t>(label.tocOffset >= 0 ? label.tocOffset : writer.data.size()));
  PutU32(out, static_cast<uint32_t>(label.tocSize >= 0 ? label.tocSize : tocBytes));
  return out;
}

std::vector<uint8_t> TocBytes(const BentoWriter &writer, size_t first, size_t count) {
  std::vector<uint8_t> out;
  out.reserve(count * 24);
  for (size_t i = first; i < first + count; ++i) PutRecord(out, writer.toc[i]);
  return out;
}

// The TOC bytes written, as the label describes their size: a size a little larger adds
// zero bytes behind the entries, a smaller one cuts them.
size_t WrittenTocBytes(const BentoWriter &writer, const BentoLabel &label) {
  const size_t real = writer.toc.size() * 24;
  // Only a size just around the real one changes what is written; a far larger size stays
  // a label that lies about the file.
  if (label.tocSize >= 0 && static_cast<size_t>(label.tocSize) < real + 24)
    return static_cast<size_t>(label.tocSize);
  return real;
}

} // namespace

void PutU16(std::vector<uint8_t> &out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(std::vector<uint8_t> &out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutU16Big(std::vector<uint8_t> &out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

void PutU32Big(std::vector<uint8_t> &out, uint32_t value) {
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

BentoWriter BentoBegin(bool bigEndian) {
  BentoWriter writer;
  writer.bigEndian = bigEndian;
  writer.data.assign(kPreamble, kPreamble + sizeof kPreamble);
  return writer;
}

size_t BentoAddEntry(BentoWriter &writer, uint32_t objectId, uint32_t propertyId, uint32_t typeId,
                     uint32_t value, uint32_t length, uint32_t storage) {
  writer.toc.push_back({objectId, propertyId, typeId, value, length, storage});
  return writer.toc.size() - 1;
}

size_t BentoAddImmediate(BentoWriter &writer, uint32_t objectId, uint32_t propertyId,
                         uint32_t typeId, const void *bytes, uint32_t length) {
  uint8_t word[4] = {};
  std::memcpy(word, bytes, length < 4 ? length : 4);
  const uint32_t value = static_cast<uint32_t>(word[0]) | static_cast<uint32_t>(word[1]) << 8 |
                         static_cast<uint32_t>(word[2]) << 16 |
                         static_cast<uint32_t>(word[3]) << 24;
  return BentoAddEntry(writer, objectId, propertyId, typeId, value, length, 0);
}

size_t BentoAddImmediateU32(BentoWriter &writer, uint32_t objectId, uint32_t propertyId,
                            uint32_t typeId, uint32_t value) {
  return BentoAddEntry(writer, objectId, propertyId, typeId, value, 4, 0);
}

size_t BentoAddCode(BentoWriter &writer, uint32_t objectId, uint32_t propertyId, uint32_t typeId,
                    const char *code) {
  return BentoAddImmediate(writer, objectId, propertyId, typeId, code, 4);
}

uint32_t BentoAppendData(BentoWriter &writer, const void *bytes, size_t length) {
  const uint32_t offset = static_cast<uint32_t>(writer.data.size());
  const uint8_t *p = static_cast<const uint8_t *>(bytes);
  writer.data.insert(writer.data.end(), p, p + length);
  return offset;
}

size_t BentoAddStored(BentoWriter &writer, uint32_t objectId, uint32_t propertyId, uint32_t typeId,
                      const void *bytes, size_t length) {
  const uint32_t offset = BentoAppendData(writer, bytes, length);
  return BentoAddEntry(writer, objectId, propertyId, typeId, offset, static_cast<uint32_t>(length),
                       1);
}

size_t BentoAddName(BentoWriter &writer, uint32_t id, bool isType, const std::string &name) {
  return BentoAddStored(writer, id, isType ? 23 : 24, 21, name.c_str(), name.size() + 1);
}

std::vector<uint8_t> BentoRefArray(const BentoWriter &writer, const std::vector<uint32_t> &ids) {
  std::vector<uint8_t> out;
  const uint16_t count = static_cast<uint16_t>(ids.size());
  writer.bigEndian ? PutU16Big(out, count) : PutU16(out, count);
  for (uint32_t id : ids) {
    PutU32(out, id);
    PutU32(out, 0);
  }
  return out;
}

std::vector<uint8_t> BentoMobId(uint32_t low, uint32_t high) {
  std::vector<uint8_t> out;
  PutU32(out, 0x2A); // bytes 0-3 play no part in any lookup
  PutU32(out, low);
  PutU32(out, high);
  return out;
}

std::vector<uint8_t> BentoMobList(const BentoWriter &writer,
                                  const std::vector<BentoMobRecord> &records) {
  std::vector<uint8_t> out;
  const uint16_t count = static_cast<uint16_t>(records.size());
  writer.bigEndian ? PutU16Big(out, count) : PutU16(out, count);
  for (const BentoMobRecord &r : records) {
    std::vector<uint8_t> id = BentoMobId(r.low, r.high);
    out.insert(out.end(), id.begin(), id.end());
    PutU32(out, r.objectId);
    PutU32(out, 0);
  }
  return out;
}

std::vector<uint8_t> BentoFinish(const BentoWriter &writer, const BentoLabel &label) {
  std::vector<uint8_t> out = writer.data;
  std::vector<uint8_t> toc = TocBytes(writer, 0, writer.toc.size());
  toc.resize(WrittenTocBytes(writer, label), 0);
  out.insert(out.end(), toc.begin(), toc.end());
  std::vector<uint8_t> tail = LabelBytes(writer, label);
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

std::vector<uint8_t> BentoFinishStream(const BentoWriter &writer, uint16_t blockKiB,
                                       const BentoLabel &label) {
  const bool big = writer.bigEndian;
  const size_t block = size_t{blockKiB} * 1024;
  std::vector<uint8_t> toc;
  auto u32 = [&](std::vector<uint8_t> &out, uint64_t v) {
    big ? PutU32Big(out, static_cast<uint32_t>(v)) : PutU32(out, static_cast<uint32_t>(v));
  };
  // A code and its operands never straddle a block: the block is closed first.
  auto put = [&](const std::vector<uint8_t> &code) {
    if (block != 0 && toc.size() % block + code.size() + 1 > block) {
      toc.push_back(24);
      toc.resize((toc.size() + block - 1) / block * block, 0xFF);
    }
    toc.insert(toc.end(), code.begin(), code.end());
  };
  const BentoTocRecord *last = nullptr;
  for (const BentoTocRecord &r : writer.toc) {
    std::vector<uint8_t> code;
    if (last == nullptr || r.objectId != last->objectId) {
      code = {1};
      u32(code, r.objectId), u32(code, r.propertyId), u32(code, r.typeId);
    } else if (r.propertyId != last->propertyId) {
      code = {2};
      u32(code, r.propertyId), u32(code, r.typeId);
    } else if (r.typeId != last->typeId) {
      code = {3};
      u32(code, r.typeId);
    }
    if (!code.empty()) put(code);
    if (r.referenceList != 0) {
      code = {15};
      u32(code, r.referenceList);
      put(code);
    }
    const bool more = (r.storage & kStreamContinued) != 0;
    if (r.storage & 1) {
      const bool wide = (r.storage & kStreamWide) != 0;
      code = {static_cast<uint8_t>((wide ? 7 : 5) + (more ? 1 : 0))};
      if (wide) {
        const uint64_t offset = r.value; // high half 0: the file is small
        big ? (u32(code, offset >> 32), u32(code, offset))
            : (u32(code, offset), u32(code, offset >> 32));
      } else {
        u32(code, r.value);
      }
      u32(code, r.length);
    } else {
      code = {static_cast<uint8_t>(more ? 14 : 9 + r.length)};
      if (r.length != 0) PutU32(code, r.value); // the bytes as they lie
    }
    put(code);
    last = &r;
  }
  if (label.tocSize >= 0 && static_cast<size_t>(label.tocSize) < toc.size())
    toc.resize(label.tocSize);

  std::vector<uint8_t> out = writer.data;
  const uint32_t offset = static_cast<uint32_t>(out.size());
  out.insert(out.end(), toc.begin(), toc.end());
  out.insert(out.end(), kMagic, kMagic + 8);
  auto u16 = [&](uint16_t v) { big ? PutU16Big(out, v) : PutU16(out, v); };
  u16(0x0101); // flags
  u16(static_cast<uint16_t>(label.byteOrder >= 0 ? label.byteOrder : blockKiB));
  u16(2);
  u16(0);
  u32(out, offset);
  u32(out, toc.size());
  return out;
}

bool BentoWriteFile(const BentoWriter &writer, const std::filesystem::path &file,
                    const BentoLabel &label) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char *>(writer.data.data()),
            static_cast<std::streamsize>(writer.data.size()));
  // The TOC goes out in slices so that a table of millions of entries is never copied whole.
  const size_t written = WrittenTocBytes(writer, label);
  const size_t entries = written / 24;
  constexpr size_t kSlice = 65536;
  for (size_t first = 0; first < entries && first < writer.toc.size(); first += kSlice) {
    const size_t count = std::min(kSlice, std::min(entries, writer.toc.size()) - first);
    std::vector<uint8_t> slice = TocBytes(writer, first, count);
    out.write(reinterpret_cast<const char *>(slice.data()),
              static_cast<std::streamsize>(slice.size()));
  }
  std::vector<uint8_t> rest;
  if (entries < writer.toc.size()) {
    PutRecord(rest, writer.toc[entries]);
    rest.resize(written % 24);
  } else {
    rest.assign(written - writer.toc.size() * 24, 0);
  }
  std::vector<uint8_t> tail = LabelBytes(writer, label);
  rest.insert(rest.end(), tail.begin(), tail.end());
  out.write(reinterpret_cast<const char *>(rest.data()), static_cast<std::streamsize>(rest.size()));
  return static_cast<bool>(out);
}
