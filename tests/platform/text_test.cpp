// Text: file names compare without regard to case, project names with it (both orders
// consistent, so the trees built on them stay ordered); UTF-8 both ways.
#include <gtest/gtest.h>

#include <cwctype>
#include <vector>

#include "platform/platform.h"

namespace {

TEST(TextCompare, IgnoringCaseTreatsLettersAlikeAndWithCaseKeepsSpellingsApart) {
  EXPECT_EQ(platform::CompareNoCase(L"A001C002.MXF", L"a001c002.mxf"), 0);
  EXPECT_LT(platform::CompareNoCase(L"abc", L"ABD"), 0);
  EXPECT_GT(platform::CompareNoCase(L"b", L"A"), 0);
  EXPECT_LT(platform::CompareNoCase(L"ab", L"abc"), 0);
  EXPECT_EQ(platform::CompareCase(L"Demo", L"Demo"), 0);
  EXPECT_EQ(platform::CompareCase(L"Demo", L"demo"), -platform::CompareCase(L"demo", L"Demo"));
  EXPECT_NE(platform::CompareCase(L"Demo", L"demo"), 0);
  EXPECT_LT(platform::CompareCase(L"Dem", L"Demo"), 0);
#ifndef _WIN32
  // Every pair of characters orders as towlower folds them, ASCII or not.
  std::vector<wchar_t> all = {L'\u00C9', L'\u00E9', L'\u0130', L'\u0131', L'\u212A', L'\uFFFD'};
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

// "aé€😀": one, two, three and four UTF-8 bytes; the last is a surrogate pair on Windows.
const char kUtf8[] = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
const wchar_t *const kWide = L"a\u00E9\u20AC\U0001F600";

TEST(TextUtf8, RoundTripsEveryCharacterWidthAndKeepsWholeCharactersInShortBuffers) {
  char utf8[32];
  EXPECT_EQ(platform::WideToUtf8(kWide, utf8, sizeof utf8), 10u);
  EXPECT_STREQ(utf8, kUtf8);
  wchar_t wide[16];
  EXPECT_EQ(platform::Utf8ToWide(kUtf8, wide, 16), std::wcslen(kWide));
  EXPECT_STREQ(wide, kWide);
  // Room for "aé" and 2 bytes of the euro sign, which must not be split.
  EXPECT_EQ(platform::WideToUtf8(kWide, utf8, 6), 10u);
  EXPECT_STREQ(utf8, "a\xC3\xA9");
  EXPECT_EQ(platform::WideToUtf8(kWide, nullptr, 0), 10u);
  EXPECT_EQ(platform::Utf8ToWide(kUtf8, wide, 2), std::wcslen(kWide));
  EXPECT_STREQ(wide, L"a");
}

TEST(TextUtf8, MalformedInputBecomesReplacementCharacters) {
  wchar_t wide[16];
  // A stray continuation byte, an overlong "/", a cut-off sequence at the end.
  platform::Utf8ToWide("x\x80y\xC0\xAFz\xE2\x82", wide, 16);
  EXPECT_STREQ(wide, L"x\uFFFDy\uFFFD\uFFFDz\uFFFD\uFFFD");
  char utf8[16];
  const wchar_t lone[] = {L'a', static_cast<wchar_t>(0xD800), L'b', 0};
  platform::WideToUtf8(lone, utf8, sizeof utf8);
  EXPECT_STREQ(utf8, "a\xEF\xBF\xBD"
                     "b");
}

} // namespace
