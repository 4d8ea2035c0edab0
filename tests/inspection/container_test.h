// The shared fixture of the inspection tests: containers written into a scratch folder and
// opened with one parser, the name dictionary that the viewer builds from them, and the
// viewer's item makers as one call each.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "inspection/bento_constants.h"
#include "inspection/media_file_parser.h"
#include "inspection/name_dictionary.h"
#include "inspection/structure_view.h"
#include "support/bento_writer.h"
#include "support/scratch_dir.h"

// A container begun with object 1 of class "HEAD", as every container starts.
inline BentoWriter HeadContainer(bool bigEndian = false) {
  BentoWriter w = BentoBegin(bigEndian);
  BentoAddCode(w, 1, PROP_CLASS, TYPE_CLASS_ID, "HEAD");
  return w;
}

struct ContainerTest : ::testing::Test {
  ScratchDir dir;
  int written = 0;
  std::unique_ptr<MediaFileParser> parser; // large: on the heap
  NameDictionary *names = nullptr;

  // readsByteCodes: the parser reads version-2 tables, as the viewer's does.
  explicit ContainerTest(uint32_t readsByteCodes = 0)
      : parser(std::make_unique<MediaFileParser>(readsByteCodes)) {}
  ~ContainerTest() override { DestroyNameDictionary(names); }

  std::filesystem::path Write(const std::vector<uint8_t> &bytes) {
    std::filesystem::path file = dir.path / ("container" + std::to_string(written++) + ".omf");
    WriteFileBytes(file, bytes);
    return file;
  }
  int Open(const std::vector<uint8_t> &bytes) {
    return parser->OpenMediaFile(Write(bytes).wstring().c_str());
  }
  // Opens the container and adds its names to the dictionary, as the viewer does.
  int OpenNamed(const std::vector<uint8_t> &bytes) {
    const int opened = Open(bytes);
    if (opened == 1) BuildNameDictionary(*parser, &names);
    return opened;
  }

  std::vector<ViewItem> Properties(uint32_t objectId) {
    std::vector<ViewItem> items;
    MakePropertyItems(*parser, names, objectId, &items);
    return items;
  }
  std::vector<uint32_t> Referenced(int32_t entry) {
    std::vector<uint32_t> objects;
    ReferencedObjects(*parser, entry, &objects);
    return objects;
  }
  std::wstring ObjectLabel(uint32_t objectId) {
    ViewItem item{};
    return MakeObjectItem(*parser, objectId, &item) ? item.label : L"(none)";
  }
};
