#include "support/pmr_writer.h"

#include <cstdio>
#include <utility>

namespace {

void Put32(PmrWriter &w, uint32_t v, bool bigEndian) {
  uint8_t b[4];
  for (int i = 0; i < 4; ++i) b[bigEndian ? 3 - i : i] = static_cast<uint8_t>(v >> (8 * i));
  w.bytes.insert(w.bytes.end(), b, b + 4);
}

void Put16(PmrWriter &w, uint32_t v) {
  uint8_t lo = static_cast<uint8_t>(v), hi = static_cast<uint8_t>(v >> 8);
  if (w.layout.bigEndian) std::swap(lo, hi);
  w.bytes.push_back(lo);
  w.bytes.push_back(hi);
}

void PutIdentifier(PmrWriter &w, const MobKey &key) {
  size_t size = 4 * static_cast<size_t>(w.layout.idWords);
  size_t keyAt = w.layout.idWords == 8 ? 16 : 0;
  for (size_t i = 0; i < size; ++i) {
    uint8_t byte = static_cast<uint8_t>(0xA0 + i);
    if (i >= keyAt && i < keyAt + 8) {
      uint32_t half = i < keyAt + 4 ? key.low : key.high;
      byte = static_cast<uint8_t>(half >> (8 * ((i - keyAt) % 4)));
    }
    w.bytes.push_back(byte);
  }
}

} // namespace

PmrWriter PmrBegin(const PmrLayout &layout) {
  PmrWriter w{layout, {}};
  Put32(w, 1961, layout.bigEndian);
  Put32(w, layout.idWords, layout.bigEndian);
  Put32(w, layout.headerWord3, layout.bigEndian);
  return w;
}

void PmrAdd(PmrWriter &w, const PmrEntry &e) {
  PutIdentifier(w, e.mediaId);
  Put16(w, e.nameLength >= 0 ? static_cast<uint32_t>(e.nameLength) : e.name.size());
  w.bytes.insert(w.bytes.end(), e.name.begin(), e.name.end());
  Put16(w, e.projectLength >= 0 ? static_cast<uint32_t>(e.projectLength) : e.project.size());
  w.bytes.insert(w.bytes.end(), e.project.begin(), e.project.end());
  PutIdentifier(w, e.clipMobKey);
  Put32(w, 0, w.layout.bigEndian); // the entry's trailing word
}

void PmrAddRaw(PmrWriter &w, const void *data, size_t size) {
  const uint8_t *b = static_cast<const uint8_t *>(data);
  w.bytes.insert(w.bytes.end(), b, b + size);
}

size_t PmrEntrySize(const PmrLayout &layout, const PmrEntry &e) {
  return 8 * static_cast<size_t>(layout.idWords) + 2 + e.name.size() + 2 + e.project.size() + 4;
}

PmrEntry PmrNumberedEntry(uint32_t index) {
  char name[32], project[16];
  std::snprintf(name, sizeof name, "CLIP%06u.%s", index, index % 5 == 4 ? "wav" : "omf");
  std::snprintf(project, sizeof project, "Project %02u", index % 40);
  return PmrEntry{name, project, MobKey{index + 1, 0x060A2B34},
                  MobKey{index + 1, 0x0B0E0000 + index % 1000}};
}
