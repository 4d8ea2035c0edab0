// What the OMF structure viewer shows, over arbitrary containers read as the viewer's parser
// reads them (version-2 byte-code tables too): the name dictionary, then for every object
// of the file its item and its property items, the objects each reference property leads
// to (as an expansion adds them), the hex dump of every entry, and the whole tree as
// orvalis-cli tree walks it. Labels and dump lines must end within their buffers. The work
// per input is bounded (objects shown, bytes dumped, tree items) so that a table that names
// one huge value many times stays a short run.
#include <cwchar>
#include <memory>
#include <vector>

#include "fuzz_input.h"
#include "inspection/bento_constants.h"
#include "inspection/media_file_parser.h"
#include "inspection/structure_view.h"

namespace {

constexpr uint32_t kMostObjects = 2048;       // object items made per input
constexpr uint64_t kMostDumpBytes = 8 * 1024; // value bytes dumped per input
constexpr uint64_t kMostTreeItems = 4096;     // items of the whole tree walked per input

void CheckLine(void *context, const wchar_t *line) {
  FuzzTextLength(line, kDumpLineChars, "dump line without terminator");
  ++*static_cast<uint64_t *>(context);
}

void CheckItem(const ViewItem &item) {
  FuzzTextLength(item.label, kViewLabelChars, "label without terminator");
}

struct Viewer {
  MediaFileParser &parser;
  NameDictionary *names;
  uint32_t objectsShown = 0;
  uint64_t dumpBytes = 0;
  uint64_t dumpLines = 0;
  ViewItem item{};
  std::vector<ViewItem> properties;
  std::vector<uint32_t> referenced;

  Viewer(MediaFileParser &p, NameDictionary *n) : parser(p), names(n) {}

  void ShowObject(uint32_t objectId) {
    if (++objectsShown > kMostObjects) return;
    if (!MakeObjectItem(parser, objectId, &item)) return;
    CheckItem(item);
    if (item.entry != kObjectItem) FuzzFail("an object item with an entry");
  }

  // The object's property items, each expanded and dumped as a double-click does.
  void ShowProperties(uint32_t objectId) {
    properties.clear();
    MakePropertyItems(parser, names, objectId, &properties);
    for (const ViewItem &property : properties) {
      CheckItem(property);
      if (parser.GetEntry(static_cast<uint32_t>(property.entry)).objectId != objectId)
        FuzzFail("a property item of another object");
    }
    for (const ViewItem &property : properties) {
      referenced.clear();
      ReferencedObjects(parser, property.entry, &referenced);
      for (uint32_t id : referenced) ShowObject(id);
      const TocEntry &entry = parser.GetEntry(static_cast<uint32_t>(property.entry));
      uint64_t bytes = entry.storage == 1 ? entry.length : 0;
      if (dumpBytes + bytes > kMostDumpBytes) continue;
      dumpBytes += bytes;
      uint64_t before = dumpLines;
      DumpEntryLines(parser, property.entry, CheckLine, &dumpLines);
      if (dumpLines - before > 4 + (bytes + 15) / 16 + 2) FuzzFail("more dump lines than bytes");
    }
  }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  auto parser = std::make_unique<MediaFileParser>(1);
  NameDictionary *names = nullptr;
  if (parser->OpenMediaFile(FuzzInputPath(data, size))) BuildNameDictionary(*parser, &names);

  Viewer viewer(*parser, names);
  viewer.ShowObject(CM_StdObjID_TOC);
  viewer.ShowProperties(CM_StdObjID_TOC);
  uint32_t previous = 0;
  for (uint32_t i = 0; i < parser->entryCount && viewer.objectsShown < kMostObjects; ++i) {
    uint32_t objectId = parser->GetEntry(i).objectId;
    if (objectId == previous || objectId == CM_StdObjID_TOC) continue;
    previous = objectId;
    viewer.ShowObject(objectId);
    viewer.ShowProperties(objectId);
  }
  // The whole tree as orvalis-cli tree prints it.
  uint64_t treeItems = 0;
  WalkStructureTree(
      *parser, names, UINT32_MAX,
      [](void *context, uint32_t, const ViewItem &treeItem) {
        CheckItem(treeItem);
        return ++*static_cast<uint64_t *>(context) < kMostTreeItems;
      },
      &treeItems);
  // Entries that a click cannot reach: none, past the table, of no object.
  DumpEntryLines(*parser, -1, CheckLine, &viewer.dumpLines);
  DumpEntryLines(*parser, static_cast<int32_t>(parser->entryCount), CheckLine, &viewer.dumpLines);
  viewer.referenced.clear();
  ReferencedObjects(*parser, static_cast<int32_t>(parser->entryCount), &viewer.referenced);
  if (!viewer.referenced.empty()) FuzzFail("references from past the table");
  DestroyNameDictionary(names);
  return 0;
}
