#include "platform/platform.h"

#include <gtest/gtest.h>

// File names compare without regard to case, project names with it; both orders must
// be consistent so that the trees built on them stay ordered.
TEST(TextCompare, IgnoringCaseTreatsLettersAlike) {
  EXPECT_EQ(platform::CompareNoCase(L"A001C002.MXF", L"a001c002.mxf"), 0);
  EXPECT_LT(platform::CompareNoCase(L"abc", L"ABD"), 0);
  EXPECT_GT(platform::CompareNoCase(L"b", L"A"), 0);
  EXPECT_LT(platform::CompareNoCase(L"ab", L"abc"), 0);
}

TEST(TextCompare, WithCaseKeepsSpellingsApart) {
  EXPECT_NE(platform::CompareCase(L"Demo", L"demo"), 0);
  EXPECT_EQ(platform::CompareCase(L"Demo", L"Demo"), 0);
  EXPECT_EQ(platform::CompareCase(L"Demo", L"demo"), -platform::CompareCase(L"demo", L"Demo"));
  EXPECT_LT(platform::CompareCase(L"Dem", L"Demo"), 0);
}
