// Writes ".pmr" media index files for tests, demo media and benchmarks: either byte order,
// two- or eight-word identifiers, any entries, and deliberately damaged ones (stored lengths
// that do not match their texts, raw garbage between entries, a file cut short).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/mob_key.h"

struct PmrLayout {
  uint32_t idWords = 2; // 2 or 8; other values are written as given (a bad header)
  bool bigEndian = false;
  uint32_t headerWord3 = 0;
};

// One entry. The texts are stored byte for byte without any check, so invalid names can be
// written too. The keys land where a reader takes them: bytes 0-7 of a two-word identifier,
// bytes 16-23 of an eight-word one (the other 24 bytes hold a filler pattern that would read
// as a different key), each half little-endian in either byte order.
struct PmrEntry {
  std::string name;
  std::string project; // empty: stored with length 0 (no project)
  MobKey mediaId{};
  MobKey clipMobKey{};
  int32_t nameLength = -1;    // the stored name length; -1: the name's size
  int32_t projectLength = -1; // the stored project length; -1: the project's size
};

struct PmrWriter {
  PmrLayout layout;
  std::vector<uint8_t> bytes;

  void Put(uint32_t v, int count) {
    for (int i = 0; i < count; ++i)
      bytes.push_back(static_cast<uint8_t>(v >> (8 * (layout.bigEndian ? count - 1 - i : i))));
  }
  void PutIdentifier(const MobKey &key) {
    const size_t keyAt = layout.idWords == 8 ? 16 : 0;
    for (size_t i = 0; i < 4 * static_cast<size_t>(layout.idWords); ++i) {
      uint8_t byte = static_cast<uint8_t>(0xA0 + i);
      if (i >= keyAt && i < keyAt + 8)
        byte =
            static_cast<uint8_t>((i < keyAt + 4 ? key.low : key.high) >> (8 * ((i - keyAt) % 4)));
      bytes.push_back(byte);
    }
  }
};

// Starts a file: the 12-byte header with the magic 1961 in the layout's byte order.
inline PmrWriter PmrBegin(const PmrLayout &layout = PmrLayout{}) {
  PmrWriter w{layout, {}};
  for (uint32_t word : {1961u, layout.idWords, layout.headerWord3}) w.Put(word, 4);
  return w;
}

inline void PmrAdd(PmrWriter &w, const PmrEntry &e) {
  w.PutIdentifier(e.mediaId);
  w.Put(e.nameLength >= 0 ? static_cast<uint32_t>(e.nameLength) : e.name.size(), 2);
  w.bytes.insert(w.bytes.end(), e.name.begin(), e.name.end());
  w.Put(e.projectLength >= 0 ? static_cast<uint32_t>(e.projectLength) : e.project.size(), 2);
  w.bytes.insert(w.bytes.end(), e.project.begin(), e.project.end());
  w.PutIdentifier(e.clipMobKey);
  w.Put(0, 4); // the entry's trailing word
}

inline void PmrAddRaw(PmrWriter &writer, const void *data, size_t size) {
  writer.bytes.insert(writer.bytes.end(), static_cast<const uint8_t *>(data),
                      static_cast<const uint8_t *>(data) + size);
}

// The index-th entry of a generated folder.
inline PmrEntry PmrNumberedEntry(uint32_t index) {
  char name[32], project[16];
  std::snprintf(name, sizeof name, "CLIP%06u.%s", index, index % 5 == 4 ? "wav" : "omf");
  std::snprintf(project, sizeof project, "Project %02u", index % 40);
  return PmrEntry{name, project, MobKey{index + 1, 0x060A2B34},
                  MobKey{index + 1, 0x0B0E0000 + index % 1000}};
}
