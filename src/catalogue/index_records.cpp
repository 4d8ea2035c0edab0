#include "catalogue/index_records.h"

#include "base/walk_helpers.h"

static_assert(kPmrNameBytes <= kPathChars && kPmrProjectBytes + 1 <= kProjectChars,
              "every index entry's texts fit in a record");

void RecordFromIndexEntry(const PMRIndexEntry &entry, MediaRecord &record) {
  CopyText(record.fileName, entry.fileName);
  CopyText(record.project, entry.project[0] != 0 ? entry.project : kNullProject);
  record.mediaId = entry.mediaId;
  record.clipMobKey = entry.clipMobKey;
}
