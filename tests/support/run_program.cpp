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
HANDLE CreateInheritable(const std::filesystem::path &file) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(file.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Quoted as the C runtime splits a command line; the arguments of these tests hold no quotes.
void AppendQuoted(std::wstring &line, const std::wstring &arg) {
  if (!line.empty()) line += L' ';
  line += L'"' + arg + L'"';
}

int Start(const std::filesystem::path &program, const std::vector<std::wstring> &args,
          const std::filesystem::path &out, const std::filesystem::path &err) {
  std::wstring line;
  AppendQuoted(line, program.wstring());
  for (const std::wstring &arg : args) AppendQuoted(line, arg);
  HANDLE outFile = CreateInheritable(out), errFile = CreateInheritable(err);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = outFile;
  startup.hStdError = errFile;
  PROCESS_INFORMATION process{};
  int exitCode = -1;
  if (outFile != INVALID_HANDLE_VALUE && errFile != INVALID_HANDLE_VALUE &&
      CreateProcessW(program.wstring().c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     nullptr, &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) exitCode = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  if (outFile != INVALID_HANDLE_VALUE) CloseHandle(outFile);
  if (errFile != INVALID_HANDLE_VALUE) CloseHandle(errFile);
  return exitCode;
}
#else
std::string Utf8(const std::wstring &text) {
  std::string utf8(platform::WideToUtf8(text.c_str(), nullptr, 0), '\0');
  platform::WideToUtf8(text.c_str(), utf8.data(), utf8.size() + 1);
  return utf8;
}

int Start(const std::filesystem::path &program, const std::vector<std::wstring> &args,
          const std::filesystem::path &out, const std::filesystem::path &err, int terminal,
          std::string *terminalText) {
  std::vector<std::string> texts{program.string()};
  for (const std::wstring &arg : args) texts.push_back(Utf8(arg));
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
  run.err = ReadWhole(err);
#else
  int terminal = -1;
  if (errorOnTerminal) {
    terminal = posix_openpt(O_RDWR | O_NOCTTY);
    if (terminal < 0 || grantpt(terminal) != 0 || unlockpt(terminal) != 0) return run;
  }
  run.exitCode = Start(program, args, out, err, terminal, &run.err);
  if (terminal >= 0)
    close(terminal);
  else
    run.err = ReadWhole(err);
#endif
  run.out = ReadWhole(out);
  return run;
}
