// Linking: the indexes, project table and totals; media files added from their own
// headers (extensions, placeholder projects, names known in another folder); folder walks
// that meet links and cancels; describing a record again from its file.
#include <algorithm>

#include "catalogue/media_linking.h"
#include "base/walk_helpers.h"
#include "catalogue_fixtures.h"

namespace {

using Linking = GlobalCatalogueTest;

MediaRecord *Add(const wchar_t *name, const wchar_t *project, MobKey mediaId, uint64_t size,
                 uint32_t attributes = 0x20) {
  MediaRecord record{};
  CopyText(record.fileName, name);
  CopyText(record.folder, L"F:\\Media");
  CopyText(record.project, project);
  record.mediaId = mediaId;
  record.size = size;
  record.attributes = attributes;
  record.linked = 1;
  return g_catalogue.records.Insert(&record);
}

TEST_F(Linking, LinkBuildsTheIndexesTheProjectTableAndTheTotals) {
  for (uint32_t i = 0; i < 10; ++i)
    Add((L"demo" + std::to_wstring(i)).c_str(), L"Demo", MobKey{i + 1, 7}, 100);
  Add(L"other.omf", L"demo", MobKey{50, 7}, 1); // project names differ by case: two projects
  Add(L"noid.omf", L"Demo", MobKey{}, 2);       // media ID 0 but a project: referenced
  Add(L"loose1.omf", L"", MobKey{}, 30);
  Add(L"loose2.omf", L"", MobKey{}, 40);
  MediaRecord *missing = Add(L"missing.omf", L"demo", MobKey{51, 7}, 0, 0);
  LogCapture progress(true);
  Link();
  EXPECT_EQ((std::vector<uint64_t>{13, 15, 3, 1073, 70}), Totals());
  EXPECT_EQ(0u, missing->linked) << "not on disk";
  EXPECT_STREQ(kUnreferencedFiles, RecordsNamed(L"loose1.omf").at(0)->project);
  EXPECT_STREQ(L"Demo", RecordsNamed(L"noid.omf").at(0)->project);
  EXPECT_EQ(15u, g_catalogue.mediaIdIndex.count);
  EXPECT_EQ(15u, g_catalogue.projectIndex.count);
  EXPECT_EQ(15u, progress.itemTotals.at(0));
  EXPECT_TRUE(progress.HasInfoStartingWith(L"Linking Data: "));
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

// OMF media files of the media made by Media(name, project, number).
class AddingMedia : public Linking {
protected:
  void Write(const char *name, const char *project, uint32_t number,
             OmfMediaKind kind = OmfMediaKind::Video) {
    fs::create_directories((dir.path / name).parent_path());
    EXPECT_TRUE(WriteFileBytes(dir.path / name,
                               BuildMediaFile(Media(name, project, number, 0, kind).plan)));
  }
  void AddFile(const char *name) { AddMediaFile((dir.path / name).wstring().c_str()); }
};

TEST_F(AddingMedia, TheFourExtensionsAreTakenInEitherCaseAndNothingElse) {
  Write("a.omf", "P", 1);
  Write("b.OMF", "P", 2);
  Write("c.wav", "P", 3, OmfMediaKind::Wave);
  Write("d.WAV", "P", 4, OmfMediaKind::Wave);
  Write("e.aif", "P", 5, OmfMediaKind::Aifc);
  Write("f.AIF", "P", 6, OmfMediaKind::Aifc);
  Write("i.txt", "P", 9);
  for (const char *name : {"g.mxf", "h.MXF", "j.mov"})
    ASSERT_TRUE(WriteSizedFile(dir.path / name, 64));
  fs::create_directories(dir.path / "k.omf");
  for (const char *name : {"a.omf", "b.OMF", "c.wav", "d.WAV", "e.aif", "f.AIF", "g.mxf", "h.MXF",
                           "i.txt", "j.mov", "k.omf", "vanished.omf"})
    AddFile(name);
  // Input of the wrong kind adds nothing: no path, an empty one, a file given as a folder.
  LogCapture progress(true);
  AddMediaFile(nullptr);
  AddMediaFile(L"");
  AddMediaFolder(nullptr);
  AddMediaFolder(L"");
  AddMediaFolder((dir.path / "a.omf").wstring().c_str());
  EXPECT_TRUE(progress.infos.empty()) << "no folder walk started";

  EXPECT_EQ(8u, g_catalogue.records.count);
  MediaRecord *a = RecordsNamed(L"a.omf").at(0);
  EXPECT_EQ(L"P|Clip of a.omf|Tape B|7|_VID|101.60A2B34|201.60A2B34|" +
                std::to_wstring(fs::file_size(dir.path / "a.omf")) + L"|1",
            Fields(a));
  EXPECT_EQ(dir.path.wstring(), a->folder);
  EXPECT_NE(0u, a->attributes);
  EXPECT_EQ(0u, Fields(RecordsNamed(L"d.WAV").at(0)).find(L"P|Clip of d.WAV|Tape A|7|_WAV|"));
  EXPECT_EQ(std::wstring(kUnknownMxf) + L"|||0|_MXF|0.0|0.0|64|0",
            Fields(RecordsNamed(L"h.MXF").at(0)));
}

TEST_F(AddingMedia, PlaceholderProjectsAndNamesKnownInAnotherFolder) {
  Write("noproject.omf", "", 1);
  Write("Other/NOPROJECT.OMF", "Q", 3);
  ASSERT_TRUE(WriteSizedFile(dir.path / "broken.wav", 500));
  FolderMedia nothing = Media("nothing.omf", "", 2); // neither project nor clip
  nothing.plan.clipMobKey = {};
  ASSERT_TRUE(WriteFileBytes(dir.path / "nothing.omf", BuildMediaFile(nothing.plan)));
  for (const char *name : {"noproject.omf", "nothing.omf", "broken.wav", "Other/NOPROJECT.OMF"})
    AddFile(name);
  EXPECT_EQ(3u, g_catalogue.records.count) << "a name already known is not added again";
  EXPECT_STREQ(kNullProject, RecordsNamed(L"noproject.omf").at(0)->project);
  EXPECT_EQ(dir.path.wstring(), RecordsNamed(L"noproject.omf").at(0)->folder);
  EXPECT_STREQ(kUnknownFiles, RecordsNamed(L"nothing.omf").at(0)->project);
  EXPECT_EQ(std::wstring(kUnknownFiles) + L"|||0|----|0.0|0.0|500|0",
            Fields(RecordsNamed(L"broken.wav").at(0)));
  Link();
  EXPECT_EQ(3u, g_catalogue.totalItems);
  EXPECT_EQ(2u, g_catalogue.projectsCount);
}

TEST_F(AddingMedia, FolderWalksSkipLinksAndStopOnCancel) {
  Write("a.omf", "P", 1);
  Write("Sub/b.wav", "P", 2, OmfMediaKind::Wave);
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

TEST_F(AddingMedia, APathTooLongIsNamedAndNothingIsAdded) {
  LogCapture log;
  AddFile((std::string(platform::kPathBufferChars, 'x') + ".omf").c_str());
  EXPECT_EQ(0u, g_catalogue.records.count);
  ASSERT_EQ(1u, log.lines.size());
  EXPECT_EQ(0u, log.lines[0].find(L"QEL::AddMedia::Path too long::"));
}

TEST_F(AddingMedia, DescribeMediaRecordReadsTheFileAgainAndKeepsTheKeys) {
  Write("a.omf", "P", 1);
  ASSERT_TRUE(WriteSizedFile(dir.path / "m.mxf", 10));
  AddFile("a.omf");
  AddFile("m.mxf");
  MediaRecord *a = RecordsNamed(L"a.omf").at(0);
  CopyText(a->nameInBin, L"stale");
  CopyText(a->project, L"Mine");
  a->compressionId = 0;
  a->mediaId = MobKey{0x77, 0x77};
  EXPECT_EQ(1, DescribeMediaRecord(a));
  EXPECT_EQ(0u, Fields(a).find(L"Mine|Clip of a.omf|Tape B|7|_VID|77.77|201.60A2B34|"))
      << Fields(a);
  EXPECT_NE(0u, a->compressionId);
  EXPECT_EQ(0, DescribeMediaRecord(RecordsNamed(L"m.mxf").at(0)));
  EXPECT_EQ(0, DescribeMediaRecord(nullptr));
  // A record without a name is no file, even where its folder names one.
  MediaRecord nameless{};
  CopyText(nameless.folder, (dir.path / "a.omf").wstring().c_str());
  EXPECT_EQ(0, DescribeMediaRecord(&nameless));
  fs::remove(dir.path / "a.omf");
  EXPECT_EQ(0, DescribeMediaRecord(a));
}

} // namespace
