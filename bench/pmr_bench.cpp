// Loading one large media index file: 200,000 generated entries, counted and then read as
// the loader's two passes do, against the floor of reading the file's bytes in one go
// through the same reader. The file is written once and stays in the system's cache, so
// both measure the reader, not the disk. Times are wall-clock; the processor time of both is
// printed beside them, the steadier figure on a busy machine.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <vector>

#include "formats/pmr_file.h"
#include "support/pmr_writer.h"
#include "support/scratch_dir.h"

namespace {

constexpr uint32_t kEntries = 200000;

using Clock = std::chrono::steady_clock;

ScratchDir g_scratch;
double g_loadSeconds = 0;  // mean of one two-pass load
double g_floorSeconds = 0; // mean of one whole-file read
double g_loadCpuSeconds = 0, g_floorCpuSeconds = 0;

const std::wstring &IndexPath() {
  static std::wstring path = [] {
    PmrWriter w = PmrBegin();
    for (uint32_t i = 0; i < kEntries; ++i) PmrAdd(w, PmrNumberedEntry(i));
    std::filesystem::path file = g_scratch.File("large.pmr");
    if (!WriteFileBytes(file, w.bytes)) std::fprintf(stderr, "cannot write %s\n", file.c_str());
    return file.wstring();
  }();
  return path;
}

uint64_t FileSize() {
  return std::filesystem::file_size(IndexPath());
}

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

double CpuSeconds() {
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

void BM_PmrCountAndRead(benchmark::State &state) {
  const std::wstring &path = IndexPath();
  PMRFile *index = new PMRFile;
  PMRIndexEntry *record = new PMRIndexEntry{};
  double countSeconds = 0, readSeconds = 0;
  uint32_t counted = 0, read = 0;
  const double cpuStart = CpuSeconds();
  for (auto _ : state) {
    Clock::time_point start = Clock::now();
    counted = 0;
    index->OpenIndex(path.c_str());
    while (index->NextEntry(nullptr, 0)) ++counted;
    index->Close();
    Clock::time_point middle = Clock::now();
    read = 0;
    index->OpenIndex(path.c_str());
    // The entry is not zeroed between entries: NextEntry writes the same four fields every
    // time.
    while (index->NextEntry(record, 1)) {
      benchmark::DoNotOptimize(record->mediaId);
      ++read;
    }
    index->Close();
    Clock::time_point end = Clock::now();
    countSeconds += Seconds(middle - start);
    readSeconds += Seconds(end - middle);
  }
  if (counted != kEntries || read != kEntries) state.SkipWithError("entries lost");
  double runs = static_cast<double>(state.iterations());
  g_loadCpuSeconds = (CpuSeconds() - cpuStart) / runs;
  g_loadSeconds = (countSeconds + readSeconds) / runs;
  state.counters["count_ms"] = countSeconds / runs * 1e3;
  state.counters["read_ms"] = readSeconds / runs * 1e3;
  state.counters["entries/s"] = kEntries / g_loadSeconds;
  state.counters["MB/s"] = FileSize() / g_loadSeconds / 1e6;
  delete record;
  delete index;
}

void BM_WholeFileFloor(benchmark::State &state) {
  const std::wstring &path = IndexPath();
  std::vector<uint8_t> bytes(FileSize());
  BufferedFileReader *reader = new BufferedFileReader;
  double seconds = 0;
  const double cpuStart = CpuSeconds();
  for (auto _ : state) {
    Clock::time_point start = Clock::now();
    reader->Open(path.c_str());
    uint32_t got = reader->Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    reader->Close();
    seconds += Seconds(Clock::now() - start);
    if (got != bytes.size()) state.SkipWithError("short read");
    benchmark::DoNotOptimize(bytes.data());
  }
  g_floorSeconds = seconds / static_cast<double>(state.iterations());
  g_floorCpuSeconds = (CpuSeconds() - cpuStart) / static_cast<double>(state.iterations());
  state.counters["MB/s"] = bytes.size() / g_floorSeconds / 1e6;
}

BENCHMARK(BM_PmrCountAndRead)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_WholeFileFloor)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_loadSeconds > 0 && g_floorSeconds > 0) {
    std::printf("\n%u entries, %.1f MB: two-pass load %.2f ms (%.0f entries/s, %.0f MB/s), "
                "whole-file read %.2f ms (%.0f MB/s); load / floor = %.1f\n",
                kEntries, FileSize() / 1e6, g_loadSeconds * 1e3, kEntries / g_loadSeconds,
                FileSize() / g_loadSeconds / 1e6, g_floorSeconds * 1e3,
                FileSize() / g_floorSeconds / 1e6, g_loadSeconds / g_floorSeconds);
    std::printf("processor time: two-pass load %.2f ms, whole-file read %.2f ms; ratio %.1f\n",
                g_loadCpuSeconds * 1e3, g_floorCpuSeconds * 1e3,
                g_loadCpuSeconds / g_floorCpuSeconds);
  }
  return 0;
}
