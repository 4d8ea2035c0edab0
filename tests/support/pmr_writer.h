// Writes ".pmr" media index files for tests, demo media and benchmarks: either byte order,
// two- or eight-word identifiers, any entries, and deliberately damaged ones (stored lengths
// that do not match their texts, raw garbage between entries, a file cut short).
#pragma once

#include <cstddef>
#include <cstdint>
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
};

// Starts a file: the 12-byte header with the magic 1961 in the layout's byte order.
PmrWriter PmrBegin(const PmrLayout &layout = PmrLayout{});
void PmrAdd(PmrWriter &writer, const PmrEntry &entry);
inline void PmrAddRaw(PmrWriter &writer, const void *data, size_t size) {
  writer.bytes.insert(writer.bytes.end(), static_cast<const uint8_t *>(data),
                      static_cast<const uint8_t *>(data) + size);
}

// The index-th entry of a generated folder: "CLIP%06u.omf" (every fifth one ".wav"), one
// of 40 projects "Project %02u", media ID {index + 1, 0x060A2B34}, clip mob key
// {index + 1, 0x0B0E0000 + index % 1000}.
PmrEntry PmrNumberedEntry(uint32_t index);
