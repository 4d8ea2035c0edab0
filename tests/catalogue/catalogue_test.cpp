// The catalogue over generated media folders in a scratch folder, each test starting with an
// empty global catalogue and no databases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cwchar>
#include <cwctype>
#include <memory>
#include <random>
#include <set>
#include <utility>

#include "base/walk_helpers.h"
#include "catalogue/catalogue.h"
#include "catalogue/database_discovery.h"
#include "catalogue/duplicate_rows.h"
#include "catalogue/media_linking.h"
#include "platform/platform.h"
#include "support/log_capture.h"
#include "support/media_folders.h"
#include "support/scratch_dir.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;

// A record as a scan makes it: on disk (attributes set) unless onDisk is false.
MediaRecord *AddRecord(const wchar_t *name, const wchar_t *project, MobKey mediaId,
                       uint64_t size = 0, bool onDisk = true, Catalogue &c = g_catalogue) {
  MediaRecord record{};
  CopyText(record.fileName, name);
  CopyText(record.folder, L"F:\\Media");
  CopyText(record.project, project);
  record.mediaId = mediaId;
  record.size = size;
  record.attributes = onDisk ? 0x20 : 0;
  record.linked = 1;
  return c.records.Insert(&record);
}

// The records of the catalogue with a file name, in tree order.
std::vector<MediaRecord *> RecordsNamed(const wchar_t *name) {
  std::vector<MediaRecord *> found;
  for (MediaRecord *r = g_catalogue.records.First(); r != nullptr; r = g_catalogue.records.Next())
    if (platform::CompareNoCase(r->fileName, name) == 0) found.push_back(r);
  return found;
}

// A record's fields in one text: project|name in bin|source|clip usage|media type|media ID|
// clip mob key|size|linked (keys as low.high in hexadecimal, only the low half where the high
// one is Media()'s 60A2B34; zero type bytes as '-').
std::wstring Fields(const MediaRecord *r) {
  std::wstring text = std::wstring(r->project) + L"|" + r->nameInBin + L"|" + r->source + L"|" +
                      std::to_wstring(r->clipUsage) + L"|";
  for (char c : r->mediaType) text += c != 0 ? static_cast<wchar_t>(c) : L'-';
  for (const MobKey &key : {r->mediaId, r->clipMobKey}) {
    wchar_t hex[24];
    std::swprintf(hex, 24, key.high == 0x060A2B34 ? L"|%X" : L"|%X.%X", key.low, key.high);
    text += hex;
  }
  return text + L"|" + std::to_wstring(r->size) + L"|" + std::to_wstring(r->linked);
}

// The whole catalogue: name|Fields of every record in tree order.
std::vector<std::wstring> Dump() {
  std::vector<std::wstring> lines;
  for (MediaRecord *r = g_catalogue.records.First(); r; r = g_catalogue.records.Next())
    lines.push_back(r->fileName + (L"|" + Fields(r)));
  return lines;
}

// The catalogue's totals: unique items, total items, projects, total and unreferenced size.
std::vector<uint64_t> Totals() {
  const Catalogue &c = g_catalogue;
  return {c.uniqueItems, c.totalItems, c.projectsCount, c.totalSize, c.unreferencedSize};
}

FolderMedia Gone(FolderMedia media) {
  media.onDisk = false;
  return media;
}

