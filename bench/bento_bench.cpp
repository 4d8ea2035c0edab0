// Opening a media database "msmMMOB.mdb" as a Bento container: a generated database of
// 50,000 mobs (20,000 media, each a clip mob and a file mob, and 10,000 tapes that they
// share) with about 900 TOC entries per media, the density of real media databases. The
// open (label, one read of the TOC, indexing) is shown next to its floor, the time to read
// the file's bytes once through the same reader. Then every media is described from the
// opened database by its two keys, as loading does for each entry of a media index file.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

#include "formats/buffered_file_reader.h"
#include "inspection/media_file_parser.h"
#include "support/omf_media.h"
#include "support/scratch_dir.h"

namespace {

constexpr uint32_t kMedia = 20000;
constexpr uint32_t kTapes = 10000;
constexpr uint32_t kEntriesPerMedia = 900;

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

struct Database {
  ScratchDir dir;
  std::filesystem::path file;
  std::vector<OmfMediaSpec> media;
  uint64_t bytes = 0;
};

const Database &TheDatabase() {
  static Database *database = [] {
    auto *d = new Database;
    d->media = GenerateMediaSpecs(kMedia, kTapes);
    d->file = d->dir.File("msmMMOB.mdb");
    if (!WriteMediaDatabase(d->file, d->media, kEntriesPerMedia)) std::abort();
    d->bytes = std::filesystem::file_size(d->file);
    return d;
  }();
  return *database;
}

// Reads the whole file once in 1 MiB pieces; its size in bytes.
uint64_t ReadOnce(const std::filesystem::path &file, std::vector<uint8_t> &buffer) {
  BufferedFileReader reader;
  if (!reader.Open(file.wstring().c_str())) return 0;
  uint64_t total = 0;
  for (uint32_t got; (got = reader.Read(buffer.data(), static_cast<uint32_t>(buffer.size()))) > 0;)
    total += got;
  reader.Close();
  return total;
}

// The floor, best of three reads (the file is in the system's cache after it was written).
double FloorMilliseconds() {
  static double floor = [] {
    std::vector<uint8_t> buffer(1 << 20);
    double best = 1e300;
    for (int i = 0; i < 3; ++i) {
      Clock::time_point start = Clock::now();
      benchmark::DoNotOptimize(ReadOnce(TheDatabase().file, buffer));
      best = std::min(best, Milliseconds(Clock::now() - start));
    }
    return best;
  }();
  return floor;
}

void BM_ReadBytesOnce(benchmark::State &state) {
  const Database &d = TheDatabase();
  std::vector<uint8_t> buffer(1 << 20);
  for (auto _ : state) benchmark::DoNotOptimize(ReadOnce(d.file, buffer));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * d.bytes));
  state.counters["file_MB"] = static_cast<double>(d.bytes) / 1e6;
}

// One parser for every open, as a load uses the catalogue parser: buffers and pools stay.
void BM_OpenAndIndex(benchmark::State &state) {
  const Database &d = TheDatabase();
  const double floor = FloorMilliseconds();
  auto parser = std::make_unique<MediaFileParser>();
  double totalMs = 0;
  uint32_t entries = 0;
  for (auto _ : state) {
    Clock::time_point start = Clock::now();
    if (parser->OpenMediaFile(d.file.wstring().c_str()) != 1) state.SkipWithError("open failed");
    totalMs += Milliseconds(Clock::now() - start);
    entries = parser->entryCount;
    parser->ResetParser();
  }
  const double openMs = totalMs / static_cast<double>(state.iterations());
  state.counters["open_ms"] = openMs;
  state.counters["toc_entries"] = entries;
  state.counters["toc_entries_per_s"] = entries / (openMs / 1000);
  state.counters["floor_ms"] = floor;
  state.counters["x_floor"] = openMs / floor;
}

// DescribeDatabaseMob for every media of the database, on one open; the open is timed apart
// so that the two can be set side by side.
void BM_DescribeEveryMedia(benchmark::State &state) {
  const Database &d = TheDatabase();
  auto parser = std::make_unique<MediaFileParser>();
  Clock::time_point start = Clock::now();
  if (parser->OpenMediaFile(d.file.wstring().c_str()) != 1) {
    state.SkipWithError("open failed");
    return;
  }
  const double openMs = Milliseconds(Clock::now() - start);
  uint64_t described = 0;
  for (auto _ : state) {
    for (const OmfMediaSpec &plan : d.media) {
      parser->DescribeDatabaseMob(plan.fileMobKey, plan.clipMobKey);
      described += parser->results.projectName[0] != 0 && parser->results.clipName[0] != 0;
    }
  }
  if (described != state.iterations() * d.media.size())
    state.SkipWithError("a media was not found");
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * d.media.size()));
  state.counters["records"] = static_cast<double>(d.media.size());
  state.counters["open_ms"] = openMs;
}

BENCHMARK(BM_ReadBytesOnce)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenAndIndex)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DescribeEveryMedia)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
