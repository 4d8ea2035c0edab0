#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

namespace {

// "aé€😀": one, two, three and four UTF-8 bytes; the last is a surrogate pair on Windows.
const char kUtf8[] = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
const wchar_t *const kWide = L"a\u00E9\u20AC\U0001F600";

TEST(TextUtf8, RoundTripsEveryCharacterWidth) {
  char utf8[32];
  EXPECT_EQ(platform::WideToUtf8(kWide, utf8, sizeof utf8), 10u);
  EXPECT_STREQ(utf8, kUtf8);
  wchar_t wide[16];
  EXPECT_EQ(platform::Utf8ToWide(kUtf8, wide, 16), std::wcslen(kWide));
  EXPECT_STREQ(wide, kWide);
}

TEST(TextUtf8, ShortBufferKeepsWholeCharactersAndTellsTheLengthNeeded) {
  char utf8[6]; // room for "aé" and 2 bytes of the euro sign, which must not be split
  EXPECT_EQ(platform::WideToUtf8(kWide, utf8, sizeof utf8), 10u);
  EXPECT_STREQ(utf8, "a\xC3\xA9");
  EXPECT_EQ(platform::WideToUtf8(kWide, nullptr, 0), 10u);
  wchar_t wide[2];
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
