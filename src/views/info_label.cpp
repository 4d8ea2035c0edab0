#include "views/info_label.h"

#include <windows.h>

#include "catalogue/catalogue.h"
#include "window_services/shell_state.h"
#include "window_services/window_helpers.h"

void ShowInfoText() {
  wchar_t size[60];
  FormatByteSize(size, 60, g_catalogue.totalSize);
  wsprintfW(g_shell.infoText,
            L"Projects count:\t%i\nTotal Items:\t%i\nUnique Items:\t%i\nTotal size\t%s",
            static_cast<int>(g_catalogue.projectsCount), static_cast<int>(g_catalogue.totalItems),
            static_cast<int>(g_catalogue.uniqueItems), size);
  SetWindowTextW(g_shell.infoLabel, g_shell.infoText);
}
