#include "fuzz_input.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include <sys/mman.h>
#include <unistd.h>

#include "platform/platform.h"

namespace {

int g_file = -1;
wchar_t g_path[64];

// memfd_create where the kernel has it; else an unlinked temporary file, in /dev/shm when
// that exists, which the /proc path still reaches.
int CreateInputFile() {
  int fd = memfd_create("orvalis-fuzz-input", MFD_CLOEXEC);
  if (fd >= 0) return fd;
  char name[] = "/dev/shm/orvalis-fuzz-XXXXXX";
  fd = mkstemp(name);
  if (fd < 0) {
    char fallback[] = "/tmp/orvalis-fuzz-XXXXXX";
    fd = mkstemp(fallback);
    if (fd >= 0) unlink(fallback);
  } else {
    unlink(name);
  }
  return fd;
}

void ReadLine(const wchar_t *text) {
  if (text != nullptr) (void)std::wcslen(text);
}

void ReadError(const wchar_t *tag, uint32_t) {
  ReadLine(tag);
}

} // namespace

const wchar_t *FuzzInputPath(const uint8_t *data, size_t size) {
  if (g_file < 0) {
    g_file = CreateInputFile();
    if (g_file < 0) FuzzFail("no memory-backed file for the input");
    std::swprintf(g_path, sizeof g_path / sizeof g_path[0], L"/proc/self/fd/%d", g_file);
  }
  if (ftruncate(g_file, 0) != 0) FuzzFail("cannot empty the input file");
  size_t done = 0;
  while (done < size) {
    ssize_t n = pwrite(g_file, data + done, size - done, static_cast<off_t>(done));
    if (n <= 0) FuzzFail("cannot write the input file");
    done += static_cast<size_t>(n);
  }
  return g_path;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  platform::HostHooks hooks{};
  hooks.logLine = ReadLine;
  hooks.logError = ReadError;
  hooks.progressTitle = ReadLine;
  hooks.progressInfo = ReadLine;
  platform::SetHostHooks(hooks);
  return 0;
}

void FuzzFail(const char *reason) {
  std::fprintf(stderr, "fuzz check failed: %s\n", reason);
  std::abort();
}

size_t FuzzTextLength(const wchar_t *text, size_t capacity, const char *what) {
  size_t n = wcsnlen(text, capacity);
  if (n == capacity) FuzzFail(what);
  return n;
}
