#include "platform/platform.h"

#include <windows.h>
#include <shlwapi.h>

namespace platform {

int CompareNoCase(const wchar_t *a, const wchar_t *b) { return StrCmpIW(a, b); }
int CompareCase(const wchar_t *a, const wchar_t *b) { return StrCmpW(a, b); }

} // namespace platform
