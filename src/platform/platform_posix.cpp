#include "platform/platform.h"

#include <cwchar>
#include <cwctype>

namespace platform {

int CompareNoCase(const wchar_t *a, const wchar_t *b) {
  for (;; ++a, ++b) {
    wint_t ca = std::towlower(static_cast<wint_t>(*a));
    wint_t cb = std::towlower(static_cast<wint_t>(*b));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}

int CompareCase(const wchar_t *a, const wchar_t *b) {
  int r = std::wcscmp(a, b);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

} // namespace platform
