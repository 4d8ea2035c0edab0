// Writes the seed corpora of the fuzz targets from the test fixture writers:
//   fuzz_seeds <folder>  ->  <folder>/<target>/<seed> for every target.
// Seeds are small, valid or nearly valid files of each kind, so that the fuzzer starts
// deep inside the parsers instead of at their first check.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/omf_builder.h"
#include "support/omf_media.h"
#include "support/pmr_writer.h"

namespace fs = std::filesystem;

namespace {

bool g_failed = false;

void WriteSeed(const fs::path &folder, const std::string &name, const std::vector<uint8_t> &bytes) {
  std::error_code error;
  fs::create_directories(folder, error);
  std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char *>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", (folder / name).c_str());
    g_failed = true;
  }
}

// ---- Index files ----------------------------------------------------------------------
void WritePmrSeeds(const fs::path &folder) {
  for (uint32_t words : {2u, 8u}) {
    for (bool bigEndian : {false, true}) {
      PmrWriter w = PmrBegin(PmrLayout{words, bigEndian, 7});
      for (uint32_t i = 0; i < 6; ++i) PmrAdd(w, PmrNumberedEntry(i));
      PmrAdd(w, PmrEntry{"NOPROJECT.wav", "", MobKey{9, 9}, MobKey{10, 10}});
      std::string name = "w" + std::to_string(words) + (bigEndian ? "-be" : "-le");
      WriteSeed(folder, name + ".pmr", w.bytes);

      // Damage that the reader skips by resynchronising: impossible lengths, an invalid
      // name, garbage between entries, and a last entry cut short.
      PmrWriter d = PmrBegin(PmrLayout{words, bigEndian, 0});
      PmrAdd(d, PmrNumberedEntry(1));
      PmrEntry tooLong = PmrNumberedEntry(2);
      tooLong.nameLength = 300;
      PmrAdd(d, tooLong);
      PmrAdd(d, PmrEntry{"Bad\xE9name.omf", "P", MobKey{3, 3}, MobKey{4, 4}});
      PmrEntry longProject = PmrNumberedEntry(3);
      longProject.projectLength = 65;
      PmrAdd(d, longProject);
      const uint8_t garbage[] = {0xFF, 0x00, 0x41, 0x2E, 0x6F, 0x6D, 0x66, 0x00, 0x07};
      PmrAddRaw(d, garbage, sizeof garbage);
      PmrAdd(d, PmrEntry{"mixed.Omf", "P", MobKey{5, 5}, MobKey{6, 6}});
      PmrAdd(d, PmrNumberedEntry(4));
      PmrAdd(d, PmrNumberedEntry(5));
      d.bytes.resize(d.bytes.size() - 5);
      WriteSeed(folder, name + "-damaged.pmr", d.bytes);
    }
  }
  PmrWriter small = PmrBegin();
  small.bytes.resize(30, 0);
  WriteSeed(folder, "smallest.pmr", small.bytes);
}

// ---- Compression text: compression ID, format code, unit size, media type -----------------
void WriteFormatTextSeeds(const fs::path &folder) {
  struct Fields {
    uint32_t compressionId;
    const char *formatCode;
    uint32_t unitSize;
    const char *mediaType;
  };
  const Fields seeds[] = {
      {75, "JFIF", 1, "_VID"},    {81, "JFIF", 1, "_VID"},   {2022, "\0\0\0\0", 0, "_VID"},
      {0, "4816", 4, "_WAV"},     {0, "  24", 6, "_AIF"},    {0, "4416", 2, "_PCM"},
      {0, "\0\0\0\0", 0, "_SD2"}, {0x99, "JFIF", 0, "_MXF"}, {0, "4816", 0, "NONE"},
  };
  int n = 0;
  for (const Fields &f : seeds) {
    std::vector<uint8_t> bytes(16);
    for (int i = 0; i < 4; ++i) {
      bytes[i] = static_cast<uint8_t>(f.compressionId >> (8 * i));
      bytes[4 + i] = static_cast<uint8_t>(f.formatCode[i]);
      bytes[8 + i] = static_cast<uint8_t>(f.unitSize >> (8 * i));
      bytes[12 + i] = static_cast<uint8_t>(f.mediaType[i]);
    }
    WriteSeed(folder, "fields-" + std::to_string(n++), bytes);
  }
}

