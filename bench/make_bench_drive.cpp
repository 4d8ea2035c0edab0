// Writes a generated media drive for runs at scale and prints its root:
//   make_bench_drive FOLDERS MEDIA_PER_FOLDER [TOC_ENTRIES_PER_MEDIA]
// e.g. "make_bench_drive 500 2000" for a million records (24 TOC entries per media by
// default, as the loading benchmark's scale drive). Below $ORVALIS_BENCH_DATA or the temporary
// folder; a drive already written is reused.
#include <cstdio>
#include <cstdlib>

#include "bench_drive.h"

int main(int argc, char **argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: %s FOLDERS MEDIA_PER_FOLDER [TOC_ENTRIES_PER_MEDIA]\n", argv[0]);
    return 2;
  }
  const unsigned long folders = std::strtoul(argv[1], nullptr, 10);
  const unsigned long media = std::strtoul(argv[2], nullptr, 10);
  const unsigned long entries = argc == 4 ? std::strtoul(argv[3], nullptr, 10) : 24;
  if (folders == 0 || media == 0 || folders > 100000 || media > 1000000 || entries > 100000) {
    std::fprintf(stderr, "%s: counts out of range\n", argv[0]);
    return 2;
  }
  const BenchDrive drive{static_cast<uint32_t>(folders), static_cast<uint32_t>(media),
                         static_cast<uint32_t>(entries)};
  const std::filesystem::path root = PrepareBenchDrive(drive);
  if (root.empty()) {
    std::fprintf(stderr, "%s: could not write the drive below %s\n", argv[0],
                 BenchDrivePath(drive).string().c_str());
    return 1;
  }
  std::printf("%s\n", root.string().c_str());
  return 0;
}
