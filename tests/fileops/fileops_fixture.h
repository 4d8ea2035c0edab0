// Runs of the file operations over real files in a scratch folder, with the questions
// answered from a script, Cancel given at chosen moments, and file calls that fail on
// purpose (platform::SetFileCalls). The scratch folder plays the root of a volume, so the
// backup folder lies inside it.
#pragma once

#include <gtest/gtest.h>

#include <cwchar>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fileops/file_operations.h"
#include "platform/platform.h"
#include "support/log_capture.h"
#include "support/scratch_dir.h"

namespace fileops_test {

namespace fs = std::filesystem;

// What the file calls do wrong in the running test.
struct Faults {
  bool diskFull = false;           // a copy writes half the file, then fails with error 112
  bool cancelMidCopy = false;      // the user confirms Cancel half-way through a copy
  bool otherVolume = false;        // every move has to copy
  bool noVolumeRoot = false;       // no backup folder can be made
  std::wstring deleteFails = {};   // deletes of paths holding this text are refused (error 5)
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

inline std::string ReadAll(const fs::path &file) {
  std::ifstream in(file, std::ios::binary);
  return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "<missing>";
}

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
        std::string bytes = ReadAll(source);
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
    calls.readIdentity = [](const wchar_t *path, platform::FileIdentity *id, uint32_t *error) {
      return Refused(path, faults.identityFails, error) ? 0 : system.readIdentity(path, id, error);
    };
    calls.sameVolume = [](const wchar_t *a, const wchar_t *b) {
      return !faults.otherVolume && system.sameVolume(a, b) ? 1 : 0;
    };
    calls.volumeRoot = [](const wchar_t *, wchar_t(&out)[platform::kPathBufferChars]) {
      if (faults.noVolumeRoot || root.wstring().size() >= platform::kPathBufferChars) return 0;
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
      bool kept = ReadAll(file) == bytes || Logged(L"Deleted::" + file.wstring());
      for (const fs::path &folder : folders)
        kept = kept || ReadAll(folder / file.filename()) == bytes;
      EXPECT_TRUE(kept) << "media lost: " << file;
    }
  }
  bool Logged(const std::wstring &line) const { return log.Count(line) > 0; }
  size_t LoggedStart(const std::wstring &prefix) const {
    size_t n = 0;
    for (const std::wstring &line : log.lines) n += line.rfind(prefix, 0) == 0;
    return n;
  }

  ScratchDir scratch;
  fs::path src = scratch.path / "src", dst = scratch.path / "dst",
           backup = scratch.path / "AVID_Duplicated_Media_";
  Script script;
  LogCapture log;
  std::deque<MediaRecord> records;
  std::vector<std::pair<fs::path, std::string>> media;
  platform::FileCalls previous{};
};

} // namespace fileops_test
