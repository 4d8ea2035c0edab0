#include "demo/demo_drive.h"

#include <set>
#include <system_error>
#include <vector>

#include "support/media_folders.h"
#include "support/omf_media.h"
#include "support/pmr_writer.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kKeyHigh = 0x4F0D0000u; // high half of every key of the demo drive

struct DemoMedia {
  std::string name;
  OmfMediaSpec plan;
  bool listed = true; // named by the folder's index file
  bool onDisk = true;
};

struct DemoFolder {
  fs::path relative;
  bool damagedIndex = false;
  bool damagedDatabase = false;
  bool bigEndian = false; // older OMF media and index files were written on Macintosh
  std::vector<DemoMedia> media;
};

struct Source {
  const char *tape; // nullptr: imported from importPath, or no source at all
  uint32_t tapeNumber;
  const char *importPath;
};

DemoMedia Video(const char *name, const char *project, uint32_t number, const char *clip,
                uint32_t compressionId, const char *formatCode, Source source) {
  DemoMedia m;
  m.name = name;
  OmfMediaSpec &s = m.plan;
  s.kind = OmfMediaKind::Video;
  s.project = project;
  s.clipName = clip;
  s.fileMobKey = {0x1000u + number, kKeyHigh};
  s.clipMobKey = {0x2000u + number, kKeyHigh};
  s.compressionId = compressionId;
  s.formatCode = formatCode;
  s.unitSize = 720 * 576 * 2;
  if (source.tape != nullptr) {
    s.tapeName = source.tape;
    s.tapeKey = {0x3000u + source.tapeNumber, kKeyHigh};
  } else if (source.importPath != nullptr) {
    s.importPath = source.importPath;
  }
  return m;
}

DemoMedia Audio(const char *name, const char *project, uint32_t number, const char *clip,
                OmfMediaKind kind, uint32_t rate, uint16_t bits, Source source) {
  DemoMedia m = Video(name, project, number, clip, 0, "", source);
  m.plan.kind = kind;
  m.plan.sampleRate = rate;
  m.plan.bits = bits;
  m.plan.channels = 2;
  return m;
}

DemoMedia Precompute(const char *name, const char *project, uint32_t number, const char *clip) {
  DemoMedia m = Video(name, project, number, clip, 76, "JFIF", Source{nullptr, 0, nullptr});
  m.plan.clipUsage = 1;
  return m;
}

DemoMedia Missing(DemoMedia m) {
  m.onDisk = false;
  return m;
}

DemoMedia Unlisted(DemoMedia m) {
  m.listed = false;
  return m;
}

const char kFeature[] = "The Long Winter";
const char kDocumentary[] = "Salt Road";
const char kCommercial[] = "Harbour Coffee 30s";
const char kShort[] = "Night Ferry";

constexpr Source kTape1{"WINTER 001", 1, nullptr};
constexpr Source kTape2{"WINTER 002", 2, nullptr};
constexpr Source kTapeDoc{"SALT ROAD 01", 3, nullptr};
constexpr Source kTapeAd{"HC SPOT 1", 4, nullptr};
constexpr Source kLogo{nullptr, 0, "C:\\Graphics\\harbour_logo.tif"};
constexpr Source kMusic{nullptr, 0, "C:\\Audio\\winter_theme.aif"};
constexpr Source kArchive{nullptr, 0, "D:\\Archive\\harbour_1962.mov"};

