// Media records made from the entries of ".pmr" media index files.
#pragma once

#include "catalogue/media_record.h"
#include "formats/pmr_file.h"

// Fills the record's file name, project, media ID and clip mob key from the entry and leaves
// every other field as it is. An entry without a project gets kNullProject.
void RecordFromIndexEntry(const PMRIndexEntry &entry, MediaRecord &record);
