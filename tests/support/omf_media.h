// Whole media as AVID writes them, built with the OMF builder: a clip (master) mob that
// refers to a file mob, whose descriptor tells video or audio, whose attributes carry the
// project, and whose source clip leads to a tape mob (or to a mob imported from a file,
// with a locator). Used for an OMF media file (with its media data object) and for a media
// database "msmMMOB.mdb" of many media (without media data).
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/mob_key.h"
#include "support/omf_builder.h"
#include "support/scratch_dir.h"

enum class OmfMediaKind { Video, Wave, Aifc, Pcm, Sd2 };

struct OmfMediaSpec {
  OmfMediaKind kind = OmfMediaKind::Video;
  MobKey fileMobKey{};
  MobKey clipMobKey{};
  std::string project = "Demo Project";
  std::string clipName = "Clip";
  uint32_t clipUsage = 7;
  // Source: a tape (shared by every media with the same key) or an imported file.
  MobKey tapeKey{};
  std::string tapeName; // empty with importPath empty: no source
  std::string importPath;
  const char *importLocator = "WINL";
  // Video.
  uint32_t compressionId = 76;
  const char *formatCode = "JFIF";
  uint32_t unitSize = 0;
  // Audio.
  uint16_t channels = 1;
  uint32_t sampleRate = 48000;
  uint16_t bits = 16;
};

// Adds one media: tape or import mob (once per tape key), file mob with descriptor and
// project, clip mob with name and usage, and, for a media file, the media data object.
// fillerEntries adds about that many further TOC entries (attributes of the clip mob), as
// real databases carry them.
inline void OmfAddMedia(OmfBuilder &b, const OmfMediaSpec &plan, bool withMediaData,
                        uint32_t fillerEntries = 0) {
  static constexpr const char *kDescriptorClass[] = {"", "WAVD", "AIFD", "PCMA", "SD2D"};
  static constexpr const char *kMediaDataClass[] = {"JPEG", "WAVE", "AIFC", "WAVE", "SD2D"};
  static constexpr uint32_t kMediaEntries = 30; // besides the filler attributes, of 4 each
  const bool hasSource = !plan.tapeName.empty() || !plan.importPath.empty();
  const uint64_t key = static_cast<uint64_t>(plan.tapeKey.high) << 32 | plan.tapeKey.low;
  if (hasSource && b.tapeMobs.count(key) == 0) {
    const uint32_t descriptor =
        plan.importPath.empty()
            ? OmfAddDescriptor(b, "MDTP")
            : OmfAddFileDescriptor(b, {OmfAddLocator(b, plan.importLocator, plan.importPath)});
    b.tapeMobs[key] =
        OmfAddMob(b, OmfMob{plan.tapeKey, plan.tapeName, -1, descriptor, 0, {}}, OmfList::Source);
  }

  int64_t dataOffset = -1;
  if (withMediaData) {
    uint32_t offset = 0;
    const std::vector<uint8_t> data(64, 0x5A);
    OmfAddMediaData(b, kMediaDataClass[static_cast<int>(plan.kind)], plan.fileMobKey, data,
                    &offset);
    dataOffset = offset;
  }
  uint32_t descriptor = 0;
  if (plan.kind == OmfMediaKind::Video)
    descriptor = OmfAddVideoDescriptor(
        b, OmfVideo{plan.compressionId, plan.formatCode, plan.unitSize, dataOffset});
  else // PCM media carry WAVE data
    descriptor = OmfAddDescriptor(b, kDescriptorClass[static_cast<int>(plan.kind)],
                                  (plan.kind == OmfMediaKind::Aifc ? AifcSummary : WaveSummary)(
                                      plan.channels, plan.sampleRate, plan.bits),
                                  plan.bits, plan.sampleRate * (plan.bits / 8));
  const uint32_t project = OmfAddProjectAttributes(b, plan.project);
  std::vector<uint32_t> source;
  if (hasSource) source = {OmfAddSourceSlot(b, plan.tapeKey)};
  OmfAddMob(b, OmfMob{plan.fileMobKey, plan.clipName, -1, descriptor, project, source},
            OmfList::Source);

  OmfMob clip{
      plan.clipMobKey, plan.clipName, plan.clipUsage, 0, 0, {OmfAddSourceSlot(b, plan.fileMobKey)}};
  if (fillerEntries > kMediaEntries) {
    std::vector<uint32_t> attributes;
    for (uint32_t i = 0; i < (fillerEntries - kMediaEntries) / 4; ++i) {
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

inline std::vector<uint8_t> BuildMediaFile(const OmfMediaSpec &plan, bool bigEndian = false) {
  OmfBuilder b = OmfBegin(bigEndian);
  OmfAddMedia(b, plan, true);
  return OmfFinish(b);
}

// count media with distinct keys, a few projects, mostly video with some audio of every
// kind, sharing tapeCount tapes (0: none). Deterministic for a seed.
inline std::vector<OmfMediaSpec> GenerateMediaSpecs(uint32_t count, uint32_t tapeCount,
                                                    uint32_t seed = 1) {
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

// About entriesPerMedia TOC entries per media.
inline bool WriteMediaDatabase(const std::filesystem::path &file,
                               const std::vector<OmfMediaSpec> &media, uint32_t entriesPerMedia = 0,
                               bool bigEndian = false) {
  OmfBuilder b = OmfBegin(bigEndian);
  b.writer.toc.reserve(static_cast<size_t>(media.size()) *
                       (entriesPerMedia > 40 ? entriesPerMedia : 40));
  for (const OmfMediaSpec &plan : media) OmfAddMedia(b, plan, false, entriesPerMedia);
  return WriteFileBytes(file, OmfFinish(b));
}
