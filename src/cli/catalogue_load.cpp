#include "cli/catalogue_load.h"

#include <cwchar>
#include <string>

#include "catalogue/database_discovery.h"
#include "catalogue/media_linking.h"
#include "cli/cli_common.h"
#include "platform/platform.h"

namespace {

// A name that ends in "pmr" or "PMR" (no other mix of case), as the database tree takes it.
bool IsIndexFileName(const wchar_t *path) {
  size_t length = std::wcslen(path);
  return length >= 3 && (std::wcscmp(path + length - 3, L"pmr") == 0 ||
                         std::wcscmp(path + length - 3, L"PMR") == 0);
}

// Through the log, so that a progress line on the terminal is wiped first.
void ReportUnusable(const wchar_t *path, const wchar_t *what) {
  platform::LogLine((L"orvalis-cli: " + std::wstring(path) + L": " + what).c_str());
}

} // namespace

bool ParseLoadArguments(int argc, wchar_t **argv, bool acceptJson, LoadArguments *out) {
  for (int i = 0; i < argc; ++i) {
    const wchar_t *argument = argv[i];
    if (acceptJson && std::wcscmp(argument, L"--json") == 0) {
      out->json = true;
    } else if (std::wcscmp(argument, L"--media") == 0) {
      if (i + 1 >= argc) return false;
      out->media.push_back(argv[++i]);
    } else if (argument[0] == L'-' && argument[1] == L'-') {
      return false;
    } else {
      out->databases.push_back(argument);
    }
  }
  return !out->databases.empty() || !out->media.empty();
}

int LoadCatalogue(const LoadArguments &arguments) {
  platform::ProgressStart();
  platform::ProgressShow();
  int status = kExitOk;
  for (const wchar_t *path : arguments.databases) {
    if (platform::IsDirectory(path)) {
      ScanFolder(path);
    } else if (IsIndexFileName(path) && platform::PathExists(path)) {
      AddDatabase(path);
    } else {
      ReportUnusable(path, L"neither a folder nor a .pmr index file");
      status = kExitFailed;
    }
  }
  LoadAll();
  for (const wchar_t *path : arguments.media) {
    if (platform::IsDirectory(path)) {
      AddMediaFolder(path);
    } else if (platform::PathExists(path)) {
      AddMediaFile(path);
    } else {
      ReportUnusable(path, L"no such file or folder");
      status = kExitFailed;
    }
  }
  if (!arguments.media.empty()) Link();

  platform::ProgressClose();
  return status;
}
