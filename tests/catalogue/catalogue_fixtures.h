// Shared by the tests of discovery, loading and linking: they work on the global catalogue,
// starting each test with no records and no databases, and watch the progress messages.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "platform/platform.h"
#include "support/scratch_dir.h"

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
  std::filesystem::path Folder(const std::filesystem::path &relative) const {
    std::filesystem::path folder = dir.path / relative;
    std::filesystem::create_directories(folder);
    return folder;
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
  for (DatabaseEntry *d = g_catalogue.databases.First(); d != nullptr;
       d = g_catalogue.databases.Next())
    paths.push_back(d->path);
  return paths;
}

// Records the progress messages while it lives; the cancel checks answer as told.
struct ProgressCapture {
  std::vector<uint64_t> overallPositions;
  std::vector<uint64_t> itemTotals;
  std::vector<std::wstring> infos;
  std::vector<std::wstring> titles;
  int cancelAnswer = 0; // what PollUserCancel and CancelRequested say
  int cancelChecks = 0;

  ProgressCapture();
  ~ProgressCapture();
  ProgressCapture(const ProgressCapture &) = delete;
  ProgressCapture &operator=(const ProgressCapture &) = delete;

  bool HasInfoStartingWith(const std::wstring &prefix) const;
};
