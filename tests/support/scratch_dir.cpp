#include "support/scratch_dir.h"

#include <chrono>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

ScratchDir::ScratchDir() {
  std::error_code error;
  const std::filesystem::path base = std::filesystem::temp_directory_path(error);
  std::mt19937_64 random(std::random_device{}() ^
                         std::chrono::steady_clock::now().time_since_epoch().count());
  for (int attempt = 0; !error && path.empty() && attempt < 100; ++attempt) {
    std::filesystem::path candidate = base / ("orvalis-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate, error)) path = candidate;
  }
}

ScratchDir::~ScratchDir() {
  std::error_code error;
  if (!path.empty()) std::filesystem::remove_all(path, error);
}

bool WriteFileBytes(const std::filesystem::path &file, const void *data, size_t size) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char *>(data), static_cast<std::streamsize>(size));
  return static_cast<bool>(out.flush());
}

bool WriteFileBytes(const std::filesystem::path &file, const std::vector<uint8_t> &bytes) {
  return WriteFileBytes(file, bytes.data(), bytes.size());
}
