#include "support/media_folders.h"

#include <fstream>
#include <system_error>

#include "support/scratch_dir.h"

PmrEntry IndexEntryFor(const std::string &fileName, const OmfMediaSpec &media) {
  PmrEntry entry;
  entry.name = fileName;
  entry.project = media.project;
  entry.mediaId = media.fileMobKey;
  entry.clipMobKey = media.clipMobKey;
  return entry;
}

bool WriteIndexFile(const std::filesystem::path &file, const std::vector<PmrEntry> &entries,
                    const PmrLayout &layout) {
  PmrWriter writer = PmrBegin(layout);
  for (const PmrEntry &entry : entries) PmrAdd(writer, entry);
  return WriteFileBytes(file, writer.bytes);
}

FolderMedia Media(const char *name, const char *project, uint32_t number, uint64_t size,
                  OmfMediaKind kind) {
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

bool WriteMediaFolder(const std::filesystem::path &folder, const char *indexName,
                      const std::vector<FolderMedia> &media) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  PmrWriter index = PmrBegin();
  std::vector<OmfMediaSpec> described;
  for (const FolderMedia &m : media) {
    PmrAdd(index, IndexEntryFor(m.name, m.plan));
    if (m.inDatabase) described.push_back(m.plan);
    if (!m.onDisk) continue;
    if (m.size != 0 ? !WriteSizedFile(folder / m.name, m.size)
                    : !WriteFileBytes(folder / m.name, BuildMediaFile(m.plan)))
      return false;
  }
  return WriteFileBytes(folder / indexName, index.bytes) &&
         WriteMediaDatabase(folder / "msmMMOB.mdb", described);
}

bool WriteSizedFile(const std::filesystem::path &file, uint64_t size) {
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return false;
  }
  std::error_code error;
  std::filesystem::resize_file(file, size, error);
  return !error;
}
