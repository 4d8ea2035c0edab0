#include "catalogue/database_discovery.h"

#include <cwchar>
#include <new>

#include "catalogue/catalogue.h"
#include "base/walk_helpers.h"
#include "platform/platform.h"

namespace {

constexpr wchar_t kScanTooLong[] = L"QEL::Scan::Path too long::";
constexpr wchar_t kScanLink[] = L"QEL::Scan::Link not followed";
constexpr wchar_t kMediaFolders[2][16] = {L"OMFI MediaFiles", L"AVID MediaFiles"};
constexpr int kRootAttempts = 8; // drives may come and go between the two questions

// Scans the named media folder at the root that is the current folder, when it is there.
void ScanMediaFolder(const wchar_t *root, const wchar_t *name) {
  if (!platform::SetCurrentFolder(root)) return;
  if (!platform::PathExists(name) || !platform::IsDirectory(name)) return;
  wchar_t folder[platform::kPathBufferChars];
  if (JoinOrReport(folder, root, name, kScanTooLong)) ScanFolder(folder);
}

} // namespace

void AddDatabase(const wchar_t *path) {
  if (path == nullptr || path[0] == 0 || !FitsOrReport(path, kScanTooLong)) return;
  PooledTree<DatabaseEntry> &databases = g_catalogue.databases;
  DatabaseEntry entry{};
  CopyText(entry.path, path);
  if (DatabaseEntry *known = databases.Find(&entry)) {
    known->present = 1;
    return;
  }
  entry.enabled = 1;
  entry.present = 1;
  if (DatabaseEntry *stored = databases.Insert(&entry)) stored->ordinal = databases.count;
}

void ScanFolder(const wchar_t *folder) {
  if (folder == nullptr || folder[0] == 0 || !FitsOrReport(folder, kScanTooLong)) return;
  platform::ProgressInfo(folder);
  platform::FindData entry;
  wchar_t path[platform::kPathBufferChars];

  platform::FindHandle find = platform::FindFirst(folder, L"*.pmr", 0, &entry);
  if (find != platform::kInvalidFind) {
    do {
      if ((entry.attributes & platform::kAttributeDirectory) != 0) continue;
      if (JoinOrReport(path, folder, entry.name, kScanTooLong)) AddDatabase(path);
    } while (platform::FindNext(find, &entry));
    platform::FindEnd(find);
  }

  // Links and junctions are not followed, so one that leads back up cannot loop the walk;
  // each one is named in the log, since media behind it (a mounted volume, a folder synced
  // by a cloud client) is not found.
  find = platform::FindFirst(folder, L"*.??", 1, &entry);
  if (find == platform::kInvalidFind) return;
  do {
    if ((entry.attributes & platform::kAttributeDirectory) == 0 || IsDotEntry(entry.name)) continue;
    if (!JoinOrReport(path, folder, entry.name, kScanTooLong)) continue;
    if ((entry.attributes & platform::kAttributeReparsePoint) != 0)
      ReportAboutPath(kScanLink, nullptr, path);
    else
      ScanFolder(path);
  } while (platform::FindNext(find, &entry));
  platform::FindEnd(find);
}

void ScanDriveRoots(const wchar_t *roots, uint32_t length) {
  if (roots == nullptr || length == 0 || roots[0] == 0) return;
  platform::ProgressTitle(L"Scanning All drives for databases");
  // The walk moves the current folder from root to root; the caller's comes back at the
  // end, so that no drive is left held (a removable one could not be ejected).
  wchar_t previous[platform::kPathBufferChars];
  uint32_t kept = platform::GetCurrentFolder(previous, platform::kPathBufferChars);
  for (uint32_t at = 0; at < length && roots[at] != 0;) {
    const wchar_t *root = roots + at;
    at += static_cast<uint32_t>(std::wcslen(root)) + 1;
    if (!FitsOrReport(root, kScanTooLong)) continue;
    if (!platform::GetDriveSpace(root, nullptr, nullptr, nullptr)) {
      wchar_t line[platform::kPathBufferChars + 24];
      std::swprintf(line, sizeof line / sizeof line[0], L"%ls :: Device not ready", root);
      platform::LogLine(line);
      continue;
    }
    for (const wchar_t *name : kMediaFolders) ScanMediaFolder(root, name);
  }
  if (kept > 0 && kept < platform::kPathBufferChars) platform::SetCurrentFolder(previous);
}

void ScanAllDrives() {
  wchar_t fixed[platform::kPathBufferChars];
  wchar_t *roots = fixed;
  uint32_t capacity = platform::kPathBufferChars;
  uint32_t length = platform::Files().driveRoots(roots, capacity);
  // When the system asks for more room, give it what it asked for and ask again.
  for (int attempt = 0; length >= capacity && attempt < kRootAttempts; ++attempt) {
    if (roots != fixed) delete[] roots;
    capacity = length + 1;
    roots = new (std::nothrow) wchar_t[capacity];
    if (roots == nullptr) return;
    length = platform::Files().driveRoots(roots, capacity);
  }
  if (length < capacity) ScanDriveRoots(roots, length);
  if (roots != fixed) delete[] roots;
}
