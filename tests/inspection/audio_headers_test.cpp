// Rate, bit depth and unit size from WAVE and AIFC summaries and PCMA properties, read
// through the database walk of a file mob with the descriptor under test.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "inspection/container_files.h"
#include "support/omf_builder.h"

namespace {

constexpr MobKey kFile = {0x1001, 0xF1};

struct AudioResult {
  std::string formatCode;
  uint32_t unitSize;
};

struct AudioHeadersTest : ::testing::Test {
  ContainerFiles files;
  std::unique_ptr<MediaFileParser> parser = std::make_unique<MediaFileParser>();

  // Describes a database whose one file mob has the descriptor that add makes.
  template <typename AddDescriptor> AudioResult Describe(AddDescriptor add) {
    OmfBuilder b = OmfBegin();
    OmfAddMob(b, OmfMob{kFile, "", -1, add(b), 0, {}}, OmfList::Source);
    if (files.Open(*parser, OmfFinish(b)) != 1) return {"open failed", 0};
    parser->DescribeDatabaseMob(kFile, {});
    return {std::string(parser->results.formatCode, 4), parser->results.unitSize};
  }
  AudioResult Wave(const std::vector<uint8_t> &summary) {
    return Describe([&](OmfBuilder &b) { return OmfAddWaveDescriptor(b, summary); });
  }
  AudioResult Aifc(const std::vector<uint8_t> &summary) {
    return Describe([&](OmfBuilder &b) { return OmfAddAifcDescriptor(b, summary); });
  }
  AudioResult Pcm(uint16_t bits, uint32_t byteRate) {
    return Describe([&](OmfBuilder &b) { return OmfAddPcmDescriptor(b, bits, byteRate); });
  }
};

const std::string kZero(4, '\0');

TEST_F(AudioHeadersTest, WaveRatesAndDepths) {
  AudioResult r = Wave(WaveSummary(2, 48000, 24));
  EXPECT_EQ("4824", r.formatCode);
  EXPECT_EQ(6u, r.unitSize);
  EXPECT_EQ("4416", Wave(WaveSummary(1, 44100, 16)).formatCode);
  EXPECT_EQ("3216", Wave(WaveSummary(1, 32000, 16)).formatCode);
  EXPECT_EQ("  16", Wave(WaveSummary(1, 64000, 16)).formatCode);
  EXPECT_EQ("  16", Wave(WaveSummary(1, 22050, 16)).formatCode);
  r = Wave(WaveSummary(1, 22050, 8));
  EXPECT_EQ(kZero, r.formatCode);
  EXPECT_EQ(1u, r.unitSize);
}

TEST_F(AudioHeadersTest, FmtChunkAtOffsetZeroIsNotFound) {
  std::vector<uint8_t> summary = WaveSummary(2, 48000, 16);
  summary.erase(summary.begin(), summary.begin() + 12); // no RIFF header in front
  const AudioResult r = Wave(summary);
  EXPECT_EQ(kZero, r.formatCode);
  EXPECT_EQ(0u, r.unitSize);
  EXPECT_EQ(kZero, Wave(std::vector<uint8_t>(24, 'x')).formatCode); // 24 bytes: too short
}

TEST_F(AudioHeadersTest, TheLaterOfTwoFmtChunksIsUsed) {
  std::vector<uint8_t> first = WaveSummary(1, 48000, 16);
  std::vector<uint8_t> second = WaveSummary(2, 44100, 24);
  std::vector<uint8_t> summary(first.begin(), first.begin() + 36);          // header and first fmt
  for (size_t i = 12; i < second.size(); ++i) summary.push_back(second[i]); // second fmt, data
  AudioResult r = Wave(summary);
  EXPECT_EQ("4424", r.formatCode);
  EXPECT_EQ(6u, r.unitSize);
  // A later chunk ID with fewer than 24 bytes behind it is not taken.
  std::vector<uint8_t> cut(first);
  for (char c : std::string("fmt ")) cut.push_back(static_cast<uint8_t>(c));
  EXPECT_EQ("4816", Wave(cut).formatCode);
}

TEST_F(AudioHeadersTest, AifcRatesByTheTopBitsOfTheMantissa) {
  AudioResult r = Aifc(AifcSummary(2, 44100, 24));
  EXPECT_EQ("4424", r.formatCode);
  EXPECT_EQ(6u, r.unitSize);
  EXPECT_EQ("4816", Aifc(AifcSummary(1, 48000, 16)).formatCode);
  EXPECT_EQ("3216", Aifc(AifcSummary(1, 32000, 16)).formatCode);
  EXPECT_EQ("3216", Aifc(AifcSummary(1, 64000, 16)).formatCode); // the exponent is not read
  EXPECT_EQ("  32", Aifc(AifcSummary(1, 37800, 32)).formatCode);
  std::vector<uint8_t> noComm = AifcSummary(1, 48000, 16);
  noComm[24] = 'X';
  EXPECT_EQ(kZero, Aifc(noComm).formatCode);
}

TEST_F(AudioHeadersTest, PcmaProperties) {
  AudioResult r = Pcm(16, 88200);
  EXPECT_EQ("4416", r.formatCode);
  EXPECT_EQ(2u, r.unitSize);
  r = Pcm(24, 144000);
  EXPECT_EQ("4824", r.formatCode);
  EXPECT_EQ(3u, r.unitSize);
  EXPECT_EQ("  16", Pcm(16, 64000).formatCode); // 32 kHz has no PCMA code
  r = Pcm(4, 48000);                            // below 8 bits the rate is not divided out
  EXPECT_EQ(kZero, r.formatCode);
  EXPECT_EQ(0u, r.unitSize);
  EXPECT_EQ("_PCM", std::string(parser->results.mediaType, 4));
}

} // namespace