std::vector<DemoFolder> DemoFolders() {
  DemoMedia feature1 =
      Video("LONG WINTER V1 4F0D01.omf", kFeature, 1, "Sc 12 Tk 3", 76, "JFIF", kTape1);
  DemoMedia feature2 =
      Video("LONG WINTER V1 4F0D02.omf", kFeature, 2, "Sc 12 Tk 4", 77, "JFIF", kTape1);
  DemoMedia feature3 = Audio("LONG WINTER A1 4F0D03.omf", kFeature, 3, "Sc 12 Tk 3",
                             OmfMediaKind::Wave, 48000, 24, kTape1);

  DemoFolder mxf1{"AVID MediaFiles/MXF/1", false, false, false, {}};
  mxf1.media = {
      feature1,
      feature2,
      feature3,
      Video("LONG WINTER V1 4F0D04.omf", kFeature, 4, "Sc 14 Tk 1", 140, "DV25", kTape2),
      Video("LONG WINTER V1 4F0D05.omf", kFeature, 5, "Sc 14 Tk 2", 2022, "UNCM", kTape2),
      Audio("LONG WINTER A1 4F0D06.omf", kFeature, 6, "Sc 14 Tk 2", OmfMediaKind::Aifc, 48000, 16,
            kTape2),
      Audio("LONG WINTER A1 4F0D07.omf", kFeature, 7, "Winter Theme", OmfMediaKind::Pcm, 48000, 24,
            kMusic),
      Precompute("LONG WINTER V1 4F0D08.omf", kFeature, 8, "Dissolve Sc 12-14"),
      Precompute("LONG WINTER V1 4F0D09.omf", kFeature, 9, "Title Winter"),
      Missing(Video("LONG WINTER V1 4F0D0A.omf", kFeature, 10, "Sc 15 Tk 1", 160, "MPEG", kTape2)),
      Video("HARBOUR COFF V1 4F0D0B.omf", kCommercial, 11, "Pack Shot", 2022, "UNCM", kTapeAd),
      Video("HARBOUR COFF V1 4F0D0C.omf", kCommercial, 12, "Logo", 151, "UNCM", kLogo),
      Audio("HARBOUR COFF A1 4F0D0D.omf", kCommercial, 13, "VO Take 2", OmfMediaKind::Wave, 48000,
            16, kTapeAd),
      Precompute("HARBOUR COFF V1 4F0D0E.omf", kCommercial, 14, "Logo Wipe"),
      Unlisted(Video("LONG WINTER V1 4F0D0F.omf", kFeature, 15, "Sc 3 Tk 9 (deleted)", 75, "JFIF",
                     kTape1)),
  };

  DemoFolder mxf2{"AVID MediaFiles/MXF/2", false, true, false, {}};
  mxf2.media = {
      feature1, // copied here by hand: the same media in two folders
      feature2,
      feature3,
      Video("NIGHT FERRY V1 4F0D10.omf", kShort, 16, "Deck at Dawn", 141, "DV25", kTapeDoc),
      Audio("NIGHT FERRY A1 4F0D11.omf", kShort, 17, "Deck at Dawn", OmfMediaKind::Aifc, 44100, 16,
            kTapeDoc),
      Missing(
          Video("NIGHT FERRY V1 4F0D12.omf", kShort, 18, "Harbour Lights", 142, "DV50", kTapeDoc)),
      Unlisted(Audio("Scratch VO 4F0D13.omf", kShort, 19, "Scratch VO", OmfMediaKind::Wave, 44100,
                     16, Source{nullptr, 0, nullptr})),
  };

  DemoFolder omfi{"OMFI MediaFiles", false, false, true, {}};
  omfi.media = {
      Video("SALT ROAD V1 4F0D20.omf", kDocumentary, 32, "Interview Miller 1", 78, "JFIF",
            kTapeDoc),
      Video("SALT ROAD V1 4F0D21.omf", kDocumentary, 33, "Interview Miller 2", 78, "JFIF",
            kTapeDoc),
      Audio("SALT ROAD A1 4F0D22.omf", kDocumentary, 34, "Interview Miller 1", OmfMediaKind::Aifc,
            44100, 16, kTapeDoc),
      Video("SALT ROAD V1 4F0D23.omf", kDocumentary, 35, "Archive 1962", 82, "JFIF", kArchive),
      Audio("SALT ROAD A1 4F0D24.omf", kDocumentary, 36, "Atmos Harbour", OmfMediaKind::Pcm, 44100,
            16, kTapeDoc),
      Precompute("SALT ROAD V1 4F0D25.omf", kDocumentary, 37, "Map Move"),
      Missing(Audio("SALT ROAD A1 4F0D26.omf", kDocumentary, 38, "Interview Miller 2",
                    OmfMediaKind::Wave, 44100, 16, kTapeDoc)),
      Unlisted(Video("SALT ROAD V1 4F0D27.omf", kDocumentary, 39, "Old Render", 79, "JFIF",
                     Source{nullptr, 0, nullptr})),
  };

  // An index file that no reader can take (a bad identifier length) beside its media.
  DemoFolder mxf3{"AVID MediaFiles/MXF/3", true, false, false, {}};
  mxf3.media = {
      Video("HARBOUR COFF V1 4F0D30.omf", kCommercial, 48, "Alt Pack Shot", 76, "JFIF", kTapeAd),
      Audio("HARBOUR COFF A1 4F0D31.omf", kCommercial, 49, "VO Take 5", OmfMediaKind::Wave, 48000,
            24, kTapeAd),
  };
  return {mxf1, mxf2, omfi, mxf3};
}

