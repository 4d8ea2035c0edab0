// The real containers beside the repository, written by other programs: each opens with its
// entries and objects, the viewer browses and dumps it, and its own names reach the
// dictionary. The tests skip when the files are absent.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "inspection/structure_view.h"
#include "support/dictionary_text.h"
#include "support/log_capture.h"
#include "support/realdata.h"

namespace {

// Value entries (continued pieces of version-2 tables joined) and objects; none: refused.
const struct {
  const char *file;
  uint32_t entries, objects;
} kReal[] = {
    // clang-format off
    {"omfkt22/Complx1x.omf", 695, 301}, {"omfkt22/DupMob1x.omf", 386, 229},
    {"omfkt22/Film1x.omf", 753, 308}, {"omfkt22/ManyO1x.omf", 1272, 413},
    {"omfkt22/NgCloneX.omf", 268, 229}, {"omfkt22/Patch1x.omf", 275, 213},
    {"omfkt22/PatchIMA.omf", 275, 213}, {"omfkt22/PrivR1x.omf", 279, 217},
    {"omfkt22/Simple1x.omf", 369, 228}, {"omfkt22/TstAttr1x.omf", 303, 220},
    {"omfkt22/CDCI.omf", 387, 281}, {"omfkt22/CmplxIMA.omf", 692, 351},
    {"omfkt22/Complx2x.omf", 785, 437}, {"omfkt22/DupMob2x.omf", 426, 292},
    {"omfkt22/Film2x.omf", 835, 453}, {"omfkt22/JPEG.omf", 384, 281},
    {"omfkt22/ManyO2x.omf", 1118, 652}, {"omfkt22/Media2x.omf", 4083, 1323},
    {"omfkt22/MkDesc2x.omf", 367, 280}, {"omfkt22/MkOMFLoc.omf", 543, 330},
    {"omfkt22/PrivR2x.omf", 316, 253}, {"omfkt22/RGBA.omf", 378, 281},
    {"omfkt22/Simple2x.omf", 420, 286}, {"omfkt22/TstAttr2x.omf", 336, 258},
    {"omfkt22/TstAttrIMA.omf", 312, 238}, {"omfkt22/rawRef.omf", 430, 301},
    {"libomf/test.omf", 1339, 537}, {"aaf-sdk/vs9_Complx2x.omf", 784, 436},
    {"aaf-sdk/vs10_Complx2x_truncated.omf", 0, 0}
    // clang-format on
};

// The whole tree from object 1 is walked; every entry dumps.
TEST(RealContainers, EveryFileOpensWithItsEntriesAndObjectsAndBrowses) {
  int seen = 0;
  auto parser = std::make_unique<MediaFileParser>(1);
  for (const auto &real : kReal) {
    const std::filesystem::path file = RealdataFile(real.file);
    if (file.empty()) continue;
    ++seen;
    SCOPED_TRACE(real.file);
    LogCapture log;
    ASSERT_EQ(real.entries != 0 ? 1 : 0, parser->OpenMediaFile(file.wstring().c_str()));
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(real.entries, parser->entryCount);
    EXPECT_EQ(real.objects, parser->objectCount);
    if (real.entries == 0) continue;
    NameDictionary *names = nullptr;
    BuildNameDictionary(*parser, &names);
    size_t items = 0;
    WalkStructureTree(
        *parser, names, UINT32_MAX,
        [](void *context, uint32_t, const ViewItem &) {
          return ++*static_cast<size_t *>(context) != 0;
        },
        &items);
    EXPECT_GT(items, 1u);
    std::vector<ViewItem> head;
    MakePropertyItems(*parser, names, 1, &head);
    DestroyNameDictionary(names);
    size_t lines = 0;
    for (uint32_t i = 0; i < parser->entryCount; ++i)
      DumpEntryLines(
          *parser, static_cast<int32_t>(i),
          [](void *context, const wchar_t *) { ++*static_cast<size_t *>(context); }, &lines);
    EXPECT_GE(lines, 3u * parser->entryCount);
    if (std::strcmp(real.file, "omfkt22/Simple2x.omf") == 0) { // the head's mobs
      EXPECT_EQ(L"OMFI:HEAD:Mobs  ( omfi:ObjRefArray )[ext]", std::wstring(head.at(12).label));
      std::vector<uint32_t> mobs;
      ReferencedObjects(*parser, head[12].entry, &mobs);
      EXPECT_EQ((std::vector<uint32_t>{0x100E9, 0x100F5, 0x10100}), mobs);
    }
  }
  if (seen == 0) GTEST_SKIP() << "the real containers are not beside the repository";
  // The names of a version-1 file reach the dictionary.
  const std::string dump = DictionaryDumpOfFiles({RealdataFile("omfkt22/Simple1x.omf")});
  EXPECT_NE(std::string::npos,
            dump.find("#define \t OMFI:ObjID" + std::string(25, ' ') + " \t\t  0X10000\n"));
}

} // namespace
