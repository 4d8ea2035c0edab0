// Copy, move and delete runs over two files a.omf and b.omf, with the user's answers, Cancel
// at chosen moments and failing file calls. After every run no media byte is lost.
#include "fileops_fixture.h"

namespace fileops_test {
namespace {

enum Setup : unsigned {
  kOldTargets = 1,      // a.omf and b.omf already in the target folder
  kReadOnly = 2,        // the sources are read-only
  kReadOnlyTargets = 4, // so are the old targets
  kChangeA = 8,         // a.omf is replaced after the scan
  kCancelOnQuestion = 16,
  kStillReadOnly = 32, // a.omf keeps its read-only attribute
  kHardLinkedA = 64,   // dst/a.omf is a hard link to src/a.omf: one file under two paths
};

struct Case {
  const char *name;
  FileRunKind kind;
  Faults faults;
  std::vector<ConfirmAnswer> answers;
  unsigned setup;
  int cancelBeforeRow;
  size_t questions;
  // a.omf, then b.omf: {source, target} as "A"/"B" (its bytes), "old", "new" or "-" (none).
  const char *after[2][2];
  // Lines logged; "$S|" and "$D|" stand for the source and target folders, "$C" for the
  // code of a cancelled copy.
  std::vector<std::wstring> lines;
  std::vector<std::wstring> absent = {};
};

class FileRunTest : public FileOpsTest, public testing::WithParamInterface<Case> {
protected:
  std::wstring Expand(std::wstring line) const {
    const std::wstring sep(1, platform::kPathSeparator);
    for (auto [mark, with] : {std::pair<std::wstring, std::wstring>{L"$S|", src.wstring() + sep},
                              {L"$D|", dst.wstring() + sep},
                              {L"$C", std::to_wstring(platform::kErrorCancelled)}}) {
      for (size_t at; (at = line.find(mark)) != std::wstring::npos;)
        line.replace(at, mark.size(), with);
    }
    return line;
  }
};

TEST_P(FileRunTest, EndsAsTheUserAskedAndLosesNoMedia) {
  const Case &c = GetParam();
  const std::string bytes[2] = {std::string(3000, 'A'), std::string(2000, 'B')};
  const char *names[2] = {"a.omf", "b.omf"};
  for (int i = 0; i < 2; ++i) {
    Add(src / names[i], bytes[i], 0, (c.setup & kReadOnly) != 0);
    if (c.setup & kOldTargets) {
      ASSERT_TRUE(WriteFileBytes(dst / names[i], "old", 3));
      if (c.setup & kReadOnlyTargets)
        platform::Files().setAttributes((dst / names[i]).wstring().c_str(),
                                        platform::kAttributeReadOnly, nullptr);
    }
  }
  if (c.setup & kChangeA) {
    ASSERT_TRUE(WriteFileBytes(src / "a.omf", "new", 3));
    media[0].second = "new";
  }
  std::error_code ec;
  if (c.setup & kHardLinkedA) fs::create_hard_link(src / "a.omf", dst / "a.omf", ec);
  if (ec) GTEST_SKIP() << "no hard links here: " << ec.message();
  script.answers = c.answers;
  script.cancelBeforeRow = c.cancelBeforeRow;
  script.cancelOnQuestion = (c.setup & kCancelOnQuestion) != 0;
  faults = c.faults;
  Run(c.kind, dst);

  EXPECT_EQ(script.asked.size(), c.questions);
  for (int i = 0; i < 2; ++i) {
    for (int side = 0; side < 2; ++side) {
      std::string want = c.after[i][side];
      if (want == "A" || want == "B") want = bytes[want[0] - 'A'];
      if (want == "-") want = "<missing>";
      EXPECT_EQ(ReadAll((side == 0 ? src : dst) / names[i]), want) << names[i] << " side " << side;
    }
  }
  for (const std::wstring &line : c.lines) EXPECT_TRUE(Logged(Expand(line))) << Expand(line);
  for (const std::wstring &line : c.absent)
    EXPECT_EQ(LoggedStart(Expand(line)), 0u) << Expand(line);
  uint32_t attributes = 0;
  platform::Files().getAttributes((src / "a.omf").wstring().c_str(), &attributes);
  if (c.setup & kStillReadOnly) {
    EXPECT_TRUE(attributes & platform::kAttributeReadOnly) << "read-only bit restored";
  }
  ExpectNoMediaLost({dst});
}

// clang-format off
const Case kCases[] = {
    // The answers and their "to All" forms.
    {"yes_then_skip", FileRunKind::kCopy, {}, {kAnswerYes, kAnswerSkipFile}, kOldTargets, -1, 2,
     {{"A", "A"}, {"B", "old"}},
     {L"QEL::Copy::Overwriting", L"QEL::Copy::Skipping", L"Copied::$S|a.omf", L"Skipped::$S|b.omf"}},
    {"yes_to_all_over_read_only_targets", FileRunKind::kCopy, {}, {kAnswerYesToAll},
     kOldTargets | kReadOnlyTargets, -1, 1, {{"A", "A"}, {"B", "B"}}, {L"Copied::$S|b.omf"}},
    {"skip_all", FileRunKind::kMove, {}, {kAnswerSkipAll}, kOldTargets, -1, 1,
     {{"A", "old"}, {"B", "old"}}, {L"QEL::Move::Skipping", L"Skipped::$S|b.omf"}},
    {"cancel_ends_the_run", FileRunKind::kCopy, {}, {kAnswerCancel}, kOldTargets, -1, 1,
     {{"A", "old"}, {"B", "old"}}, {L"Skipped::$S|a.omf"}, {L"Skipped::$S|b.omf"}},
    {"move_renames", FileRunKind::kMove, {}, {}, 0, -1, 0, {{"-", "A"}, {"-", "B"}},
     {L"Moved::$S|a.omf", L"Moved::$S|b.omf"}},
    {"delete_asks_read_only_apart", FileRunKind::kDelete, {},
     {kAnswerYesToAll, kAnswerYes, kAnswerSkipFile}, kReadOnly, -1, 3, {{"-", "-"}, {"B", "-"}},
     {L"Deleted::$S|a.omf", L"Skipped::$S|b.omf"}},
    // Failures part-way: the run stops, the partial target goes, the source stays.
    {"disk_full_mid_copy", FileRunKind::kCopy, {.diskFull = true}, {}, 0, -1, 0,
     {{"A", "-"}, {"B", "-"}},
     {L"QEL::Copy::CopyFileEx : error 112", L"QEL::Copy::Removed incomplete target::$D|a.omf",
      L"Skipped::$S|a.omf"},
     {L"Skipped::$S|b.omf"}},
    {"disk_full_mid_move_to_another_volume", FileRunKind::kMove,
     {.diskFull = true, .otherVolume = true}, {}, 0, -1, 0, {{"A", "-"}, {"B", "-"}},
     {L"QEL::Move(CopyFileEx) : error 112", L"QEL::Move::Removed incomplete target::$D|a.omf"}},
    {"cancel_mid_copy", FileRunKind::kCopy, {.cancelMidCopy = true}, {}, 0, -1, 0,
     {{"A", "-"}, {"B", "-"}}, {L"QEL::Copy::CopyFileEx : error $C", L"Skipped::$S|a.omf"},
     {L"Skipped::$S|b.omf"}},
    {"source_delete_fails_after_copy_to_another_volume", FileRunKind::kMove,
     {.otherVolume = true, .deleteFails = L"src"}, {}, kReadOnly | kStillReadOnly, -1, 0, {{"A", "A"}, {"B", "-"}},
     {L"QEL::Move(DeleteFile) : error 5", L"Skipped::$S|a.omf"}, {L"Skipped::$S|b.omf"}},
    {"delete_refused_keeps_read_only", FileRunKind::kDelete, {.deleteFails = L"a.omf"},
     {kAnswerYesToAll, kAnswerYesToAll}, kReadOnly | kStillReadOnly, -1, 2, {{"A", "-"}, {"-", "-"}},
     {L"QEL::DeleteFile : error 5", L"Skipped::$S|a.omf", L"Deleted::$S|b.omf"}},
    {"unreadable_identity_asks_nothing", FileRunKind::kCopy, {.identityFails = L"dst"},
     {kAnswerYesToAll}, kOldTargets, -1, 0, {{"A", "old"}, {"B", "old"}},
     {L"QEL::Copy(GetFileInformationByHandle) : error 5"}},
    // Cancel never costs the old target.
    {"cancel_before_the_question", FileRunKind::kCopy, {}, {kAnswerYesToAll}, kOldTargets, 0, 0,
     {{"A", "old"}, {"B", "old"}}, {L"QEL::Copy::CopyFileEx : error $C", L"Skipped::$S|a.omf"}},
    {"cancel_while_the_question_is_open", FileRunKind::kCopy, {}, {kAnswerYes},
     kOldTargets | kCancelOnQuestion, -1, 1, {{"A", "old"}, {"B", "old"}},
     {L"Skipped::$S|a.omf"}, {L"QEL::Copy::Overwriting"}},
    {"cancel_between_rows_under_yes_to_all", FileRunKind::kCopy, {}, {kAnswerYesToAll},
     kOldTargets, 1, 1, {{"A", "A"}, {"B", "old"}}, {L"Copied::$S|a.omf", L"Skipped::$S|b.omf"}},
    {"cancel_while_the_delete_question_is_open", FileRunKind::kDelete, {}, {kAnswerYes},
     kCancelOnQuestion, -1, 1, {{"A", "-"}, {"B", "-"}},
     {L"QEL::DeleteFile : error $C", L"Skipped::$S|a.omf"}},
    // A file replaced since the scan is not the catalogue's file.
    {"delete_of_a_changed_file", FileRunKind::kDelete, {}, {kAnswerYesToAll}, kChangeA, -1, 1,
     {{"new", "-"}, {"-", "-"}},
     {L"QEL::Delete::Changed since the scan::$S|a.omf", L"Skipped::$S|a.omf", L"Deleted::$S|b.omf"}},
    {"move_of_a_changed_file", FileRunKind::kMove, {}, {}, kChangeA, -1, 0,
     {{"new", "-"}, {"-", "B"}}, {L"QEL::Move::Changed since the scan::$S|a.omf", L"Moved::$S|b.omf"}},
    // One file under two paths: the target is the source itself.
    {"hard_linked_target", FileRunKind::kMove, {}, {kAnswerYesToAll}, kHardLinkedA, -1, 0,
     {{"A", "A"}, {"-", "B"}}, {L"QEL::Move::Source and Target are equal", L"Moved::$S|b.omf"}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Runs, FileRunTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case> &info) { return info.param.name; });

// The target named through a folder link is the source itself.
TEST_F(FileOpsTest, SourceReachedThroughALinkIsNeverItsOwnTarget) {
  Add(src / "a.omf", std::string(500, 'A'));
  std::error_code ec;
  fs::create_directory_symlink(src, scratch.path / "link", ec);
  if (ec) GTEST_SKIP() << "no folder links here: " << ec.message();
  records.clear();
  AddAlias(scratch.path / "link" / "a.omf", 0);
  script.answers = {kAnswerYesToAll};
  for (FileRunKind kind : {FileRunKind::kCopy, FileRunKind::kMove}) Run(kind, src);
  EXPECT_TRUE(script.asked.empty());
  EXPECT_TRUE(Logged(L"QEL::Copy::Can not copy file to itself"));
  EXPECT_TRUE(Logged(L"QEL::Move::Source and Target are equal"));
  ExpectNoMediaLost({});
}

} // namespace
} // namespace fileops_test
