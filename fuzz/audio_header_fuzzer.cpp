// The WAVE, AIFC and PCMA readings over arbitrary header bytes. Each input is wrapped in a
// small, well-formed container (the test fixture's OMF builder) so that every run reaches
// the readers: a file mob whose descriptor carries the input as its WAVE or AIFC summary,
// or as the PCMA bit depth and byte rate, read by the database walk; for WAVE and AIFC
// also a media data object, so that the media file walk reads the same summary.
//
// Input: byte 0 chooses the reading (bits 0-1: WAVE, AIFC, PCMA; bit 2: a big-endian
// container); the rest is the summary, or for PCMA two bytes of bits and four of byte rate.
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz_input.h"
#include "inspection/media_file_parser.h"
#include "support/omf_builder.h"

namespace {

constexpr MobKey kFileMob = {0x11, 0x22};

uint32_t Little(const uint8_t *p, size_t n) {
  uint32_t v = 0;
  for (size_t i = 0; i < n; ++i) v |= static_cast<uint32_t>(p[i]) << (8 * i);
  return v;
}

// The format code holds zero bytes, or a rate code and a bit depth of the tables.
void CheckFormatCode(const char *code) {
  for (int i = 0; i < 4; ++i) {
    char c = code[i];
    if (c != 0 && c != ' ' && (c < '0' || c > '9'))
      FuzzFail("a format code character no table gives");
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 1) return 0;
  const uint32_t kind = data[0] % 4;
  if (kind == 3) return 0;
  const bool bigEndian = (data[0] & 4) != 0;
  std::vector<uint8_t> summary(data + 1, data + size);

  OmfBuilder b = OmfBegin(bigEndian);
  uint16_t bits = 0; // PCMA: bits and byte rate from the first six bytes
  uint32_t byteRate = 0;
  if (kind == 2) {
    summary.resize(6, 0);
    bits = static_cast<uint16_t>(Little(summary.data(), 2));
    byteRate = Little(summary.data() + 2, 4);
  }
  const uint32_t descriptor = OmfAddDescriptor(b,
                                               kind == 0   ? "WAVD"
                                               : kind == 1 ? "AIFD"
                                                           : "PCMA",
                                               summary, bits, byteRate);
  OmfMob mob;
  mob.key = kFileMob;
  mob.descriptor = descriptor;
  OmfAddMob(b, mob, OmfList::Source);
  if (kind != 2) OmfAddMediaData(b, kind == 0 ? "WAVE" : "AIFC", kFileMob, {0, 1, 2, 3});
  std::vector<uint8_t> file = OmfFinish(b);

  auto parser = std::make_unique<MediaFileParser>();
  if (!parser->OpenMediaFile(FuzzInputPath(file.data(), file.size())))
    FuzzFail("the wrapping container did not open");
  parser->DescribeDatabaseMob(kFileMob, MobKey{0, 0});
  CheckFormatCode(parser->results.formatCode);
  if (kind == 2 && parser->results.unitSize != 0 && parser->results.unitSize != 2 &&
      parser->results.unitSize != 3)
    FuzzFail("a PCMA unit size other than 2 or 3");
  if (kind != 2) {
    auto databaseWalk = std::make_unique<ParserResults>(parser->results);
    parser->DescribeMediaFile();
    CheckFormatCode(parser->results.formatCode);
    if (std::memcmp(parser->results.formatCode, databaseWalk->formatCode, 4) != 0 ||
        parser->results.unitSize != databaseWalk->unitSize)
      FuzzFail("the two walks read the same summary differently");
  }
  return 0;
}
