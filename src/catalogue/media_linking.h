// Linking the catalogue's records: the indexes, the project table and the totals, and the
// media files that are added or described from their own headers.
#pragma once

#include "catalogue/media_record.h"

void Link();                                // indexes, project table and totals from the records
void AddMediaFile(const wchar_t *path);     // one media file that no record names yet
void AddMediaFolder(const wchar_t *folder); // every media file below the folder
// Reads the record's description from its own media file again; 1 when the file was read.
int DescribeMediaRecord(MediaRecord *record);
