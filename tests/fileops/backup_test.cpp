// The backup of duplicates into "AVID_Duplicated_Media_" at the root of each file's volume
// (here the scratch folder).
#include "fileops_fixture.h"

namespace fileops_test {
namespace {

// One media folder reached by two paths lists every file twice: the keeper's own file is
// then among the checked rows, and moving it would also put the genuine duplicate's backup
// up for overwriting.
TEST_F(FileOpsTest, BackupLeavesTheKeepersOwnFileInPlace) {
  MediaRecord *own = Add(src / "1" / "x.omf", std::string(90, 'K'), 5);
  MediaRecord *duplicate = Add(src / "2" / "x.omf", std::string(70, 'D'), 5);
  std::error_code ec;
  fs::create_directory_symlink(src / "1", scratch.path / "alias", ec);
  if (ec) { // a hard link in another folder is one file under two paths too
    fs::create_directories(scratch.path / "alias");
    ec.clear();
    fs::create_hard_link(src / "1" / "x.omf", scratch.path / "alias" / "x.omf", ec);
  }
  if (ec) GTEST_SKIP() << "no links here: " << ec.message();
  const fs::path alias = scratch.path / "alias" / "x.omf";
  MediaRecord *keeper = AddAlias(alias, 5);
  script.answers = {kAnswerYesToAll};
  Backup({{keeper, 0}, {duplicate, 1}, {own, 1}});
  EXPECT_TRUE(Logged(L"QEL::Backup::Same file as the kept copy::" + alias.wstring()));
  EXPECT_TRUE(Logged(L"Skipped::" + (src / "1" / "x.omf").wstring()));
  EXPECT_TRUE(script.asked.empty());
  EXPECT_EQ(ReadAll(src / "1" / "x.omf"), std::string(90, 'K'));
  EXPECT_EQ(ReadAll(backup / "x.omf"), std::string(70, 'D'));
  EXPECT_EQ(script.changed, std::vector<uint32_t>{1});
  ExpectNoMediaLost({backup});
}

TEST_F(FileOpsTest, BackupOfASecondFileOfOneNameAsksFirst) {
  MediaRecord *keeper = Add(src / "k.omf", "same", 7);
  MediaRecord *first = Add(src / "1" / "x.omf", "same", 7);
  MediaRecord *second = Add(src / "2" / "x.omf", "same", 7);
  MediaRecord *inside = Add(backup / "in.omf", "same", 7);
  script.answers = {kAnswerSkipFile};
  Backup({{keeper, 0}, {first, 1}, {second, 1}, {inside, 1}});
  ASSERT_EQ(script.asked.size(), 1u);
  EXPECT_EQ(script.asked[0], L"Are you sure to OVERWRITE\n\nFile:\n " +
                                 (backup / "x.omf").wstring() + L"\n\n With File:\n " +
                                 (src / "2" / "x.omf").wstring());
  EXPECT_TRUE(Logged(L"QEL::Backup::Skipping"));
  EXPECT_TRUE(Logged(L"Backuped::" + (src / "1" / "x.omf").wstring()));
  EXPECT_TRUE(Logged(L"QEL::Backup::Source and Target are equal"));
  EXPECT_EQ(ReadAll(src / "2" / "x.omf"), "same");
  EXPECT_EQ(first->attributes, 0u);
  EXPECT_NE(second->attributes, 0u);
  ExpectNoMediaLost({backup});
}

// Whatever cannot be checked, or may be another file than the scanned one, stays in place.
TEST_F(FileOpsTest, BackupMovesNothingItCannotCheck) {
  MediaRecord *keeper = Add(src / "k.omf", std::string(300, 'k'), 3);
  MediaRecord *duplicate = Add(src / "2" / "x.omf", std::string(300, 'k'), 3);
  const struct {
    Faults faults;
    bool change;
    std::wstring line;
  } cases[] = {
      {{.identityFails = L"k.omf"}, false, L"QEL::Backup(GetFileInformationByHandle) : error 5"},
      {{.identityFails = L"x.omf"}, false, L"QEL::Backup(GetFileInformationByHandle) : error 5"},
      {{.noVolumeRoot = true}, false, L"QEL::Backup::Aborted::Can Not Create Path"},
      {{}, true, L"QEL::Backup::Changed since the scan::" + (src / "2" / "x.omf").wstring()},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.line);
    log.lines.clear();
    faults = c.faults;
    if (c.change) {
      ASSERT_TRUE(WriteFileBytes(src / "2" / "x.omf", "new", 3));
      media[1].second = "new";
    }
    Backup({{keeper, 0}, {duplicate, 1}});
    EXPECT_TRUE(Logged(c.line));
    EXPECT_FALSE(fs::exists(backup / "x.omf"));
    ExpectNoMediaLost({});
  }
}

} // namespace
} // namespace fileops_test
