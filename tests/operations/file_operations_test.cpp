// Copy, move and delete runs over real files, with the questions answered as a user would.
// After each run every source's media still exists, at its place or at its target.
#include "operations/file_operations.h"

#include "operations/confirm_dialog.h"
#include "operations_fixture.h"

namespace operations_test {
namespace {

class CopyMoveDeleteTest : public OperationsTest {};

struct ConflictCase {
  const char *name;
  std::vector<int> buttons;
  size_t questions;
  bool overwritten[3];
  bool logged[3]; // a result line for the row
};

TEST_F(CopyMoveDeleteTest, ThreeConflictsFollowTheAnswers) {
  const ConflictCase cases[] = {
      {"yes, skip, yes", {kAnswerYes, kAnswerSkipFile, kAnswerYes}, 3, {1, 0, 1}, {1, 1, 1}},
      {"yes to all", {kAnswerYesToAll}, 1, {1, 1, 1}, {1, 1, 1}},
      {"skip, then skip all", {kAnswerSkipFile, kAnswerSkipAll}, 2, {0, 0, 0}, {1, 1, 1}},
      {"cancel at the second", {kAnswerYes, kAnswerCancel}, 2, {1, 0, 0}, {1, 1, 0}},
  };
  const wchar_t *names[] = {L"a.omf", L"b.omf", L"c.omf"};
  for (const ConflictCase &c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    std::string fresh[3], old[3];
    for (int i = 0; i < 3; ++i) {
      fresh[i] = Media(("new" + std::to_string(i)).c_str());
      old[i] = Media(("old" + std::to_string(i)).c_str(), 100);
      AddMedia(source.wstring(), names[i], fresh[i]);
      ASSERT_TRUE(WriteText(target / names[i], old[i]));
    }
    Answers answers(c.buttons);
    CopySelectedFiles();
    const std::vector<std::wstring> &asked = answers.Finish();
    EXPECT_EQ(asked.size(), c.questions);
    if (!asked.empty()) {
      EXPECT_NE(asked[0].find(L"Are you sure to OVERWRITE\n\nFile:\n " + In(target, names[0]) +
                              L"\n\n With File:\n " + In(source, names[0])),
                std::wstring::npos);
    }
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(ReadAll(source / names[i]), fresh[i]) << i; // a copy never touches its source
      EXPECT_EQ(ReadAll(target / names[i]), c.overwritten[i] ? fresh[i] : old[i]) << i;
      bool logged = LogCount(L"Copied::" + In(source, names[i])) +
                        LogCount(L"Skipped::" + In(source, names[i])) ==
                    1;
      EXPECT_EQ(logged, c.logged[i]) << i;
      EXPECT_EQ(LogCount(L"Copied::" + In(source, names[i])), c.overwritten[i] ? 1u : 0u) << i;
    }
  }
}

TEST_F(CopyMoveDeleteTest, SkipAllLogsEverySkippedConflict) {
  for (const wchar_t *name : {L"a.omf", L"b.omf", L"c.omf"}) {
    AddMedia(source.wstring(), name, Media("src"));
    ASSERT_TRUE(WriteText(target / name, "old"));
  }
  Answers answers({kAnswerSkipAll});
  MoveSelectedFiles();
  EXPECT_EQ(answers.Finish().size(), 1u);
  EXPECT_EQ(LogCount(L"QEL::Move::Skipping"), 3u);
  EXPECT_EQ(LogCount(L"QEL::Move::Overwriting"), 0u);
  EXPECT_EQ(ReadAll(source / "c.omf"), Media("src"));
}

TEST_F(CopyMoveDeleteTest, ReadOnlyTargetIsOverwrittenOnYes) {
  AddMedia(source.wstring(), L"a.omf", Media("new"));
  ASSERT_TRUE(WriteText(target / "a.omf", "old"));
  SetFileAttributesW((target / "a.omf").c_str(), FILE_ATTRIBUTE_READONLY);
  Answers answers({kAnswerYes});
  CopySelectedFiles();
  EXPECT_EQ(answers.Finish().size(), 1u);
  EXPECT_EQ(ReadAll(target / "a.omf"), Media("new"));
  EXPECT_EQ(LogCount(L"QEL::Copy::Overwriting"), 1u);
  EXPECT_EQ(LogCount(L"Copied::" + In(source, L"a.omf")), 1u);
}

TEST_F(CopyMoveDeleteTest, OneFileUnderTwoPathsIsNeverDeleted) {
  std::wstring aliasFolder = ThroughZ(source);
  if (aliasFolder.empty()) GTEST_SKIP() << "no second drive letter for the same folder";
  // The record names the file through Z:, the chosen folder is the same one through C:.
  MediaRecord *record = AddMedia(aliasFolder, L"a.omf", Media("only"));
  g_targetFolder = source.wstring();
  {
    Answers answers({kAnswerYesToAll});
    CopySelectedFiles();
    EXPECT_EQ(answers.Finish().size(), 0u) << "no overwrite question for the file itself";
  }
  EXPECT_EQ(LogCount(L"QEL::Copy::Can not copy file to itself"), 1u);
  {
    Answers answers({kAnswerYesToAll});
    MoveSelectedFiles();
    EXPECT_EQ(answers.Finish().size(), 0u);
  }
  EXPECT_EQ(LogCount(L"QEL::Move::Source and Target are equal"), 1u);
  EXPECT_EQ(LogCount(L"Skipped::" + aliasFolder + L"\\a.omf"), 2u);
  EXPECT_EQ(ReadAll(source / "a.omf"), Media("only"));
  EXPECT_NE(record->attributes, 0u);
}

TEST_F(CopyMoveDeleteTest, CopyOntoItselfIsSkipped) {
  AddMedia(source.wstring(), L"a.omf", Media("x"));
  g_targetFolder = source.wstring();
  CopySelectedFiles();
  EXPECT_EQ(LogCount(L"QEL::Copy::Can not copy file to itself"), 1u);
  EXPECT_EQ(LogCount(L"Skipped::" + In(source, L"a.omf")), 1u);
  EXPECT_EQ(ReadAll(source / "a.omf"), Media("x"));
}

TEST_F(CopyMoveDeleteTest, DeleteAsksTheReadOnlyQuestionSeparately) {
  MediaRecord *first = AddMedia(source.wstring(), L"r1.omf", "1", FILE_ATTRIBUTE_READONLY);
  MediaRecord *second = AddMedia(source.wstring(), L"r2.omf", "2", FILE_ATTRIBUTE_READONLY);
  MediaRecord *plain = AddMedia(source.wstring(), L"n.omf", "3");
  // "Yes to All" on the delete question leaves the read-only question to be asked per file.
  Answers answers({kAnswerYesToAll, kAnswerYes, kAnswerSkipFile});
  DeleteSelectedFiles();
  const std::vector<std::wstring> &asked = answers.Finish();
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_NE(asked[1].find(L"FILE_ATTRIBUTE_READONLY"), std::wstring::npos);
  EXPECT_NE(asked[2].find(L"r2.omf\n\nFILE_ATTRIBUTE_READONLY"), std::wstring::npos);
  EXPECT_FALSE(fs::exists(source / "r1.omf"));
  EXPECT_EQ(ReadAll(source / "r2.omf"), "2");
  EXPECT_FALSE(fs::exists(source / "n.omf"));
  EXPECT_EQ(first->attributes, 0u);
  EXPECT_NE(second->attributes, 0u);
  EXPECT_EQ(plain->attributes, 0u);
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, 0, 2), L"Not Exist");
  EXPECT_EQ(LogCount(L"Skipped::" + In(source, L"r2.omf")), 1u);
}

