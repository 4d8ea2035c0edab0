// What the OMF structure viewer shows, made without a window: the labels of object and
// property items, the objects a reference property leads to, and the hex dump lines of a
// TOC entry and its value. The viewer's window only places these in its tree and console.
//
// Everything reads the container open in the given parser and obeys the reader's value
// bounds; nothing follows references by itself, so a damaged or cyclic file costs one level
// per request.
#pragma once

#include <cstdint>
#include <vector>

#include "inspection/name_dictionary.h"

struct MediaFileParser;

inline constexpr uint32_t kViewLabelChars = 512; // 511 characters and a terminator
inline constexpr int32_t kObjectItem = -1;       // the entry of an object item

struct ViewItem {
  wchar_t label[kViewLabelChars];
  int32_t entry; // TOC entry of a property item; kObjectItem for an object item
  uint32_t bold; // object items and reference properties
};

// The object's item: its name (the first of its name, attribute name, mob name and path
// properties that reads non-empty), "[ ID=0x%X ]" and its class. 0 when the parser holds
// no entries or the object is not in the file.
int MakeObjectItem(MediaFileParser &parser, uint32_t objectId, ViewItem *item);

// One item per property of the object, in table order; none without a dictionary or when
// the object is not in the file.
void MakePropertyItems(MediaFileParser &parser, NameDictionary *names, uint32_t objectId,
                       std::vector<ViewItem> *items);

// The objects that the reference property at entry leads to, in the order they are shown
// (object IDs, possibly repeated or absent from the file). Empty for anything that is not a
// reference with a value.
void ReferencedObjects(MediaFileParser &parser, int32_t entry, std::vector<uint32_t> *objects);

// The whole tree as the viewer builds it on demand, in the order it shows it: object 1 at
// depth 0, each object followed by its property items one level deeper, and under each
// reference property the objects it leads to (one more level, sorted by label as the
// viewer's tree sorts them), as a double-click on every reference adds them. An object's
// references are followed where it first appears only, so shared and cyclic references
// end; nothing deeper than maxDepth is given. The walk stops when the sink returns false.
using TreeItemSink = bool (*)(void *context, uint32_t depth, const ViewItem &item);
void WalkStructureTree(MediaFileParser &parser, NameDictionary *names, uint32_t maxDepth,
                       TreeItemSink sink, void *context);

// The dump of entry as console lines: its 24 bytes and, when its value is stored in the
// file, the whole value, 16 bytes a line. Nothing for entry -1 or an entry of object 0.
using DumpLineSink = void (*)(void *context, const wchar_t *line);
void DumpEntryLines(MediaFileParser &parser, int32_t entry, DumpLineSink sink, void *context);

// One dump line of up to 16 bytes: "| %-52s| %-20s|" of the hex and character columns.
inline constexpr uint32_t kDumpLineChars = 80;
void FormatDumpLine(const uint8_t *bytes, uint32_t count, wchar_t line[kDumpLineChars]);
