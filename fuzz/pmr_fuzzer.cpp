// The ".pmr" index reader over arbitrary bytes, read the way a load reads an index file:
// a counting pass (no entry, no report), then a loading pass (entries, report) from a
// fresh OpenIndex on the same object. The loader sizes its work by the first pass, so both
// must deliver the same number of entries, and every delivered entry must be one that
// validation lets through.
#include <cstring>
#include <memory>

#include "formats/pmr_file.h"
#include "fuzz_input.h"

namespace {

void CheckEntry(const PMRIndexEntry &record) {
  size_t name = FuzzTextLength(record.fileName, kPmrNameBytes, "file name without terminator");
  size_t project =
      FuzzTextLength(record.project, kPmrProjectBytes + 1, "project without terminator");
  if (name < 4 || name >= kPmrNameBytes) FuzzFail("file name length outside 4-255");
  for (size_t i = 0; i < project; ++i) {
    if (record.project[i] < 0x20 || record.project[i] > 0x7F) FuzzFail("unprintable project");
  }
  for (size_t i = 0; i < name; ++i) {
    if (record.fileName[i] < 0x20 || record.fileName[i] > 0x7F) FuzzFail("unprintable name");
  }
  if (record.fileName[name - 4] != L'.') FuzzFail("name without media extension");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const wchar_t *path = FuzzInputPath(data, size);
  auto index = std::make_unique<PMRFile>();
  auto record = std::make_unique<PMRIndexEntry>();

  if (!index->OpenIndex(path)) return 0;
  size_t counted = 0;
  while (index->NextEntry(nullptr, 0)) {
    // An entry takes at least 28 bytes, so a file cannot deliver more than this.
    if (++counted > size / 28) FuzzFail("more entries than the file can hold");
  }
  index->Close();

  if (!index->OpenIndex(path)) FuzzFail("a file that opened once refused the second time");
  size_t loaded = 0;
  for (;;) {
    std::memset(record.get(), 0, sizeof *record);
    if (!index->NextEntry(record.get(), 1)) break;
    CheckEntry(*record);
    if (++loaded > counted) break;
  }
  index->Close();
  if (loaded != counted) FuzzFail("the loading pass and the counting pass disagree");
  return 0;
}