TEST_F(CopyMoveDeleteTest, DeleteSkipAllOnReadOnlyStillAsksTheDeleteQuestion) {
  AddMedia(source.wstring(), L"r1.omf", "1", FILE_ATTRIBUTE_READONLY);
  AddMedia(source.wstring(), L"r2.omf", "2", FILE_ATTRIBUTE_READONLY);
  Answers answers({kAnswerYes, kAnswerSkipAll, kAnswerYes});
  DeleteSelectedFiles();
  EXPECT_EQ(answers.Finish().size(), 3u);
  EXPECT_EQ(ReadAll(source / "r1.omf"), "1");
  EXPECT_EQ(ReadAll(source / "r2.omf"), "2");
}

TEST_F(CopyMoveDeleteTest, SourceHeldOpenStopsTheRun) {
  AddMedia(source.wstring(), L"a.omf", Media("a"));
  AddMedia(source.wstring(), L"b.omf", Media("b"));
  HANDLE held = CreateFileW(In(source, L"a.omf").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  CopySelectedFiles();
  CloseHandle(held);
  EXPECT_TRUE(LogHas(L"QEL::Copy::CopyFileEx : error 32:"));
  EXPECT_EQ(LogCount(L"Skipped::" + In(source, L"a.omf")), 1u);
  EXPECT_FALSE(LogHas(L"Copied::"));
  EXPECT_FALSE(fs::exists(target / "a.omf"));
  EXPECT_FALSE(fs::exists(target / "b.omf")) << "the run stops after the failed row";
  EXPECT_EQ(ReadAll(source / "a.omf"), Media("a"));
}

// Writes part of the target, then fails as a copy cancelled by the user does.
BOOL WINAPI AbortedCopy(LPCWSTR, LPCWSTR target, LPPROGRESS_ROUTINE, LPVOID, LPBOOL, DWORD) {
  WriteText(fs::path(target), "partial");
  SetLastError(ERROR_REQUEST_ABORTED);
  return FALSE;
}

TEST_F(CopyMoveDeleteTest, AbortedCopyLeavesNoPartialTarget) {
  for (auto run : {CopySelectedFiles, MoveSelectedFiles}) {
    TearDown();
    SetUp();
    g_targetFolder = ThroughZ(target); // another drive letter, so a move copies too
    if (g_targetFolder.empty()) g_targetFolder = target.wstring();
    AddMedia(source.wstring(), L"a.omf", Media("a"));
    AddMedia(source.wstring(), L"b.omf", Media("b"));
    CopyFileRoutine previous = SetCopyFileRoutine(AbortedCopy);
    run();
    SetCopyFileRoutine(previous);
    EXPECT_TRUE(LogHas(L"QEL::Copy::CopyFileEx : error 1235:") ||
                LogHas(L"QEL::Move(CopyFileEx) : error 1235:"));
    EXPECT_TRUE(LogHas(L"QEL::Copy::Removed incomplete target::") ||
                LogHas(L"QEL::Move::Removed incomplete target::"));
    EXPECT_FALSE(fs::exists(target / "a.omf"));
    EXPECT_FALSE(fs::exists(target / "b.omf"));
    EXPECT_EQ(ReadAll(source / "a.omf"), Media("a"));
    EXPECT_EQ(ReadAll(source / "b.omf"), Media("b"));
    EXPECT_FALSE(LogHas(L"Skipped::" + In(source, L"b.omf")));
  }
}

int g_copies = 0;
BOOL WINAPI CountedCopy(LPCWSTR from, LPCWSTR to, LPPROGRESS_ROUTINE progress, LPVOID data,
                        LPBOOL cancel, DWORD flags) {
  ++g_copies;
  return CopyFileExW(from, to, progress, data, cancel, flags);
}

TEST_F(CopyMoveDeleteTest, MoveAcrossDrivesCopiesWithinOneRenames) {
  std::wstring otherDrive = ThroughZ(target);
  if (otherDrive.empty()) GTEST_SKIP() << "no second drive letter";
  MediaRecord *a = AddMedia(source.wstring(), L"a.omf", Media("a"));
  CopyFileRoutine previous = SetCopyFileRoutine(CountedCopy);
  g_copies = 0;
  g_targetFolder = otherDrive;
  MoveSelectedFiles();
  EXPECT_EQ(g_copies, 1);
  EXPECT_EQ(ReadAll(target / "a.omf"), Media("a"));
  EXPECT_FALSE(fs::exists(source / "a.omf"));
  EXPECT_EQ(a->attributes, 0u);
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, 0, 2), L"Not Exist");
  EXPECT_EQ(std::wstring(a->folder), source.wstring()) << "the record keeps its folder";

  ClearFilesList();
  AddMedia(source.wstring(), L"b.omf", Media("b"));
  g_copies = 0;
  g_targetFolder = target.wstring();
  MoveSelectedFiles();
  SetCopyFileRoutine(previous);
  EXPECT_EQ(g_copies, 0) << "a move within one drive is a rename";
  EXPECT_EQ(ReadAll(target / "b.omf"), Media("b"));
  EXPECT_EQ(LogCount(L"Moved::" + In(source, L"b.omf")), 1u);
}

