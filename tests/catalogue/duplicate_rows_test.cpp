// The rows of the duplicate finder, from a linked catalogue, and the walk over the media ID
// groups that it takes.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/duplicate_rows.h"
#include "catalogue/media_linking.h"
#include "base/walk_helpers.h"
#include "catalogue_fixtures.h"
#include "support/pooled_tree_check.h"

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

// The walk steps over each element of the index at most once: a chain longer than the index
// says (a damaged tree) is cut there.
TEST_F(DuplicateRows, AChainLongerThanTheIndexIsCutAtItsCount) {
  for (const wchar_t *name : {L"a1.omf", L"a2.omf", L"a3.omf"}) Add(name, MobKey{1, 0}, true);
  Link();
  g_catalogue.mediaIdIndex.count = 2;
  EXPECT_EQ((std::vector<Row>{{L"a3.omf", 0}, {L"a2.omf", 1}}), Rows());
  g_catalogue.mediaIdIndex.count = 3;
}

TEST_F(DuplicateRows, NothingToListGivesNoRows) {
  EXPECT_TRUE(Rows().empty()) << "an empty index";
  Add(L"a.omf", MobKey{1, 0}, true);
  Add(L"b.omf", MobKey{2, 0}, true);
  Add(L"c.omf", MobKey{2, 0}, false);
  Link();
  EXPECT_TRUE(Rows().empty());
}

MediaRecord *AddTo(Catalogue &c, const wchar_t *fileName, MobKey mediaId) {
  MediaRecord r{};
  CopyText(r.fileName, fileName);
  r.mediaId = mediaId;
  return c.records.Insert(&r);
}

// Each group of media IDs is visited once, by its newest record, in a large random index.
TEST(DuplicateGroups, EachGroupIsVisitedOnceByItsNewestRecord) {
  auto c = std::make_unique<Catalogue>(); // large: off the stack
  std::mt19937 random(7);
  std::set<MediaRecord *> newest; // the newest record of each media ID
  std::vector<MediaRecord *> byId(40, nullptr);
  for (int i = 0; i < 3000; ++i) {
    uint32_t id = random() % 40;
    wchar_t name[32];
    std::swprintf(name, 32, L"f%05d.omf", i);
    MediaRecord *r = AddTo(*c, name, {id * 0x10001u, id % 3});
    c->mediaIdIndex.Insert(&r->self);
    byId[id] = r;
  }
  EXPECT_EQ(CheckInvariants(c->mediaIdIndex), nullptr);
  newest.insert(byId.begin(), byId.end());
  newest.erase(nullptr);

  std::set<MediaRecord *> seen;
  for (MediaRecord *group = *c->mediaIdIndex.First(); group; group = c->NextDuplicateGroup()) {
    EXPECT_TRUE(seen.insert(group).second);
    c->mediaIdIndex.FindNextEqual(); // part of the group walked, as the duplicate finder does
  }
  EXPECT_EQ(seen, newest);
}

} // namespace
