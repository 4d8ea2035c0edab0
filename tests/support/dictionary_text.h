// Dictionary dumps made in-process by the core, to compare with the viewer's and orvalis-cli's.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "inspection/dictionary_dump.h"
#include "inspection/media_file_parser.h"
#include "inspection/name_dictionary.h"

// Every line of the dump of the dictionary (none: the empty text).
inline std::string DictionaryDumpText(NameDictionary *names) {
  std::string text;
  WriteDictionaryDump(
      names,
      [](void *context, const char *bytes, uint32_t length) {
        static_cast<std::string *>(context)->append(bytes, length);
      },
      &text);
  return text;
}

// The dump after opening the files in this order in one viewer (the first name of an ID kept).
inline std::string DictionaryDumpOfFiles(const std::vector<std::filesystem::path> &files) {
  auto parser = std::make_unique<MediaFileParser>();
  NameDictionary *names = nullptr;
  for (const std::filesystem::path &file : files)
    if (parser->OpenMediaFile(file.wstring().c_str()) == 1) BuildNameDictionary(*parser, &names);
  std::string text = DictionaryDumpText(names);
  DestroyNameDictionary(names);
  return text;
}
