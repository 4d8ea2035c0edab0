// The rows of the duplicate finder, from a linked catalogue.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "catalogue/duplicate_rows.h"
#include "catalogue/media_linking.h"
#include "catalogue/walk_helpers.h"
#include "catalogue_fixtures.h"

namespace {

using DuplicateRows = GlobalCatalogueTest;
using Row = std::pair<std::wstring, int>; // file name, checked

void Add(const wchar_t *name, MobKey mediaId, bool onDisk) {
  MediaRecord record{};
  CopyText(record.fileName, name);
  CopyText(record.folder, L"F:\\Media");
  CopyText(record.project, L"P");
  record.mediaId = mediaId;
  record.attributes = onDisk ? 0x20 : 0;
  g_catalogue.records.Insert(&record);
}

std::vector<Row> Rows() {
  std::vector<Row> rows;
  uint32_t count = ListDuplicateRows(
      g_catalogue,
      [](MediaRecord *record, int checked, void *context) {
        static_cast<std::vector<Row> *>(context)->emplace_back(record->fileName, checked);
      },
      &rows);
  EXPECT_EQ(rows.size(), count);
  return rows;
}

TEST_F(DuplicateRows, KeeperFirstThenEveryOlderCopyOnDisk) {
  // Records reach the media ID index in file name order, so the last name is the newest.
  Add(L"a1.omf", MobKey{1, 0}, true);
  Add(L"a2.omf", MobKey{1, 0}, true);
  Add(L"a3.omf", MobKey{1, 0}, true);
  Add(L"b1.omf", MobKey{5, 1}, true); // one present copy only: no rows
  Add(L"b2.omf", MobKey{5, 1}, false);
  Add(L"c1.omf", MobKey{}, true); // media ID 0 is never listed
  Add(L"c2.omf", MobKey{}, true);
  Add(L"d1.omf", MobKey{1, 2}, true);
  Add(L"d2.omf", MobKey{1, 2}, true);
  Add(L"d3.omf", MobKey{1, 2}, false); // the newest is gone: the next one is kept
  Add(L"e1.omf", MobKey{9, 9}, true);  // unique
  Link();

  const std::vector<Row> expected = {
      {L"a3.omf", 0}, {L"a2.omf", 1}, {L"a1.omf", 1}, // media ID (1, 0)
      {L"d2.omf", 0}, {L"d1.omf", 1},                 // media ID (1, 2)
  };
  // Media IDs are ordered high half first: 0 < (1, 0) < (5, 1) < (1, 2) < (9, 9).
  EXPECT_EQ(expected, Rows());
}

TEST_F(DuplicateRows, NothingToListGivesNoRows) {
  EXPECT_TRUE(Rows().empty()) << "an empty index";
  Add(L"a.omf", MobKey{1, 0}, true);
  Add(L"b.omf", MobKey{2, 0}, true);
  Add(L"c.omf", MobKey{2, 0}, false);
  Link();
  EXPECT_TRUE(Rows().empty());
}

} // namespace
