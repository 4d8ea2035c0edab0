#include "catalogue/database_discovery.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

#include "catalogue/catalogue.h"
#include "catalogue/index_records.h"
#include "catalogue/media_linking.h"
#include "base/walk_helpers.h"
#include "formats/pmr_file.h"
#include "inspection/media_file_parser.h"
#include "platform/platform.h"

int g_matchInNameOrder = 1;

namespace {

constexpr wchar_t kLoadTooLong[] = L"QEL::Load::Path too long::";
constexpr wchar_t kDatabaseNotUsed[] = L"QEL::Load::Media database not used::";
constexpr uint32_t kRecordsSlack = 5; // room kept above the counted entries

bool IsLoaded(const DatabaseEntry *database) {
  return database->enabled == 1 && database->present == 1;
}

// The folder that holds a database's index file.
void DatabaseFolder(const DatabaseEntry *database, wchar_t (&folder)[kPathChars]) {
  CopyText(folder, database->path);
  platform::RemoveFileName(folder);
}

// Names that end exactly (letter case included) in ".pmr" or ".mdb" are the databases
// themselves, not media.
bool IsDatabaseName(const wchar_t *name) {
  size_t length = std::wcslen(name);
  if (length < 4) return false;
  const wchar_t *tail = name + length - 4;
  return std::wcscmp(tail, L".pmr") == 0 || std::wcscmp(tail, L".mdb") == 0;
}

uint32_t CountEntries(Catalogue &catalogue, PMRFile &index) {
  Throttle progress(100);
  for (DatabaseEntry *database = catalogue.databases.First(); database != nullptr;
       database = catalogue.databases.Next()) {
    if (!IsLoaded(database) || !index.OpenIndex(database->path)) continue;
    while (index.NextEntry(nullptr, 0) == 1) {
      if (catalogue.entriesCounted < UINT32_MAX - kRecordsSlack) ++catalogue.entriesCounted;
      if (progress.Due()) ProgressCount(L"Number of Records: ", catalogue.entriesCounted);
    }
    index.Close();
  }
  return catalogue.entriesCounted;
}

void ReadEntries(Catalogue &catalogue, PMRFile &index, MediaFileParser &parser, MediaRecord &work,
                 PMRIndexEntry &entry) {
  Throttle progress(100);
  for (DatabaseEntry *database = catalogue.databases.First(); database != nullptr;
       database = catalogue.databases.Next()) {
    if (!IsLoaded(database) || !index.OpenIndex(database->path)) continue;
    wchar_t folder[kPathChars];
    DatabaseFolder(database, folder);
    // Without a usable media database the records keep what the index file gives; one that
    // is there but cannot be used is named in the log with the reason.
    wchar_t mediaDatabase[platform::kPathBufferChars];
    bool described = false;
    if (JoinOrReport(mediaDatabase, folder, L"msmMMOB.mdb", kLoadTooLong)) {
      described = parser.OpenMediaFile(mediaDatabase) == 1 && parser.status == kContainerOpened;
      if (!described && parser.status != kContainerNotFound)
        ReportAboutPath(kDatabaseNotUsed, ContainerStatusText(parser.status), mediaDatabase);
    }
    while (index.NextEntry(&entry, 1) == 1) {
      EmptyRecord(work);
      RecordFromIndexEntry(entry, work);
      work.linked = 1;
      if (described) {
        parser.DescribeDatabaseMob(work.mediaId, work.clipMobKey);
        const ParserResults &found = parser.results;
        std::memcpy(work.mediaType, found.mediaType, sizeof work.mediaType);
        work.compressionId = found.compressionId;
        std::memcpy(work.formatCode, found.formatCode, sizeof work.formatCode);
        work.unitSize = found.unitSize;
        CopyText(work.source, found.sourceName);
        work.clipUsage = found.clipUsage;
        CopyText(work.nameInBin, found.clipName);
      }
      CopyText(work.folder, folder);
      catalogue.records.Insert(&work);
      if (progress.Due()) {
        ProgressCount(L"Getting data for Record No: ", catalogue.records.count);
        platform::ProgressItemPos(catalogue.records.count);
      }
    }
    parser.ResetParser();
    index.Close();
  }
}

// The facts found on disk for a record; a file that no record of this folder names gets a
// record of its own (key holds its name and folder).
void StoreFileFacts(Catalogue &catalogue, MediaRecord *record, MediaRecord &key,
                    const wchar_t *folder, uint32_t attributes, uint64_t size, uint64_t created) {
  if (record == nullptr) {
    // The same name may be listed in other folders too: take the record of this one.
    record = catalogue.records.Find(&key);
    while (record != nullptr && platform::CompareNoCase(record->folder, folder) != 0)
      record = catalogue.records.FindNextEqual();
  }
  if (record == nullptr) record = catalogue.records.Insert(&key);
  if (record != nullptr) {
    record->attributes = attributes;
    record->size = size;
    record->created = created;
  }
}

bool IsMediaEntry(const platform::FindData &entry) {
  return !IsDotEntry(entry.name) && !IsDatabaseName(entry.name) &&
         (entry.attributes & platform::kAttributeDirectory) == 0;
}

// Progress of the matching pass, at most every 500 ms; 0 when the user cancels.
int ReportMatching(Throttle &progress, const wchar_t *folder, const wchar_t *name,
                   uint64_t matched) {
  if (!progress.Due()) return 1;
  wchar_t info[2 * platform::kPathBufferChars + 2];
  std::swprintf(info, sizeof info / sizeof info[0], L"%ls%lc%ls", folder, platform::kPathSeparator,
                name);
  platform::ProgressInfo(info);
  platform::ProgressItemPos(matched);
  return platform::PollUserCancel() == 1 ? 0 : 1;
}

// A media folder's files as listed, so that they can be looked up in name order before they
// are matched in the listed order: consecutive names meet the same nodes of the records
// tree, where names in the order of the listing (hash order on many file systems) miss the
// processor's cache at nearly every level of a large tree.
struct ListedFile {
  size_t nameAt; // in the name pool
  uint32_t attributes;
  uint64_t size;
  uint64_t created;
  MediaRecord *record; // this folder's record of that name before the pass, or none
};

struct FolderListing {
  ListedFile *files = nullptr;
  uint32_t *order = nullptr; // indexes of files by name
  size_t count = 0, capacity = 0;
  wchar_t *names = nullptr;
  size_t used = 0, room = 0;

