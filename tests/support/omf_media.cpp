#include "support/omf_media.h"

#include <cstdio>

#include "inspection/bento_constants.h"

namespace {

// The tape or import mob that the file mob's source clip names, added once per key.
void AddSourceMob(OmfBuilder &b, const OmfMediaSpec &plan) {
  const uint64_t key = static_cast<uint64_t>(plan.tapeKey.high) << 32 | plan.tapeKey.low;
  if ((plan.tapeName.empty() && plan.importPath.empty()) || b.tapeMobs.count(key) != 0) return;
  const uint32_t descriptor =
      plan.importPath.empty()
          ? OmfAddTapeDescriptor(b)
          : OmfAddFileDescriptor(b, {OmfAddLocator(b, plan.importLocator, plan.importPath)});
  b.tapeMobs[key] =
      OmfAddMob(b, OmfMob{plan.tapeKey, plan.tapeName, -1, descriptor, 0, {}}, OmfList::Source);
}

uint32_t AddDescriptor(OmfBuilder &b, const OmfMediaSpec &plan, int64_t dataOffset) {
  switch (plan.kind) {
  case OmfMediaKind::Wave:
    return OmfAddWaveDescriptor(b, WaveSummary(plan.channels, plan.sampleRate, plan.bits));
  case OmfMediaKind::Aifc:
    return OmfAddAifcDescriptor(b, AifcSummary(plan.channels, plan.sampleRate, plan.bits));
  case OmfMediaKind::Pcm:
    return OmfAddPcmDescriptor(b, plan.bits, plan.sampleRate * (plan.bits / 8));
  case OmfMediaKind::Sd2:
    return OmfAddSd2Descriptor(b);
  case OmfMediaKind::Video:
    break;
  }
  return OmfAddVideoDescriptor(
      b, OmfVideo{"CDCI", plan.compressionId, plan.formatCode, plan.unitSize, dataOffset});
}

// PCM media carry WAVE data.
constexpr const char *kMediaDataClass[] = {"JPEG", "WAVE", "AIFC", "WAVE", "SD2D"};

// Entries of one media besides the filler attributes (4 entries each).
constexpr uint32_t kMediaEntries = 30;
constexpr uint32_t kFillerAttributeEntries = 4;

} // namespace

void OmfAddMedia(OmfBuilder &b, const OmfMediaSpec &plan, bool withMediaData,
                 uint32_t fillerEntries) {
  AddSourceMob(b, plan);

  int64_t dataOffset = -1;
  if (withMediaData) {
    uint32_t offset = 0;
    const std::vector<uint8_t> data(64, 0x5A);
    OmfAddMediaData(b, kMediaDataClass[static_cast<int>(plan.kind)], plan.fileMobKey, data,
                    &offset);
    dataOffset = offset;
  }
  const uint32_t descriptor = AddDescriptor(b, plan, dataOffset);
  const uint32_t project = OmfAddProjectAttributes(b, plan.project);
  std::vector<uint32_t> source;
  if (!plan.tapeName.empty() || !plan.importPath.empty())
    source = {OmfAddSlot(b, OmfAddSourceClip(b, plan.tapeKey))};
  OmfAddMob(b, OmfMob{plan.fileMobKey, plan.clipName, -1, descriptor, project, source},
            OmfList::Source);

  OmfMob clip{plan.clipMobKey,
              plan.clipName,
              plan.clipUsage,
              0,
              0,
              {OmfAddSlot(b, OmfAddSourceClip(b, plan.fileMobKey))}};
  if (fillerEntries > kMediaEntries) {
    std::vector<uint32_t> attributes;
    const uint32_t count = (fillerEntries - kMediaEntries) / kFillerAttributeEntries;
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t id = OmfObject(b, "ATTB");
      char name[5];
      std::snprintf(name, sizeof name, "A%03u", i % 1000);
      BentoAddCode(b.writer, id, PROP_ATTR_NAME, TYPE_STRING, name);
      OmfU32(b, kOmfPropAttrKind, 1); // integer attribute
      OmfU32(b, kOmfPropAttrInt, i * 7919u);
      attributes.push_back(id);
    }
    clip.attributes = OmfAddAttributeList(b, attributes);
  }
  OmfAddMob(b, clip, OmfList::Clip);
}

std::vector<uint8_t> BuildMediaFile(const OmfMediaSpec &plan, bool bigEndian) {
  OmfBuilder b = OmfBegin(bigEndian);
  OmfAddMedia(b, plan, true);
  return OmfFinish(b);
}

std::vector<OmfMediaSpec> GenerateMediaSpecs(uint32_t count, uint32_t tapeCount, uint32_t seed) {
  static const char *const kProjects[] = {"Harbour Lights", "Night Ferry", "The Long Field",
                                          "Winter Market", "Salt Road"};
  static const uint32_t kCompressions[] = {75, 76, 77, 80, 82, 140, 141, 142, 151, 160, 2022};
  std::vector<OmfMediaSpec> plans(count);
  uint32_t state = seed * 2654435761u + 1;
  for (uint32_t i = 0; i < count; ++i) {
    state = state * 1664525u + 1013904223u;
    OmfMediaSpec &s = plans[i];
    s.fileMobKey = {0x10000000u + i, 0x4F000000u | (seed & 0xFFFF)};
    s.clipMobKey = {0x20000000u + i, 0x4F000000u | (seed & 0xFFFF)};
    s.project = kProjects[(state >> 8) % 5];
    char name[32];
    std::snprintf(name, sizeof name, "Clip %05u", i + 1);
    s.clipName = name;
    s.clipUsage = (state >> 12) % 10 == 0 ? 1 : 7;
    const uint32_t kind = (state >> 16) % 20;
    s.kind = kind < 14   ? OmfMediaKind::Video
             : kind < 16 ? OmfMediaKind::Wave
             : kind < 18 ? OmfMediaKind::Aifc
             : kind < 19 ? OmfMediaKind::Pcm
                         : OmfMediaKind::Sd2;
    s.compressionId = kCompressions[(state >> 20) % 11];
    s.unitSize = 720 * 486 * 2;
    s.sampleRate = (state >> 24) % 2 == 0 ? 48000 : 44100;
    s.bits = (state >> 25) % 2 == 0 ? 16 : 24;
    s.channels = s.kind == OmfMediaKind::Video ? 1 : 2;
    if (tapeCount != 0) {
      const uint32_t tape = i % tapeCount;
      s.tapeKey = {0x30000000u + tape, 0x4F000000u | (seed & 0xFFFF)};
      std::snprintf(name, sizeof name, "Tape %03u", tape + 1);
      s.tapeName = name;
    }
  }
  return plans;
}

bool WriteMediaDatabase(const std::filesystem::path &file, const std::vector<OmfMediaSpec> &media,
                        uint32_t entriesPerMedia, bool bigEndian) {
  OmfBuilder b = OmfBegin(bigEndian);
  b.writer.toc.reserve(static_cast<size_t>(media.size()) *
                       (entriesPerMedia > 40 ? entriesPerMedia : 40));
  for (const OmfMediaSpec &plan : media) OmfAddMedia(b, plan, false, entriesPerMedia);
  return OmfWriteFile(b, file);
}
