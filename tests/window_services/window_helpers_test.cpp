// The short size text: the system's form, or nothing when the buffer is too small.
#include <windows.h>
#include <shlwapi.h>
#include <gtest/gtest.h>

#include "window_services/window_helpers.h"

namespace {

TEST(FormatByteSize, WritesTheShortFormOrNothing) {
  wchar_t text[60] = L"stale text";
  EXPECT_EQ(FormatByteSize(text, 60, 1536), text);
  wchar_t expected[60];
  StrFormatByteSizeW(1536, expected, 60);
  EXPECT_STREQ(text, expected);

  wchar_t tiny[2] = {L'x', L'x'};
  FormatByteSize(tiny, 2, 1536);
  EXPECT_EQ(tiny[0], 0) << "never the earlier contents";
}

} // namespace