class CatalogueTest : public ::testing::Test {
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
  void Touch(const fs::path &relative) const {
    fs::create_directories((dir.path / relative).parent_path());
    ASSERT_TRUE(WriteSizedFile(dir.path / relative, 40));
  }
  // A media folder with its index file "msmFMID.pmr", added to the databases tree.
  fs::path WriteFolder(const fs::path &folder, const std::vector<FolderMedia> &media) const {
    EXPECT_TRUE(WriteMediaFolder(folder, "msmFMID.pmr", media));
    AddDatabase((folder / "msmFMID.pmr").wstring().c_str());
    return folder / "msmFMID.pmr";
  }
  // The OMF media file of Media(name, project, number), and adding it as a dropped file.
  void WriteMedia(const char *name, const char *project, uint32_t number,
                  OmfMediaKind kind = OmfMediaKind::Video) const {
    fs::create_directories((dir.path / name).parent_path());
    EXPECT_TRUE(WriteFileBytes(dir.path / name,
                               BuildMediaFile(Media(name, project, number, 0, kind).plan)));
  }
  void AddFile(const char *name) const { AddMediaFile((dir.path / name).wstring().c_str()); }
  // The paths of the databases tree below the scratch folder, with '/', sorted.
  std::vector<std::wstring> DatabasePaths() const {
    std::vector<std::wstring> paths;
    for (DatabaseEntry *d = g_catalogue.databases.First(); d; d = g_catalogue.databases.Next())
      paths.push_back(fs::path(d->path).lexically_relative(dir.path).generic_wstring());
    std::sort(paths.begin(), paths.end());
    return paths;
  }

  ScratchDir dir;
};

TEST_F(CatalogueTest, AddingAPathAgainInOtherCaseKeepsOneEntryAndMarksItPresent) {
  std::wstring path = (dir.path / "Media.pmr").wstring();
  AddDatabase(path.c_str());
  AddDatabase((dir.path / "Other.pmr").wstring().c_str());
  DatabaseEntry *first = g_catalogue.databases.NodeAt(0);
  EXPECT_EQ(2u, g_catalogue.databases.NodeAt(1)->ordinal);
  first->present = first->enabled = 0;
  std::wstring upper = path;
  for (wchar_t &c : upper) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  AddDatabase(upper.c_str());
  EXPECT_EQ(2u, g_catalogue.databases.count);
  EXPECT_EQ(1u, first->ordinal);
  EXPECT_EQ(1u, first->present);
  EXPECT_EQ(0u, first->enabled) << "the check box stays as the user left it";
  EXPECT_EQ(path, first->path);
}

// Sub-folders are walked as Windows matches "*.??" (the wildcard's rules are tested with it);
// a link back up the tree is not followed.
TEST_F(CatalogueTest, ScanFolderFindsIndexFilesInSubFoldersThatTheWildcardSelects) {
  for (const char *file :
       {"a.pmr", "B.PMR", "notes.txt", "Disk.01/c.pmr", "MXF/1/msmFMID.pmr", "Long.abc/e.pmr"})
    Touch(file);
  Folder("Folder.pmr"); // a folder, not an index file
  std::error_code error;
  const fs::path link = dir.path / "Disk.01" / "Back.up";
  fs::create_directory_symlink("..", link, error);
  LogCapture log;
  ScanFolder(dir.path.wstring().c_str());
  EXPECT_EQ((std::vector<std::wstring>{L"B.PMR", L"Disk.01/c.pmr", L"MXF/1/msmFMID.pmr", L"a.pmr"}),
            DatabasePaths());
  if (error) GTEST_SKIP() << "no folder link: " << error.message();
  EXPECT_EQ(std::vector<std::wstring>{L"QEL::Scan::Link not followed ::" + link.wstring()},
            log.lines);
}

// Names that make folder + separator + name one character longer than a path buffer.
TEST_F(CatalogueTest, PathsTooLongForTheBuffersAreNamedAndSkipped) {
  const size_t length = platform::kPathBufferChars - dir.path.wstring().size();
  const fs::path longFile = dir.path / (std::string(length - 4, 'n') + ".pmr");
  const fs::path longFolder = dir.path / (std::string(length - 3, 'n') + ".ab");
  struct LongPathGuard {
    fs::path file, folder;
    ~LongPathGuard() { // beyond the path limit, which the ordinary calls cannot reach on Windows
      for (const fs::path &path : {file, folder / "inner.pmr", folder}) {
#ifdef _WIN32
        const std::wstring extended = L"\\\\?\\" + path.wstring();
        if (!DeleteFileW(extended.c_str())) RemoveDirectoryW(extended.c_str());
#else
        std::error_code error;
        fs::remove(path, error);
#endif
      }
    }
  } guard{longFile, longFolder};
  std::error_code error;
  fs::create_directory(longFolder, error);
  if (error || !WriteSizedFile(longFile, 40) || !WriteSizedFile(longFolder / "inner.pmr", 40))
    GTEST_SKIP() << "the file system refuses paths of more than 260 characters";
  Touch("fits.pmr");
  LogCapture log;
  ScanFolder(dir.path.wstring().c_str());
  EXPECT_EQ(std::vector<std::wstring>{L"fits.pmr"}, DatabasePaths());
  EXPECT_EQ(1u, log.Count(L"QEL::Scan::Path too long::" + longFile.wstring()));
  EXPECT_EQ(1u, log.Count(L"QEL::Scan::Path too long::" + longFolder.wstring()));
}

