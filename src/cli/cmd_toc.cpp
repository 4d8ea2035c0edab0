// orvalis-cli toc FILE: opens FILE as a Bento container and prints what the parser found:
// the open result, the label's validity and major version, the entry and object counts,
// and the element counts of the three mob indexes.
#include <cwchar>

#include "cli/cli_common.h"
#include "cli/media_description.h"
#include "inspection/media_file_parser.h"

namespace {

void WriteCount(const wchar_t *key, uint32_t value) {
  wchar_t text[16];
  std::swprintf(text, 16, L"%u", value);
  const wchar_t *fields[] = {key, text};
  WriteRow(fields, 2);
}

} // namespace

int CmdToc(int, wchar_t **argv) {
  MediaFileParser &parser = g_catalogueParser;
  const int opened = OpenContainer(parser, argv[0]);
  WriteCount(L"open", static_cast<uint32_t>(opened));
  if (opened != 1) return kExitFailed;
  WriteCount(L"valid", parser.valid);
  WriteCount(L"major", parser.label.majorVersion);
  WriteCount(L"entries", parser.entryCount);
  WriteCount(L"objects", parser.objectCount);
  WriteCount(L"clip mobs", parser.MobCount(&parser.clipMobIndex));
  WriteCount(L"source mobs", parser.MobCount(&parser.sourceMobIndex));
  WriteCount(L"media data", parser.MobCount(&parser.mediaDataIndex));
  parser.ResetParser();
  return kExitOk;
}
