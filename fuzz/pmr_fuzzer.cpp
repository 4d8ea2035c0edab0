// The ".pmr" index reader over arbitrary bytes, read the way a load reads an index file:
// a counting pass (no entry, no report), then a loading pass (entries, report) from a
// fresh OpenIndex on the same object, through the reader and through windows. The loader sizes its
// work by the first pass, so both must deliver the same number of entries, and every delivered
// entry must be one that validation lets through.
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

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

// One load of the file with the given window (0: field by field through the reader); the
// entries delivered, or nothing when the file does not open.
std::vector<std::wstring> LoadAs(PMRFile &index, PMRIndexEntry &record, const wchar_t *path,
                                 size_t size, uint32_t window) {
  std::vector<std::wstring> delivered;
  index.windowBytes = window;
  if (!index.OpenIndex(path)) return delivered;
  size_t counted = 0;
  while (index.NextEntry(nullptr, 0)) {
    // An entry takes at least 28 bytes, so a file cannot deliver more than this.
    if (++counted > size / 28) FuzzFail("more entries than the file can hold");
  }
  index.Close();

  if (!index.OpenIndex(path)) FuzzFail("a file that opened once refused the second time");
  for (;;) {
    std::memset(&record, 0, sizeof record);
    if (!index.NextEntry(&record, 1)) break;
    CheckEntry(record);
    wchar_t keys[64];
    std::swprintf(keys, 64, L"|%08x%08x|%08x%08x", record.mediaId.high, record.mediaId.low,
                  record.clipMobKey.high, record.clipMobKey.low);
    delivered.push_back(std::wstring(record.fileName) + L"|" + record.project + keys);
    if (delivered.size() > counted) break;
  }
  index.Close();
  if (delivered.size() != counted) FuzzFail("the loading pass and the counting pass disagree");
  return delivered;
}

} // namespace

// Read as a load reads it, through the reader field by field and from windows of the file's
// bytes (the smallest one refills within the entries): all three deliver the same.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const wchar_t *path = FuzzInputPath(data, size);
  auto index = std::make_unique<PMRFile>();
  auto record = std::make_unique<PMRIndexEntry>();
  const std::vector<std::wstring> plain = LoadAs(*index, *record, path, size, 0);
  for (uint32_t window : {kPmrMaxEntryBytes, kPmrWindowBytes}) {
    if (LoadAs(*index, *record, path, size, window) != plain)
      FuzzFail("a window delivers other entries than the reader");
  }
  return 0;
}