TEST_F(CatalogueTest, DriveRootsAreSearchedInTheirTwoMediaFolders) {
  for (const char *file : {"OMFI MediaFiles/a.pmr", "AVID MediaFiles/Disk.01/b.pmr",
                           "Other Media/c.pmr", "Other root/OMFI MediaFiles"}) // a file there
    Touch(file);
  std::wstring missing = (dir.path / "no drive").wstring() + platform::kPathSeparator;
  std::wstring other = (dir.path / "Other root").wstring() + platform::kPathSeparator;
  std::wstring roots =
      missing + L'\0' + dir.path.wstring() + platform::kPathSeparator + L'\0' + other + L'\0';
  wchar_t before[platform::kPathBufferChars], after[platform::kPathBufferChars];
  ASSERT_GT(platform::GetCurrentFolder(before, platform::kPathBufferChars), 0u);
  LogCapture log(true);
  ScanDriveRoots(roots.c_str(), static_cast<uint32_t>(roots.size()));
  platform::GetCurrentFolder(after, platform::kPathBufferChars);
  EXPECT_EQ((std::vector<std::wstring>{L"AVID MediaFiles/Disk.01/b.pmr", L"OMFI MediaFiles/a.pmr"}),
            DatabasePaths());
  EXPECT_EQ(1u, log.Count(missing + L" :: Device not ready"));
  EXPECT_EQ(std::vector<std::wstring>{L"Scanning All drives for databases"}, log.titles);
  EXPECT_FALSE(log.HasInfoStartingWith(other)) << "a file is not walked as a folder";
  EXPECT_STREQ(before, after) << "the current folder comes back";
}

// The system's drives; a system that asks for more room at every question is asked again
// eight times at most, and nothing is scanned.
TEST_F(CatalogueTest, ScanAllDrivesAsksTheSystemForItsDrivesAFewTimesAtMost) {
  {
    LogCapture progress(true);
    ScanAllDrives();
    EXPECT_EQ(std::vector<std::wstring>{L"Scanning All drives for databases"}, progress.titles);
  }
  static int questions = 0;
  platform::FileCalls calls = platform::Files();
  calls.driveRoots = [](wchar_t *, uint32_t chars) { return ++questions, chars + 1; };
  const platform::FileCalls system = platform::SetFileCalls(calls);
  LogCapture progress(true);
  ScanAllDrives();
  platform::SetFileCalls(system);
  EXPECT_EQ(1 + 8, questions);
  EXPECT_TRUE(progress.titles.empty());
}

