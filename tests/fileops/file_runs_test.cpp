// Copy, move, delete and backup runs over real files in a scratch folder (the root of their
// volume), with scripted answers, Cancel and failing file calls. No run loses a media byte.
#include <gtest/gtest.h>

#include <cwchar>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "fileops/file_operations.h"
#include "platform/platform.h"
#include "support/log_capture.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

// What the file calls do wrong in the running test.
struct Faults {
  bool diskFull = false;           // a copy writes half the file, then fails with error 112
  bool cancelMidCopy = false;      // the user confirms Cancel half-way through a copy
  bool otherVolume = false;        // every move has to copy
  bool noVolumeRoot = false;       // no backup folder can be made
  std::wstring deleteFails = {};   // deletes of paths holding this text are refused (error 5)
  std::wstring moveFails = {};     // so are moves (renames) of such sources
  std::wstring identityFails = {}; // identities of paths holding this text cannot be read
};

// The host's side of a run: scripted answers, Cancel and the rows reported.
struct Script {
  std::vector<ConfirmAnswer> answers; // beyond the list every question is cancelled
  std::vector<std::wstring> asked;
  bool cancel = false;
  bool cancelOnQuestion = false; // Cancel confirmed while the first question is open
  int cancelBeforeRow = -1;      // Cancel confirmed just before that row starts
  int rows = 0;
  std::vector<uint32_t> changed;
};

class FileOpsTest : public testing::Test {
protected:
  static inline Faults faults;
  static inline Script *current = nullptr;
  static inline fs::path root;
  static inline platform::FileCalls system;

  static int Refused(const wchar_t *path, const std::wstring &text, uint32_t *error) {
    if (text.empty() || std::wstring(path).find(text) == std::wstring::npos) return 0;
    *error = 5; // access denied
    return 1;
  }

  void SetUp() override {
    ASSERT_FALSE(scratch.path.empty());
    fs::create_directories(src);
    fs::create_directories(dst);
    faults = {};
    current = &script;
    root = scratch.path;
    system = platform::SystemFileCalls();
    platform::FileCalls calls = system;
    calls.copyFile = [](const wchar_t *source, const wchar_t *target,
                        platform::CopyProgress progress, void *context, uint32_t *error) {
      if (faults.diskFull || faults.cancelMidCopy) {
        std::string bytes = ReadFileBytes(source);
        WriteFileBytes(target, bytes.data(), bytes.size() / 2);
        if (faults.cancelMidCopy) current->cancel = true;
        if (faults.diskFull || progress(context, bytes.size() / 2)) {
          *error = faults.diskFull ? 112 : platform::kErrorCancelled;
          return 0;
        }
      }
      return system.copyFile(source, target, progress, context, error);
    };
    calls.deleteFile = [](const wchar_t *path, uint32_t *error) {
      return Refused(path, faults.deleteFails, error) ? 0 : system.deleteFile(path, error);
    };
    calls.moveFile = [](const wchar_t *source, const wchar_t *target, uint32_t *error) {
      return Refused(source, faults.moveFails, error) ? 0 : system.moveFile(source, target, error);
    };
    calls.readIdentity = [](const wchar_t *path, platform::FileIdentity *id, uint32_t *error) {
      return Refused(path, faults.identityFails, error) ? 0 : system.readIdentity(path, id, error);
    };
    calls.sameVolume = [](const wchar_t *a, const wchar_t *b) {
      return !faults.otherVolume && system.sameVolume(a, b) ? 1 : 0;
    };
    calls.volumeRoot = [](const wchar_t *, wchar_t(&out)[platform::kPathBufferChars]) {
      if (faults.noVolumeRoot) return 0;
      std::wcscpy(out, root.wstring().c_str());
      return 1;
    };
    previous = platform::SetFileCalls(calls);
  }

  void TearDown() override {
    platform::SetFileCalls(previous);
    current = nullptr;
    // Read-only files would keep the scratch folder from being removed.
    std::error_code ec;
    for (const auto &entry : fs::recursive_directory_iterator(scratch.path, ec))
      system.setAttributes(entry.path().wstring().c_str(), platform::kAttributeArchive, nullptr);
  }

