// The "Compression" column's text.
#include <gtest/gtest.h>

#include <string>

#include "inspection/media_info_text.h"

namespace {

std::wstring Text(const char *type, uint32_t compressionId, const char *formatCode) {
  wchar_t out[kCompressionTextChars];
  for (wchar_t &c : out) c = L'#'; // no stale character may show through
  return FormatCompressionText(out, compressionId, formatCode, 0, type);
}

const char kZero[4] = {0, 0, 0, 0};

// A known compression ID gets its label (the first and last of the table), any other the raw
// form.
TEST(MediaInfoText, VideoLabels) {
  EXPECT_EQ(L"JPEG: 10:1", Text("_VID", 75, "JFIF"));
  EXPECT_EQ(L"UNCOMP: 1:1 10bit", Text("_VID", 2022, "JFIF"));
  EXPECT_EQ(L"_VID JFIF 0x51", Text("_VID", 81, "JFIF"));
  EXPECT_EQ(L"_VID JFIF 0xffffffff", Text("_VID", 0xFFFFFFFF, "JFIF"));
}

TEST(MediaInfoText, AudioTemplates) {
  EXPECT_EQ(L"WAVE 48khz 16bit", Text("_WAV", 0, "4816"));
  EXPECT_EQ(L"AIFF 44khz 24bit", Text("_AIF", 0, "4424"));
  EXPECT_EQ(L"PCM 48khz 16bit", Text("_PCM", 0, "4816")); // one position earlier
  EXPECT_EQ(L"WAVE   khz 16bit", Text("_WAV", 0, "  16"));
  EXPECT_EQ(L"WAVE ", Text("_WAV", 0, kZero)); // a zero rate code ends the text
  EXPECT_EQ(L"PCM ", Text("_PCM", 0, kZero));
}

TEST(MediaInfoText, FallbackForms) {
  EXPECT_EQ(L"_SD2 ", Text("_SD2", 0, kZero));
  EXPECT_EQ(L"", Text(kZero, 0x99, "JFIF"));
  EXPECT_EQ(L"_MXF JFIF 0x0", Text("_MXF", 0, "JFIF"));
  EXPECT_EQ(L"NONE ", Text("NONE", 5, kZero));
  EXPECT_EQ(L"_VI", Text("_VI\0", 5, "JFIF"));
  EXPECT_EQ(nullptr, FormatCompressionText(nullptr, 76, "JFIF", 0, "_VID"));
}

} // namespace
