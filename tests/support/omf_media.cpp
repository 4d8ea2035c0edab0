#include "support/omf_media.h"

#include <cstdio>

#include "inspection/bento_constants.h"

namespace {

uint64_t KeyValue(const MobKey &key) {
  return static_cast<uint64_t>(key.high) << 32 | key.low;
}

// The tape or import mob that the file mob's source clip names, added once per key.
void AddSourceMob(OmfBuilder &b, const OmfMediaSpec &plan) {
  if (plan.tapeName.empty() && plan.importPath.empty()) return;
  if (b.tapeMobs.count(KeyValue(plan.tapeKey)) != 0) return;
  uint32_t descriptor;
  if (!plan.importPath.empty()) {
    const uint32_t locator = OmfAddLocator(b, plan.importLocator, plan.importPath);
    descriptor = OmfAddFileDescriptor(b, {locator});
  } else {
    descriptor = OmfAddTapeDescriptor(b);
  }
  OmfMob mob;
  mob.key = plan.tapeKey;
  mob.name = plan.tapeName;
  mob.descriptor = descriptor;
  b.tapeMobs[KeyValue(plan.tapeKey)] = OmfAddMob(b, mob, OmfList::Source);
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
  OmfVideo video;
  video.compressionId = plan.compressionId;
  video.formatCode = plan.formatCode;
  video.unitSize = plan.unitSize;
  video.dataOffset = dataOffset;
  return OmfAddVideoDescriptor(b, video);
}

const char *MediaDataClass(OmfMediaKind kind) {
  switch (kind) {
  case OmfMediaKind::Wave:
  case OmfMediaKind::Pcm: // PCM media carry WAVE data
    return "WAVE";
  case OmfMediaKind::Aifc:
    return "AIFC";
  case OmfMediaKind::Sd2:
    return "SD2D";
  case OmfMediaKind::Video:
    break;
  }
  return "JPEG";
}

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
    OmfAddMediaData(b, MediaDataClass(plan.kind), plan.fileMobKey, data, &offset);
    dataOffset = offset;
  }
  const uint32_t descriptor = AddDescriptor(b, plan, dataOffset);
  OmfMob file;
  file.key = plan.fileMobKey;
  file.name = plan.clipName;
  file.descriptor = descriptor;
  file.attributes = OmfAddProjectAttributes(b, plan.project);
  if (!plan.tapeName.empty() || !plan.importPath.empty())
    file.slots = {OmfAddSlot(b, OmfAddSourceClip(b, plan.tapeKey))};
  OmfAddMob(b, file, OmfList::Source);

  OmfMob clip;
  clip.key = plan.clipMobKey;
  clip.name = plan.clipName;
  clip.usage = plan.clipUsage;
  clip.slots = {OmfAddSlot(b, OmfAddSourceClip(b, plan.fileMobKey))};
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
