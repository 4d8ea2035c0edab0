// Shared by the catalogue tests: each starts with an empty global catalogue and no databases,
// in a scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "platform/platform.h"
#include "support/log_capture.h"
#include "support/media_folders.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

class GlobalCatalogueTest : public ::testing::Test {
protected:
  void SetUp() override {
    Reset();
    ASSERT_FALSE(dir.path.empty()) << "no scratch folder";
  }
  void TearDown() override { Reset(); }
  static void Reset() {
    g_catalogue.ClearCatalogue();
    g_catalogue.databases.Clear();
  }
  // A folder below the scratch folder, made with its parents.
  fs::path Folder(const fs::path &relative) const {
    fs::create_directories(dir.path / relative);
    return dir.path / relative;
  }
  ScratchDir dir;
};

// The records of the catalogue with a file name, in tree order.
inline std::vector<MediaRecord *> RecordsNamed(const wchar_t *name) {
  std::vector<MediaRecord *> found;
  for (MediaRecord *r = g_catalogue.records.First(); r != nullptr; r = g_catalogue.records.Next())
    if (platform::CompareNoCase(r->fileName, name) == 0) found.push_back(r);
  return found;
}

inline std::vector<std::wstring> DatabasePaths() {
  std::vector<std::wstring> paths;
  for (DatabaseEntry *d = g_catalogue.databases.First(); d; d = g_catalogue.databases.Next())
    paths.push_back(d->path);
  return paths;
}

// A record's fields in one text: project|name in bin|source|clip usage|media type|media ID|
// clip mob key|size|linked (keys as low.high in hexadecimal, zero type bytes as '-').
inline std::wstring Fields(const MediaRecord *r) {
  std::wstring text = std::wstring(r->project) + L"|" + r->nameInBin + L"|" + r->source + L"|" +
                      std::to_wstring(r->clipUsage) + L"|";
  for (char c : r->mediaType) text += c != 0 ? static_cast<wchar_t>(c) : L'-';
  wchar_t keys[48];
  std::swprintf(keys, 48, L"|%X.%X|%X.%X|", r->mediaId.low, r->mediaId.high, r->clipMobKey.low,
                r->clipMobKey.high);
  return text + keys + std::to_wstring(r->size) + L"|" + std::to_wstring(r->linked);
}

// The catalogue's totals: unique items, total items, projects, total and unreferenced size.
inline std::vector<uint64_t> Totals() {
  const Catalogue &c = g_catalogue;
  return {c.uniqueItems, c.totalItems, c.projectsCount, c.totalSize, c.unreferencedSize};
}
