// orvalis-cli dict FILE...: opens each file as a container in turn, as the structure viewer
// does, gathering the names of their dictionaries (the first name of an ID stays), and writes
// to standard output exactly the bytes of the viewer's "Dump dictionary" file.
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/cli_common.h"
#include "cli/media_description.h"
#include "inspection/dictionary_dump.h"
#include "inspection/media_file_parser.h"

namespace {

void WriteToStream(void *context, const char *bytes, uint32_t length) {
  std::fwrite(bytes, 1, length, static_cast<std::FILE *>(context));
}

} // namespace

int CmdDict(int argc, wchar_t **argv) {
  MediaFileParser &parser = g_viewerParser;
  NameDictionary *names = nullptr;
  int status = kExitOk;
  for (int i = 0; i < argc; ++i) {
    if (!OpenContainer(parser, argv[i])) {
      status = kExitFailed;
      continue;
    }
    if (parser.entryCount == 0) {
      WriteUtf8(stderr, (L"orvalis-cli: no table of contents read (label version " +
                         std::to_wstring(parser.label.majorVersion) + L"): " + argv[i] + L"\n")
                            .c_str());
    }
    BuildNameDictionary(parser, &names);
    parser.ResetParser();
  }
  if (names == nullptr) return kExitFailed; // no container: the viewer would write nothing
#ifdef _WIN32
  // The dump's lines end in bare line feeds, as the viewer writes them.
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  WriteDictionaryDump(names, WriteToStream, stdout);
  std::fflush(stdout);
  DestroyNameDictionary(names);
  return status;
}
