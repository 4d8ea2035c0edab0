// Runs a program as a child process, without a shell, and collects what it wrote. Used by
// the tests of orvalis-cli; in the Windows build the child runs under Wine like the test.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct ProgramRun {
  int exitCode = -1; // -1 when the program could not be started or did not exit normally
  std::string out;   // standard output, bytes as written
  std::string err;   // standard error
};

// errorOnTerminal (POSIX only): standard error is a terminal (a pseudo-terminal whose output,
// line ends as the terminal writes them, becomes err).
ProgramRun RunProgram(const std::filesystem::path &program, const std::vector<std::wstring> &args,
                      bool errorOnTerminal = false);