TEST_F(CatalogueTest, ThreePassesReadIndexDatabaseAndDisk) {
  const fs::path folder = dir.path / "Disk.01";
  WriteFolder(folder, {Media("clip1.omf", "Harbour Lights", 1, 1000),
                       Media("clip2.wav", "Night Ferry", 2, 2000, OmfMediaKind::Wave),
                       Gone(Media("gone.omf", "Night Ferry", 3))});
  // On disk but in no database; only ".pmr" and ".mdb" in lower case are database files,
  // and a name shorter than those is a file like any other.
  for (const char *name : {"extra.omf", "notes.txt", "Stray.PMR", "Stray.MDB", ".mdb", "abc"})
    ASSERT_TRUE(WriteSizedFile(folder / name, 100));
  fs::create_directories(folder / "Sub.01");
  LogCapture progress(true);
  LoadAll();
  EXPECT_EQ(3u, g_catalogue.entriesCounted);
  // Three media IDs and the group of media ID 0; three projects with the unreferenced one.
  EXPECT_EQ((std::vector<uint64_t>{4, 8, 3, 3500, 500}), Totals());
  EXPECT_EQ((std::vector<uint64_t>{1, 2, 5, 9}), progress.overallPositions);
  EXPECT_EQ(3u + 5, progress.itemTotals.at(0));
  for (const wchar_t *info :
       {L"Number of Records: ", L"Getting data for Record No: ", L"Linking Data: "})
    EXPECT_TRUE(progress.HasInfoStartingWith(info)) << info;

  // Listed but not on disk (gone.omf): keeps what the databases say, and is not linked.
  const std::wstring loose = L"|" + std::wstring(kUnreferencedFiles) + L"|||0|----|0.0|0.0|100|0";
  EXPECT_EQ(
      (std::vector<std::wstring>{
          L"abc" + loose,
          L"clip1.omf|Harbour Lights|Clip of clip1.omf|Tape B|7|_VID|101|201|1000|1",
          L"clip2.wav|Night Ferry|Clip of clip2.wav|Tape A|7|_WAV|102|202|2000|1",
          L"extra.omf" + loose, L"gone.omf|Night Ferry|Clip of gone.omf|Tape B|7|_VID|103|203|0|0",
          L"notes.txt" + loose, L"Stray.MDB" + loose, L"Stray.PMR" + loose}),
      Dump());
  MediaRecord *clip = RecordsNamed(L"clip1.omf").at(0), *gone = RecordsNamed(L"gone.omf").at(0);
  EXPECT_EQ(folder.wstring(), clip->folder);
  EXPECT_TRUE(clip->attributes != 0 && clip->created != 0 && gone->attributes == 0);

  LoadAll();
  EXPECT_EQ((std::vector<uint64_t>{4, 8, 3, 3500, 500}), Totals()) << "loading again";
}

// A disabled, an absent and a missing database contribute nothing; a name listed in two
// folders gives two records, each matched with its own folder's file.
TEST_F(CatalogueTest, OnlyEnabledDatabasesCountAndNamesMatchTheirOwnFolder) {
  WriteFolder(dir.path / "A.01", {Media("a.omf", "P", 1, 10), Gone(Media("shared.omf", "P", 4))});
  WriteFolder(dir.path / "B.01", {Media("b.omf", "P", 2, 20)});
  WriteFolder(dir.path / "C.01", {Media("c.omf", "P", 3, 30)});
  WriteFolder(dir.path / "E.01", {Media("SHARED.omf", "P", 5, 77)});
  const fs::path gone = dir.path / "D.01" / "msmFMID.pmr";
  AddDatabase(gone.wstring().c_str());
  g_catalogue.databases.NodeAt(1)->enabled = 0; // B: unchecked in the tree
  g_catalogue.databases.NodeAt(2)->present = 0; // C: not found again by the last scan
  LogCapture log;
  LoadAll();
  EXPECT_EQ(3u, g_catalogue.entriesCounted);
  EXPECT_EQ((std::vector<uint64_t>{3, 3, 1, 87, 0}), Totals());
  // The missing index file is reported by each pass that tries it.
  EXPECT_EQ(2u, log.Count(L"PMRFile::" + gone.wstring() + L" ::open error"));
  EXPECT_EQ(
      (std::vector<std::wstring>{L"a.omf|P|Clip of a.omf|Tape B|7|_VID|101|201|10|1",
                                 L"SHARED.omf|P|Clip of SHARED.omf|Tape B|7|_VID|105|205|77|1",
                                 L"shared.omf|P|Clip of shared.omf|Tape A|7|_VID|104|204|0|0"}),
      Dump());
}

