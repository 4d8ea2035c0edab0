#include "catalogue/database_discovery.h"

#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

#include "catalogue/catalogue.h"
#include "catalogue/media_linking.h"
#include "catalogue/walk_helpers.h"
#include "formats/pmr_file.h"
#include "inspection/media_file_parser.h"
#include "platform/platform.h"

namespace {

constexpr wchar_t kLoadTooLong[] = L"QEL::Load::Path too long::";
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
    while (index.NextRecord(nullptr, 0) == 1) {
      if (catalogue.entriesCounted < UINT32_MAX - kRecordsSlack) ++catalogue.entriesCounted;
      if (progress.Due()) ProgressCount(L"Number of Records: ", catalogue.entriesCounted);
    }
    index.Close();
  }
  return catalogue.entriesCounted;
}

void ReadEntries(Catalogue &catalogue, PMRFile &index, MediaFileParser &parser, MediaRecord &work) {
  Throttle progress(100);
  for (DatabaseEntry *database = catalogue.databases.First(); database != nullptr;
       database = catalogue.databases.Next()) {
    if (!IsLoaded(database) || !index.OpenIndex(database->path)) continue;
    wchar_t folder[kPathChars];
    DatabaseFolder(database, folder);
    // Without a readable media database the records keep what the index file gives.
    wchar_t mediaDatabase[platform::kPathBufferChars];
    bool described = JoinOrReport(mediaDatabase, folder, L"msmMMOB.mdb", kLoadTooLong) &&
                     parser.OpenMediaFile(mediaDatabase) == 1;
    std::memset(&work, 0, sizeof work);
    while (index.NextRecord(&work, 1) == 1) {
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
      std::memset(&work, 0, sizeof work);
    }
    parser.ResetParser();
    index.Close();
  }
}

// Fills size, attributes and creation time from the files really in each database's folder,
// adding a record for every file that no database lists. 0 when the user cancelled.
int MatchFilesOnDisk(Catalogue &catalogue, MediaRecord &key) {
  Throttle progress(500);
  uint64_t matched = 0;
  for (DatabaseEntry *database = catalogue.databases.First(); database != nullptr;
       database = catalogue.databases.Next()) {
    if (!IsLoaded(database) || !platform::PathExists(database->path)) continue;
    wchar_t folder[kPathChars];
    DatabaseFolder(database, folder);
    platform::FindData entry;
    platform::FindHandle find = platform::FindFirst(folder, L"*.*", 0, &entry);
    if (find == platform::kInvalidFind) continue;
    do {
      if (IsDotEntry(entry.name) || IsDatabaseName(entry.name) ||
          (entry.attributes & platform::kAttributeDirectory) != 0)
        continue;
      std::memset(&key, 0, sizeof key);
      CopyText(key.fileName, entry.name);
      CopyText(key.folder, folder);
      // The same name may be listed in other folders too: take the record of this one.
      MediaRecord *record = catalogue.records.Find(&key);
      while (record != nullptr && platform::CompareNoCase(record->folder, folder) != 0)
        record = catalogue.records.FindNextEqual();
      if (record == nullptr) record = catalogue.records.Insert(&key);
      if (record != nullptr) {
        record->attributes = entry.attributes;
        record->size = entry.size;
        record->created = entry.created;
      }
      ++matched;
      if (progress.Due()) {
        wchar_t info[2 * platform::kPathBufferChars + 2];
        std::swprintf(info, sizeof info / sizeof info[0], L"%ls%lc%ls", folder,
                      platform::kPathSeparator, entry.name);
        platform::ProgressInfo(info);
        platform::ProgressItemPos(matched);
        if (platform::PollUserCancel() == 1) {
          platform::FindEnd(find);
          return 0;
        }
      }
    } while (platform::FindNext(find, &entry));
    platform::FindEnd(find);
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

  // The index reader and the work record are large; one of each serves the whole load.
  std::unique_ptr<PMRFile> index(new (std::nothrow) PMRFile);
  std::unique_ptr<MediaRecord> work(new (std::nothrow) MediaRecord{});
  if (index == nullptr || work == nullptr) return;

  if (CountEntries(catalogue, *index) > 0) {
    catalogue.records.Clear();
    uint32_t wanted = catalogue.entriesCounted + kRecordsSlack;
    if (catalogue.records.capacity < wanted)
      catalogue.records.Grow(wanted - catalogue.records.capacity);
    platform::ProgressItemTotal(wanted);
    platform::ProgressOverallPos(1);
  }

  parser.wholeFileLimit = kDatabaseImageLimit;
  ReadEntries(catalogue, *index, parser, *work);
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
