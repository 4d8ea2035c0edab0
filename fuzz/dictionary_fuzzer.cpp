// The name dictionary and its dump over arbitrary containers. Names are gathered from the
// input, then from the input again (a second file naming the same IDs adds nothing: the
// first name stays), and dumped: the dump must list every name whole, in ascending ID
// order, between its first and last line, each line shorter than its buffer and free of
// zero bytes.
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz_input.h"
#include "inspection/dictionary_dump.h"
#include "inspection/media_file_parser.h"

namespace {

struct DumpCheck {
  std::vector<const NameEntry *> entries; // in ascending ID order, as the dump must list them
  uint32_t lines = 0;
  bool ended = false;
};

constexpr char kFirstLine[] = "#pragma once\n\n";
constexpr char kLastLine[] = "//END OF FILE\n\n";
constexpr size_t kNameAt = 10; // "#define \t " stands before the name

void CheckLine(void *context, const char *bytes, uint32_t length) {
  DumpCheck &check = *static_cast<DumpCheck *>(context);
  if (length == 0 || length >= kDefineLineChars - 1) FuzzFail("a dump line empty or cut");
  if (std::memchr(bytes, 0, length) != nullptr) FuzzFail("a zero byte in a dump line");
  if (bytes[length - 1] != '\n') FuzzFail("a dump line without its line feed");
  if (check.ended) FuzzFail("a line after the end mark");
  if (check.lines++ == 0) {
    if (length != sizeof kFirstLine - 1 || std::memcmp(bytes, kFirstLine, length) != 0)
      FuzzFail("the dump does not start with #pragma once");
    return;
  }
  if (check.lines - 2 >= check.entries.size()) {
    if (length != sizeof kLastLine - 1 || std::memcmp(bytes, kLastLine, length) != 0)
      FuzzFail("the dump does not end with its end mark");
    check.ended = true;
    return;
  }
  const char *expected = check.entries[check.lines - 2]->name;
  size_t name = std::strlen(expected);
  if (length < kNameAt + name || std::memcmp(bytes + kNameAt, expected, name) != 0)
    FuzzFail("a name not written whole");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  auto parser = std::make_unique<MediaFileParser>();
  NameDictionary *names = nullptr;
  parser->OpenMediaFile(FuzzInputPath(data, size));
  BuildNameDictionary(*parser, &names); // a file that did not open still gives the standard names
  if (names == nullptr) FuzzFail("no dictionary");
  const uint32_t count = names->count;
  if (count < kStandardNameCount) FuzzFail("standard names missing");
  BuildNameDictionary(*parser, &names);
  if (names->count != count) FuzzFail("the same names were added twice");

  DumpCheck check;
  uint32_t previous = 0;
  for (const NameEntry *e = names->First(); e != nullptr; e = names->Next()) {
    if (!check.entries.empty() && e->id <= previous) FuzzFail("names out of ID order");
    previous = e->id;
    if (strnlen(e->name, kNameChars) == kNameChars) FuzzFail("a name without terminator");
    check.entries.push_back(e);
  }
  if (check.entries.size() != count) FuzzFail("the walk and the count disagree");
  for (const NameEntry *e : check.entries) {
    if (LookupName(names, e->id) != e->name) FuzzFail("a name not found by its ID");
  }

  WriteDictionaryDump(names, CheckLine, &check);
  if (!check.ended || check.lines != count + 2) FuzzFail("the dump left names out");
  DestroyNameDictionary(names);
  return 0;
}
