// A fresh folder under the system's temporary folder for files that a test writes; it is
// removed with everything in it when the object goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

struct ScratchDir {
  std::filesystem::path path; // empty when no folder could be made

  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir &) = delete;
  ScratchDir &operator=(const ScratchDir &) = delete;

  std::filesystem::path File(const char *name) const { return path / name; }
};

// Writes a whole file, replacing it; true on success.
bool WriteFileBytes(const std::filesystem::path &file, const std::vector<uint8_t> &bytes);
bool WriteFileBytes(const std::filesystem::path &file, const void *data, size_t size);
