// Loading generated media folders: the three passes and their counts, what the media
// database adds, disabled and absent databases, names in two folders, database files
// skipped by their exact extension, a missing file, and a cancelled load.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "catalogue/database_discovery.h"
#include "catalogue_fixtures.h"
#include "support/log_capture.h"
#include "support/media_folders.h"

namespace {

namespace fs = std::filesystem;
using Loading = GlobalCatalogueTest;

fs::path WriteFolder(const fs::path &folder, const std::vector<FolderMedia> &media) {
  EXPECT_TRUE(WriteMediaFolder(folder, "msmFMID.pmr", media));
  return folder / "msmFMID.pmr";
}

FolderMedia Gone(FolderMedia media) {
  media.onDisk = false;
  return media;
}

TEST_F(Loading, ThreePassesReadIndexDatabaseAndDisk) {
  const fs::path folder = dir.path / "Disk.01";
  const std::vector<FolderMedia> media = {
      Media("clip1.omf", "Harbour Lights", 1, 1000),
      Media("clip2.wav", "Night Ferry", 2, 2000, OmfMediaKind::Wave),
      Gone(Media("gone.omf", "Night Ferry", 3))};
  const fs::path index = WriteFolder(folder, media);
  ASSERT_TRUE(WriteSizedFile(folder / "extra.omf", 300));
  ASSERT_TRUE(WriteSizedFile(folder / "notes.txt", 50));
  ASSERT_TRUE(WriteSizedFile(folder / "Stray.PMR", 7)); // only ".pmr" and ".mdb" in lower
  ASSERT_TRUE(WriteSizedFile(folder / "Stray.MDB", 9)); // case are database files
  fs::create_directories(folder / "Sub.01");
  AddDatabase(index.wstring().c_str());

  ProgressCapture progress;
  LoadAll();
  Catalogue &c = g_catalogue;
  EXPECT_EQ(3u, c.entriesCounted);
  EXPECT_EQ(7u, c.totalItems);
  EXPECT_EQ(4u, c.uniqueItems) << "three media IDs and the group of media ID 0";
  EXPECT_EQ(3u, c.projectsCount);
  EXPECT_EQ(1000u + 2000 + 300 + 50 + 7 + 9, c.totalSize);
  EXPECT_EQ(300u + 50 + 7 + 9, c.unreferencedSize);
  EXPECT_EQ((std::vector<uint64_t>{1, 2, 5, 9}), progress.overallPositions);
  ASSERT_FALSE(progress.itemTotals.empty());
  EXPECT_EQ(3u + 5, progress.itemTotals[0]);
  EXPECT_TRUE(progress.HasInfoStartingWith(L"Number of Records: "));
  EXPECT_TRUE(progress.HasInfoStartingWith(L"Getting data for Record No: "));
  EXPECT_TRUE(progress.HasInfoStartingWith(L"Linking Data: "));

  std::vector<MediaRecord *> clip = RecordsNamed(L"clip1.omf");
  ASSERT_EQ(1u, clip.size());
  EXPECT_EQ(1u, clip[0]->linked);
  EXPECT_EQ(folder.wstring(), clip[0]->folder);
  EXPECT_STREQ(L"Harbour Lights", clip[0]->project);
  EXPECT_TRUE(MobKeyEqual(media[0].plan.fileMobKey, clip[0]->mediaId));
  EXPECT_TRUE(MobKeyEqual(media[0].plan.clipMobKey, clip[0]->clipMobKey));
  EXPECT_STREQ(L"Clip of clip1.omf", clip[0]->nameInBin);
  EXPECT_STREQ(L"Tape B", clip[0]->source);
  EXPECT_EQ(7u, clip[0]->clipUsage);
  EXPECT_EQ(0, std::memcmp("_VID", clip[0]->mediaType, 4));
  EXPECT_EQ(1000u, clip[0]->size);
  EXPECT_NE(0u, clip[0]->attributes);
  EXPECT_NE(0u, clip[0]->created);
  EXPECT_EQ(0, std::memcmp("_WAV", RecordsNamed(L"clip2.wav").at(0)->mediaType, 4));

  // Listed but not on disk: keeps what the databases say, and is not linked.
  std::vector<MediaRecord *> gone = RecordsNamed(L"gone.omf");
  ASSERT_EQ(1u, gone.size());
  EXPECT_EQ(0u, gone[0]->linked);
  EXPECT_EQ(0u, gone[0]->attributes);
  EXPECT_EQ(0u, gone[0]->size);
  EXPECT_STREQ(L"Night Ferry", gone[0]->project);
  EXPECT_TRUE(MobKeyEqual(media[2].plan.fileMobKey, gone[0]->mediaId));

  for (const wchar_t *name : {L"extra.omf", L"notes.txt", L"Stray.PMR", L"Stray.MDB"}) {
    std::vector<MediaRecord *> found = RecordsNamed(name);
    ASSERT_EQ(1u, found.size()) << "on disk but in no database: " << name;
    EXPECT_STREQ(kUnreferencedFiles, found[0]->project);
    EXPECT_EQ(0u, found[0]->linked);
  }
  EXPECT_TRUE(RecordsNamed(L"msmFMID.pmr").empty());
  EXPECT_TRUE(RecordsNamed(L"msmMMOB.mdb").empty());
  EXPECT_TRUE(RecordsNamed(L"Sub.01").empty());

  // Loading again starts from nothing and comes to the same.
  LoadAll();
  EXPECT_EQ(7u, c.totalItems);
  EXPECT_EQ(3u, c.projectsCount);
  EXPECT_EQ(300u + 50 + 7 + 9, c.unreferencedSize);
}

TEST_F(Loading, DisabledAbsentAndMissingDatabasesContributeNothing) {
  const fs::path a = WriteFolder(dir.path / "A.01", {Media("a.omf", "P", 1, 10)});
  const fs::path b = WriteFolder(dir.path / "B.01", {Media("b.omf", "P", 2, 20)});
  const fs::path c = WriteFolder(dir.path / "C.01", {Media("c.omf", "P", 3, 30)});
  const fs::path gone = dir.path / "D.01" / "msmFMID.pmr";
  for (const fs::path &index : {a, b, c, gone}) AddDatabase(index.wstring().c_str());
  g_catalogue.databases.NodeAt(1)->enabled = 0; // b: unchecked in the tree
  g_catalogue.databases.NodeAt(2)->present = 0; // c: not found again by the last scan

  LogCapture log;
  LoadAll();
  EXPECT_EQ(1u, g_catalogue.entriesCounted);
  EXPECT_EQ(1u, g_catalogue.totalItems);
  EXPECT_EQ(1u, RecordsNamed(L"a.omf").size());
  EXPECT_EQ(10u, g_catalogue.totalSize);
  // The missing index file is reported by each pass that tries it.
  EXPECT_EQ(2u, log.Count(L"PMRFile::" + gone.wstring() + L" ::open error"));
}

TEST_F(Loading, ANameListedInTwoFoldersGivesTwoRecordsMatchedByFolder) {
  const fs::path a = WriteFolder(dir.path / "A.01", {Gone(Media("shared.omf", "P", 1))});
  const fs::path b = WriteFolder(dir.path / "B.01", {Media("SHARED.omf", "P", 2, 77)});
  AddDatabase(a.wstring().c_str());
  AddDatabase(b.wstring().c_str());
  LoadAll();

  std::vector<MediaRecord *> shared = RecordsNamed(L"shared.omf");
  ASSERT_EQ(2u, shared.size());
  for (MediaRecord *record : shared) {
    const bool inB =
        platform::CompareNoCase(record->folder, (dir.path / "B.01").wstring().c_str()) == 0;
    EXPECT_EQ(inB ? 77u : 0u, record->size) << record->folder;
    EXPECT_EQ(inB ? 1u : 0u, record->linked) << record->folder;
  }
  EXPECT_EQ(2u, g_catalogue.totalItems);
}

// A media database that is missing or cannot be used: the records keep what the index file
// gives; one that is there is named in the log with the reason.
TEST_F(Loading, WithoutAUsableMediaDatabaseRecordsKeepWhatTheIndexGives) {
  const struct {
    const char *folder;
    std::vector<uint8_t> database; // written when not empty
    const wchar_t *reason;         // of the log line; none for a missing database
  } cases[] = {
      {"A.01", {}, nullptr},
      {"B.01", std::vector<uint8_t>(100, 0x41), L"no container label"},
      {"C.01", std::vector<uint8_t>(10, 0), L"too small"},
  };
  const FolderMedia solo = Media("solo.omf", "Harbour Lights", 1, 5);
  for (const auto &c : cases) {
    SCOPED_TRACE(c.folder);
    const fs::path folder = dir.path / c.folder;
    const fs::path index = WriteFolder(folder, {solo});
    fs::remove(folder / "msmMMOB.mdb");
    if (!c.database.empty()) {
      ASSERT_TRUE(WriteFileBytes(folder / "msmMMOB.mdb", c.database));
    }
    g_catalogue.ClearCatalogue();
    g_catalogue.databases.Clear();
    AddDatabase(index.wstring().c_str());
    LogCapture log;
    LoadAll();
    std::vector<MediaRecord *> found = RecordsNamed(L"solo.omf");
    ASSERT_EQ(1u, found.size());
    EXPECT_EQ(1u, found[0]->linked);
    EXPECT_STREQ(L"Harbour Lights", found[0]->project);
    EXPECT_TRUE(MobKeyEqual(solo.plan.fileMobKey, found[0]->mediaId));
    EXPECT_STREQ(L"", found[0]->nameInBin);
    EXPECT_EQ(0u, found[0]->clipUsage);
    std::vector<std::wstring> want;
    if (c.reason != nullptr)
      want.push_back(L"QEL::Load::Media database not used::" + std::wstring(c.reason) + L" ::" +
                     (folder / "msmMMOB.mdb").wstring());
    EXPECT_EQ(want, log.lines);
  }
}

// No index entry at all: the step that sizes the records for them is left out.
TEST_F(Loading, NothingToLoadSkipsTheSizingStep) {
  AddDatabase((dir.path / "none.pmr").wstring().c_str());
  LogCapture log;
  ProgressCapture progress;
  LoadAll();
  EXPECT_EQ((std::vector<uint64_t>{2, 5, 9}), progress.overallPositions);
  EXPECT_EQ(0u, g_catalogue.totalItems);
}

TEST_F(Loading, ACancelledLoadLeavesAnEmptyCatalogue) {
  const fs::path index =
      WriteFolder(dir.path / "A.01", {Media("a.omf", "P", 1, 10), Media("b.omf", "Q", 2, 20)});
  ASSERT_TRUE(WriteSizedFile(dir.path / "A.01" / "c.omf", 30));
  AddDatabase(index.wstring().c_str());
  LoadAll(); // a first load links something that the cancelled one must not leave behind
  ASSERT_EQ(3u, g_catalogue.totalItems);

  ProgressCapture progress;
  progress.cancelAnswer = 1;
  LoadAll();
  EXPECT_GE(progress.cancelChecks, 1);
  EXPECT_EQ(0u, g_catalogue.records.count);
  EXPECT_EQ(0u, g_catalogue.mediaIdIndex.count);
  EXPECT_EQ(0u, g_catalogue.projectIndex.count);
  EXPECT_EQ(0u, g_catalogue.totalItems);
  EXPECT_EQ(0u, g_catalogue.uniqueItems);
  EXPECT_EQ(0u, g_catalogue.projectsCount);
  EXPECT_EQ(0u, g_catalogue.totalSize);
  EXPECT_EQ(nullptr, g_catalogue.GetProject(1));
  EXPECT_EQ(1u, g_catalogue.databases.count) << "the databases stay known";
}

// Looking each folder's files up in name order first gives, byte for byte, the catalogue of
// looking each up as listed: names in two folders, two index files in one folder, files no
// index lists, and names that differ only in case where the file system keeps both.
TEST_F(Loading, MatchingInNameOrderGivesTheCatalogueOfMatchingAsListed) {
  const fs::path a =
      WriteFolder(dir.path / "A.01", {Media("b.omf", "P", 1, 10), Gone(Media("a.omf", "Q", 2)),
                                      Media("shared.omf", "Q", 3, 5)});
  const fs::path b = WriteFolder(dir.path / "B.01", {Media("SHARED.omf", "P", 4, 7)});
  std::vector<PmrEntry> second = {IndexEntryFor("a.omf", Media("a.omf", "R", 5).plan)};
  ASSERT_TRUE(WriteIndexFile(dir.path / "A.01" / "second.pmr", second));
  for (const char *name : {"z.omf", "Y.omf", "dup.omf", "DUP.omf", "Shared.OMF"})
    ASSERT_TRUE(WriteSizedFile(dir.path / "A.01" / name, 3));
  for (const fs::path &index : {a, b, dir.path / "A.01" / "second.pmr"})
    AddDatabase(index.wstring().c_str());

  std::vector<std::vector<unsigned char>> asListed;
  for (int inNameOrder : {0, 1}) {
    g_matchInNameOrder = inNameOrder;
    LoadAll();
    size_t i = 0;
    for (MediaRecord *r = g_catalogue.records.First(); r != nullptr;
         r = g_catalogue.records.Next(), ++i) {
      const unsigned char *bytes = reinterpret_cast<const unsigned char *>(r);
      if (inNameOrder == 0)
        asListed.emplace_back(bytes, bytes + sizeof *r);
      else
        EXPECT_TRUE(i < asListed.size() && std::memcmp(asListed[i].data(), bytes, sizeof *r) == 0)
            << "record " << i;
    }
    EXPECT_EQ(asListed.size(), i);
  }
  g_matchInNameOrder = 1;
  EXPECT_GE(asListed.size(), 8u);
}

} // namespace
