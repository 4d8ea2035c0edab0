// LoadAll on generated media drives, against the I/O floor measured in the same run: reading
// every index file and media database once and listing every media folder with sizes and
// times. (a) real-world density: 6 media folders of 400 media files, databases of about 900
// TOC entries per media file; (b) scale: 50 folders of 2,000 media files (100,000 records).
// The drives are written once below $ORVALIS_BENCH_DATA (default: the system's temporary
// folder), never into the repository; media files are sparse, as loading never reads them.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/database_discovery.h"
#include "platform/platform.h"
#include "support/media_folders.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Drive {
  const char *name;
  uint32_t folders;
  uint32_t filesPerFolder;
  uint32_t tocEntriesPerMedia;
};

constexpr Drive kDensity{"density", 6, 400, 900};
constexpr Drive kScale{"scale", 50, 2000, 24};
constexpr uint64_t kMediaFileBytes = 3u << 20;

fs::path DataRoot() {
  const char *chosen = std::getenv("ORVALIS_BENCH_DATA");
  return chosen != nullptr ? fs::path(chosen) : fs::temp_directory_path() / "orvalis-loading-bench";
}

fs::path MediaFolder(const fs::path &drive, uint32_t folder) {
  return drive / "Avid MediaFiles" / "MXF" / std::to_string(folder + 1);
}

// Writes the drive unless a finished one is there already; returns its root.
fs::path PrepareDrive(const Drive &drive) {
  const fs::path root = DataRoot() / drive.name;
  const fs::path stamp = root / "complete";
  if (fs::exists(stamp)) return root;
  fs::remove_all(root);
  std::fprintf(stderr, "writing the %s drive below %s ...\n", drive.name, root.string().c_str());
  for (uint32_t f = 0; f < drive.folders; ++f) {
    const fs::path folder = MediaFolder(root, f);
    fs::create_directories(folder);
    std::vector<OmfMediaSpec> media = GenerateMediaSpecs(drive.filesPerFolder, 20, f + 1);
    std::vector<PmrEntry> entries;
    for (uint32_t i = 0; i < drive.filesPerFolder; ++i) {
      char name[40];
      std::snprintf(name, sizeof name, "M%02u_CLIP%06u.omf", f + 1, i);
      entries.push_back(IndexEntryFor(name, media[i]));
      WriteSizedFile(folder / name, kMediaFileBytes);
    }
    WriteIndexFile(folder / "msmFMID.pmr", entries);
    WriteMediaDatabase(folder / "msmMMOB.mdb", media, drive.tocEntriesPerMedia);
  }
  std::ofstream(stamp) << "done\n";
  return root;
}

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Reads every index file and media database once and lists every media folder, as the
// least that any load of the drive must do.
double IoFloor(const Drive &drive, const fs::path &root) {
  static std::vector<char> buffer(1 << 20);
  Clock::time_point start = Clock::now();
  uint64_t bytes = 0, sizes = 0;
  for (uint32_t f = 0; f < drive.folders; ++f) {
    const fs::path folder = MediaFolder(root, f);
    for (const char *file : {"msmFMID.pmr", "msmMMOB.mdb"}) {
      std::FILE *in = std::fopen((folder / file).string().c_str(), "rb");
      if (in == nullptr) continue;
      for (size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), in)) > 0;) bytes += got;
      std::fclose(in);
    }
    platform::FindData entry;
    platform::FindHandle find = platform::FindFirst(folder.wstring().c_str(), L"*.*", 0, &entry);
    if (find == platform::kInvalidFind) continue;
    do sizes += entry.size + entry.created;
    while (platform::FindNext(find, &entry));
    platform::FindEnd(find);
  }
  benchmark::DoNotOptimize(bytes);
  benchmark::DoNotOptimize(sizes);
  return Milliseconds(Clock::now() - start);
}

void BM_LoadAll(benchmark::State &state, const Drive &drive) {
  const fs::path root = PrepareDrive(drive);
  g_catalogue.databases.Clear();
  ScanFolder(root.wstring().c_str());
  LoadAll(); // warms the file cache for both measurements
  double loadMs = 0, floorMs = 0;
  for (auto _ : state) {
    floorMs += IoFloor(drive, root);
    Clock::time_point start = Clock::now();
    LoadAll();
    const double ms = Milliseconds(Clock::now() - start);
    loadMs += ms;
    state.SetIterationTime(ms / 1000.0);
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["records"] = g_catalogue.totalItems;
  state.counters["databases"] = g_catalogue.databases.count;
  state.counters["loadall_ms"] = loadMs / runs;
  state.counters["io_floor_ms"] = floorMs / runs;
  state.counters["ratio"] = floorMs > 0 ? loadMs / floorMs : 0;
  std::fprintf(stderr, "%s: LoadAll %.1f ms, I/O floor %.1f ms, ratio %.2f (target <= 3)\n",
               drive.name, loadMs / runs, floorMs / runs, floorMs > 0 ? loadMs / floorMs : 0.0);
}

BENCHMARK_CAPTURE(BM_LoadAll, density, kDensity)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(BM_LoadAll, scale, kScale)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace

BENCHMARK_MAIN();
