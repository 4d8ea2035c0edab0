#include "catalogue/catalogue.h"

#include <new>

#include "platform/platform.h"

Catalogue g_catalogue;

namespace {

// Databases: by path, without regard to case.
bool DatabaseLess(const DatabaseEntry *key, const DatabaseEntry *stored) {
  return platform::CompareNoCase(key->path, stored->path) < 0;
}
bool DatabaseEqual(const DatabaseEntry *key, const DatabaseEntry *stored) {
  return platform::CompareNoCase(key->path, stored->path) == 0;
}

// Records: by file name, without regard to case; each stored copy knows its own address.
bool RecordLess(const MediaRecord *key, const MediaRecord *stored) {
  return platform::CompareNoCase(key->fileName, stored->fileName) < 0;
}
bool RecordEqual(const MediaRecord *key, const MediaRecord *stored) {
  return platform::CompareNoCase(key->fileName, stored->fileName) == 0;
}
// Reused nodes keep the tails of their last record's texts, which are never read: copying and
// releasing records of several kilobytes whole took a tenth of a reload.
void RecordCopy(MediaRecord *destination, const MediaRecord *source) {
  if (source != nullptr)
    CopyRecord(*destination, *source);
  else
    EmptyRecord(*destination);
  destination->self = destination;
}
void RecordRelease(MediaRecord *record) {
  EmptyRecord(*record);
}

// Both indexes hold record addresses.
void AddressRelease(MediaRecord **address) {
  *address = nullptr;
}
void AddressCopy(MediaRecord **destination, MediaRecord *const *source) {
  *destination = source != nullptr ? *source : nullptr;
}

bool MediaIdLess(MediaRecord *const *key, MediaRecord *const *stored) {
  return MobKeyLess((*key)->mediaId, (*stored)->mediaId);
}
bool MediaIdEqual(MediaRecord *const *key, MediaRecord *const *stored) {
  return MobKeyEqual((*key)->mediaId, (*stored)->mediaId);
}

// Projects are told apart by exact spelling: Demo and demo are two projects.
bool ProjectLess(MediaRecord *const *key, MediaRecord *const *stored) {
  return platform::CompareCase((*key)->project, (*stored)->project) < 0;
}
bool ProjectEqual(MediaRecord *const *key, MediaRecord *const *stored) {
  return platform::CompareCase((*key)->project, (*stored)->project) == 0;
}

} // namespace

Catalogue::Catalogue()
    : databases(kDatabaseGrowth, DatabaseLess, DatabaseEqual, ZeroFillElement<DatabaseEntry>,
                CopyOrZeroElement<DatabaseEntry>),
      records(kRecordGrowth, RecordLess, RecordEqual, RecordRelease, RecordCopy),
      mediaIdIndex(kRecordGrowth, MediaIdLess, MediaIdEqual, AddressRelease, AddressCopy),
      projectIndex(kRecordGrowth, ProjectLess, ProjectEqual, AddressRelease, AddressCopy),
      projectTable(nullptr), entriesCounted(0), uniqueItems(0), totalItems(0), projectsCount(0),
      totalSize(0), unreferencedSize(0) {
  databases.Grow(kDatabaseGrowth);
}

Catalogue::~Catalogue() {
  delete[] projectTable;
  projectTable = nullptr;
  projectIndex.Destroy();
  mediaIdIndex.Destroy();
  records.Destroy();
  databases.Destroy();
}

void Catalogue::ClearCatalogue() {
  records.Clear();
  mediaIdIndex.Clear();
  projectIndex.Clear();
  entriesCounted = 0;
  uniqueItems = 0;
  totalItems = 0;
  projectsCount = 0;
  totalSize = 0;
  unreferencedSize = 0;
}

ProjectEntry *Catalogue::GetProject(uint32_t index) {
  if (index == 0 || index > projectsCount || projectTable == nullptr) return nullptr;
  return &projectTable[index - 1];
}

uint64_t Catalogue::ProjectSize(const ProjectEntry *row) {
  if (row == nullptr) return 0;
  uint64_t sum = 0;
  // A group never holds more records than the index, which bounds a damaged chain.
  uint32_t budget = projectIndex.count;
  for (MediaRecord **r = projectIndex.SetCursor(row->firstNode); r != nullptr && budget > 0;
       r = projectIndex.FindNextEqual(), --budget) {
    if (*r != nullptr) sum += (*r)->size;
  }
  return sum;
}

MediaRecord *Catalogue::NextDuplicateGroup() {
  MediaIdIndex::Node *c = mediaIdIndex.cursor;
  if (c == &mediaIdIndex.sentinel) return nullptr;
  // Climb the chain to its first element, the one in the tree; Next then leaves the group.
  while (c->parent != nullptr && c->parent->nextEqual == c) c = c->parent;
  mediaIdIndex.SetCursor(c);
  MediaRecord **next = mediaIdIndex.Next();
  return next != nullptr ? *next : nullptr;
}

ProjectEntry *Catalogue::ReplaceProjectTable(uint32_t rows) {
  delete[] projectTable;
  projectTable = rows != 0 ? new (std::nothrow) ProjectEntry[rows]() : nullptr;
  return projectTable;
}
