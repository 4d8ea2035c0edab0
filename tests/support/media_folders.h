// Media folders on disk for the tests, the demo drive and the benchmarks: ".pmr" index
// files, the media database "msmMMOB.mdb" beside them, and media files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/omf_media.h"
#include "support/pmr_writer.h"

// One media of a folder: listed by the folder's index file, described by its database unless
// inDatabase is false, and on disk unless onDisk is false: as the OMF media file it is, or as
// a file of size bytes when size is not 0.
struct FolderMedia {
  std::string name;
  OmfMediaSpec plan;
  bool inDatabase = true;
  bool onDisk = true;
  uint64_t size = 0;
};

// A media of a project with keys derived from a number unique across the test; size 0 writes
// the OMF media file itself.
FolderMedia Media(const char *name, const char *project, uint32_t number, uint64_t size = 0,
                  OmfMediaKind kind = OmfMediaKind::Video);

// Writes the folder (made when absent): the index file listing every media, the database of
// those it describes and the files on disk. False when a file could not be written.
bool WriteMediaFolder(const std::filesystem::path &folder, const char *indexName,
                      const std::vector<FolderMedia> &media);

// The index entry that names fileName with the media's project and keys.
PmrEntry IndexEntryFor(const std::string &fileName, const OmfMediaSpec &media);

bool WriteIndexFile(const std::filesystem::path &file, const std::vector<PmrEntry> &entries,
                    const PmrLayout &layout = PmrLayout{});

// A file of size bytes whose content does not matter (loading never opens media files);
// sparse where the file system allows.
bool WriteSizedFile(const std::filesystem::path &file, uint64_t size);
