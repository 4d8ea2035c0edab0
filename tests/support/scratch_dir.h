// A fresh folder under the system's temporary folder for files that a test writes; it is
// removed with everything in it when the object goes. Whole files written and read.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>
#include <vector>

struct ScratchDir {
  std::filesystem::path path; // empty when no folder could be made

  ScratchDir() {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    std::mt19937_64 random(std::random_device{}() ^
                           std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; !error && path.empty() && attempt < 100; ++attempt) {
      std::filesystem::path candidate = base / ("orvalis-test-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate, error)) path = candidate;
    }
  }
  ~ScratchDir() {
    std::error_code error;
    if (!path.empty()) std::filesystem::remove_all(path, error);
  }
  ScratchDir(const ScratchDir &) = delete;
  ScratchDir &operator=(const ScratchDir &) = delete;

  std::filesystem::path File(const char *name) const { return path / name; }
};

// Writes a whole file, replacing it; true on success.
inline bool WriteFileBytes(const std::filesystem::path &file, const void *data, size_t size) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char *>(data), static_cast<std::streamsize>(size));
  return static_cast<bool>(out.flush());
}

inline bool WriteFileBytes(const std::filesystem::path &file, const std::vector<uint8_t> &bytes) {
  return WriteFileBytes(file, bytes.data(), bytes.size());
}

// A whole file's bytes; "<missing>" when it cannot be opened.
inline std::string ReadFileBytes(const std::filesystem::path &file) {
  std::ifstream in(file, std::ios::binary);
  return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
}
