// The GUI entry point of orvalis.exe. The command line is ignored.
#include <windows.h>

#include "shell/main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  if (!StartShell(instance, showCommand)) return 0;
  int code = RunMessageLoop();
  EndShell();
  return code;
}