// A media database that is missing or cannot be used: the records keep what the index file
// gives; one that is there is named in the log with the reason.
TEST_F(CatalogueTest, WithoutAUsableMediaDatabaseRecordsKeepWhatTheIndexGives) {
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
    EXPECT_EQ(L"Harbour Lights|||0|----|101|201|5|1", Fields(RecordsNamed(L"solo.omf").at(0)));
    std::vector<std::wstring> want;
    if (c.reason != nullptr)
      want.push_back(L"QEL::Load::Media database not used::" + std::wstring(c.reason) + L" ::" +
                     (folder / "msmMMOB.mdb").wstring());
    EXPECT_EQ(want, log.lines);
  }
}

TEST_F(CatalogueTest, ACancelledLoadLeavesAnEmptyCatalogue) {
  AddDatabase((dir.path / "none.pmr").wstring().c_str());
  {
    LogCapture log(true);
    LoadAll();
    EXPECT_EQ((std::vector<uint64_t>{2, 5, 9}), log.overallPositions) << "no entry: no sizing";
  }
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
  EXPECT_EQ(2u, g_catalogue.databases.count) << "the databases stay known";
}

// Looking each folder's files up in name order first gives, byte for byte, the catalogue of
// looking each up as listed: names in two folders, two index files in one folder, files no
// index lists, and names that differ only in case where the file system keeps both (more of
// them than a sort orders by insertion, all after every other name).
TEST_F(CatalogueTest, MatchingInNameOrderGivesTheCatalogueOfMatchingAsListed) {
  WriteFolder(dir.path / "A.01", {Media("b.omf", "P", 1, 10), Gone(Media("a.omf", "Q", 2)),
                                  Media("shared.omf", "Q", 3, 5)});
  WriteFolder(dir.path / "B.01", {Media("SHARED.omf", "P", 4, 7)});
  const fs::path second = dir.path / "A.01" / "second.pmr";
  ASSERT_TRUE(WriteIndexFile(second, {IndexEntryFor("a.omf", Media("a.omf", "R", 5).plan)}));
  AddDatabase(second.wstring().c_str());
  for (const char *name : {"z.omf", "Y.omf", "dup.omf", "DUP.omf", "Shared.OMF"})
    ASSERT_TRUE(WriteSizedFile(dir.path / "A.01" / name, 3));
  for (int variant = 0; variant < 32; ++variant) {
    std::string name = "zzzzz.omf";
    for (int i = 0; i < 5; ++i) name[i] = variant >> i & 1 ? 'Z' : 'z';
    ASSERT_TRUE(WriteSizedFile(dir.path / "A.01" / name, 1));
  }
  std::vector<std::string> records[2]; // as listed, in name order
  for (int inNameOrder : {0, 1}) {
    g_matchInNameOrder = inNameOrder;
    LoadAll();
    for (MediaRecord *r = g_catalogue.records.First(); r; r = g_catalogue.records.Next()) {
      // What lies behind a text's terminator is not part of the record.
      auto canonical = std::make_unique<MediaRecord>();
      CopyRecord(*canonical, *r);
      records[inNameOrder].emplace_back(reinterpret_cast<const char *>(canonical.get()), sizeof *r);
    }
  }
  g_matchInNameOrder = 1;
  EXPECT_GE(records[0].size(), 8u);
  EXPECT_TRUE(records[0] == records[1]) << "the two catalogues differ";
}