TEST_F(CopyMoveDeleteTest, PathsThatDoNotFitAreSkipped) {
  AddMedia(source.wstring(), L"a.omf", Media("a"));
  std::wstring deep = target.wstring() + L"\\" + std::wstring(255 - target.wstring().size(), L'd');
  g_targetFolder = deep;
  CopySelectedFiles();
  EXPECT_EQ(LogCount(L"QEL::Copy::Path too long::" + deep + L"\\a.omf"), 1u);
  EXPECT_EQ(LogCount(L"Skipped::" + In(source, L"a.omf")), 1u);
  EXPECT_TRUE(fs::is_empty(target));
}

// Disabled: under Wine this run hangs waiting for the answer to the cancel question (the
// question box opens over the progress window, which another thread owns); to be investigated.
TEST_F(CopyMoveDeleteTest, KeyPressedDuringTheRunAsksToStop) {
  AddMedia(source.wstring(), L"a.omf", Media("a"));
  AddMedia(source.wstring(), L"b.omf", Media("b"));
  // A key pressed while the run works is found by the run before its next row.
  PostMessageW(g_shell.mainWindow, WM_KEYDOWN, VK_SPACE, 0);
  Answers answers({IDYES}, L"Do you want to cancel current task?");
  DeleteSelectedFiles();
  EXPECT_EQ(answers.Finish().size(), 1u);
  EXPECT_EQ(Log(), std::vector<std::wstring>{L"Deleting Selected Files:"});
  EXPECT_TRUE(fs::exists(source / "a.omf"));
  EXPECT_TRUE(IsWindowVisible(g_shell.mainWindow)) << "the main window comes back";
}

TEST_F(CopyMoveDeleteTest, NoSelectionOrNoFolderTouchesNothing) {
  AddMedia(source.wstring(), L"a.omf", Media("a"));
  g_targetFolder.clear(); // the folder browser is cancelled
  CopySelectedFiles();
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(IsWindowVisible(g_shell.mainWindow));
}

} // namespace
} // namespace operations_test
