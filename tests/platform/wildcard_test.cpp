// The Windows wildcard rules that every folder listing applies, the same on every system.
#include <gtest/gtest.h>

#include "platform/platform.h"

namespace {

TEST(Wildcard, PatternsOfTheWalksSelectWhatWindowsSelects) {
  const struct {
    const wchar_t *pattern, *name;
    int matches;
  } cases[] = {
      // "*.??": an extension of at most two characters, or none (Avid's "MXF" and "1").
      {L"*.??", L"1", 1}, {L"*.??", L"MXF", 1}, {L"*.??", L"OMFI MediaFiles", 1},
      {L"*.??", L"a.b", 1}, {L"*.??", L"Disk.01", 1}, {L"*.??", L"x.y.zz", 1},
      {L"*.??", L"Long.abc", 0}, {L"*.??", L"a.b.cde", 0},
      // "*.pmr": the extension in any case, and nothing longer.
      {L"*.pmr", L"msmFMID.pmr", 1}, {L"*.pmr", L"B.PMR", 1}, {L"*.pmr", L"a.b.pmr", 1},
      {L"*.pmr", L"a.pmrx", 0}, {L"*.pmr", L"pmr", 0},
      // "*.*": everything, with a dot or without.
      {L"*.*", L"clip.omf", 1}, {L"*.*", L"README", 1}, {L"*.*", L".", 1},
  };
  for (const auto &c : cases)
    EXPECT_EQ(c.matches, platform::MatchesWildcard(c.name, c.pattern))
        << testing::PrintToString(std::wstring(c.pattern) + L" " + c.name);
}

} // namespace
