// Writes the seed corpora of the fuzz targets from the test fixture writers:
//   fuzz_seeds <folder>  ->  <folder>/<target>/<seed> for every target.
// Seeds are small, valid or nearly valid files of each kind, so that the fuzzer starts
// deep inside the parsers instead of at their first check.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/pmr_writer.h"

namespace fs = std::filesystem;

namespace {

bool g_failed = false;

void WriteSeed(const fs::path &folder, const std::string &name, const std::vector<uint8_t> &bytes) {
  std::error_code error;
  fs::create_directories(folder, error);
  std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char *>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", (folder / name).c_str());
    g_failed = true;
  }
}

// ---- Index files ----------------------------------------------------------------------
void WritePmrSeeds(const fs::path &folder) {
  for (uint32_t words : {2u, 8u}) {
    for (bool bigEndian : {false, true}) {
      PmrWriter w = PmrBegin(PmrLayout{words, bigEndian, 7});
      for (uint32_t i = 0; i < 6; ++i) PmrAdd(w, PmrNumberedEntry(i));
      PmrAdd(w, PmrEntry{"NOPROJECT.wav", "", MobKey{9, 9}, MobKey{10, 10}});
      std::string name = "w" + std::to_string(words) + (bigEndian ? "-be" : "-le");
      WriteSeed(folder, name + ".pmr", w.bytes);

      // Damage that the reader skips by resynchronising: impossible lengths, an invalid
      // name, garbage between entries, and a last entry cut short.
      PmrWriter d = PmrBegin(PmrLayout{words, bigEndian, 0});
      PmrAdd(d, PmrNumberedEntry(1));
      PmrEntry tooLong = PmrNumberedEntry(2);
      tooLong.nameLength = 300;
      PmrAdd(d, tooLong);
      PmrAdd(d, PmrEntry{"Bad\xE9name.omf", "P", MobKey{3, 3}, MobKey{4, 4}});
      PmrEntry longProject = PmrNumberedEntry(3);
      longProject.projectLength = 65;
      PmrAdd(d, longProject);
      const uint8_t garbage[] = {0xFF, 0x00, 0x41, 0x2E, 0x6F, 0x6D, 0x66, 0x00, 0x07};
      PmrAddRaw(d, garbage, sizeof garbage);
      PmrAdd(d, PmrEntry{"mixed.Omf", "P", MobKey{5, 5}, MobKey{6, 6}});
      PmrAdd(d, PmrNumberedEntry(4));
      PmrAdd(d, PmrNumberedEntry(5));
      d.bytes.resize(d.bytes.size() - 5);
      WriteSeed(folder, name + "-damaged.pmr", d.bytes);
    }
  }
  PmrWriter small = PmrBegin();
  small.bytes.resize(30, 0);
  WriteSeed(folder, "smallest.pmr", small.bytes);
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds <folder>\n");
    return 2;
  }
  fs::path root = argv[1];
  WritePmrSeeds(root / "pmr_fuzzer");
  return g_failed ? 1 : 0;
}