  // A record of an existing file as a scan makes it; alone, a file reached by another path.
  MediaRecord *AddAlias(const fs::path &file, uint32_t mediaId) {
    platform::FindData found{};
    EXPECT_TRUE(platform::LookUpEntry(file.wstring().c_str(), &found)) << file;
    MediaRecord &r = records.emplace_back();
    std::wcsncpy(r.folder, file.parent_path().wstring().c_str(), kPathChars - 1);
    std::wcsncpy(r.fileName, file.filename().wstring().c_str(), kPathChars - 1);
    r.self = &r;
    r.size = found.size;
    r.attributes = found.attributes;
    r.created = found.created;
    r.mediaId = {mediaId, mediaId != 0 ? 0x060A2B34u : 0u};
    return &r;
  }

  // Writes a media file and makes its record.
  MediaRecord *Add(const fs::path &file, const std::string &bytes, uint32_t mediaId = 0,
                   bool readOnly = false) {
    fs::create_directories(file.parent_path());
    EXPECT_TRUE(WriteFileBytes(file, bytes.data(), bytes.size()));
    if (readOnly)
      system.setAttributes(file.wstring().c_str(), platform::kAttributeReadOnly, nullptr);
    media.emplace_back(file, bytes);
    return AddAlias(file, mediaId);
  }

  static ConfirmAnswer Ask(void *context, const wchar_t *question) {
    Script &s = *static_cast<Script *>(context);
    s.asked.push_back(question);
    if (s.cancelOnQuestion) s.cancel = true;
    return s.asked.size() <= s.answers.size() ? s.answers[s.asked.size() - 1] : kAnswerCancel;
  }
  static void RowChanged(void *context, uint32_t row, const MediaRecord *) {
    static_cast<Script *>(context)->changed.push_back(row);
  }

  void Run(FileRunKind kind, const fs::path &targetFolder) {
    std::vector<MediaRecord *> rows;
    for (MediaRecord &r : records) rows.push_back(&r);
    FileRunHost host{&script, Ask,
                     [](void *context) {
                       Script &s = *static_cast<Script *>(context);
                       if (s.rows++ == s.cancelBeforeRow) s.cancel = true;
                       return 0;
                     },
                     [](void *context) { return static_cast<Script *>(context)->cancel ? 1 : 0; },
                     RowChanged};
    RunFileOperation(kind, rows.data(), static_cast<uint32_t>(rows.size()),
                     targetFolder.wstring().c_str(), host);
  }

  void Backup(const std::vector<BackupRow> &rows) {
    FileRunHost host{&script, Ask, nullptr, nullptr, RowChanged};
    RunBackup(rows.data(), static_cast<uint32_t>(rows.size()), host);
  }

  // Every media file written by Add still exists with its bytes at its place or under its
  // own name in one of the folders given, unless the user had it deleted.
  void ExpectNoMediaLost(const std::vector<fs::path> &folders) const {
    for (const auto &[file, bytes] : media) {
      bool kept = ReadFileBytes(file) == bytes || Logged(L"Deleted::" + file.wstring());
      for (const fs::path &folder : folders)
        kept = kept || ReadFileBytes(folder / file.filename()) == bytes;
      EXPECT_TRUE(kept) << "media lost: " << file;
    }
  }
  bool Logged(const std::wstring &line) const { return log.Count(line) > 0; }

  ScratchDir scratch;
  fs::path src = scratch.path / "src", dst = scratch.path / "dst",
           backup = scratch.path / "AVID_Duplicated_Media_";
  Script script;
  LogCapture log;
  std::deque<MediaRecord> records;
  std::vector<std::pair<fs::path, std::string>> media;
  platform::FileCalls previous{};
};

// Runs over two files a.omf and b.omf.
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
  // a.omf's source and target, then b.omf's: "A"/"B" (its bytes), "old", "new" or "-" (none).
  std::string after;
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
  std::string after;
  for (const char *name : names) {
    for (const fs::path &side : {src, dst}) {
      const std::string b = ReadFileBytes(side / name);
      after += (b == bytes[0] ? "A" : b == bytes[1] ? "B" : b == "<missing>" ? "-" : b) + " ";
    }
  }
  EXPECT_EQ(c.after + " ", after);
  for (const std::wstring &line : c.lines) EXPECT_TRUE(Logged(Expand(line))) << Expand(line);
  for (const std::wstring &line : c.absent) EXPECT_FALSE(Logged(Expand(line))) << Expand(line);
  uint32_t attributes = 0;
  platform::Files().getAttributes((src / "a.omf").wstring().c_str(), &attributes);
  EXPECT_TRUE(!(c.setup & kStillReadOnly) || (attributes & platform::kAttributeReadOnly));
  ExpectNoMediaLost({dst});
}

