// The portable core's only window on the operating system. Everything below has a
// Win32 implementation (platform_win32.cpp) and a POSIX one (platform_posix.cpp);
// the core never includes <windows.h> itself.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Text comparison. Case-insensitive comparison is used for file names, folders and
// database paths; case-sensitive comparison for project names. Both return <0, 0, >0.
int CompareNoCase(const wchar_t *a, const wchar_t *b);
int CompareCase(const wchar_t *a, const wchar_t *b);

} // namespace platform
