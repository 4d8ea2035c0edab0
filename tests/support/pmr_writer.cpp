#include "support/pmr_writer.h"

#include <cstdio>

namespace {

void Put(PmrWriter &w, uint32_t v, int count) {
  for (int i = 0; i < count; ++i)
    w.bytes.push_back(static_cast<uint8_t>(v >> (8 * (w.layout.bigEndian ? count - 1 - i : i))));
}

void PutIdentifier(PmrWriter &w, const MobKey &key) {
  const size_t keyAt = w.layout.idWords == 8 ? 16 : 0;
  for (size_t i = 0; i < 4 * static_cast<size_t>(w.layout.idWords); ++i) {
    uint8_t byte = static_cast<uint8_t>(0xA0 + i);
    if (i >= keyAt && i < keyAt + 8)
      byte = static_cast<uint8_t>((i < keyAt + 4 ? key.low : key.high) >> (8 * ((i - keyAt) % 4)));
    w.bytes.push_back(byte);
  }
}

} // namespace

PmrWriter PmrBegin(const PmrLayout &layout) {
  PmrWriter w{layout, {}};
  for (uint32_t word : {1961u, layout.idWords, layout.headerWord3}) Put(w, word, 4);
  return w;
}

void PmrAdd(PmrWriter &w, const PmrEntry &e) {
  PutIdentifier(w, e.mediaId);
  Put(w, e.nameLength >= 0 ? static_cast<uint32_t>(e.nameLength) : e.name.size(), 2);
  w.bytes.insert(w.bytes.end(), e.name.begin(), e.name.end());
  Put(w, e.projectLength >= 0 ? static_cast<uint32_t>(e.projectLength) : e.project.size(), 2);
  w.bytes.insert(w.bytes.end(), e.project.begin(), e.project.end());
  PutIdentifier(w, e.clipMobKey);
  Put(w, 0, 4); // the entry's trailing word
}

PmrEntry PmrNumberedEntry(uint32_t index) {
  char name[32], project[16];
  std::snprintf(name, sizeof name, "CLIP%06u.%s", index, index % 5 == 4 ? "wav" : "omf");
  std::snprintf(project, sizeof project, "Project %02u", index % 40);
  return PmrEntry{name, project, MobKey{index + 1, 0x060A2B34},
                  MobKey{index + 1, 0x0B0E0000 + index % 1000}};
}
