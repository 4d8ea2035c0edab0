// A parser with the files it opens and the viewer's name dictionary, and the viewer's item
// makers as one call each: what the structure viewer's tests share.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "inspection/container_files.h"
#include "inspection/name_dictionary.h"
#include "inspection/structure_view.h"

struct ViewFixture : ::testing::Test {
  ContainerFiles files;
  std::unique_ptr<MediaFileParser> parser;
  NameDictionary *names = nullptr;

  // readsByteCodes: the parser reads version-2 tables, as the viewer's does.
  explicit ViewFixture(uint32_t readsByteCodes = 0)
      : parser(std::make_unique<MediaFileParser>(readsByteCodes)) {}
  ~ViewFixture() override { DestroyNameDictionary(names); }

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
};
