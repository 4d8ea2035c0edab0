// orvalis-cli mdb FILE FILEMOBKEY CLIPMOBKEY: describes one media record against a media
// database "msmMMOB.mdb", as loading does for each entry of a media index file. The keys are
// given as the tool prints them, "%8.8X.%8.8X" with the low half first.
#include <cwchar>
#include <string>

#include "cli/cli_common.h"
#include "cli/media_description.h"
#include "inspection/media_file_parser.h"

namespace {

// Eight hexadecimal digits.
bool ParseHalf(const wchar_t *text, uint32_t *half) {
  uint32_t value = 0;
  for (int i = 0; i < 8; ++i) {
    const wchar_t c = text[i];
    uint32_t digit;
    if (c >= L'0' && c <= L'9')
      digit = static_cast<uint32_t>(c - L'0');
    else if (c >= L'A' && c <= L'F')
      digit = static_cast<uint32_t>(c - L'A' + 10);
    else if (c >= L'a' && c <= L'f')
      digit = static_cast<uint32_t>(c - L'a' + 10);
    else
      return false;
    value = value << 4 | digit;
  }
  *half = value;
  return true;
}

bool ParseKey(const wchar_t *text, MobKey *key) {
  return std::wcslen(text) == 17 && text[8] == L'.' && ParseHalf(text, &key->low) &&
         ParseHalf(text + 9, &key->high);
}

} // namespace

int CmdMdb(int, wchar_t **argv) {
  MobKey fileMobKey{}, clipMobKey{};
  for (int i : {1, 2}) {
    if (ParseKey(argv[i], i == 1 ? &fileMobKey : &clipMobKey)) continue;
    WriteUtf8(stderr, (L"orvalis-cli mdb: \"" + std::wstring(argv[i]) +
                       L"\" is not a key of the form XXXXXXXX.XXXXXXXX\n")
                          .c_str());
    return kExitUsage;
  }
  MediaFileParser &parser = g_catalogueParser;
  if (!OpenContainer(parser, argv[0])) return kExitFailed;
  parser.DescribeDatabaseMob(fileMobKey, clipMobKey);
  WriteMediaDescription(parser.results);
  parser.ResetParser();
  return kExitOk;
}