  FolderListing() = default;
  FolderListing(const FolderListing &) = delete;
  FolderListing &operator=(const FolderListing &) = delete;
  ~FolderListing() {
    std::free(files);
    std::free(order);
    std::free(names);
  }

  // 0 when memory ran out.
  int Add(const platform::FindData &entry) {
    const size_t length = std::wcslen(entry.name) + 1;
    if (count == capacity &&
        !Grow(reinterpret_cast<void **>(&files), &capacity, sizeof(ListedFile), count + 1))
      return 0;
    if (room - used < length &&
        !Grow(reinterpret_cast<void **>(&names), &room, sizeof(wchar_t), used + length))
      return 0;
    std::memcpy(names + used, entry.name, length * sizeof(wchar_t));
    files[count++] = ListedFile{used, entry.attributes, entry.size, entry.created, nullptr};
    used += length;
    return 1;
  }

  const wchar_t *Name(size_t i) const { return names + files[i].nameAt; }

  int SortByName() {
    uint32_t *grown = static_cast<uint32_t *>(std::realloc(order, (count + 1) * sizeof(uint32_t)));
    if (grown == nullptr) return 0;
    order = grown;
    for (size_t i = 0; i < count; ++i) order[i] = static_cast<uint32_t>(i);
    std::sort(order, order + count, [this](uint32_t a, uint32_t b) {
      return platform::CompareNoCase(Name(a), Name(b)) < 0;
    });
    return 1;
  }

