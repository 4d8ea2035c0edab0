// orvalis-cli tree FILE [--depth N]: the structure viewer's tree of FILE as text, one item a
// line, indented two spaces per level, with the viewer's labels; every reference is opened
// as a double-click opens it (an object's references where it first appears).
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>

#include "cli/cli_common.h"
#include "cli/media_description.h"
#include "inspection/media_file_parser.h"
#include "inspection/structure_view.h"

namespace {

// Stops the walk when standard output fails (a closed pipe, a full disk).
bool WriteItem(void *, uint32_t depth, const ViewItem &item) {
  std::wstring line(2 * static_cast<size_t>(depth), L' ');
  line += item.label;
  line += L"\n";
  WriteUtf8(stdout, line.c_str());
  return std::ferror(stdout) == 0;
}

} // namespace

int CmdTree(int argc, wchar_t **argv) {
  const wchar_t *path = nullptr;
  uint32_t maxDepth = UINT32_MAX;
  for (int i = 0; i < argc; ++i) {
    if (std::wcscmp(argv[i], L"--depth") == 0 && i + 1 < argc) {
      wchar_t *end = nullptr;
      const unsigned long depth = std::wcstoul(argv[++i], &end, 10);
      if (end == argv[i] || *end != 0) return kExitUsage;
      maxDepth = depth > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(depth);
    } else if (path == nullptr) {
      path = argv[i];
    } else {
      return kExitUsage;
    }
  }
  if (path == nullptr) return kExitUsage;
  MediaFileParser &parser = g_viewerParser;
  if (!OpenContainer(parser, path)) return kExitFailed;
  int status = kExitOk;
  if (parser.entryCount == 0) {
    WriteUtf8(stderr, (L"orvalis-cli: no table of contents read (label version " +
                       std::to_wstring(parser.label.majorVersion) + L"): " + path + L"\n")
                          .c_str());
    status = kExitFailed;
  }
  NameDictionary *names = nullptr;
  BuildNameDictionary(parser, &names);
  WalkStructureTree(parser, names, maxDepth, WriteItem, nullptr);
  std::fflush(stdout);
  DestroyNameDictionary(names);
  parser.ResetParser();
  return status;
}
