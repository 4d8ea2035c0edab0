// The container parser over arbitrary bytes, as linking and loading use it: OpenMediaFile,
// DescribeMediaFile, then DescribeDatabaseMob with the keys of the file's own mob lists (and
// with keys the file does not hold, and with the parser's own result fields as arguments).
// Then the same parser opens and describes the file again, this time reading the values from
// the bytes before the TOC read in one piece, as loading does with media databases: the reused
// parser must give exactly what the fresh one gave, or state leaks from one file into the next
// or the two ways of reading values differ. Last, a fresh parser reads the file while memory
// runs out.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz_input.h"
#include "inspection/media_file_parser.h"

namespace {

constexpr uint32_t kMostWalks = 24; // database walks per input, to keep runs short

// An allocator that gives out a few buffers and then runs out, so that the paths where the
// TOC or value buffer cannot grow are walked too.
uint32_t g_allocationsLeft = 0;
void *RunOutOfMemory(size_t size) {
  if (g_allocationsLeft == 0) return nullptr;
  --g_allocationsLeft;
  return std::malloc(size);
}

void Keep(std::vector<ParserResults> *kept, const ParserResults &r) {
  kept->emplace_back();
  std::memcpy(&kept->back(), &r, sizeof r);
}

void CheckResults(const ParserResults &r) {
  FuzzTextLength(r.fileName, kParserTextChars, "file name without terminator");
  FuzzTextLength(r.projectName, kParserTextChars, "project name without terminator");
  FuzzTextLength(r.clipName, kParserTextChars, "clip name without terminator");
  FuzzTextLength(r.sourceName, kParserTextChars, "source name without terminator");
}

MobKey KeyAt(MediaFileParser &parser, MobIndex *index, uint32_t i) {
  uint32_t count = parser.MobCount(index);
  if (count == 0) return MobKey{0, 0};
  const MobIndexElement *element = parser.MobAt(index, i % count);
  if (element == nullptr) FuzzFail("an index element below the count is missing");
  return element->key;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const wchar_t *path = FuzzInputPath(data, size);
  auto parser = std::make_unique<MediaFileParser>();
  if (!parser->OpenMediaFile(path)) {
    if (parser->open || parser->valid || parser->entryCount != 0)
      FuzzFail("a failed open left state");
    return 0;
  }
  parser->DescribeMediaFile();
  CheckResults(parser->results);
  auto first = std::make_unique<ParserResults>(parser->results);

  MediaFileParser &p = *parser;
  uint32_t walks = std::max(
      {p.MobCount(&p.sourceMobIndex), p.MobCount(&p.clipMobIndex), p.MobCount(&p.mediaDataIndex)});
  walks = std::min(walks, kMostWalks);
  std::vector<ParserResults> described;
  for (uint32_t i = 0; i < walks; ++i) {
    p.DescribeDatabaseMob(KeyAt(p, &p.sourceMobIndex, i), KeyAt(p, &p.clipMobIndex, i));
    CheckResults(p.results);
    Keep(&described, p.results);
    p.DescribeDatabaseMob(KeyAt(p, &p.mediaDataIndex, i), KeyAt(p, &p.clipMobIndex, i + 1));
    CheckResults(p.results);
    Keep(&described, p.results);
  }
  p.DescribeDatabaseMob(MobKey{0xFFFFFFFF, 0xFFFFFFFF}, MobKey{0, 0});
  p.DescribeDatabaseMob(p.results.fileMobKey, p.results.clipMobKey);
  CheckResults(p.results);

  p.wholeFileLimit = kDatabaseImageLimit;
  if (!p.OpenMediaFile(path)) FuzzFail("a file that opened once refused the second time");
  p.DescribeMediaFile();
  if (std::memcmp(first.get(), &p.results, sizeof *first) != 0)
    FuzzFail("the reused parser described the file differently");
  for (uint32_t i = 0; i < walks; ++i) {
    p.DescribeDatabaseMob(KeyAt(p, &p.sourceMobIndex, i), KeyAt(p, &p.clipMobIndex, i));
    if (std::memcmp(&described[2 * i], &p.results, sizeof p.results) != 0)
      FuzzFail("a database walk read differently from the values read in one piece");
    p.DescribeDatabaseMob(KeyAt(p, &p.mediaDataIndex, i), KeyAt(p, &p.clipMobIndex, i + 1));
    if (std::memcmp(&described[2 * i + 1], &p.results, sizeof p.results) != 0)
      FuzzFail("a database walk read differently from the values read in one piece");
  }
  p.ResetParser();

  // Again with memory running out after 0 to 3 buffers (chosen by the input's size).
  g_allocationsLeft = static_cast<uint32_t>(size % 4);
  ParserAllocFunction previous = SetParserAllocator(RunOutOfMemory);
  {
    auto starved = std::make_unique<MediaFileParser>();
    starved->wholeFileLimit = size % 8 < 4 ? kDatabaseImageLimit : 0;
    if (starved->OpenMediaFile(path)) {
      starved->DescribeMediaFile();
      CheckResults(starved->results);
      starved->DescribeDatabaseMob(KeyAt(*starved, &starved->sourceMobIndex, 0),
                                   KeyAt(*starved, &starved->clipMobIndex, 0));
      CheckResults(starved->results);
    }
  }
  SetParserAllocator(previous);
  return 0;
}
