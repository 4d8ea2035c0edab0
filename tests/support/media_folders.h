// Media folders on disk for the tests, the demo drive and the benchmarks: ".pmr" index
// files, the media database "msmMMOB.mdb" beside them, and media files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "support/omf_media.h"
#include "support/pmr_writer.h"
#include "support/scratch_dir.h"

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
inline FolderMedia Media(const char *name, const char *project, uint32_t number, uint64_t size = 0,
                         OmfMediaKind kind = OmfMediaKind::Video) {
  FolderMedia m;
  m.name = name;
  m.size = size;
  m.plan.kind = kind;
  m.plan.project = project;
  m.plan.clipName = std::string("Clip of ") + name;
  m.plan.fileMobKey = {0x100 + number, 0x060A2B34};
  m.plan.clipMobKey = {0x200 + number, 0x060A2B34};
  m.plan.tapeKey = {0x300 + number % 2, 0x060A2B34};
  m.plan.tapeName = number % 2 == 0 ? "Tape A" : "Tape B";
  return m;
}

inline PmrEntry IndexEntryFor(const std::string &fileName, const OmfMediaSpec &media) {
  return PmrEntry{fileName, media.project, media.fileMobKey, media.clipMobKey};
}

inline bool WriteIndexFile(const std::filesystem::path &file, const std::vector<PmrEntry> &entries,
                           const PmrLayout &layout = PmrLayout{}) {
  PmrWriter writer = PmrBegin(layout);
  for (const PmrEntry &entry : entries) PmrAdd(writer, entry);
  return WriteFileBytes(file, writer.bytes);
}

// A file of size bytes whose content does not matter (loading never opens media files);
// sparse where the file system allows.
inline bool WriteSizedFile(const std::filesystem::path &file, uint64_t size) {
  if (!std::ofstream(file, std::ios::binary | std::ios::trunc)) return false;
  std::error_code error;
  std::filesystem::resize_file(file, size, error);
  return !error;
}

// Writes the folder (made when absent): the index file listing every media, the database of
// those it describes and the files on disk. False when a file could not be written.
inline bool WriteMediaFolder(const std::filesystem::path &folder, const char *indexName,
                             const std::vector<FolderMedia> &media) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  std::vector<PmrEntry> entries;
  std::vector<OmfMediaSpec> described;
  for (const FolderMedia &m : media) {
    entries.push_back(IndexEntryFor(m.name, m.plan));
    if (m.inDatabase) described.push_back(m.plan);
    if (!m.onDisk) continue;
    if (m.size != 0 ? !WriteSizedFile(folder / m.name, m.size)
                    : !WriteFileBytes(folder / m.name, BuildMediaFile(m.plan)))
      return false;
  }
  return WriteIndexFile(folder / indexName, entries) &&
         WriteMediaDatabase(folder / "msmMMOB.mdb", described);
}
