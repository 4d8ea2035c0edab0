// Rate, bit depth and unit size from WAVE and AIFC summaries and PCMA properties, read
// through the database walk of a file mob with the descriptor under test.
#include <gtest/gtest.h>

#include <string>

#include "inspection/container_test.h"
#include "support/omf_builder.h"

namespace {

enum Kind { kWave, kAifc, kPcm };

struct Case {
  Kind kind;
  std::vector<uint8_t> summary; // WAVE and AIFC
  uint16_t bits;                // PCMA
  uint32_t byteRate;            // PCMA
  const char *formatCode;
  int64_t unitSize; // -1: not looked at
};

std::vector<uint8_t> Bytes(std::vector<uint8_t> bytes, const char *more) {
  bytes.insert(bytes.end(), more, more + std::char_traits<char>::length(more));
  return bytes;
}

// A first fmt chunk of 48 kHz 16 bit, then the fmt chunk and data of another summary.
std::vector<uint8_t> TwoFmtChunks(const std::vector<uint8_t> &second) {
  std::vector<uint8_t> summary = WaveSummary(1, 48000, 16);
  summary.resize(36);
  summary.insert(summary.end(), second.begin() + 12, second.end());
  return summary;
}

using AudioHeaders = ContainerTest;

TEST_F(AudioHeaders, FormatCodesAndUnitSizes) {
  std::vector<uint8_t> noRiff = WaveSummary(2, 48000, 16); // fmt chunk at offset 0
  noRiff.erase(noRiff.begin(), noRiff.begin() + 12);
  std::vector<uint8_t> oneByteIn = noRiff; // the first offset that is examined
  oneByteIn.insert(oneByteIn.begin(), 'x');
  std::vector<uint8_t> noComm = AifcSummary(1, 48000, 16);
  noComm[24] = 'X';
  const Case cases[] = {
      {kWave, WaveSummary(2, 48000, 24), 0, 0, "4824", 6},
      {kWave, WaveSummary(1, 44100, 16), 0, 0, "4416", -1},
      {kWave, WaveSummary(1, 32000, 16), 0, 0, "3216", -1},
      {kWave, WaveSummary(1, 64000, 16), 0, 0, "  16", -1},
      {kWave, WaveSummary(1, 22050, 16), 0, 0, "  16", -1},
      {kWave, WaveSummary(1, 22050, 8), 0, 0, "", 1},
      {kWave, noRiff, 0, 0, "", 0},
      {kWave, oneByteIn, 0, 0, "4816", 4},
      {kWave, std::vector<uint8_t>(24, 'x'), 0, 0, "", -1},              // too short
      {kWave, TwoFmtChunks(WaveSummary(2, 44100, 24)), 0, 0, "4424", 6}, // the later one
      // A later chunk ID with fewer than 24 bytes behind it is not taken.
      {kWave, Bytes(WaveSummary(1, 48000, 16), "fmt "), 0, 0, "4816", -1},
      // AIFC rates by the top bits of the mantissa; the exponent is not read.
      {kAifc, AifcSummary(2, 44100, 24), 0, 0, "4424", 6},
      {kAifc, AifcSummary(1, 48000, 16), 0, 0, "4816", -1},
      {kAifc, AifcSummary(1, 32000, 16), 0, 0, "3216", -1},
      {kAifc, AifcSummary(1, 64000, 16), 0, 0, "3216", -1},
      {kAifc, AifcSummary(1, 37800, 32), 0, 0, "  32", -1},
      {kAifc, noComm, 0, 0, "", -1},
      {kPcm, {}, 16, 88200, "4416", 2},
      {kPcm, {}, 24, 144000, "4824", 3},
      {kPcm, {}, 16, 64000, "  16", -1}, // 32 kHz has no PCMA code
      {kPcm, {}, 8, 48000, "48", -1},    // a rate, no depth code
      {kPcm, {}, 4, 48000, "", 0},       // below 8 bits the rate is not divided out
  };
  const MobKey file = {0x1001, 0xF1};
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << &c - cases);
    OmfBuilder b = OmfBegin();
    const uint32_t descriptor = c.kind == kWave   ? OmfAddWaveDescriptor(b, c.summary)
                                : c.kind == kAifc ? OmfAddAifcDescriptor(b, c.summary)
                                                  : OmfAddPcmDescriptor(b, c.bits, c.byteRate);
    OmfAddMob(b, OmfMob{file, "", -1, descriptor, 0, {}}, OmfList::Source);
    ASSERT_EQ(1, Open(OmfFinish(b)));
    parser->DescribeDatabaseMob(file, {});
    const ParserResults &r = parser->results;
    std::string want = c.formatCode;
    want.resize(4, '\0');
    EXPECT_EQ(want, std::string(r.formatCode, 4));
    if (c.unitSize >= 0) {
      EXPECT_EQ(static_cast<uint32_t>(c.unitSize), r.unitSize);
    }
    EXPECT_EQ(c.kind == kWave   ? "_WAV"
              : c.kind == kAifc ? "_AIF"
                                : "_PCM",
              std::string(r.mediaType, 4));
  }
}

} // namespace
