#include "catalogue/media_linking.h"

#include <cstring>
#include <cwchar>
#include <initializer_list>

#include "catalogue/catalogue.h"
#include "base/walk_helpers.h"
#include "inspection/media_file_parser.h"
#include "platform/platform.h"

namespace {

constexpr wchar_t kAddMediaTooLong[] = L"QEL::AddMedia::Path too long::";
constexpr wchar_t kAddMediaLink[] = L"QEL::AddMedia::Link not followed";
constexpr wchar_t kDescribeTooLong[] = L"QEL::Describe::Path too long::";

// Calls visit(newest node, group size) for every group of equal elements, in index order.
// Each element is stepped over once, which also bounds a damaged chain.
template <typename Visit> uint32_t ForEachGroup(PooledTree<MediaRecord *> &index, Visit visit) {
  uint32_t groups = 0;
  uint32_t budget = index.count;
  for (MediaRecord **element = index.First(); element != nullptr && budget > 0; ++groups) {
    PooledTree<MediaRecord *>::Node *newest = index.cursor;
    uint32_t size = 1;
    --budget;
    while (budget > 0 && index.FindNextEqual() != nullptr) {
      ++size;
      --budget;
    }
    visit(newest, size);
    element = index.Next(); // from the group's oldest element on to the next group
  }
  return groups;
}

// An index holds the address of every record, so it gets as many nodes as the records.
void ResetIndex(PooledTree<MediaRecord *> &index, uint32_t capacity) {
  index.Clear();
  if (index.capacity < capacity) index.Grow(capacity - index.capacity);
}

bool HasMediaExtension(const wchar_t *path) {
  const wchar_t *extension = platform::ExtensionOf(path);
  for (const wchar_t *known : {L".mxf", L".omf", L".aif", L".wav"})
    if (platform::CompareNoCase(extension, known) == 0) return true;
  return false;
}

// The description that a media file's own header gives, as every caller copies it.
void CopyDescription(MediaRecord *record, const ParserResults &found) {
  std::memcpy(record->mediaType, found.mediaType, sizeof record->mediaType);
  record->compressionId = found.compressionId;
  std::memcpy(record->formatCode, found.formatCode, sizeof record->formatCode);
  record->unitSize = found.unitSize;
  record->clipUsage = found.clipUsage;
  CopyText(record->source, found.sourceName);
  CopyText(record->nameInBin, found.clipName);
}

} // namespace

void Link() {
  Catalogue &catalogue = g_catalogue;
  catalogue.uniqueItems = 0;
  catalogue.projectsCount = 0;
  catalogue.totalSize = 0;
  catalogue.unreferencedSize = 0;
  catalogue.totalItems = catalogue.records.count;
  ResetIndex(catalogue.projectIndex, catalogue.records.capacity);
  ResetIndex(catalogue.mediaIdIndex, catalogue.records.capacity);

  platform::ProgressItemTotal(catalogue.records.count);
  Throttle progress(10);
  uint32_t done = 0;
  uint32_t budget = catalogue.records.count;
  for (MediaRecord *record = catalogue.records.First(); record != nullptr && budget > 0;
       record = catalogue.records.Next(), --budget) {
    catalogue.totalSize += record->size;
    // A record named by an earlier linking is still unreferenced, so that linking again
    // (after a media drop) counts its size again.
    if (MobKeyIsZero(record->mediaId) &&
        (record->project[0] == 0 ||
         platform::CompareCase(record->project, kUnreferencedFiles) == 0)) {
      CopyText(record->project, kUnreferencedFiles);
      catalogue.unreferencedSize += record->size;
    }
    if (record->attributes == 0) record->linked = 0;
    MediaRecord *address = record->self;
    catalogue.projectIndex.Insert(&address);
    address = record->self;
    catalogue.mediaIdIndex.Insert(&address);
    ++done;
    if (progress.Due()) {
      ProgressCount(L"Linking Data: ", done);
      platform::ProgressItemPos(done);
    }
  }

  catalogue.uniqueItems = ForEachGroup(catalogue.mediaIdIndex, [](auto *, uint32_t) {});
  uint32_t projects = ForEachGroup(catalogue.projectIndex, [](auto *, uint32_t) {});
  ProjectEntry *table = catalogue.ReplaceProjectTable(projects);
  if (table == nullptr) return; // no projects, or no memory for the table: none shown
  uint32_t row = 0;
  ForEachGroup(catalogue.projectIndex, [&](ProjectIndex::Node *newest, uint32_t size) {
    if (row >= projects) return;
    table[row].firstNode = newest;
    table[row].viewState = 0;
    table[row].recordCount = size;
    ++row;
  });
  catalogue.projectsCount = row;
}

