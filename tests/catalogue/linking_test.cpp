// Linking: the indexes, project table and totals; media files added from their own
// headers (extensions, placeholder projects, names known in another folder); folder walks
// that meet links and cancels; describing a record again from its file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "catalogue/media_linking.h"
#include "base/walk_helpers.h"
#include "catalogue_fixtures.h"
#include "support/log_capture.h"
#include "support/media_folders.h"

namespace {

namespace fs = std::filesystem;
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

struct Totals {
  uint32_t unique, total, projects;
  uint64_t size, unreferenced;
  bool operator==(const Totals &) const = default;
};

Totals Current() {
  const Catalogue &c = g_catalogue;
  return {c.uniqueItems, c.totalItems, c.projectsCount, c.totalSize, c.unreferencedSize};
}

TEST_F(Linking, LinkBuildsTheIndexesTheProjectTableAndTheTotals) {
  for (uint32_t i = 0; i < 10; ++i) {
    std::wstring name = L"demo" + std::to_wstring(i) + L".omf";
    Add(name.c_str(), L"Demo", MobKey{i + 1, 7}, 100);
  }
  Add(L"other.omf", L"demo", MobKey{50, 7}, 1); // project names differ by case: two projects
  Add(L"noid.omf", L"Demo", MobKey{}, 2);       // media ID 0 but a project: referenced
  Add(L"loose1.omf", L"", MobKey{}, 30);
  Add(L"loose2.omf", L"", MobKey{}, 40);
  MediaRecord *missing = Add(L"missing.omf", L"demo", MobKey{51, 7}, 0, 0);

  ProgressCapture progress;
  Link();
  EXPECT_EQ((Totals{13, 15, 3, 1000 + 1 + 2 + 30 + 40, 70}), Current());
  EXPECT_EQ(0u, missing->linked) << "not on disk";
  EXPECT_STREQ(kUnreferencedFiles, RecordsNamed(L"loose1.omf").at(0)->project);
  EXPECT_STREQ(L"Demo", RecordsNamed(L"noid.omf").at(0)->project);
  EXPECT_EQ(15u, g_catalogue.mediaIdIndex.count);
  EXPECT_EQ(15u, g_catalogue.projectIndex.count);
  EXPECT_EQ(15u, progress.itemTotals.at(0));
  EXPECT_TRUE(progress.HasInfoStartingWith(L"Linking Data: "));

  // One row per exact spelling (the order between "Demo" and "demo" is the system's).
  struct Expected {
    const wchar_t *name;
    uint32_t count;
    uint64_t size;
  };
  for (const Expected &expected : {Expected{kUnreferencedFiles, 2, 70}, Expected{L"Demo", 11, 1002},
                                   Expected{L"demo", 2, 1}}) {
    uint32_t rows = 0;
    for (uint32_t row = 1; row <= 3; ++row) {
      ProjectEntry *entry = g_catalogue.GetProject(row);
      ASSERT_NE(nullptr, entry);
      if (platform::CompareCase(expected.name, entry->firstNode->element->project) != 0) continue;
      ++rows;
      EXPECT_EQ(expected.count, entry->recordCount) << expected.name;
      EXPECT_EQ(expected.size, g_catalogue.ProjectSize(entry)) << expected.name;
    }
    EXPECT_EQ(1u, rows) << expected.name;
  }
  EXPECT_EQ(nullptr, g_catalogue.GetProject(4));

  Link();
  EXPECT_EQ((Totals{13, 15, 3, 1073, 70}), Current()) << "linking again changes nothing";

  EXPECT_EQ(nullptr, g_catalogue.GetProject(0));
  EXPECT_EQ(0u, g_catalogue.ProjectSize(nullptr));
  ProjectEntry *kept = g_catalogue.GetProject(1);
  g_catalogue.ClearCatalogue();
  EXPECT_EQ(nullptr, g_catalogue.GetProject(1));
  EXPECT_EQ(0u, g_catalogue.ProjectSize(kept)) << "a row kept across a clear reads nothing";
}

class AddingMedia : public Linking {
protected:
  // An OMF media file of the kind given, with project and keys.
  fs::path MediaFile(const fs::path &file, OmfMediaKind kind, const std::string &project,
                     MobKey fileMob, MobKey clipMob) {
    OmfMediaSpec plan;
    plan.kind = kind;
    plan.project = project;
    plan.fileMobKey = fileMob;
    plan.clipMobKey = clipMob;
    plan.clipName = "Bin name";
    plan.tapeKey = {9, 9};
    plan.tapeName = "Tape A";
    fs::create_directories(file.parent_path());
    EXPECT_TRUE(WriteFileBytes(file, BuildMediaFile(plan)));
    return file;
  }
};

TEST_F(AddingMedia, TheFourExtensionsAreTakenInEitherCaseAndNothingElse) {
  const fs::path f = dir.path;
  MediaFile(f / "a.omf", OmfMediaKind::Video, "P", {1, 1}, {101, 1});
  MediaFile(f / "b.OMF", OmfMediaKind::Video, "P", {2, 1}, {102, 1});
  MediaFile(f / "c.wav", OmfMediaKind::Wave, "P", {3, 1}, {103, 1});
  MediaFile(f / "d.WAV", OmfMediaKind::Wave, "P", {4, 1}, {104, 1});
  MediaFile(f / "e.aif", OmfMediaKind::Aifc, "P", {5, 1}, {105, 1});
  MediaFile(f / "f.AIF", OmfMediaKind::Aifc, "P", {6, 1}, {106, 1});
  ASSERT_TRUE(WriteSizedFile(f / "g.mxf", 64));
  ASSERT_TRUE(WriteSizedFile(f / "h.MXF", 64));
  MediaFile(f / "i.txt", OmfMediaKind::Video, "P", {9, 1}, {109, 1});
  ASSERT_TRUE(WriteSizedFile(f / "j.mov", 64));
  fs::create_directories(f / "k.omf");
  for (const char *name : {"a.omf", "b.OMF", "c.wav", "d.WAV", "e.aif", "f.AIF", "g.mxf", "h.MXF",
                           "i.txt", "j.mov", "k.omf", "vanished.omf"})
    AddMediaFile((f / name).wstring().c_str());

  // Input of the wrong kind adds nothing: no path, an empty one, a file given as a folder.
  ProgressCapture progress;
  AddMediaFile(nullptr);
  AddMediaFile(L"");
  AddMediaFolder(nullptr);
  AddMediaFolder(L"");
  AddMediaFolder((f / "a.omf").wstring().c_str());
  EXPECT_TRUE(progress.infos.empty()) << "no folder walk started";

  EXPECT_EQ(8u, g_catalogue.records.count);
  EXPECT_TRUE(RecordsNamed(L"i.txt").empty());
  EXPECT_TRUE(RecordsNamed(L"k.omf").empty());

  MediaRecord *a = RecordsNamed(L"a.omf").at(0);
  EXPECT_EQ(1u, a->linked);
  EXPECT_STREQ(L"P", a->project);
  EXPECT_TRUE(MobKeyEqual(MobKey{1, 1}, a->mediaId));
  EXPECT_TRUE(MobKeyEqual(MobKey{101, 1}, a->clipMobKey));
  EXPECT_STREQ(L"Bin name", a->nameInBin);
  EXPECT_STREQ(L"Tape A", a->source);
  EXPECT_EQ(f.wstring(), a->folder);
  EXPECT_EQ(fs::file_size(f / "a.omf"), a->size);
  EXPECT_NE(0u, a->attributes);
  EXPECT_EQ(0, std::memcmp("_WAV", RecordsNamed(L"d.WAV").at(0)->mediaType, 4));

  MediaRecord *mxf = RecordsNamed(L"h.MXF").at(0);
  EXPECT_STREQ(kUnknownMxf, mxf->project);
  EXPECT_EQ(0, std::memcmp("_MXF", mxf->mediaType, 4));
  EXPECT_EQ(0u, mxf->linked);
  EXPECT_EQ(64u, mxf->size);
}

TEST_F(AddingMedia, PlaceholderProjectsAndNamesKnownInAnotherFolder) {
  const fs::path f = dir.path;
  MediaFile(f / "noproject.omf", OmfMediaKind::Video, "", {1, 1}, {101, 1});
  MediaFile(f / "nothing.omf", OmfMediaKind::Video, "", {2, 1}, {0, 0});
  ASSERT_TRUE(WriteSizedFile(f / "broken.wav", 500));
  MediaFile(f / "Other" / "NOPROJECT.OMF", OmfMediaKind::Video, "Q", {3, 1}, {103, 1});
  for (const fs::path &file :
       {f / "noproject.omf", f / "nothing.omf", f / "broken.wav", f / "Other" / "NOPROJECT.OMF"})
    AddMediaFile(file.wstring().c_str());

  EXPECT_EQ(3u, g_catalogue.records.count) << "a name already known is not added again";
  EXPECT_STREQ(kNullProject, RecordsNamed(L"noproject.omf").at(0)->project);
  EXPECT_EQ(f.wstring(), RecordsNamed(L"noproject.omf").at(0)->folder);
  EXPECT_STREQ(kUnknownFiles, RecordsNamed(L"nothing.omf").at(0)->project);
  MediaRecord *broken = RecordsNamed(L"broken.wav").at(0);
  EXPECT_STREQ(kUnknownFiles, broken->project);
  EXPECT_EQ(0u, broken->linked);
  EXPECT_EQ(500u, broken->size);

  Link();
  EXPECT_EQ(3u, g_catalogue.totalItems);
  EXPECT_EQ(2u, g_catalogue.projectsCount);
}

TEST_F(AddingMedia, FolderWalksSkipLinksAndStopOnCancel) {
  const fs::path f = dir.path;
  MediaFile(f / "a.omf", OmfMediaKind::Video, "P", {1, 1}, {101, 1});
  MediaFile(f / "Sub" / "b.wav", OmfMediaKind::Wave, "P", {2, 1}, {102, 1});
  ASSERT_TRUE(WriteSizedFile(f / "Sub" / "c.txt", 5));
  const fs::path link = f / "Sub" / "loop";
  std::string why;
  bool linked = MakeDirectoryLink(link, "..", &why);
  struct LinkGuard {
    fs::path link;
    bool made;
    ~LinkGuard() {
      if (made) RemoveDirectoryLink(link);
    }
  } guard{link, linked};

  {
    ProgressCapture progress;
    LogCapture log;
    AddMediaFolder(f.wstring().c_str());
    EXPECT_EQ(2u, g_catalogue.records.count);
    EXPECT_TRUE(progress.HasInfoStartingWith(f.wstring()));
    if (linked) {
      EXPECT_EQ(std::vector<std::wstring>{L"QEL::AddMedia::Link not followed ::" + link.wstring()},
                log.lines);
    }
  }
  if (!linked) GTEST_SKIP() << "walked without a link (none could be made: " << why << ")";

  g_catalogue.ClearCatalogue();
  ProgressCapture progress;
  progress.cancelAnswer = 1;
  AddMediaFolder(f.wstring().c_str());
  EXPECT_LE(g_catalogue.records.count, 1u) << "stopped after the first step";
}

TEST_F(AddingMedia, APathTooLongIsNamedAndNothingIsAdded) {
  LogCapture log;
  const std::wstring path = dir.path.wstring() + platform::kPathSeparator +
                            std::wstring(platform::kPathBufferChars, L'x') + L".omf";
  AddMediaFile(path.c_str());
  EXPECT_EQ(0u, g_catalogue.records.count);
  ASSERT_EQ(1u, log.lines.size());
  EXPECT_EQ(0u, log.lines[0].find(L"QEL::AddMedia::Path too long::"));
}

TEST_F(AddingMedia, DescribeMediaRecordReadsTheFileAgainAndKeepsTheKeys) {
  MediaFile(dir.path / "a.omf", OmfMediaKind::Video, "P", {1, 1}, {101, 1});
  ASSERT_TRUE(WriteSizedFile(dir.path / "m.mxf", 10));
  AddMediaFile((dir.path / "a.omf").wstring().c_str());
  AddMediaFile((dir.path / "m.mxf").wstring().c_str());
  MediaRecord *a = RecordsNamed(L"a.omf").at(0);
  CopyText(a->nameInBin, L"stale");
  CopyText(a->project, L"Mine");
  a->compressionId = 0;
  a->mediaId = MobKey{77, 77};

  EXPECT_EQ(1, DescribeMediaRecord(a));
  EXPECT_STREQ(L"Bin name", a->nameInBin);
  EXPECT_STREQ(L"Mine", a->project);
  EXPECT_TRUE(MobKeyEqual(MobKey{77, 77}, a->mediaId));
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
