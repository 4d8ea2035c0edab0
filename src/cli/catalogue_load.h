// Loading the catalogue at the command line as the main window does it: each PATH is a
// drop on the database tree, then the load, then each --media path as a drop on the
// project list. Shared by the scan and dups commands.
#pragma once

#include <vector>

struct LoadArguments {
  bool json = false;
  std::vector<const wchar_t *> databases; // folders and ".pmr" files
  std::vector<const wchar_t *> media;     // media folders and files
};

// Reads [--json] [--media PATH]... PATH... (--json only when acceptJson); false for a usage
// error (an unknown option, --media without its path, nothing to load).
bool ParseLoadArguments(int argc, wchar_t **argv, bool acceptJson, LoadArguments *out);

// Runs the drops, LoadAll and the media drops on the global catalogue, with a progress line
// on standard error when that is a terminal. kExitOk, or kExitFailed when a path given could
// not be used (it is named on standard error and the rest is still loaded).
int LoadCatalogue(const LoadArguments &arguments);
