// orvalis-cli: the portable core's readers at the command line. Each command lives in its
// own file (cmd_<name>.cpp) and has one line in the table below.
#include <cwchar>
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "platform/platform.h"

int CmdPmr(int argc, wchar_t **argv);
int CmdToc(int argc, wchar_t **argv);
int CmdDict(int argc, wchar_t **argv);
int CmdOmf(int argc, wchar_t **argv);
int CmdMdb(int argc, wchar_t **argv);
int CmdScan(int argc, wchar_t **argv);
int CmdDups(int argc, wchar_t **argv);
int CmdTree(int argc, wchar_t **argv);

namespace {

struct Command {
  const wchar_t *name;
  const wchar_t *arguments; // as shown in the usage text
  int minArguments;
  int maxArguments;
  const wchar_t *summary;
  CommandFunction run;
};

const Command kCommands[] = {
    {L"pmr", L"FILE", 1, 1, L"list the entries of a .pmr media index file", CmdPmr},
    {L"toc", L"FILE", 1, 1, L"open a Bento container and count its TOC and mob indexes", CmdToc},
    {L"omf", L"FILE", 1, 1, L"describe an OMF media file from its own objects", CmdOmf},
    {L"mdb", L"FILE FILEMOBKEY CLIPMOBKEY", 3, 3,
     L"describe one media record against a media database", CmdMdb},
    {L"scan", L"[--json] [--media PATH]... PATH...", 1, 1 << 20,
     L"load databases (folders, .pmr files) and media; list the records and totals", CmdScan},
    {L"dups", L"[--media PATH]... PATH...", 1, 1 << 20,
     L"load as scan does; list the duplicate rows (keep or backup)", CmdDups},
    {L"dict", L"FILE...", 1, 1 << 20, L"write the names of containers' dictionaries as a header file",
     CmdDict},
    {L"tree", L"FILE [--depth N]", 1, 3, L"print the structure viewer's tree of a container",
     CmdTree},
};

void PrintUsage(std::FILE *stream) {
  WriteUtf8(stream, L"usage: orvalis-cli COMMAND [ARGUMENTS]\n\ncommands:\n");
  for (const Command &command : kCommands) {
    std::wstring line = L"  " + std::wstring(command.name) + L" " + command.arguments;
    line.resize(line.size() < 24 ? 24 : line.size() + 2, L' ');
    line += command.summary;
    line += L"\n";
    WriteUtf8(stream, line.c_str());
  }
}

int RunCli(int argc, wchar_t **argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  const wchar_t *name = argv[1];
  if (std::wcscmp(name, L"help") == 0 || std::wcscmp(name, L"--help") == 0 ||
      std::wcscmp(name, L"-h") == 0) {
    PrintUsage(stdout);
    return kExitOk;
  }
  for (const Command &command : kCommands) {
    if (std::wcscmp(name, command.name) != 0) continue;
    int count = argc - 2;
    int status = kExitUsage;
    if (count >= command.minArguments && count <= command.maxArguments) {
      InstallLogHooks();
      status = command.run(count, argv + 2);
    }
    if (status == kExitUsage) PrintUsage(stderr);
    return status;
  }
  WriteUtf8(stderr, (L"orvalis-cli: unknown command \"" + std::wstring(name) + L"\"\n").c_str());
  PrintUsage(stderr);
  return kExitUsage;
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t **argv) {
  return RunCli(argc, argv);
}
#else
// Arguments arrive as UTF-8 and are widened like every other text of the core.
int main(int argc, char **argv) {
  std::vector<std::wstring> texts;
  for (int i = 0; i < argc; ++i) {
    std::wstring text(platform::Utf8ToWide(argv[i], nullptr, 0), L'\0');
    platform::Utf8ToWide(argv[i], text.data(), text.size() + 1);
    texts.push_back(text);
  }
  std::vector<wchar_t *> wide;
  for (std::wstring &text : texts) wide.push_back(text.data());
  wide.push_back(nullptr);
  return RunCli(argc, wide.data());
}
#endif
