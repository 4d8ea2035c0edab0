// The Windows wildcard rules that every folder listing applies, the same on every system.
#include <gtest/gtest.h>

#include <vector>

#include "platform/platform.h"

namespace {

TEST(Wildcard, PatternsOfTheWalksSelectWhatWindowsSelects) {
  const struct {
    const wchar_t *pattern;
    std::vector<const wchar_t *> matching, other;
  } cases[] = {
      // An extension of at most two characters, or none (Avid's "MXF" and "1").
      {L"*.??",
       {L"1", L"MXF", L"OMFI MediaFiles", L"a.b", L"Disk.01", L"x.y.zz"},
       {L"Long.abc", L"a.b.cde"}},
      // The extension in any case, and nothing longer.
      {L"*.pmr", {L"msmFMID.pmr", L"B.PMR", L"a.b.pmr"}, {L"a.pmrx", L"pmr"}},
      {L"*.*", {L"clip.omf", L"README", L"."}, {}}, // everything, with a dot or without
  };
  for (const auto &c : cases) {
    for (int matches : {1, 0}) {
      for (const wchar_t *name : matches ? c.matching : c.other)
        EXPECT_EQ(matches, platform::MatchesWildcard(name, c.pattern))
            << testing::PrintToString(std::wstring(c.pattern) + L" " + name);
    }
  }
}

} // namespace