TEST_F(CatalogueTest, LinkBuildsTheIndexesTheProjectTableAndTheTotals) {
  for (uint32_t i = 0; i < 10; ++i)
    AddRecord((L"demo" + std::to_wstring(i)).c_str(), L"Demo", MobKey{i + 1, 7}, 100);
  AddRecord(L"other.omf", L"demo", MobKey{50, 7}, 1); // names differ by case: two projects
  AddRecord(L"noid.omf", L"Demo", MobKey{}, 2);       // media ID 0 but a project: referenced
  AddRecord(L"loose1.omf", L"", MobKey{}, 30);
  AddRecord(L"loose2.omf", L"", MobKey{}, 40);
  MediaRecord *missing = AddRecord(L"missing.omf", L"demo", MobKey{51, 7}, 0, false);
  LogCapture progress(true);
  Link();
  EXPECT_EQ((std::vector<uint64_t>{13, 15, 3, 1073, 70}), Totals());
  EXPECT_EQ(0u, missing->linked) << "not on disk";
  EXPECT_STREQ(kUnreferencedFiles, RecordsNamed(L"loose1.omf").at(0)->project);
  EXPECT_STREQ(L"Demo", RecordsNamed(L"noid.omf").at(0)->project);
  EXPECT_EQ(15u, g_catalogue.mediaIdIndex.count);
  EXPECT_EQ(15u, g_catalogue.projectIndex.count);
  EXPECT_EQ(15u, progress.itemTotals.at(0));
  // One row per exact spelling (the order between "Demo" and "demo" is the system's).
  std::vector<std::wstring> rows;
  for (uint32_t row = 1; row <= 3; ++row) {
    ProjectEntry *entry = g_catalogue.GetProject(row);
    ASSERT_NE(nullptr, entry);
    rows.push_back(std::wstring(entry->firstNode->element->project) + L" " +
                   std::to_wstring(entry->recordCount) + L" " +
                   std::to_wstring(g_catalogue.ProjectSize(entry)));
  }
  std::sort(rows.begin() + 1, rows.end());
  EXPECT_EQ((std::vector<std::wstring>{std::wstring(kUnreferencedFiles) + L" 2 70", L"Demo 11 1002",
                                       L"demo 2 1"}),
            rows);
  EXPECT_EQ(nullptr, g_catalogue.GetProject(4));
  EXPECT_EQ(nullptr, g_catalogue.GetProject(0));

  Link();
  EXPECT_EQ((std::vector<uint64_t>{13, 15, 3, 1073, 70}), Totals()) << "linking again";
  ProjectEntry *kept = g_catalogue.GetProject(1);
  g_catalogue.ClearCatalogue();
  EXPECT_EQ(nullptr, g_catalogue.GetProject(1));
  EXPECT_EQ(0u, g_catalogue.ProjectSize(kept)) << "a row kept across a clear reads nothing";
  EXPECT_EQ(0u, g_catalogue.ProjectSize(nullptr));
}

