// The in-memory model of everything the system knows: the media databases, one record per
// media file, the indexes by media ID and by project, the project table and the totals.
// There is one Catalogue, g_catalogue, living for the whole process; it is used from the
// main thread only.
#pragma once

#include <cstdint>

#include "catalogue/media_record.h"
#include "base/pooled_tree.h"

// Indexes over the stored records hold their addresses.
using MediaIdIndex = PooledTree<MediaRecord *>; // by media ID, high half first
using ProjectIndex = PooledTree<MediaRecord *>; // by project name, case-sensitive

// One row of the project table, in project order.
struct ProjectEntry {
  ProjectIndex::Node *firstNode; // holds the project's newest record; the group runs to older ones
  uint32_t viewState;            // 0 after linking; owned by the views
  uint32_t recordCount;
};

inline constexpr uint32_t kDatabaseGrowth = 100;
inline constexpr uint32_t kRecordGrowth = 2000;

struct Catalogue {
  PooledTree<DatabaseEntry> databases; // never cleared, so NodeAt(ordinal - 1) finds an entry
  PooledTree<MediaRecord> records;
  MediaIdIndex mediaIdIndex;
  ProjectIndex projectIndex;
  ProjectEntry *projectTable; // projectsCount rows; none until the first linking
  uint32_t entriesCounted;    // entries counted by the last load's first pass
  uint32_t uniqueItems;       // distinct media IDs (all records with media ID 0 count as one)
  uint32_t totalItems;
  uint32_t projectsCount;
  uint64_t totalSize;
  uint64_t unreferencedSize; // sizes of the records named "**UNREFERENCED_FILES"

  Catalogue();
  ~Catalogue();
  Catalogue(const Catalogue &) = delete;
  Catalogue &operator=(const Catalogue &) = delete;

  // Empties the records and both indexes and zeroes the counters; the databases and the
  // project table stay (the table is unreachable through GetProject until relinked).
  void ClearCatalogue();

  // Row index (1-based) of the project table, or none for 0 or past the projects count.
  ProjectEntry *GetProject(uint32_t index);

  // Sum of the sizes of the row's records; 0 for none. Moves the project index's cursor.
  uint64_t ProjectSize(const ProjectEntry *row);

  // From the media ID index's cursor, skips the rest of its group and returns the newest
  // record of the next group, or none at the end. Starting from mediaIdIndex.First(),
  // repeated calls visit every group once.
  MediaRecord *NextDuplicateGroup();

  // Frees the project table and makes a zero-filled one of rows rows (none for 0).
  // Returns the new table, or none when it could not be allocated; projectsCount is the
  // caller's to set.
  ProjectEntry *ReplaceProjectTable(uint32_t rows);
};

extern Catalogue g_catalogue;
