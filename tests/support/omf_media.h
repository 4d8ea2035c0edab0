// Whole media as AVID writes them, built with the OMF builder: a clip (master) mob that
// refers to a file mob, whose descriptor tells video or audio, whose attributes carry the
// project, and whose source clip leads to a tape mob (or to a mob imported from a file,
// with a locator). Used for an OMF media file (with its media data object) and for a media
// database "msmMMOB.mdb" of many media (without media data).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/mob_key.h"
#include "support/omf_builder.h"

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
void OmfAddMedia(OmfBuilder &b, const OmfMediaSpec &plan, bool withMediaData,
                 uint32_t fillerEntries = 0);

// A single OMF media file.
std::vector<uint8_t> BuildMediaFile(const OmfMediaSpec &plan, bool bigEndian = false);

// count media with distinct keys, a few projects, mostly video with some audio of every
// kind, sharing tapeCount tapes (0: none). Deterministic for a seed.
std::vector<OmfMediaSpec> GenerateMediaSpecs(uint32_t count, uint32_t tapeCount, uint32_t seed = 1);

// A media database of the media given; about entriesPerMedia TOC entries per media.
bool WriteMediaDatabase(const std::filesystem::path &file, const std::vector<OmfMediaSpec> &media,
                        uint32_t entriesPerMedia = 0, bool bigEndian = false);