void AddMediaFile(const wchar_t *path) {
  if (path == nullptr || path[0] == 0 || platform::IsDirectory(path)) return;
  if (!FitsOrReport(path, kAddMediaTooLong)) return;
  platform::FindData found;
  if (!platform::LookUpEntry(path, &found) ||
      (found.attributes & platform::kAttributeDirectory) != 0)
    return;
  if (!HasMediaExtension(path)) return;

  Catalogue &catalogue = g_catalogue;
  MediaRecord key{};
  CopyText(key.folder, path);
  platform::RemoveFileName(key.folder);
  CopyText(key.fileName, found.name);
  if (catalogue.records.Find(&key) != nullptr) return; // a file of that name is known already
  key.attributes = found.attributes;
  key.size = found.size;
  key.created = found.created;

  if (platform::CompareNoCase(platform::ExtensionOf(path), L".mxf") == 0) {
    CopyText(key.project, kUnknownMxf);
    std::memcpy(key.mediaType, "_MXF", sizeof key.mediaType);
    catalogue.records.Insert(&key);
    return;
  }
  MediaFileParser &parser = g_catalogueParser;
  if (parser.OpenMediaFile(path) != 1) {
    CopyText(key.project, kUnknownFiles);
    catalogue.records.Insert(&key);
    return;
  }
  parser.DescribeMediaFile();
  const ParserResults &described = parser.results;
  key.linked = 1;
  CopyText(key.project, described.projectName);
  key.clipMobKey = described.clipMobKey;
  if (key.project[0] == 0)
    CopyText(key.project, MobKeyIsZero(key.clipMobKey) ? kUnknownFiles : kNullProject);
  key.mediaId = described.mediaMobKey;
  CopyDescription(&key, described);
  catalogue.records.Insert(&key);
  parser.ResetParser();
}

void AddMediaFolder(const wchar_t *folder) {
  if (folder == nullptr || folder[0] == 0 || !platform::IsDirectory(folder)) return;
  if (!FitsOrReport(folder, kAddMediaTooLong)) return;
  platform::ProgressInfo(folder);
  platform::FindData entry;
  platform::FindHandle find = platform::FindFirst(folder, L"*.*", 0, &entry);
  if (find == platform::kInvalidFind) return;
  do {
    if (IsDotEntry(entry.name)) continue;
    wchar_t path[platform::kPathBufferChars];
    if (!JoinOrReport(path, folder, entry.name, kAddMediaTooLong)) continue;
    if ((entry.attributes & platform::kAttributeDirectory) == 0)
      AddMediaFile(path);
    else if ((entry.attributes & platform::kAttributeReparsePoint) == 0)
      AddMediaFolder(path);
    else
      ReportAboutPath(kAddMediaLink, nullptr, path); // not followed: it may lead back up
    if (platform::CancelRequested()) break;
  } while (platform::FindNext(find, &entry));
  platform::FindEnd(find);
}

int DescribeMediaRecord(MediaRecord *record) {
  if (record == nullptr || record->fileName[0] == 0 || record->folder[0] == 0) return 0;
  wchar_t path[platform::kPathBufferChars];
  if (!JoinOrReport(path, record->folder, record->fileName, kDescribeTooLong)) return 0;
  size_t length = std::wcslen(path);
  if (length >= 4 && platform::CompareNoCase(path + length - 4, L".mxf") == 0) return 0;
  MediaFileParser &parser = g_catalogueParser;
  int opened = parser.OpenMediaFile(path);
  if (opened == 1) {
    parser.DescribeMediaFile();
    CopyDescription(record, parser.results);
  }
  parser.ResetParser();
  return opened;
}
