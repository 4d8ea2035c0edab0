#include "catalogue/catalogue.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <random>
#include <set>
#include <vector>

#include "support/pooled_tree_check.h"

namespace {

MediaRecord *AddRecord(Catalogue &c, const wchar_t *fileName, const wchar_t *project, uint64_t size,
                       MobKey mediaId = {0, 0}) {
  MediaRecord r{};
  std::wcsncpy(r.fileName, fileName, kPathChars - 1);
  std::wcsncpy(r.project, project, kProjectChars - 1);
  r.size = size;
  r.mediaId = mediaId;
  return c.records.Insert(&r);
}

TEST(Catalogue, HundredAndFirstDatabaseGetsASecondBlock) {
  auto c = std::make_unique<Catalogue>(); // several KB of sentinels: off the stack
  EXPECT_EQ(c->databases.capacity, 100u);
  std::vector<DatabaseEntry *> added;
  for (int i = 0; i < 101; ++i) {
    DatabaseEntry entry{};
    std::swprintf(entry.path, kPathChars, L"D:\\OMFI MediaFiles\\%03d\\msmFMID.pmr", i * 37 % 101);
    added.push_back(c->databases.Insert(&entry));
    added.back()->ordinal = c->databases.count;
  }
  EXPECT_EQ(c->databases.capacity, 200u);
  for (uint32_t i = 0; i < 101; ++i) {
    ASSERT_EQ(c->databases.NodeAt(i), added[i]);
    EXPECT_EQ(added[i]->ordinal, i + 1);
  }
  DatabaseEntry key{};
  std::wcscpy(key.path, L"d:\\omfi mediafiles\\005\\MSMFMID.PMR");
  ASSERT_NE(c->databases.Find(&key), nullptr);
  EXPECT_STREQ(c->databases.Find(&key)->path, L"D:\\OMFI MediaFiles\\005\\msmFMID.pmr");
}

TEST(Catalogue, FileNamesIgnoreCaseWhileProjectsDoNot) {
  auto c = std::make_unique<Catalogue>();
  MediaRecord *a = AddRecord(*c, L"CLIP01.omf", L"Demo", 10);
  MediaRecord *b = AddRecord(*c, L"clip01.OMF", L"demo", 20);
  MediaRecord *d = AddRecord(*c, L"Clip01.omf", L"Demo", 40);
  AddRecord(*c, L"other.omf", L"Demo", 80);
  EXPECT_EQ(d->self, d);
  MediaRecord key{};
  std::wcscpy(key.fileName, L"CLIP01.OMF");
  EXPECT_EQ(c->records.Find(&key), d);
  EXPECT_EQ(c->records.FindNextEqual(), b);
  EXPECT_EQ(c->records.FindNextEqual(), a);

  for (MediaRecord *r = c->records.First(); r; r = c->records.Next())
    c->projectIndex.Insert(&r->self);
  ASSERT_NE(c->ReplaceProjectTable(2), nullptr);
  // One row per group, newest node first, as linking builds them.
  uint32_t rows = 0;
  for (MediaRecord **r = c->projectIndex.First(); r && rows < 3; r = c->projectIndex.Next()) {
    c->projectTable[rows++].firstNode = c->projectIndex.cursor;
    while (c->projectIndex.FindNextEqual()) {
    }
  }
  ASSERT_EQ(rows, 2u); // which spelling sorts first is the system's collation
  c->projectsCount = rows;
  uint32_t upper = std::wcscmp(c->GetProject(1)->firstNode->element->project, L"Demo") ? 2 : 1;
  EXPECT_EQ(c->ProjectSize(c->GetProject(upper)), 130u);
  EXPECT_EQ(c->ProjectSize(c->GetProject(3 - upper)), 20u);
  EXPECT_EQ(c->ProjectSize(nullptr), 0u);
  EXPECT_EQ(c->GetProject(0), nullptr);
  EXPECT_EQ(c->GetProject(3), nullptr);

  ProjectEntry *kept = c->GetProject(1);
  c->ClearCatalogue();
  EXPECT_EQ(c->GetProject(1), nullptr);
  EXPECT_EQ(c->ProjectSize(kept), 0u); // a row kept across a clear reads nothing
  EXPECT_EQ(AddRecord(*c, L"y.omf", L"P", 1), c->records.NodeAt(0));
}

TEST(Catalogue, MediaIdsOrderHighHalfFirstAndGroupsAreVisitedOnce) {
  auto c = std::make_unique<Catalogue>();
  MediaRecord *late = AddRecord(*c, L"b.omf", L"P", 0, {1, 2});
  MediaRecord *early = AddRecord(*c, L"a.omf", L"P", 0, {5, 1});
  c->mediaIdIndex.Insert(&late->self);
  c->mediaIdIndex.Insert(&early->self);
  EXPECT_EQ(*c->mediaIdIndex.First(), early);

  c->ClearCatalogue();
  std::mt19937 random(7);
  std::set<MediaRecord *> newest; // the newest record of each media ID
  std::vector<MediaRecord *> byId(40, nullptr);
  for (int i = 0; i < 3000; ++i) {
    uint32_t id = random() % 40;
    wchar_t name[32];
    std::swprintf(name, 32, L"f%05d.omf", i);
    MediaRecord *r = AddRecord(*c, name, L"P", 0, {id * 0x10001u, id % 3});
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
