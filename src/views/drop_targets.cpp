// Drops on the Bases tree and on the Projects list. Both run to their end on the main
// thread with the progress window up; the last dropped item is taken first.
#include "views/drop_targets.h"

#include <shlwapi.h>

#include <cwchar>

#include "catalogue/database_discovery.h"
#include "catalogue/media_linking.h"
#include "window_services/progress.h"
#include "platform/platform.h"
#include "views/info_label.h"
#include "views/bases_tree.h"
#include "views/files_list.h"
#include "views/projects_list.h"
#include "window_services/long_task.h"

namespace {

constexpr UINT kDroppedPathLimit = 258; // characters of a dropped path that are taken

UINT DroppedCount(HDROP drop) {
  return DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
}

// Reads dropped item i into a 260-character buffer. A path longer than the limit would
// arrive cut short and name another file or folder, so it is skipped with a log line.
bool ReadDroppedPath(HDROP drop, UINT i, wchar_t *path) {
  std::wmemset(path, 0, kPathChars);
  UINT length = DragQueryFileW(drop, i, nullptr, 0);
  if (length == 0) return false;
  DragQueryFileW(drop, i, path, kDroppedPathLimit + 1);
  if (length <= kDroppedPathLimit) return true;
  wchar_t line[kPathChars + 96];
  wsprintfW(line, L"QEL::Drop::Skipping a path of %u characters (at most %u): %s...", length,
            kDroppedPathLimit, path);
  platform::LogLine(line);
  return false;
}

// The name ends in "pmr" or "PMR"; other mixes of case are not taken as index files.
bool EndsInPmr(const wchar_t *path) {
  size_t n = std::wcslen(path);
  if (n < 3) return false;
  const wchar_t *end = path + n - 3;
  return std::wcscmp(end, L"pmr") == 0 || std::wcscmp(end, L"PMR") == 0;
}

} // namespace

void OnDatabaseDrop(HDROP drop) {
  LongTask task(L"Drop");
  StoreBaseChecks(); // the user's marks survive the rebuild
  OpenProgress();
  ShowProgress();
  for (UINT i = DroppedCount(drop); i-- > 0;) {
    wchar_t path[kPathChars];
    if (!ReadDroppedPath(drop, i, path)) continue;
    if (PathIsDirectoryW(path))
      ScanFolder(path);
    else if (EndsInPmr(path))
      AddDatabase(path);
  }
  DragFinish(drop);
  CloseProgress();
  FillBasesTree();
}

void OnMediaDrop(HDROP drop) {
  LongTask task(L"Drop");
  OpenProgress();
  ShowProgressCancel();
  ShowProgress();
  UINT remaining = DroppedCount(drop);
  SetProgressOverallTotal(remaining);
  while (remaining > 0 && !ProgressCancelRequested()) {
    SetProgressOverallPos(remaining); // counts down: the items not yet taken
    wchar_t path[kPathChars];
    --remaining;
    if (!ReadDroppedPath(drop, remaining, path)) continue;
    SetProgressInfo(path);
    if (PathIsDirectoryW(path))
      AddMediaFolder(path);
    else
      AddMediaFile(path);
  }
  DragFinish(drop);
  ClearFilesList();
  Link();
  CloseProgress();
  ShowInfoText();
  FillProjectsList();
}
