#include "support/run_program.h"

#include <fstream>
#include <iterator>

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

namespace {

std::string ReadWhole(const std::filesystem::path &file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#ifdef _WIN32
int Start(const std::filesystem::path &program, const std::vector<std::wstring> &args,
          const std::filesystem::path &out, const std::filesystem::path &err) {
  // Quoted as the C runtime splits a command line; the arguments of these tests hold no quotes.
  std::wstring line = L'"' + program.wstring() + L'"';
  for (const std::wstring &arg : args) line += L" \"" + arg + L'"';
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE files[2];
  for (int i = 0; i < 2; ++i)
    files[i] = CreateFileW((i == 0 ? out : err).wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                           &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = files[0];
  startup.hStdError = files[1];
  PROCESS_INFORMATION process{};
  int exitCode = -1;
  if (files[0] != INVALID_HANDLE_VALUE && files[1] != INVALID_HANDLE_VALUE &&
      CreateProcessW(program.wstring().c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     nullptr, &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) exitCode = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  for (HANDLE file : files)
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return exitCode;
}
#else
int Start(const std::filesystem::path &program, const std::vector<std::wstring> &args,
          const std::filesystem::path &out, const std::filesystem::path &err, int terminal,
          std::string *terminalText) {
  std::vector<std::string> texts{program.string()};
  for (const std::wstring &arg : args) {
    std::string utf8(platform::WideToUtf8(arg.c_str(), nullptr, 0), '\0');
    platform::WideToUtf8(arg.c_str(), utf8.data(), utf8.size() + 1);
    texts.push_back(utf8);
  }
  std::vector<char *> argv;
  for (std::string &text : texts) argv.push_back(text.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (terminal >= 0)
    posix_spawn_file_actions_addopen(&actions, 2, ptsname(terminal), O_RDWR | O_NOCTTY, 0);
  else
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t child = 0;
  int started = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) return -1;
  // Read while the child writes (a full terminal would stop it) until its side is closed.
  char chunk[4096];
  for (ssize_t n; terminal >= 0 && (n = read(terminal, chunk, sizeof chunk)) > 0;)
    terminalText->append(chunk, static_cast<size_t>(n));
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}
#endif

} // namespace

ProgramRun RunProgram(const std::filesystem::path &program, const std::vector<std::wstring> &args,
                      bool errorOnTerminal) {
  ProgramRun run;
  ScratchDir scratch;
  if (scratch.path.empty()) return run;
  std::filesystem::path out = scratch.File("stdout"), err = scratch.File("stderr");
#ifdef _WIN32
  (void)errorOnTerminal;
  run.exitCode = Start(program, args, out, err);
#else
  int terminal = -1;
  if (errorOnTerminal) {
    terminal = posix_openpt(O_RDWR | O_NOCTTY);
    if (terminal < 0 || grantpt(terminal) != 0 || unlockpt(terminal) != 0) return run;
  }
  run.exitCode = Start(program, args, out, err, terminal, &run.err);
  if (terminal >= 0) close(terminal);
#endif
  if (!errorOnTerminal) run.err = ReadWhole(err);
  run.out = ReadWhole(out);
  return run;
}