  static int Grow(void **block, size_t *slots, size_t size, size_t needed) {
    size_t wanted = *slots < 64 ? 64 : 2 * *slots;
    if (wanted < needed) wanted = needed;
    void *grown = std::realloc(*block, wanted * size);
    if (grown == nullptr) return 0;
    *block = grown;
    *slots = wanted;
    return 1;
  }
};

// Lists folder into listing and finds, in name order, the record of this folder that each
// file already has. A file that gets a record during the pass is looked up again then: only
// a file of the same name (ignoring case) can have added it. 0 when the folder cannot be
// listed or memory ran out (nothing is changed then).
int ListAndLookUp(Catalogue &catalogue, const wchar_t *folder, FolderListing &listing,
                  MediaRecord &key) {
  listing.count = 0;
  listing.used = 0;
  platform::FindData entry;
  platform::FindHandle find = platform::FindFirst(folder, L"*.*", 0, &entry);
  if (find == platform::kInvalidFind) return 1;
  int ok = 1;
  do {
    if (IsMediaEntry(entry)) ok = listing.Add(entry);
  } while (ok && platform::FindNext(find, &entry));
  platform::FindEnd(find);
  if (!ok || !listing.SortByName()) return 0;
  catalogue.records.SetCursor(nullptr);
  for (size_t k = 0; k < listing.count; ++k) {
    ListedFile &file = listing.files[listing.order[k]];
    CopyText(key.fileName, listing.names + file.nameAt);
    MediaRecord *record = catalogue.records.FindInOrder(&key);
    while (record != nullptr && platform::CompareNoCase(record->folder, folder) != 0)
      record = catalogue.records.FindNextEqual();
    file.record = record;
  }
  return 1;
}

// Matching one folder's files one by one as the folder lists them; 0 when the user
// cancelled.
int MatchFolderAsListed(Catalogue &catalogue, const wchar_t *folder, MediaRecord &key,
                        Throttle &progress, uint64_t &matched) {
  platform::FindData entry;
  platform::FindHandle find = platform::FindFirst(folder, L"*.*", 0, &entry);
  if (find == platform::kInvalidFind) return 1;
  do {
    if (!IsMediaEntry(entry)) continue;
    EmptyRecord(key);
    CopyText(key.fileName, entry.name);
    CopyText(key.folder, folder);
    StoreFileFacts(catalogue, nullptr, key, folder, entry.attributes, entry.size, entry.created);
    ++matched;
    if (!ReportMatching(progress, folder, entry.name, matched)) {
      platform::FindEnd(find);
      return 0;
    }
  } while (platform::FindNext(find, &entry));
  platform::FindEnd(find);
  return 1;
}

// Fills size, attributes and creation time from the files really in each database's folder,
// adding a record for every file that no database lists. 0 when the user cancelled.
int MatchFilesOnDisk(Catalogue &catalogue, MediaRecord &key) {
  Throttle progress(500);
  uint64_t matched = 0;
  FolderListing listing;
  for (DatabaseEntry *database = catalogue.databases.First(); database != nullptr;
       database = catalogue.databases.Next()) {
    if (!IsLoaded(database) || !platform::PathExists(database->path)) continue;
    wchar_t folder[kPathChars];
    DatabaseFolder(database, folder);
    EmptyRecord(key);
    if (!g_matchInNameOrder || !ListAndLookUp(catalogue, folder, listing, key)) {
      if (!MatchFolderAsListed(catalogue, folder, key, progress, matched)) return 0;
      continue;
    }
    for (size_t i = 0; i < listing.count; ++i) {
      const ListedFile &file = listing.files[i];
      if (file.record == nullptr) {
        EmptyRecord(key);
        CopyText(key.fileName, listing.Name(i));
        CopyText(key.folder, folder);
      }
      StoreFileFacts(catalogue, file.record, key, folder, file.attributes, file.size, file.created);
      ++matched;
      if (!ReportMatching(progress, folder, listing.Name(i), matched)) return 0;
    }
  }
  return 1;
}

} // namespace

void LoadAll() {
  Catalogue &catalogue = g_catalogue;
  MediaFileParser &parser = g_catalogueParser;
  catalogue.ClearCatalogue();
  parser.EnsureTocBuffer();
  platform::ProgressOverallTotal(10);

  // The index reader, its entry and the work record are large; one of each serves the whole
  // load.
  std::unique_ptr<PMRFile> index(new (std::nothrow) PMRFile);
  std::unique_ptr<PMRIndexEntry> entry(new (std::nothrow) PMRIndexEntry{});
  std::unique_ptr<MediaRecord> work(new (std::nothrow) MediaRecord{});
  if (index == nullptr || entry == nullptr || work == nullptr) return;

  if (CountEntries(catalogue, *index) > 0) {
    catalogue.records.Clear();
    uint32_t wanted = catalogue.entriesCounted + kRecordsSlack;
    if (catalogue.records.capacity < wanted)
      catalogue.records.Grow(wanted - catalogue.records.capacity);
    platform::ProgressItemTotal(wanted);
    platform::ProgressOverallPos(1);
  }

  parser.wholeFileLimit = kDatabaseImageLimit;
  ReadEntries(catalogue, *index, parser, *work, *entry);
  parser.wholeFileLimit = 0;
  parser.ReleaseParserMemory();
  platform::ProgressItemPos(0);
  platform::ProgressOverallPos(2);
  platform::ProgressOverallPos(5);
  platform::ProgressItemTotal(catalogue.records.capacity);

  if (!MatchFilesOnDisk(catalogue, *work)) {
    catalogue.ClearCatalogue(); // a cancelled load leaves nothing half-matched behind
    return;
  }
  platform::ProgressOverallPos(9);
  Link();
}
