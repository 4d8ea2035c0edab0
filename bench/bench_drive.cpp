#include "bench_drive.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/media_folders.h"

namespace fs = std::filesystem;

fs::path BenchDataRoot() {
  const char *chosen = std::getenv("ORVALIS_BENCH_DATA");
  return chosen != nullptr && chosen[0] != 0 ? fs::path(chosen)
                                             : fs::temp_directory_path() / "orvalis-loading-bench";
}

fs::path BenchDrivePath(const BenchDrive &drive) {
  return BenchDataRoot() /
         ("drive-" + std::to_string(drive.folders) + "x" + std::to_string(drive.filesPerFolder) +
          "-" + std::to_string(drive.tocEntriesPerMedia));
}

fs::path BenchMediaFolder(const fs::path &root, uint32_t folder) {
  return root / "Avid MediaFiles" / "MXF" / std::to_string(folder + 1);
}

fs::path PrepareBenchDrive(const BenchDrive &drive) {
  const fs::path root = BenchDrivePath(drive);
  const fs::path stamp = root / "complete";
  if (fs::exists(stamp)) return root;
  fs::remove_all(root);
  std::fprintf(stderr, "writing %u folders of %u media below %s ...\n", drive.folders,
               drive.filesPerFolder, root.string().c_str());
  for (uint32_t f = 0; f < drive.folders; ++f) {
    const fs::path folder = BenchMediaFolder(root, f);
    fs::create_directories(folder);
    std::vector<OmfMediaSpec> media = GenerateMediaSpecs(drive.filesPerFolder, 20, f + 1);
    std::vector<PmrEntry> entries;
    entries.reserve(drive.filesPerFolder);
    for (uint32_t i = 0; i < drive.filesPerFolder; ++i) {
      char name[40];
      std::snprintf(name, sizeof name, "M%02u_CLIP%06u.omf", f + 1, i);
      entries.push_back(IndexEntryFor(name, media[i]));
      if (!WriteSizedFile(folder / name, kBenchMediaFileBytes)) return {};
    }
    if (!WriteIndexFile(folder / "msmFMID.pmr", entries) ||
        !WriteMediaDatabase(folder / "msmMMOB.mdb", media, drive.tocEntriesPerMedia))
      return {};
  }
  std::ofstream(stamp) << "done\n";
  return root;
}
