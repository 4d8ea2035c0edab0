#include "inspection/dictionary_dump.h"

#include <cstdio>

namespace {

constexpr char kDumpStart[] = "#pragma once\n\n";
constexpr char kDumpEnd[] = "//END OF FILE\n\n";

} // namespace

uint32_t FormatDefineLine(uint32_t id, const char *name, char line[kDefineLineChars]) {
  const int n = std::snprintf(line, kDefineLineChars, "#define \t %-35s \t\t %#8.5X\n", name,
                              static_cast<unsigned>(id));
  if (n < 0) {
    line[0] = 0;
    return 0;
  }
  return static_cast<uint32_t>(n) < kDefineLineChars ? static_cast<uint32_t>(n)
                                                     : kDefineLineChars - 1;
}

void WriteDictionaryDump(NameDictionary *dictionary, DictionaryLineSink sink, void *context) {
  if (dictionary == nullptr) return;
  sink(context, kDumpStart, sizeof kDumpStart - 1);
  char line[kDefineLineChars];
  for (const NameEntry *entry = dictionary->First(); entry != nullptr; entry = dictionary->Next())
    sink(context, line, FormatDefineLine(entry->id, entry->name, line));
  sink(context, kDumpEnd, sizeof kDumpEnd - 1);
}
