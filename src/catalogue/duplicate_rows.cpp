#include "catalogue/duplicate_rows.h"

namespace {

bool OnDisk(const MediaRecord *record) {
  return record != nullptr && record->attributes != 0;
}

// From the index's cursor, the next older record of the group that is on disk, or none.
MediaRecord *NextOnDisk(MediaIdIndex &index, uint32_t &budget) {
  while (budget > 0) {
    MediaRecord **older = index.FindNextEqual();
    if (older == nullptr) return nullptr;
    --budget;
    if (OnDisk(*older)) return *older;
  }
  return nullptr;
}

} // namespace

uint32_t ListDuplicateRows(Catalogue &catalogue, DuplicateRowFunction add, void *context) {
  MediaIdIndex &index = catalogue.mediaIdIndex;
  uint32_t rows = 0;
  // Every element is stepped over at most once, which bounds a damaged chain.
  uint32_t budget = index.count;
  MediaRecord **first = index.First();
  MediaRecord *newest = first != nullptr ? *first : nullptr;
  while (newest != nullptr && budget > 0) {
    --budget;
    if (!MobKeyIsZero(newest->mediaId)) {
      MediaRecord *keeper = OnDisk(newest) ? newest : NextOnDisk(index, budget);
      MediaRecord *copy = keeper != nullptr ? NextOnDisk(index, budget) : nullptr;
      if (copy != nullptr) {
        add(keeper, 0, context);
        for (; copy != nullptr; copy = NextOnDisk(index, budget)) {
          add(copy, 1, context);
          ++rows;
        }
        ++rows;
      }
    }
    newest = catalogue.NextDuplicateGroup();
  }
  return rows;
}
