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

ProgramRun RunProgram(const std::filesystem::path &program, const std::vector<std::wstring> &args);
