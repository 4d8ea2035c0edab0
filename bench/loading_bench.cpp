// LoadAll on generated media drives, against the I/O floor measured in the same run: reading
// every index file and media database once and listing every media folder with sizes and
// times. (a) real-world density: 6 media folders of 400 media files, databases of about 900
// TOC entries per media file; (b) scale: 50 folders of 2,000 media files (100,000 records).
// The drives are written once (bench_drive.h); media files are sparse, as loading never
// reads them.
#include <benchmark/benchmark.h>

#include <ctime>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/database_discovery.h"
#include "platform/platform.h"

#include "bench_drive.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Drive {
  const char *name;
  BenchDrive shape;
};

constexpr Drive kDensity{"density", {6, 400, 900}};
constexpr Drive kScale{"scale", {50, 2000, 24}};

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Processor time of the whole process, so that a figure taken on a busy machine still says
// something: wall time there includes waiting for a core.
double CpuMilliseconds() {
  return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Reads every index file and media database once and lists every media folder, as the
// least that any load of the drive must do.
double IoFloor(const Drive &drive, const fs::path &root) {
  static std::vector<char> buffer(1 << 20);
  Clock::time_point start = Clock::now();
  uint64_t bytes = 0, sizes = 0;
  for (uint32_t f = 0; f < drive.shape.folders; ++f) {
    const fs::path folder = BenchMediaFolder(root, f);
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
  const fs::path root = PrepareBenchDrive(drive.shape);
  if (root.empty()) {
    state.SkipWithError("the drive could not be written");
    return;
  }
  g_catalogue.databases.Clear();
  ScanFolder(root.wstring().c_str());
  LoadAll(); // warms the file cache for both measurements
  double loadMs = 0, floorMs = 0, loadCpu = 0, floorCpu = 0;
  for (auto _ : state) {
    double cpu = CpuMilliseconds();
    floorMs += IoFloor(drive, root);
    floorCpu += CpuMilliseconds() - cpu;
    cpu = CpuMilliseconds();
    Clock::time_point start = Clock::now();
    LoadAll();
    const double ms = Milliseconds(Clock::now() - start);
    loadCpu += CpuMilliseconds() - cpu;
    loadMs += ms;
    state.SetIterationTime(ms / 1000.0);
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["records"] = g_catalogue.totalItems;
  state.counters["databases"] = g_catalogue.databases.count;
  state.counters["loadall_ms"] = loadMs / runs;
  state.counters["io_floor_ms"] = floorMs / runs;
  state.counters["ratio"] = floorMs > 0 ? loadMs / floorMs : 0;
  state.counters["cpu_ratio"] = floorCpu > 0 ? loadCpu / floorCpu : 0;
  std::fprintf(stderr,
               "%s: LoadAll %.1f ms, I/O floor %.1f ms, ratio %.2f; processor time %.1f ms "
               "against %.1f ms, ratio %.2f\n",
               drive.name, loadMs / runs, floorMs / runs, floorMs > 0 ? loadMs / floorMs : 0.0,
               loadCpu / runs, floorCpu / runs, floorCpu > 0 ? loadCpu / floorCpu : 0.0);
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
