#include "fileops_fixture.h"

#include <fstream>
#include <iterator>

namespace fileops_test {
namespace {

Faults g_faults;
Script *g_script = nullptr;
fs::path g_root;
platform::FileCalls g_system;

bool Hits(const wchar_t *path, const std::wstring &text) {
  return !text.empty() && std::wstring(path).find(text) != std::wstring::npos;
}

int Copy(const wchar_t *source, const wchar_t *target, platform::CopyProgress progress,
         void *context, uint32_t *error) {
  if (g_faults.diskFull || g_faults.cancelMidCopy) {
    std::string bytes = ReadAll(source);
    WriteFileBytes(target, bytes.data(), bytes.size() / 2);
    if (g_faults.diskFull) {
      *error = kDiskFull;
      return 0;
    }
    g_script->cancel = true;
    if (progress(context, bytes.size() / 2)) {
      *error = platform::kErrorCancelled;
      return 0;
    }
  }
  return g_system.copyFile(source, target, progress, context, error);
}

int Delete(const wchar_t *path, uint32_t *error) {
  if (!Hits(path, g_faults.deleteFails)) return g_system.deleteFile(path, error);
  *error = kAccessDenied;
  return 0;
}

int Identity(const wchar_t *path, platform::FileIdentity *identity, uint32_t *error) {
  if (!Hits(path, g_faults.identityFails)) return g_system.readIdentity(path, identity, error);
  *error = kAccessDenied;
  return 0;
}

int SameVolume(const wchar_t *a, const wchar_t *b) {
  return !g_faults.otherVolume && g_system.sameVolume(a, b);
}

int VolumeRoot(const wchar_t *, wchar_t (&root)[platform::kPathBufferChars]) {
  if (g_faults.noVolumeRoot || g_root.wstring().size() >= platform::kPathBufferChars) return 0;
  std::wcscpy(root, g_root.wstring().c_str());
  return 1;
}

ConfirmAnswer Ask(void *context, const wchar_t *question) {
  Script &s = *static_cast<Script *>(context);
  s.asked.push_back(question);
  if (s.cancelOnQuestion) s.cancel = true;
  return s.asked.size() <= s.answers.size() ? s.answers[s.asked.size() - 1] : kAnswerCancel;
}

int StopRequested(void *context) {
  Script &s = *static_cast<Script *>(context);
  if (s.rows++ == s.cancelBeforeRow) s.cancel = true;
  return 0;
}

int CancelRequested(void *context) {
  return static_cast<Script *>(context)->cancel ? 1 : 0;
}

void RowChanged(void *context, uint32_t row, const MediaRecord *) {
  static_cast<Script *>(context)->changed.push_back(row);
}

} // namespace

std::string ReadAll(const fs::path &file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void FileOpsTest::SetUp() {
  ASSERT_FALSE(scratch.path.empty());
  src = scratch.path / "src";
  dst = scratch.path / "dst";
  backup = scratch.path / "AVID_Duplicated_Media_";
  fs::create_directories(src);
  fs::create_directories(dst);
  g_faults = {};
  g_script = &script;
  g_root = scratch.path;
  g_system = platform::SystemFileCalls();
  platform::FileCalls calls = g_system;
  calls.copyFile = Copy;
  calls.deleteFile = Delete;
  calls.readIdentity = Identity;
  calls.sameVolume = SameVolume;
  calls.volumeRoot = VolumeRoot;
  previous = platform::SetFileCalls(calls);
}

void FileOpsTest::TearDown() {
  platform::SetFileCalls(previous);
  g_script = nullptr;
  // Read-only files would keep the scratch folder from being removed.
  std::error_code ec;
  for (const auto &entry : fs::recursive_directory_iterator(scratch.path, ec))
    g_system.setAttributes(entry.path().wstring().c_str(), platform::kAttributeArchive, nullptr);
}

MediaRecord *FileOpsTest::AddAlias(const fs::path &file, uint32_t mediaId) {
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

MediaRecord *FileOpsTest::Add(const fs::path &file, const std::string &bytes, uint32_t mediaId,
                              bool readOnly) {
  fs::create_directories(file.parent_path());
  EXPECT_TRUE(WriteFileBytes(file, bytes.data(), bytes.size()));
  if (readOnly)
    g_system.setAttributes(file.wstring().c_str(), platform::kAttributeReadOnly, nullptr);
  media.emplace_back(file, bytes);
  return AddAlias(file, mediaId);
}

void FileOpsTest::Run(FileRunKind kind, const fs::path &targetFolder) {
  std::vector<MediaRecord *> rows;
  for (MediaRecord &r : records) rows.push_back(&r);
  FileRunHost host{&script, Ask, StopRequested, CancelRequested, RowChanged};
  RunFileOperation(kind, rows.data(), static_cast<uint32_t>(rows.size()),
                   targetFolder.wstring().c_str(), host);
}

void FileOpsTest::Backup(const std::vector<BackupRow> &rows) {
  FileRunHost host{&script, Ask, nullptr, nullptr, RowChanged};
  RunBackup(rows.data(), static_cast<uint32_t>(rows.size()), host);
}

void FileOpsTest::SetFaults(const Faults &faults) {
  g_faults = faults;
}

void FileOpsTest::ExpectNoMediaLost(const std::vector<fs::path> &folders) const {
  for (const auto &[file, bytes] : media) {
    bool kept = ReadAll(file) == bytes || Logged(L"Deleted::" + file.wstring());
    for (const fs::path &folder : folders)
      kept = kept || ReadAll(folder / file.filename()) == bytes;
    EXPECT_TRUE(kept) << "media lost: " << file;
  }
}

size_t FileOpsTest::LoggedStart(const std::wstring &prefix) const {
  size_t n = 0;
  for (const std::wstring &line : log.lines) n += line.rfind(prefix, 0) == 0;
  return n;
}

} // namespace fileops_test