// clang-format off
const Case kCases[] = {
    // The answers and their "to All" forms.
    {"yes_then_skip", FileRunKind::kCopy, {}, {kAnswerYes, kAnswerSkipFile}, kOldTargets, -1, 2,
     "A A B old",
     {L"QEL::Copy::Overwriting", L"QEL::Copy::Skipping", L"Copied::$S|a.omf", L"Skipped::$S|b.omf"}},
    {"yes_to_all_over_read_only_targets", FileRunKind::kCopy, {}, {kAnswerYesToAll},
     kOldTargets | kReadOnlyTargets, -1, 1, "A A B B", {L"Copied::$S|b.omf"}},
    {"skip_all", FileRunKind::kMove, {}, {kAnswerSkipAll}, kOldTargets, -1, 1,
     "A old B old", {L"QEL::Move::Skipping", L"Skipped::$S|b.omf"}},
    {"cancel_ends_the_run", FileRunKind::kCopy, {}, {kAnswerCancel}, kOldTargets, -1, 1,
     "A old B old", {L"Skipped::$S|a.omf"}, {L"Skipped::$S|b.omf"}},
    {"move_renames", FileRunKind::kMove, {}, {}, 0, -1, 0, "- A - B",
     {L"Moved::$S|a.omf", L"Moved::$S|b.omf"}},
    {"delete_asks_read_only_apart", FileRunKind::kDelete, {},
     {kAnswerYesToAll, kAnswerYes, kAnswerSkipFile}, kReadOnly, -1, 3, "- - B -",
     {L"Deleted::$S|a.omf", L"Skipped::$S|b.omf"}},
    // Failures part-way: the run stops, the partial target goes, the source stays.
    {"disk_full_mid_copy", FileRunKind::kCopy, {.diskFull = true}, {}, 0, -1, 0, "A - B -",
     {L"QEL::Copy::CopyFileEx : error 112", L"QEL::Copy::Removed incomplete target::$D|a.omf",
      L"Skipped::$S|a.omf"}, {L"Skipped::$S|b.omf"}},
    {"disk_full_mid_move_to_another_volume", FileRunKind::kMove,
     {.diskFull = true, .otherVolume = true}, {}, 0, -1, 0, "A - B -",
     {L"QEL::Move(CopyFileEx) : error 112", L"QEL::Move::Removed incomplete target::$D|a.omf"}},
    {"cancel_mid_copy", FileRunKind::kCopy, {.cancelMidCopy = true}, {}, 0, -1, 0,
     "A - B -", {L"QEL::Copy::CopyFileEx : error $C", L"Skipped::$S|a.omf"},
     {L"Skipped::$S|b.omf"}},
    {"move_refused_on_one_volume", FileRunKind::kMove, {.moveFails = L"a.omf"}, {}, 0, -1, 0,
     "A - B -", {L"QEL::Move(MoveFileEx) : error 5", L"Skipped::$S|a.omf"}, {L"Moved::$S|a.omf"}},
    {"source_delete_fails_after_copy_to_another_volume", FileRunKind::kMove,
     {.otherVolume = true, .deleteFails = L"src"}, {}, kReadOnly | kStillReadOnly, -1, 0, "A A B -",
     {L"QEL::Move(DeleteFile) : error 5", L"Skipped::$S|a.omf"}, {L"Skipped::$S|b.omf"}},
    {"delete_refused_keeps_read_only", FileRunKind::kDelete, {.deleteFails = L"a.omf"},
     {kAnswerYesToAll, kAnswerYesToAll}, kReadOnly | kStillReadOnly, -1, 2, "A - - -",
     {L"QEL::DeleteFile : error 5", L"Skipped::$S|a.omf", L"Deleted::$S|b.omf"}},
    {"unreadable_identity_asks_nothing", FileRunKind::kCopy, {.identityFails = L"dst"},
     {kAnswerYesToAll}, kOldTargets, -1, 0, "A old B old",
     {L"QEL::Copy(GetFileInformationByHandle) : error 5"}},
    // Cancel never costs the old target.
    {"cancel_before_the_question", FileRunKind::kCopy, {}, {kAnswerYesToAll}, kOldTargets, 0, 0,
     "A old B old", {L"QEL::Copy::CopyFileEx : error $C", L"Skipped::$S|a.omf"}},
    {"cancel_while_the_question_is_open", FileRunKind::kCopy, {}, {kAnswerYes},
     kOldTargets | kCancelOnQuestion, -1, 1, "A old B old",
     {L"Skipped::$S|a.omf"}, {L"QEL::Copy::Overwriting"}},
    {"cancel_between_rows_under_yes_to_all", FileRunKind::kCopy, {}, {kAnswerYesToAll},
     kOldTargets, 1, 1, "A A B old", {L"Copied::$S|a.omf", L"Skipped::$S|b.omf"}},
    {"cancel_while_the_delete_question_is_open", FileRunKind::kDelete, {}, {kAnswerYes},
     kCancelOnQuestion, -1, 1, "A - B -", {L"QEL::DeleteFile : error $C", L"Skipped::$S|a.omf"}},
    // A file replaced since the scan is not the catalogue's file.
    {"delete_of_a_changed_file", FileRunKind::kDelete, {}, {kAnswerYesToAll}, kChangeA, -1, 1,
     "new - - -",
     {L"QEL::Delete::Changed since the scan::$S|a.omf", L"Skipped::$S|a.omf", L"Deleted::$S|b.omf"}},
    {"move_of_a_changed_file", FileRunKind::kMove, {}, {}, kChangeA, -1, 0,
     "new - - B", {L"QEL::Move::Changed since the scan::$S|a.omf", L"Moved::$S|b.omf"}},
    // One file under two paths: the target is the source itself.
    {"hard_linked_target", FileRunKind::kMove, {}, {kAnswerYesToAll}, kHardLinkedA, -1, 0,
     "A A - B", {L"QEL::Move::Source and Target are equal", L"Moved::$S|b.omf"}},
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

// A row whose path does not fit is named and skipped by every run, never reported done.
TEST_F(FileOpsTest, RowsWhosePathsDoNotFitAreNamedAndSkipped) {
  MediaRecord &r = records.emplace_back();
  const std::wstring folder = src.wstring() + std::wstring(kPathChars - 1, L'f');
  std::wcsncpy(r.folder, folder.c_str(), kPathChars - 1);
  std::wcscpy(r.fileName, L"a.omf");
  r.attributes = platform::kAttributeArchive;
  for (FileRunKind kind : {FileRunKind::kCopy, FileRunKind::kMove, FileRunKind::kDelete})
    Run(kind, dst);
  size_t named = 0, skipped = 0;
  for (const std::wstring &line : log.lines) {
    named += line.find(L"::Path too long::" + src.wstring()) != std::wstring::npos;
    skipped += line.starts_with(L"Skipped::" + src.wstring());
  }
  EXPECT_EQ(named, 3u);
  EXPECT_EQ(skipped, 3u);
  EXPECT_TRUE(script.asked.empty());
}

// One media folder reached by two paths lists every file twice: the keeper's own file is
// then among the checked rows, and moving it would also put the genuine duplicate's backup
// up for overwriting. The rows that keep a file may stand before or after the checked one.
class KeeperTest : public FileOpsTest, public testing::WithParamInterface<bool> {};

TEST_P(KeeperTest, BackupLeavesTheKeepersOwnFileInPlace) {
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
  const bool keeperLast = GetParam();
  if (keeperLast)
    Backup({{duplicate, 1}, {own, 1}, {keeper, 0}});
  else
    Backup({{keeper, 0}, {duplicate, 1}, {own, 1}});
  EXPECT_TRUE(Logged(L"QEL::Backup::Same file as the kept copy::" + alias.wstring()));
  EXPECT_TRUE(Logged(L"Skipped::" + (src / "1" / "x.omf").wstring()));
  EXPECT_TRUE(script.asked.empty());
  EXPECT_EQ(ReadFileBytes(src / "1" / "x.omf"), std::string(90, 'K'));
  EXPECT_EQ(ReadFileBytes(backup / "x.omf"), std::string(70, 'D'));
  EXPECT_EQ(script.changed, std::vector<uint32_t>{keeperLast ? 0u : 1u});
  ExpectNoMediaLost({backup});
}

INSTANTIATE_TEST_SUITE_P(ListedFirstOrLast, KeeperTest, testing::Bool());

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
  EXPECT_EQ(ReadFileBytes(src / "2" / "x.omf"), "same");
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