// ---- Containers: media files of every kind, databases, damaged labels and tables --------------
void WriteMediaFileSeeds(const fs::path &folder) {
  const OmfMediaKind kinds[] = {OmfMediaKind::Video, OmfMediaKind::Wave, OmfMediaKind::Aifc,
                                OmfMediaKind::Pcm, OmfMediaKind::Sd2};
  int n = 0;
  for (OmfMediaKind kind : kinds) {
    for (bool bigEndian : {false, true}) {
      OmfMediaSpec plan;
      plan.kind = kind;
      plan.fileMobKey = MobKey{0x100u + n, 0x060A2B34};
      plan.clipMobKey = MobKey{0x200u + n, 0x0B0E0000};
      plan.tapeKey = MobKey{0x300u + n, 0x0C0C0C0C};
      if (n % 3 == 0) {
        plan.importPath = "C:\\Capture\\source.mov";
      } else if (n % 3 == 1) {
        plan.importPath = "Macintosh HD:Capture:source.mov";
        plan.importLocator = "MACL";
      } else {
        plan.tapeName = "TAPE 001";
      }
      WriteSeed(folder, "media-" + std::to_string(n++) + ".omf", BuildMediaFile(plan, bigEndian));
    }
  }
  for (bool bigEndian : {false, true}) {
    std::vector<OmfMediaSpec> media = GenerateMediaSpecs(12, 3, bigEndian ? 2 : 1);
    fs::path file = folder / (bigEndian ? "database-be.mdb" : "database.mdb");
    if (!WriteMediaDatabase(file, media, 12, bigEndian)) g_failed = true;
  }

  // Labels and tables that the probe must refuse or take apart carefully.
  OmfMediaSpec plan;
  plan.fileMobKey = MobKey{1, 2};
  plan.clipMobKey = MobKey{3, 4};
  plan.tapeName = "TAPE";
  BentoLabel version2;
  version2.majorVersion = 2;
  BentoLabel cutEntry;
  cutEntry.tocSize = -2; // below: the real size less one byte
  BentoLabel bigOrder;
  bigOrder.byteOrder = 0x4D4D;
  const BentoLabel *labels[] = {&version2, &cutEntry, &bigOrder};
  const char *names[] = {"version2.omf", "toc-cut-short.omf", "byte-order-mm.omf"};
  for (int i = 0; i < 3; ++i) {
    OmfBuilder b = OmfBegin();
    OmfAddMedia(b, plan, true);
    BentoLabel label = *labels[i];
    if (label.tocSize == -2) {
      OmfComplete(b);
      label.tocSize = static_cast<int64_t>(b.writer.toc.size() * 24 - 1);
    }
    WriteSeed(folder, names[i], OmfFinish(b, label));
  }

  // Version-2 tables (read by the viewer's parser only) in both byte orders, one value in
  // continued pieces, in blocks of 1 KiB.
  for (bool bigEndian : {false, true}) {
    OmfBuilder v2 = OmfBegin(bigEndian);
    OmfAddMedia(v2, plan, true);
    OmfComplete(v2);
    BentoTocRecord &last = v2.writer.toc.back();
    if (last.storage == 1 && last.length > 1) {
      BentoTocRecord rest = last;
      last.length = 1;
      last.storage |= kStreamContinued;
      rest.value += 1;
      rest.length -= 1;
      v2.writer.toc.push_back(rest);
    }
    WriteSeed(folder, bigEndian ? "stream-be.omf" : "stream-le.omf", BentoFinishStream(v2.writer));
  }

  // A source chain that comes back to its own mob.
  OmfBuilder loop = OmfBegin();
  const uint32_t tape = OmfAddDescriptor(loop, "MDTP");
  (void)tape;
  const uint32_t slot = OmfAddSourceSlot(loop, MobKey{7, 7});
  OmfMob self;
  self.key = MobKey{7, 7};
  self.name = "LOOP";
  self.descriptor = OmfAddVideoDescriptor(loop, OmfVideo{});
  self.slots = {slot};
  OmfAddMob(loop, self, OmfList::Source);
  OmfAddMediaData(loop, "JPEG", MobKey{7, 7}, {1, 2, 3, 4});
  WriteSeed(folder, "source-loop.omf", OmfFinish(loop));
}

// ---- Audio summaries: reading selector, then the summary or the PCMA fields -------------
void WriteAudioHeaderSeeds(const fs::path &folder) {
  struct Audio {
    uint16_t channels;
    uint32_t rate;
    uint16_t bits;
  };
  const Audio formats[] = {
      {1, 48000, 16}, {2, 44100, 24}, {1, 32000, 32}, {2, 22050, 8}, {1, 64000, 16}};
  int n = 0;
  for (const Audio &a : formats) {
    for (uint8_t kind : {0, 1, 2, 4, 5}) {
      std::vector<uint8_t> bytes = {kind};
      std::vector<uint8_t> summary;
      if ((kind & 3) == 0) summary = WaveSummary(a.channels, a.rate, a.bits);
      if ((kind & 3) == 1) summary = AifcSummary(a.channels, a.rate, a.bits);
      if ((kind & 3) == 2) {
        PutU16(summary, a.bits);
        PutU32(summary, a.rate * (a.bits / 8));
      }
      bytes.insert(bytes.end(), summary.begin(), summary.end());
      WriteSeed(folder, "audio-" + std::to_string(n++), bytes);
    }
  }
}

// ---- Dictionaries: long names, two names for one ID, names with zero bytes --------------------
void WriteDictionarySeeds(const fs::path &folder) {
  OmfMediaSpec plan;
  plan.fileMobKey = MobKey{1, 2};
  plan.clipMobKey = MobKey{3, 4};
  OmfBuilder b = OmfBegin();
  OmfAddMedia(b, plan, true);
  BentoAddName(b.writer, 0x10500, false, std::string(300, 'N'));
  BentoAddName(b.writer, 0x10501, true, std::string(259, 'T'));
  BentoAddName(b.writer, 0x10502, false, "FirstName");
  BentoAddName(b.writer, 0x10502, false, "SecondName");
  BentoAddName(b.writer, 0x10503, false, std::string("Cut\0Here", 8));
  WriteSeed(folder, "names.omf", OmfFinish(b));
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds <folder>\n");
    return 2;
  }
  fs::path root = argv[1];
  WritePmrSeeds(root / "pmr_fuzzer");
  WriteFormatTextSeeds(root / "format_text_fuzzer");
  for (const char *target : {"media_file_fuzzer", "omf_viewer_fuzzer", "dictionary_fuzzer"})
    WriteMediaFileSeeds(root / target);
  WriteDictionarySeeds(root / "dictionary_fuzzer");
  WriteDictionarySeeds(root / "omf_viewer_fuzzer");
  WriteAudioHeaderSeeds(root / "audio_header_fuzzer");
  return g_failed ? 1 : 0;
}
