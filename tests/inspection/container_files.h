// Writes test containers into a scratch folder and opens them with a parser.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "inspection/media_file_parser.h"
#include "support/scratch_dir.h"

struct ContainerFiles {
  ScratchDir dir;
  int written = 0;

  std::filesystem::path Write(const std::vector<uint8_t> &bytes) {
    std::filesystem::path file =
        dir.File(("container" + std::to_string(written++) + ".omf").c_str());
    WriteFileBytes(file, bytes);
    return file;
  }

  int Open(MediaFileParser &parser, const std::vector<uint8_t> &bytes) {
    return parser.OpenMediaFile(Write(bytes).wstring().c_str());
  }
};
