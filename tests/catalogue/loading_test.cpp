// Loading generated media folders: the three passes and their counts, what the media
// database adds, disabled and absent databases, names in two folders, database files
// skipped by their exact extension, a missing file, and a cancelled load.
#include <cstring>

#include "catalogue/database_discovery.h"
#include "catalogue_fixtures.h"

namespace {

using Loading = GlobalCatalogueTest;

fs::path WriteFolder(const fs::path &folder, const std::vector<FolderMedia> &media) {
  EXPECT_TRUE(WriteMediaFolder(folder, "msmFMID.pmr", media));
  AddDatabase((folder / "msmFMID.pmr").wstring().c_str());
  return folder / "msmFMID.pmr";
}

FolderMedia Gone(FolderMedia media) {
  media.onDisk = false;
  return media;
}

TEST_F(Loading, ThreePassesReadIndexDatabaseAndDisk) {
  const fs::path folder = dir.path / "Disk.01";
  WriteFolder(folder, {Media("clip1.omf", "Harbour Lights", 1, 1000),
                       Media("clip2.wav", "Night Ferry", 2, 2000, OmfMediaKind::Wave),
                       Gone(Media("gone.omf", "Night Ferry", 3))});
  // On disk but in no database; only ".pmr" and ".mdb" in lower case are database files.
  const wchar_t *loose[] = {L"extra.omf", L"notes.txt", L"Stray.PMR", L"Stray.MDB"};
  for (const wchar_t *name : loose) ASSERT_TRUE(WriteSizedFile(folder / name, 100));
  fs::create_directories(folder / "Sub.01");
  LogCapture progress(true);
  LoadAll();
  EXPECT_EQ(3u, g_catalogue.entriesCounted);
  // Three media IDs and the group of media ID 0; three projects with the unreferenced one.
  EXPECT_EQ((std::vector<uint64_t>{4, 7, 3, 3400, 400}), Totals());
  EXPECT_EQ((std::vector<uint64_t>{1, 2, 5, 9}), progress.overallPositions);
  EXPECT_EQ(3u + 5, progress.itemTotals.at(0));
  for (const wchar_t *info :
       {L"Number of Records: ", L"Getting data for Record No: ", L"Linking Data: "})
    EXPECT_TRUE(progress.HasInfoStartingWith(info)) << info;

  MediaRecord *clip = RecordsNamed(L"clip1.omf").at(0);
  EXPECT_EQ(L"Harbour Lights|Clip of clip1.omf|Tape B|7|_VID|101.60A2B34|201.60A2B34|1000|1",
            Fields(clip));
  EXPECT_EQ(folder.wstring(), clip->folder);
  EXPECT_NE(0u, clip->attributes);
  EXPECT_NE(0u, clip->created);
  EXPECT_EQ(0, std::memcmp("_WAV", RecordsNamed(L"clip2.wav").at(0)->mediaType, 4));
  // Listed but not on disk: keeps what the databases say, and is not linked.
  MediaRecord *gone = RecordsNamed(L"gone.omf").at(0);
  EXPECT_EQ(L"Night Ferry|Clip of gone.omf|Tape B|7|_VID|103.60A2B34|203.60A2B34|0|0",
            Fields(gone));
  EXPECT_EQ(0u, gone->attributes);
  for (const wchar_t *name : loose) {
    ASSERT_EQ(1u, RecordsNamed(name).size()) << name;
    EXPECT_STREQ(kUnreferencedFiles, RecordsNamed(name)[0]->project);
    EXPECT_EQ(0u, RecordsNamed(name)[0]->linked);
  }
  for (const wchar_t *name : {L"msmFMID.pmr", L"msmMMOB.mdb", L"Sub.01"})
    EXPECT_TRUE(RecordsNamed(name).empty()) << name;

  LoadAll();
  EXPECT_EQ((std::vector<uint64_t>{4, 7, 3, 3400, 400}), Totals()) << "loading again";
}

TEST_F(Loading, DisabledAbsentAndMissingDatabasesContributeNothing) {
  WriteFolder(dir.path / "A.01", {Media("a.omf", "P", 1, 10)});
  WriteFolder(dir.path / "B.01", {Media("b.omf", "P", 2, 20)});
  WriteFolder(dir.path / "C.01", {Media("c.omf", "P", 3, 30)});
  const fs::path gone = dir.path / "D.01" / "msmFMID.pmr";
  AddDatabase(gone.wstring().c_str());
  g_catalogue.databases.NodeAt(1)->enabled = 0; // B: unchecked in the tree
  g_catalogue.databases.NodeAt(2)->present = 0; // C: not found again by the last scan
  LogCapture log;
  LoadAll();
  EXPECT_EQ(1u, g_catalogue.entriesCounted);
  EXPECT_EQ((std::vector<uint64_t>{1, 1, 1, 10, 0}), Totals());
  // The missing index file is reported by each pass that tries it.
  EXPECT_EQ(2u, log.Count(L"PMRFile::" + gone.wstring() + L" ::open error"));
}

TEST_F(Loading, ANameListedInTwoFoldersGivesTwoRecordsMatchedByFolder) {
  WriteFolder(dir.path / "A.01", {Gone(Media("shared.omf", "P", 1))});
  WriteFolder(dir.path / "B.01", {Media("SHARED.omf", "P", 2, 77)});
  LoadAll();
  std::vector<MediaRecord *> shared = RecordsNamed(L"shared.omf");
  ASSERT_EQ(2u, shared.size());
  for (MediaRecord *record : shared) {
    const bool inB = (dir.path / "B.01").wstring() == record->folder;
    EXPECT_EQ(inB ? 77u : 0u, record->size) << record->folder;
    EXPECT_EQ(inB ? 1u : 0u, record->linked) << record->folder;
  }
}

// A media database that is missing or cannot be used: the records keep what the index file
// gives; one that is there is named in the log with the reason.
TEST_F(Loading, WithoutAUsableMediaDatabaseRecordsKeepWhatTheIndexGives) {
  const struct {
    std::vector<uint8_t> database; // written when not empty
    const wchar_t *reason;         // of the log line; none for a missing database
  } cases[] = {{{}, nullptr},
               {std::vector<uint8_t>(100, 0x41), L"no container label"},
               {std::vector<uint8_t>(10, 0), L"too small"}};
  for (const auto &c : cases) {
    Reset();
    const fs::path folder = dir.path / (c.reason ? c.reason : L"none");
    WriteFolder(folder, {Media("solo.omf", "Harbour Lights", 1, 5)});
    fs::remove(folder / "msmMMOB.mdb");
    if (!c.database.empty()) {
      ASSERT_TRUE(WriteFileBytes(folder / "msmMMOB.mdb", c.database));
    }
    LogCapture log;
    LoadAll();
    EXPECT_EQ(L"Harbour Lights|||0|----|101.60A2B34|201.60A2B34|5|1",
              Fields(RecordsNamed(L"solo.omf").at(0)));
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
  LogCapture log(true);
  LoadAll();
  EXPECT_EQ((std::vector<uint64_t>{2, 5, 9}), log.overallPositions);
  EXPECT_EQ(0u, g_catalogue.totalItems);
}

TEST_F(Loading, ACancelledLoadLeavesAnEmptyCatalogue) {
  WriteFolder(dir.path / "A.01", {Media("a.omf", "P", 1, 10), Media("b.omf", "Q", 2, 20)});
  ASSERT_TRUE(WriteSizedFile(dir.path / "A.01" / "c.omf", 30));
  LoadAll(); // a first load links something that the cancelled one must not leave behind
  ASSERT_EQ(3u, g_catalogue.totalItems);
  LogCapture progress(true);
  progress.cancelAnswer = 1;
  LoadAll();
  EXPECT_EQ((std::vector<uint64_t>{0, 0, 0, 0, 0}), Totals());
  EXPECT_EQ(0u, g_catalogue.records.count + g_catalogue.mediaIdIndex.count +
                    g_catalogue.projectIndex.count);
  EXPECT_EQ(nullptr, g_catalogue.GetProject(1));
  EXPECT_EQ(1u, g_catalogue.databases.count) << "the databases stay known";
}

// Looking each folder's files up in name order first gives, byte for byte, the catalogue of
// looking each up as listed: names in two folders, two index files in one folder, files no
// index lists, and names that differ only in case where the file system keeps both.
TEST_F(Loading, MatchingInNameOrderGivesTheCatalogueOfMatchingAsListed) {
  WriteFolder(dir.path / "A.01", {Media("b.omf", "P", 1, 10), Gone(Media("a.omf", "Q", 2)),
                                  Media("shared.omf", "Q", 3, 5)});
  WriteFolder(dir.path / "B.01", {Media("SHARED.omf", "P", 4, 7)});
  const fs::path second = dir.path / "A.01" / "second.pmr";
  ASSERT_TRUE(WriteIndexFile(second, {IndexEntryFor("a.omf", Media("a.omf", "R", 5).plan)}));
  AddDatabase(second.wstring().c_str());
  for (const char *name : {"z.omf", "Y.omf", "dup.omf", "DUP.omf", "Shared.OMF"})
    ASSERT_TRUE(WriteSizedFile(dir.path / "A.01" / name, 3));
  std::vector<std::string> asListed;
  for (int inNameOrder : {0, 1}) {
    g_matchInNameOrder = inNameOrder;
    LoadAll();
    size_t i = 0;
    for (MediaRecord *r = g_catalogue.records.First(); r; r = g_catalogue.records.Next(), ++i) {
      std::string bytes(reinterpret_cast<const char *>(r), sizeof *r);
      if (inNameOrder == 0) {
        asListed.push_back(bytes);
      } else {
        EXPECT_TRUE(i < asListed.size() && asListed[i] == bytes) << "record " << i;
      }
    }
    EXPECT_EQ(asListed.size(), i);
  }
  g_matchInNameOrder = 1;
  EXPECT_GE(asListed.size(), 8u);
}

} // namespace
