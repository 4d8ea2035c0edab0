// gui_scan_bench FOLDER [--no-progress-updates]: the main window's Scan of the databases
// below FOLDER, under Wine: the folder is dropped on the Bases tree (not timed), then the
// time from the Scan button's command to the totals shown in the info label, and the
// process's peak memory. Prints one line "gui-scan <ms> <records> <peak working set bytes>
// <peak private bytes>". With --no-progress-updates the progress window opens and closes as
// usual but the loading sends it nothing, which tells what its updates cost.
// bench/gui_scan.sh runs it next to orvalis-cli scan of the same folder.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>

#include "catalogue/catalogue.h"
#include "platform/platform.h"
#include "support/gui_harness.h"
#include "views/view_state.h"

int wmain(int argc, wchar_t **argv) {
  bool quiet = argc == 3 && std::wcscmp(argv[2], L"--no-progress-updates") == 0;
  if (argc != 2 && !quiet) {
    std::fprintf(stderr, "usage: gui_scan_bench FOLDER [--no-progress-updates]\n");
    return 2;
  }
  if (!IsWindow(StartedShell())) {
    std::fprintf(stderr, "gui_scan_bench: start-up failed\n");
    return 1;
  }
  Drop(g_shell.basesTree, {argv[1]});
  gui::Pump(200);
  if (quiet) {
    platform::HostHooks hooks = platform::SetHostHooks(platform::HostHooks{});
    hooks.progressTitle = nullptr;
    hooks.progressInfo = nullptr;
    hooks.progressOverallTotal = nullptr;
    hooks.progressOverallPos = nullptr;
    hooks.progressItemTotal = nullptr;
    hooks.progressItemPos = nullptr;
    platform::SetHostHooks(hooks);
  }

  LARGE_INTEGER start, end, frequency;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  gui::Click(g_shell.scanButton); // runs the whole scan inside the command
  bool shown = gui::PumpUntil(
      [] { return gui::Text(g_shell.infoLabel).rfind(L"Projects count:", 0) == 0; }, 600000);
  QueryPerformanceCounter(&end);
  if (!shown) {
    std::fprintf(stderr, "gui_scan_bench: no totals shown\n");
    return 1;
  }
  double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
              static_cast<double>(frequency.QuadPart);
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  std::printf("gui-scan %.0f %u %llu %llu\n", ms, static_cast<unsigned>(g_catalogue.records.count),
              static_cast<unsigned long long>(memory.PeakWorkingSetSize),
              static_cast<unsigned long long>(memory.PeakPagefileUsage));
  std::fflush(stdout);
  DestroyWindow(g_shell.mainWindow);
  return 0;
}
