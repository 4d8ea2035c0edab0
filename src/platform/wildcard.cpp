// The Windows wildcard rules, the same code in both builds.
#include "platform/platform.h"

#include <cwchar>
#include <cwctype>

namespace platform {
namespace {

// A pattern is first written in the rules' own terms, as Windows does before it searches:
// '?' becomes "any character, or nothing before a dot or the end"; a '.' before '?', '*' or
// the end matches a dot or the end of the name; a '*' before a dot stops at the last dot.
constexpr wchar_t kAnyRun = 1, kRunToLastDot = 2, kOneOrNone = 3, kDotOrEnd = 4;
constexpr size_t kPatternChars = 64; // the program's patterns are a few characters long

void TranslatePattern(const wchar_t *pattern, wchar_t *out, size_t outSize) {
  size_t n = 0;
  for (const wchar_t *p = pattern; *p != 0 && n + 1 < outSize; ++p) {
    wchar_t c = *p;
    if (c == L'?')
      c = kOneOrNone;
    else if (c == L'*')
      c = p[1] == L'.' ? kRunToLastDot : kAnyRun;
    else if (c == L'.' && (p[1] == L'?' || p[1] == L'*' || p[1] == 0))
      c = kDotOrEnd;
    out[n++] = c;
  }
  out[n] = 0;
}

// Plain backtracking: the patterns are short and have at most one run, so it stays cheap.
bool MatchFrom(const wchar_t *p, const wchar_t *n, const wchar_t *lastDot) {
  for (;;) {
    switch (*p) {
    case 0:
      return *n == 0;
    case kAnyRun:
    case kRunToLastDot:
      for (const wchar_t *k = n;; ++k) {
        if (MatchFrom(p + 1, k, lastDot)) return true;
        if (*k == 0 || (*p == kRunToLastDot && k == lastDot)) return false;
      }
    case kOneOrNone:
      if (*n == 0 || *n == L'.') {
        while (*p == kOneOrNone) ++p;
        continue;
      }
      ++p, ++n;
      continue;
    case kDotOrEnd:
      if (*n == L'.') {
        ++p, ++n;
        continue;
      }
      if (*n == 0) {
        ++p;
        continue;
      }
      return false;
    default:
      if (std::towlower(static_cast<wint_t>(*p)) != std::towlower(static_cast<wint_t>(*n)))
        return false;
      ++p, ++n;
      continue;
    }
  }
}

} // namespace

int MatchesWildcard(const wchar_t *name, const wchar_t *pattern) {
  wchar_t translated[kPatternChars];
  if (std::wcslen(pattern) >= kPatternChars) return 0;
  TranslatePattern(pattern, translated, kPatternChars);
  return MatchFrom(translated, name, std::wcsrchr(name, L'.')) ? 1 : 0;
}

} // namespace platform