bool WriteFolder(const fs::path &root, const DemoFolder &folder, DemoDriveFacts *facts,
                 std::set<uint64_t> *mediaIds, std::set<std::string> *projects, std::string *why) {
  const fs::path dir = root / folder.relative;
  std::error_code error;
  fs::create_directories(dir, error);
  if (error) {
    *why = dir.string() + ": " + error.message();
    return false;
  }
  PmrLayout layout;
  layout.bigEndian = folder.bigEndian;
  if (folder.damagedIndex) layout.idWords = 5;
  std::vector<PmrEntry> entries;
  std::vector<OmfMediaSpec> described;
  const bool readable = !folder.damagedIndex;
  for (const DemoMedia &m : folder.media) {
    uint64_t size = 0;
    if (m.onDisk) {
      std::vector<uint8_t> bytes = BuildMediaFile(m.plan, folder.bigEndian);
      size = bytes.size();
      if (!WriteFileBytes(dir / m.name, bytes)) {
        *why = (dir / m.name).string() + ": not written";
        return false;
      }
    }
    if (m.listed) {
      entries.push_back(IndexEntryFor(m.name, m.plan));
      described.push_back(m.plan);
    }
    if (m.onDisk) facts->diskSize += size;
    if (m.listed && readable) {
      ++facts->listedEntries;
      if (!m.onDisk) ++facts->listedMissing;
      mediaIds->insert(static_cast<uint64_t>(m.plan.fileMobKey.high) << 32 | m.plan.fileMobKey.low);
      projects->insert(m.plan.project);
    } else if (m.onDisk) {
      ++facts->unlistedFiles;
      facts->unlistedSize += size;
    }
  }
  if (!WriteIndexFile(dir / "msmFMID.pmr", entries, layout)) {
    *why = (dir / "msmFMID.pmr").string() + ": not written";
    return false;
  }
  ++facts->indexFiles;
  const fs::path database = dir / "msmMMOB.mdb";
  bool written = true;
  if (folder.damagedDatabase) {
    // A database cut off in the middle of a copy: a container head and nothing after it.
    std::vector<uint8_t> cut = BuildMediaFile(folder.media.front().plan, folder.bigEndian);
    cut.resize(cut.size() / 3);
    written = WriteFileBytes(database, cut);
  } else {
    written = WriteMediaDatabase(database, described, 0, folder.bigEndian);
  }
  if (!written) *why = database.string() + ": not written";
  return written;
}

} // namespace

bool WriteDemoDrive(const fs::path &root, DemoDriveFacts *facts, std::string *why) {
  *facts = DemoDriveFacts{};
  std::set<uint64_t> mediaIds;
  std::set<std::string> projects;
  for (const DemoFolder &folder : DemoFolders())
    if (!WriteFolder(root, folder, facts, &mediaIds, &projects, why)) return false;
  facts->distinctMediaIds = static_cast<uint32_t>(mediaIds.size());
  facts->projects = static_cast<uint32_t>(projects.size());
  return true;
}
