// Runs a program as a child process, without a shell, and collects what it wrote; in the
// Windows build the child runs under Wine like the test.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/platform.h"

extern char **environ;
#endif

struct ProgramRun {
  int exitCode = -1; // -1 when the program could not be started or did not exit normally
  std::string out;   // standard output, bytes as written
  std::string err;   // standard error
};

// errorOnTerminal (POSIX only): standard error is a terminal (a pseudo-terminal whose output,
// line ends as the terminal writes them, becomes err).
inline ProgramRun RunProgram(const std::filesystem::path &program,
                             const std::vector<std::wstring> &args, bool errorOnTerminal = false) {
  ProgramRun run;
  ScratchDir scratch;
  if (scratch.path.empty()) return run;
  const std::filesystem::path files[2] = {scratch.File("stdout"), scratch.File("stderr")};
#ifdef _WIN32
  (void)errorOnTerminal;
  // Quoted as the C runtime splits a command line; the arguments of these tests hold no quotes.
  std::wstring line = L'"' + program.wstring() + L'"';
  for (const std::wstring &arg : args) line += L" \"" + arg + L'"';
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE handles[2];
  for (int i = 0; i < 2; ++i)
    handles[i] = CreateFileW(files[i].c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = handles[0];
  startup.hStdError = handles[1];
  PROCESS_INFORMATION process{};
  DWORD code = 0;
  if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                     &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    if (GetExitCodeProcess(process.hProcess, &code)) run.exitCode = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  for (HANDLE handle : handles) CloseHandle(handle); // an invalid one is left as it is
#else
  std::vector<std::string> texts{program.string()};
  for (const std::wstring &arg : args) {
    texts.emplace_back(platform::WideToUtf8(arg.c_str(), nullptr, 0), '\0');
    platform::WideToUtf8(arg.c_str(), texts.back().data(), texts.back().size() + 1);
  }
  std::vector<char *> argv;
  for (std::string &text : texts) argv.push_back(text.data());
  argv.push_back(nullptr);
  const int terminal = errorOnTerminal ? posix_openpt(O_RDWR | O_NOCTTY) : -1;
  if (errorOnTerminal && (terminal < 0 || grantpt(terminal) != 0 || unlockpt(terminal) != 0))
    return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {1, 2}) {
    const char *to = fd == 2 && terminal >= 0 ? ptsname(terminal) : files[fd - 1].c_str();
    posix_spawn_file_actions_addopen(&actions, fd, to, O_WRONLY | O_CREAT | O_TRUNC | O_NOCTTY,
                                     0600);
  }
  pid_t child = 0;
  const bool started = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  // Read while the child writes (a full terminal would stop it) until its side is closed.
  char chunk[4096];
  for (ssize_t n; started && terminal >= 0 && (n = read(terminal, chunk, sizeof chunk)) > 0;)
    run.err.append(chunk, static_cast<size_t>(n));
  int status = 0;
  if (started && waitpid(child, &status, 0) == child && WIFEXITED(status))
    run.exitCode = WEXITSTATUS(status);
  if (terminal >= 0) close(terminal);
#endif
  if (!errorOnTerminal) run.err = ReadFileBytes(files[1]);
  run.out = ReadFileBytes(files[0]);
  return run;
}