// Media files added one by one: the four media extensions in either case and nothing else,
// placeholder projects, a name known from another folder not added again; and a record
// described again from its file.
TEST_F(CatalogueTest, MediaFilesAreAddedFromTheirOwnHeaders) {
  const char *media[] = {"a.omf", "b.OMF", "c.wav", "d.WAV", "e.aif", "f.AIF", "i.txt"};
  for (uint32_t i = 0; i < 7; ++i) {
    const int kind = std::tolower(media[i][2]);
    WriteMedia(media[i], "P", i + 1,
               kind == 'w'   ? OmfMediaKind::Wave
               : kind == 'a' ? OmfMediaKind::Aifc
                             : OmfMediaKind::Video);
  }
  WriteMedia("noproject.omf", "", 1);
  WriteMedia("Other/NOPROJECT.OMF", "Q", 3);
  FolderMedia nothing = Media("nothing.omf", "", 2); // neither project nor clip
  nothing.plan.clipMobKey = {};
  ASSERT_TRUE(WriteFileBytes(dir.path / "nothing.omf", BuildMediaFile(nothing.plan)));
  ASSERT_TRUE(WriteSizedFile(dir.path / "broken.wav", 500));
  for (const char *name : {"g.mxf", "h.MXF", "j.mov"})
    ASSERT_TRUE(WriteSizedFile(dir.path / name, 64));
  Folder("k.omf");
  for (const char *name : {"a.omf", "b.OMF", "c.wav", "d.WAV", "e.aif", "f.AIF", "g.mxf", "h.MXF",
                           "i.txt", "j.mov", "k.omf", "vanished.omf", "noproject.omf",
                           "nothing.omf", "broken.wav", "Other/NOPROJECT.OMF"})
    AddFile(name);
  // Input of the wrong kind adds nothing: no path, an empty one, a file given as a folder, a
  // path too long (named in the log).
  LogCapture progress(true);
  AddMediaFile(nullptr);
  AddMediaFile(L"");
  AddMediaFolder(nullptr);
  AddMediaFolder(L"");
  AddMediaFolder((dir.path / "a.omf").wstring().c_str());
  AddFile((std::string(platform::kPathBufferChars, 'x') + ".omf").c_str());
  EXPECT_TRUE(progress.infos.empty()) << "no folder walk started";
  ASSERT_EQ(1u, progress.lines.size());
  EXPECT_EQ(0u, progress.lines[0].find(L"QEL::AddMedia::Path too long::"));

  EXPECT_EQ(11u, g_catalogue.records.count);
  MediaRecord *a = RecordsNamed(L"a.omf").at(0);
  EXPECT_EQ(L"P|Clip of a.omf|Tape B|7|_VID|101|201|" +
                std::to_wstring(fs::file_size(dir.path / "a.omf")) + L"|1",
            Fields(a));
  EXPECT_EQ(dir.path.wstring(), a->folder);
  EXPECT_NE(0u, a->attributes);
  EXPECT_EQ(0u, Fields(RecordsNamed(L"d.WAV").at(0)).find(L"P|Clip of d.WAV|Tape A|7|_WAV|"));
  EXPECT_EQ(std::wstring(kUnknownMxf) + L"|||0|_MXF|0.0|0.0|64|0",
            Fields(RecordsNamed(L"h.MXF").at(0)));
  EXPECT_STREQ(kNullProject, RecordsNamed(L"noproject.omf").at(0)->project);
  EXPECT_EQ(dir.path.wstring(), RecordsNamed(L"noproject.omf").at(0)->folder);
  EXPECT_STREQ(kUnknownFiles, RecordsNamed(L"nothing.omf").at(0)->project);
  EXPECT_EQ(std::wstring(kUnknownFiles) + L"|||0|----|0.0|0.0|500|0",
            Fields(RecordsNamed(L"broken.wav").at(0)));
  Link();
  EXPECT_EQ(11u, g_catalogue.totalItems);
  EXPECT_EQ(4u, g_catalogue.projectsCount);

  CopyText(a->nameInBin, L"stale");
  CopyText(a->project, L"Mine");
  a->compressionId = 0;
  a->mediaId = MobKey{0x77, 0x77};
  EXPECT_EQ(1, DescribeMediaRecord(a));
  EXPECT_EQ(0u, Fields(a).find(L"Mine|Clip of a.omf|Tape B|7|_VID|77.77|201|")) << Fields(a);
  EXPECT_NE(0u, a->compressionId);
  EXPECT_EQ(0, DescribeMediaRecord(RecordsNamed(L"h.MXF").at(0)));
  EXPECT_EQ(0, DescribeMediaRecord(nullptr));
  // A record without a name is no file, even where its folder names one.
  MediaRecord nameless{};
  CopyText(nameless.folder, (dir.path / "a.omf").wstring().c_str());
  EXPECT_EQ(0, DescribeMediaRecord(&nameless));
  fs::remove(dir.path / "a.omf");
  EXPECT_EQ(0, DescribeMediaRecord(a));
}

TEST_F(CatalogueTest, MediaFolderWalksSkipLinksAndStopOnCancel) {
  WriteMedia("a.omf", "P", 1);
  WriteMedia("Sub/b.wav", "P", 2, OmfMediaKind::Wave);
  ASSERT_TRUE(WriteSizedFile(dir.path / "Sub" / "c.txt", 5));
  const fs::path link = dir.path / "Sub" / "loop";
  std::error_code error;
  fs::create_directory_symlink("..", link, error);
  const bool linked = !error;
  LogCapture log(true);
  AddMediaFolder(dir.path.wstring().c_str());
  EXPECT_EQ(2u, g_catalogue.records.count);
  EXPECT_TRUE(log.HasInfoStartingWith(dir.path.wstring()));
  if (!linked)
    GTEST_SKIP() << "walked without a link (none could be made: " << error.message() << ")";
  EXPECT_EQ(std::vector<std::wstring>{L"QEL::AddMedia::Link not followed ::" + link.wstring()},
            log.lines);
  g_catalogue.ClearCatalogue();
  log.cancelAnswer = 1;
  AddMediaFolder(dir.path.wstring().c_str());
  EXPECT_LE(g_catalogue.records.count, 1u) << "stopped after the first step";
}

