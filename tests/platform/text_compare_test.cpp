#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <vector>

// File names compare without regard to case, project names with it; both orders must
// be consistent so that the trees built on them stay ordered.
TEST(TextCompare, IgnoringCaseTreatsLettersAlike) {
  EXPECT_EQ(platform::CompareNoCase(L"A001C002.MXF", L"a001c002.mxf"), 0);
  EXPECT_LT(platform::CompareNoCase(L"abc", L"ABD"), 0);
  EXPECT_GT(platform::CompareNoCase(L"b", L"A"), 0);
  EXPECT_LT(platform::CompareNoCase(L"ab", L"abc"), 0);
#ifndef _WIN32
  // Every pair of characters orders as towlower folds them, ASCII or not.
  const wchar_t samples[] = {L'\u00C9', L'\u00E9', L'\u0130', L'\u0131', L'\u212A', L'\uFFFD'};
  std::vector<wchar_t> all(samples, samples + sizeof samples / sizeof samples[0]);
  for (wchar_t c = 1; c < 0x80; ++c) all.push_back(c);
  for (wchar_t x : all) {
    for (wchar_t y : all) {
      const wchar_t a[] = {L'n', x, 0}, b[] = {L'n', y, 0};
      const wint_t fx = std::towlower(static_cast<wint_t>(x)),
                   fy = std::towlower(static_cast<wint_t>(y));
      EXPECT_EQ(fx == fy ? 0 : (fx < fy ? -1 : 1), platform::CompareNoCase(a, b))
          << +x << " " << +y;
    }
  }
#endif
}

TEST(TextCompare, WithCaseKeepsSpellingsApart) {
  EXPECT_NE(platform::CompareCase(L"Demo", L"demo"), 0);
  EXPECT_EQ(platform::CompareCase(L"Demo", L"Demo"), 0);
  EXPECT_EQ(platform::CompareCase(L"Demo", L"demo"), -platform::CompareCase(L"demo", L"Demo"));
  EXPECT_LT(platform::CompareCase(L"Dem", L"Demo"), 0);
}
