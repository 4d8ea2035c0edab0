#include "support/dictionary_text.h"

#include <memory>

#include "inspection/dictionary_dump.h"
#include "inspection/media_file_parser.h"

std::string DictionaryDumpText(NameDictionary *names) {
  std::string text;
  WriteDictionaryDump(
      names,
      [](void *context, const char *bytes, uint32_t length) {
        static_cast<std::string *>(context)->append(bytes, length);
      },
      &text);
  return text;
}

std::string DictionaryDumpOfFiles(const std::vector<std::filesystem::path> &files) {
  auto parser = std::make_unique<MediaFileParser>();
  NameDictionary *names = nullptr;
  for (const std::filesystem::path &file : files)
    if (parser->OpenMediaFile(file.wstring().c_str()) == 1) BuildNameDictionary(*parser, &names);
  std::string text = DictionaryDumpText(names);
  DestroyNameDictionary(names);
  return text;
}