using Row = std::pair<std::wstring, int>; // file name, checked

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

TEST_F(CatalogueTest, DuplicateRowsAreTheKeeperThenEveryOlderCopyOnDisk) {
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
  for (const auto &r : records) AddRecord(r.name, L"P", r.mediaId, 0, r.onDisk);
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

// Emptying and copying a record write every byte but those behind a text's terminator: texts
// of every length, from empty to one without a terminator.
TEST(MediaRecords, EmptiedAndCopiedRecordsDifferOnlyBehindTheTerminators) {
  auto source = std::make_unique<MediaRecord>(), copy = std::make_unique<MediaRecord>(),
       empty = std::make_unique<MediaRecord>();
  auto bytes = [](MediaRecord &r) { return reinterpret_cast<unsigned char *>(&r); };
  for (size_t i = 0; i < sizeof(MediaRecord); ++i) bytes(*source)[i] = 1 + i % 251;
  std::memset(copy.get(), 0xEE, sizeof(MediaRecord));
  std::memset(empty.get(), 0xEE, sizeof(MediaRecord));
  const struct {
    wchar_t *text;
    size_t chars, length;
  } texts[] = {{source->folder, kPathChars, 0},
               {source->fileName, kPathChars, 259},
               {source->project, kProjectChars, 65},
               {source->nameInBin, kPathChars, 7},
               {source->source, kPathChars, 1}};
  for (const auto &t : texts)
    if (t.length < t.chars) t.text[t.length] = 0;
  CopyRecord(*copy, *source);
  EmptyRecord(*empty);
  for (size_t i = 0; i < sizeof(MediaRecord); ++i) {
    bool copied = true, emptied = true; // the byte is part of the copy, of the empty record
    for (const auto &t : texts) {
      const size_t at = reinterpret_cast<unsigned char *>(t.text) - bytes(*source);
      if (i >= at && i - at < t.chars * sizeof(wchar_t)) {
        copied = (i - at) / sizeof(wchar_t) <= t.length;
        emptied = i - at < sizeof(wchar_t);
      }
    }
    EXPECT_TRUE(!copied || bytes(*source)[i] == bytes(*copy)[i]) << "copy, byte " << i;
    EXPECT_TRUE(!emptied || bytes(*empty)[i] == 0) << "empty record, byte " << i;
  }
}

// Each group of media IDs is visited once, by its newest record, in a large random index.
TEST(DuplicateGroups, EachGroupIsVisitedOnceByItsNewestRecord) {
  auto c = std::make_unique<Catalogue>(); // large: off the stack
  std::mt19937 random(7);
  std::vector<MediaRecord *> newestOfId(40, nullptr);
  for (int i = 0; i < 3000; ++i) {
    uint32_t id = random() % 40;
    MediaRecord *r = AddRecord((L"f" + std::to_wstring(10000 + i)).c_str(), L"P",
                               {id * 0x10001u, id % 3}, 0, true, *c);
    c->mediaIdIndex.Insert(&r->self);
    newestOfId[id] = r;
  }
  std::set<MediaRecord *> newest(newestOfId.begin(), newestOfId.end()), seen;
  newest.erase(nullptr);
  for (MediaRecord *group = *c->mediaIdIndex.First(); group; group = c->NextDuplicateGroup()) {
    EXPECT_TRUE(seen.insert(group).second);
    c->mediaIdIndex.FindNextEqual(); // part of the group walked, as the duplicate finder does
  }
  EXPECT_EQ(seen, newest);
}

} // namespace
