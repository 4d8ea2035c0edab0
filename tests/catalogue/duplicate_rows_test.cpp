// The rows of the duplicate finder, from a linked catalogue, and the walk over the media ID
// groups that it takes.
#include <memory>
#include <random>
#include <set>
#include <utility>

#include "catalogue/duplicate_rows.h"
#include "catalogue/media_linking.h"
#include "base/walk_helpers.h"
#include "catalogue_fixtures.h"
#include "support/pooled_tree_check.h"

namespace {

using DuplicateRows = GlobalCatalogueTest;
using Row = std::pair<std::wstring, int>; // file name, checked

MediaRecord *Add(Catalogue &c, const wchar_t *name, MobKey mediaId, bool onDisk = true) {
  MediaRecord record{};
  CopyText(record.fileName, name);
  CopyText(record.project, L"P");
  record.mediaId = mediaId;
  record.attributes = onDisk ? 0x20 : 0;
  return c.records.Insert(&record);
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
  EXPECT_TRUE(Rows().empty()) << "an empty index";
  // Records reach the media ID index in file name order, so the last name is the newest.
  const struct {
    const wchar_t *name;
    MobKey mediaId;
    bool onDisk;
  } records[] = {
      {L"a1.omf", {1, 0}, true},  {L"a2.omf", {1, 0}, true},
      {L"a3.omf", {1, 0}, true},  {L"b1.omf", {5, 1}, true},
      {L"b2.omf", {5, 1}, false},                        // one present copy only: no rows
      {L"c1.omf", {}, true},      {L"c2.omf", {}, true}, // media ID 0 is never listed
      {L"d1.omf", {1, 2}, true},  {L"d2.omf", {1, 2}, true},
      {L"d3.omf", {1, 2}, false}, // the newest is gone: the next one is kept
      {L"e1.omf", {9, 9}, true},  // unique
  };
  for (const auto &r : records) Add(g_catalogue, r.name, r.mediaId, r.onDisk);
  Link();
  // Media IDs are ordered high half first: 0 < (1, 0) < (5, 1) < (1, 2) < (9, 9).
  EXPECT_EQ((std::vector<Row>{
                {L"a3.omf", 0}, {L"a2.omf", 1}, {L"a1.omf", 1}, {L"d2.omf", 0}, {L"d1.omf", 1}}),
            Rows());
  // The walk steps over each element of the index at most once: a chain longer than the
  // index says (a damaged tree) is cut there.
  g_catalogue.mediaIdIndex.count = 3; // c2 (its group unwalked), a3, a2
  EXPECT_EQ((std::vector<Row>{{L"a3.omf", 0}, {L"a2.omf", 1}}), Rows());
  g_catalogue.mediaIdIndex.count = 11;
}

// Each group of media IDs is visited once, by its newest record, in a large random index.
TEST(DuplicateGroups, EachGroupIsVisitedOnceByItsNewestRecord) {
  auto c = std::make_unique<Catalogue>(); // large: off the stack
  std::mt19937 random(7);
  std::vector<MediaRecord *> newestOfId(40, nullptr);
  for (int i = 0; i < 3000; ++i) {
    uint32_t id = random() % 40;
    MediaRecord *r = Add(*c, (L"f" + std::to_wstring(10000 + i)).c_str(), {id * 0x10001u, id % 3});
    c->mediaIdIndex.Insert(&r->self);
    newestOfId[id] = r;
  }
  EXPECT_EQ(CheckInvariants(c->mediaIdIndex), nullptr);
  std::set<MediaRecord *> newest(newestOfId.begin(), newestOfId.end()), seen;
  newest.erase(nullptr);
  for (MediaRecord *group = *c->mediaIdIndex.First(); group; group = c->NextDuplicateGroup()) {
    EXPECT_TRUE(seen.insert(group).second);
    c->mediaIdIndex.FindNextEqual(); // part of the group walked, as the duplicate finder does
  }
  EXPECT_EQ(seen, newest);
}

} // namespace
