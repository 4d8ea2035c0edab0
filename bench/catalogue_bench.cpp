// Records tree against std::multimap: 200,000 full-size media records keyed by random file
// names (compared without regard to case in both), inserted and then iterated in order.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "platform/platform.h"

namespace {

constexpr int kRecords = 200000;

const std::vector<MediaRecord> &Records() {
  static std::vector<MediaRecord> records = [] {
    std::vector<MediaRecord> all(kRecords);
    std::mt19937 random(2024);
    for (MediaRecord &r : all) {
      std::swprintf(r.fileName, kPathChars, L"A%08X.%08X.omf", static_cast<unsigned>(random()),
                    static_cast<unsigned>(random()));
      std::swprintf(r.folder, kPathChars, L"E:\\OMFI MediaFiles\\%u",
                    static_cast<unsigned>(random() % 50));
      std::swprintf(r.project, kProjectChars, L"Project %u", static_cast<unsigned>(random() % 20));
      r.size = random();
    }
    return all;
  }();
  return records;
}

struct NoCaseLess {
  bool operator()(const std::wstring &a, const std::wstring &b) const {
    return platform::CompareNoCase(a.c_str(), b.c_str()) < 0;
  }
};

using Clock = std::chrono::steady_clock;

double Nanoseconds(Clock::duration d) {
  return std::chrono::duration<double, std::nano>(d).count();
}

void Report(benchmark::State &state, double insertNs, double stepNs) {
  double runs = static_cast<double>(state.iterations());
  state.counters["ns_per_insert"] = insertNs / runs / kRecords;
  state.counters["ns_per_step"] = stepNs / runs / kRecords;
  state.counters["record_bytes"] = sizeof(MediaRecord);
  state.SetItemsProcessed(state.iterations() * kRecords);
}

// Inserts every record into the catalogue's records tree, then walks it in order.
void LoadAndWalk(Catalogue *catalogue, double *insertNs, double *stepNs) {
  const std::vector<MediaRecord> &source = Records();
  Clock::time_point start = Clock::now();
  for (const MediaRecord &r : source) {
    MediaRecord key = r;
    benchmark::DoNotOptimize(catalogue->records.Insert(&key));
  }
  Clock::time_point inserted = Clock::now();
  uint64_t sum = 0;
  for (MediaRecord *r = catalogue->records.First(); r; r = catalogue->records.Next())
    sum += r->size;
  Clock::time_point walked = Clock::now();
  benchmark::DoNotOptimize(sum);
  *insertNs += Nanoseconds(inserted - start);
  *stepNs += Nanoseconds(walked - inserted);
}

// A first load: a fresh catalogue whose blocks come from the system.
void BM_RecordsTree(benchmark::State &state) {
  Records();
  double insertNs = 0, stepNs = 0;
  for (auto _ : state) {
    Catalogue *catalogue = new Catalogue;
    LoadAndWalk(catalogue, &insertNs, &stepNs);
    delete catalogue;
  }
  Report(state, insertNs, stepNs);
}

// A rescan: the catalogue is cleared and its blocks are reused.
void BM_RecordsTreeReload(benchmark::State &state) {
  Catalogue *catalogue = new Catalogue;
  double unused = 0, insertNs = 0, stepNs = 0;
  LoadAndWalk(catalogue, &unused, &unused);
  for (auto _ : state) {
    state.PauseTiming();
    catalogue->ClearCatalogue();
    state.ResumeTiming();
    LoadAndWalk(catalogue, &insertNs, &stepNs);
  }
  delete catalogue;
  Report(state, insertNs, stepNs);
}

void BM_StdMultimap(benchmark::State &state) {
  const std::vector<MediaRecord> &source = Records();
  double insertNs = 0, stepNs = 0;
  for (auto _ : state) {
    auto *map = new std::multimap<std::wstring, MediaRecord, NoCaseLess>;
    Clock::time_point start = Clock::now();
    for (const MediaRecord &r : source) benchmark::DoNotOptimize(map->emplace(r.fileName, r));
    Clock::time_point inserted = Clock::now();
    uint64_t sum = 0;
    for (const auto &entry : *map) sum += entry.second.size;
    Clock::time_point walked = Clock::now();
    benchmark::DoNotOptimize(sum);
    insertNs += Nanoseconds(inserted - start);
    stepNs += Nanoseconds(walked - inserted);
    delete map;
  }
  Report(state, insertNs, stepNs);
}

BENCHMARK(BM_RecordsTree)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RecordsTreeReload)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StdMultimap)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
