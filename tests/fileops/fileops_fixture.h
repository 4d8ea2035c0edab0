// Runs of the file operations over real files in a scratch folder, with the questions
// answered from a script, Cancel given at chosen moments, and file calls that fail on
// purpose (platform::SetFileCalls). The scratch folder plays the root of a volume, so the
// backup folder lies inside it.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "fileops/file_operations.h"
#include "platform/platform.h"
#include "support/log_capture.h"
#include "support/scratch_dir.h"

namespace fileops_test {

namespace fs = std::filesystem;

constexpr uint32_t kDiskFull = 112;
constexpr uint32_t kAccessDenied = 5;

// What the file calls do wrong in the running test.
struct Faults {
  bool diskFull = false;           // a copy writes half the file, then fails with kDiskFull
  bool cancelMidCopy = false;      // the user confirms Cancel half-way through a copy
  bool otherVolume = false;        // every move has to copy
  bool noVolumeRoot = false;       // no backup folder can be made
  std::wstring deleteFails = {};   // deletes of paths holding this text are refused
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

std::string ReadAll(const fs::path &file);

class FileOpsTest : public testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Writes a media file and makes its record as a scan would.
  MediaRecord *Add(const fs::path &file, const std::string &bytes, uint32_t mediaId = 0,
                   bool readOnly = false);
  // A record of an existing file reached by another path (a link); no bytes of its own.
  MediaRecord *AddAlias(const fs::path &file, uint32_t mediaId);
  void Run(FileRunKind kind, const fs::path &targetFolder);
  void Backup(const std::vector<BackupRow> &rows);
  void SetFaults(const Faults &faults);
  // Every media file written by Add still exists with its bytes at its place or under
  // its own name in one of the folders given, unless the user had it deleted.
  void ExpectNoMediaLost(const std::vector<fs::path> &folders) const;
  bool Logged(const std::wstring &line) const { return log.Count(line) > 0; }
  size_t LoggedStart(const std::wstring &prefix) const;

  ScratchDir scratch;
  fs::path src, dst, backup;
  Script script;
  LogCapture log;
  std::deque<MediaRecord> records;
  std::vector<std::pair<fs::path, std::string>> media;
  platform::FileCalls previous{};
};

} // namespace fileops_test
