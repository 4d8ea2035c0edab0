// The rows of the duplicate finder: media files that share one media ID. Per media ID, in
// the media ID index's order and walking its group from the newest record to the oldest,
// the first record whose file is on disk is kept and every older one on disk is offered
// for backup. A media ID with fewer than two files on disk, and media ID 0, give no rows.
#pragma once

#include <cstdint>

#include "catalogue/catalogue.h"

// Receives one row: the record, and whether it is offered for backup (checked) or kept.
using DuplicateRowFunction = void (*)(MediaRecord *record, int checked, void *context);

// Calls add for every row in list order and returns the number of rows. Reads the media ID
// index of a linked catalogue and moves its cursor.
uint32_t ListDuplicateRows(Catalogue &catalogue, DuplicateRowFunction add, void *context);
