#include "inspection/structure_view.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "inspection/bento_constants.h"
#include "base/byte_order.h"
#include "inspection/media_file_parser.h"
#include "inspection/toc_stream.h"

namespace {

// Properties whose text names an object, in the order they are tried (fixed-entry tables;
// a version-2 file names its own, OmfNamedIds).
constexpr uint32_t kNameProperties[] = {PROP_MOB_NAME, PROP_ATTR_NAME, 0x10298, PROP_WIN_PATH};
constexpr uint32_t kClassProperties[] = {PROP_CLASS};

// What a property's type makes of its value in the tree.
enum class ValueKind { Other, ClassCode, Text, ObjectRef, ObjectRefArray, MobIndexList, MobId };

// By the fixed type IDs of a version-1 table, or by the IDs that a version-2 file's own
// dictionary gives these types (its numbers mean nothing elsewhere).
ValueKind KindOfType(const MediaFileParser &parser, uint32_t typeId) {
  if (const TocStream *stream = parser.Stream()) {
    const OmfNamedIds &ids = stream->ids;
    if (typeId == 0) return ValueKind::Other;
    if (typeId == ids.classType[0] || typeId == ids.classType[1]) return ValueKind::ClassCode;
    if (typeId == ids.textType[0] || typeId == ids.textType[1]) return ValueKind::Text;
    if (typeId == ids.objectRef) return ValueKind::ObjectRef;
    if (typeId == ids.objectRefArray) return ValueKind::ObjectRefArray;
    if (typeId == ids.mobIndex) return ValueKind::MobIndexList;
    if (typeId == ids.uid) return ValueKind::MobId;
    return ValueKind::Other;
  }
  switch (typeId) {
  case TYPE_CLASS_ID:
    return ValueKind::ClassCode;
  case TYPE_STRING:
    return ValueKind::Text;
  case TYPE_OBJECT_REF:
    return ValueKind::ObjectRef;
  case TYPE_OBJECT_REF_ARRAY:
    return ValueKind::ObjectRefArray;
  case TYPE_MOB_INDEX_LIST:
    return ValueKind::MobIndexList;
  case TYPE_UID:
    return ValueKind::MobId;
  default:
    return ValueKind::Other;
  }
}

bool IsReference(ValueKind kind) {
  return kind == ValueKind::ObjectRef || kind == ValueKind::ObjectRefArray ||
         kind == ValueKind::MobIndexList || kind == ValueKind::MobId;
}

constexpr wchar_t kTocDumpHeader[] = L"-----------------------TOC hex dump-----------------------";
constexpr wchar_t kValueDumpHeader[] =
    L"-----------------------Ext obj dump-----------------------";
constexpr wchar_t kDumpEnd[] = L"-----------------------End hex dump-----------------------";
constexpr uint32_t kDumpLineBytes = 16;

// A label under construction; text past the capacity is dropped.
struct Label {
  wchar_t *text;
  uint32_t length;
  uint32_t capacity; // characters, with the terminator

  void Put(wchar_t c) {
    if (length + 1 >= capacity) return;
    text[length++] = c;
    text[length] = 0;
  }
  void Wide(const wchar_t *s) {
    while (*s != 0) Put(*s++);
  }
  // 8-bit text of at most count bytes, each byte one character, up to a zero byte.
  void Bytes(const uint8_t *s, uint32_t count) {
    for (uint32_t i = 0; i < count && s[i] != 0; ++i) Put(static_cast<wchar_t>(s[i]));
  }
  void Narrow(const char *s) { Bytes(reinterpret_cast<const uint8_t *>(s), UINT32_MAX); }
  // Uppercase hexadecimal without leading zeros, as "%X".
  void Hex(uint32_t value) {
    wchar_t digits[8];
    int n = 0;
    do {
      digits[n++] = L"0123456789ABCDEF"[value & 0xF];
      value >>= 4;
    } while (value != 0);
    while (n > 0) Put(digits[--n]);
  }
};

Label StartLabel(wchar_t *text, uint32_t capacity) {
  text[0] = 0;
  return Label{text, 0, capacity};
}

bool HasEntries(const MediaFileParser &parser) {
  return parser.open != 0 && parser.valid != 0 && parser.entryCount != 0;
}

uint32_t ReadU32(const uint8_t *p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Numbers inside values: little-endian in a fixed-entry table (list counts come swapped
// from ReadValue), in the container's order in a version-2 one.
struct ValueNumbers {
  bool bigEndian;
  uint32_t U16(const uint8_t *p) const {
    return bigEndian ? uint32_t{p[0]} << 8 | p[1] : p[0] | uint32_t{p[1]} << 8;
  }
  uint32_t U32(const uint8_t *p) const { return bigEndian ? SwapBytes32(ReadU32(p)) : ReadU32(p); }
};

// A version-2 value names objects by reference keys, which its reference list maps to
// object IDs: the list object's reference data are pairs of key and object ID. A key the
// list does not hold (or a value without a list) is taken as the object ID itself.
struct ReferenceMap {
  std::vector<std::pair<uint32_t, uint32_t>> pairs; // by key; the first pair of a key counts
  ValueNumbers numbers{};

  void Load(MediaFileParser &parser, uint32_t listObject) {
    const int32_t first = parser.FirstEntryOfObject(listObject);
    if (listObject == 0 || first < 0) return;
    const int32_t at = parser.FindProperty(first, CM_StdObjID_ObjReferences);
    const uint32_t length = at < 0 ? 0 : parser.ReadValue(static_cast<uint32_t>(at));
    for (uint32_t k = 0; length >= 8 && k <= length - 8; k += 8)
      pairs.emplace_back(numbers.U32(parser.valueBuffer + k),
                         numbers.U32(parser.valueBuffer + k + 4));
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
  }
  uint32_t Resolve(uint32_t key) const {
    const auto found =
        std::lower_bound(pairs.begin(), pairs.end(), key,
                         [](const auto &pair, uint32_t k) { return pair.first < k; });
    return found != pairs.end() && found->first == key ? found->second : key;
  }
};

// The four characters of an entry's value field (a class code), as they lie in the file.
void PutCode(Label &label, uint32_t valueField) {
  uint8_t code[4];
  std::memcpy(code, &valueField, 4);
  label.Bytes(code, 4);
}

void PutPropertyValue(Label &label, MediaFileParser &parser, int32_t index, const TocEntry &entry,
                      ViewItem *item) {
  const ValueKind kind = KindOfType(parser, entry.typeId);
  if (IsReference(kind)) {
    item->bold = 1;
    return;
  }
  if (kind == ValueKind::ClassCode) {
    PutCode(label, entry.value);
    return;
  }
  if (kind == ValueKind::Text) {
    const uint32_t length = parser.ReadValue(static_cast<uint32_t>(index));
    if (length == 0) return;
    label.Wide(L" \"");
    label.Bytes(parser.valueBuffer, length);
    label.Put(L'"');
    return;
  }
  label.Wide(entry.storage == kStorageStored ? L"=[ off 0x" : L"=[ val 0x");
  label.Hex(entry.value);
  label.Wide(L" :len 0x");
  label.Hex(entry.length);
  label.Wide(L" ]");
}

void EmitDump(const uint8_t *bytes, uint32_t length, DumpLineSink sink, void *context) {
  wchar_t line[kDumpLineChars];
  for (uint32_t at = 0; at < length; at += kDumpLineBytes) {
    const uint32_t count = length - at < kDumpLineBytes ? length - at : kDumpLineBytes;
    FormatDumpLine(bytes + at, count, line);
    sink(context, line);
  }
}

} // namespace

int MakeObjectItem(MediaFileParser &parser, uint32_t objectId, ViewItem *item) {
  if (!HasEntries(parser)) return 0;
  const int32_t first = parser.FirstEntryOfObject(objectId);
  if (first < 0) return 0;
  item->entry = kObjectItem;
  item->bold = 1;
  Label label = StartLabel(item->label, kViewLabelChars);
  const TocStream *stream = parser.Stream();
  const uint32_t *names = stream != nullptr ? stream->ids.labelProperty : kNameProperties;
  const uint32_t nameCount = stream != nullptr ? kNamedLabelProperties : std::size(kNameProperties);
  for (uint32_t n = 0; n < nameCount; ++n) {
    const int32_t at = parser.FindProperty(first, names[n]);
    if (at < 0) continue;
    const uint32_t length = parser.ReadValue(static_cast<uint32_t>(at));
    if (length == 0) continue;
    label.Bytes(parser.valueBuffer, length);
    break;
  }
  label.Wide(L"[ ID=0x");
  label.Hex(objectId);
  label.Wide(L" ]");
  const uint32_t *classes = stream != nullptr ? stream->ids.classProperty : kClassProperties;
  const uint32_t classCount = stream != nullptr ? 2 : std::size(kClassProperties);
  for (uint32_t n = 0; n < classCount; ++n) {
    const int32_t classEntry = parser.FindProperty(first, classes[n]);
    if (classEntry < 0) continue;
    PutCode(label, parser.GetEntry(static_cast<uint32_t>(classEntry)).value);
    break;
  }
  return 1;
}

void MakePropertyItems(MediaFileParser &parser, NameDictionary *names, uint32_t objectId,
                       std::vector<ViewItem> *items) {
  if (!HasEntries(parser) || names == nullptr) return;
  // A version-2 file numbers its properties and types itself: its own names only.
  if (const TocStream *stream = parser.Stream()) names = stream->names;
  const int32_t first = parser.FirstEntryOfObject(objectId);
  // Object 1 is looked for at entry 0 even when the table does not begin with it.
  if (first < 0 || parser.GetEntry(static_cast<uint32_t>(first)).objectId != objectId) return;
  for (uint32_t i = static_cast<uint32_t>(first); i < parser.entryCount; ++i) {
    const TocEntry entry = parser.GetEntry(i); // a copy: reading values moves the current entry
    if (entry.objectId != objectId) break;
    ViewItem &item = items->emplace_back();
    item.entry = static_cast<int32_t>(i);
    item.bold = 0;
    Label label = StartLabel(item.label, kViewLabelChars);
    if (const char *name = LookupName(names, entry.propertyId)) {
      label.Narrow(name);
      label.Wide(L"  ");
    }
    label.Wide(L"( ");
    if (const char *type = LookupName(names, entry.typeId)) label.Narrow(type);
    label.Wide(L" )");
    if (entry.storage == kStorageStored) label.Wide(L"[ext]");
    PutPropertyValue(label, parser, static_cast<int32_t>(i), entry, &item);
  }
}

void ReferencedObjects(MediaFileParser &parser, int32_t entry, std::vector<uint32_t> *objects) {
  if (entry < 0 || parser.open == 0 || parser.valid == 0) return;
  const TocEntry found = parser.GetEntry(static_cast<uint32_t>(entry));
  const ValueKind kind = KindOfType(parser, found.typeId);
  if (found.objectId == 0 || !IsReference(kind)) return;
  const uint32_t length = parser.ReadValue(static_cast<uint32_t>(entry));
  if (length == 0) return;
  // Looking up the objects reads other values into the parser's buffer: work on a copy,
  // long enough for a whole mob ID even when the value is shorter.
  std::vector<uint8_t> value(length < kMobIdSize ? kMobIdSize : length, 0);
  std::memcpy(value.data(), parser.valueBuffer, length);
  const uint8_t *v = value.data();
  const TocStream *stream = parser.Stream();
  ReferenceMap references;
  references.numbers.bigEndian = stream != nullptr && stream->bigEndian;
  if (stream != nullptr)
    references.Load(parser, stream->values[static_cast<uint32_t>(entry)].referenceList);
  const ValueNumbers &numbers = references.numbers;
  const uint32_t count = length >= 2 ? numbers.U16(v) : 0;

  switch (kind) {
  case ValueKind::MobIndexList:
    // Records of 20 bytes after the count, the mob's object at bytes 12-15; only the
    // records that the value holds are read.
    for (uint32_t k = 0; k < count; ++k) {
      const uint64_t at = 2 + static_cast<uint64_t>(kMobIndexRecordSize) * k;
      if (length < 16 || at > length - 16) break;
      objects->push_back(references.Resolve(numbers.U32(v + at + 12)));
    }
    break;
  case ValueKind::ObjectRef:
    objects->push_back(references.Resolve(numbers.U32(v)));
    break;
  case ValueKind::ObjectRefArray: {
    // Elements of 8 bytes (an object and 4 unused bytes); a version-2 file of the 2.x
    // object model packs bare 4-byte references, which its value's length tells.
    const uint64_t size = stream != nullptr && length < 2 + uint64_t{kObjectRefElementSize} * count
                              ? 4
                              : kObjectRefElementSize;
    for (uint32_t k = 0; k < count; ++k) {
      const uint64_t at = 2 + size * k;
      if (length < 4 || at > length - 4) break;
      objects->push_back(references.Resolve(numbers.U32(v + at)));
    }
    break;
  }
  case ValueKind::MobId: {
    const MobKey key = {ReadU32(v + 4), ReadU32(v + 8)};
    MobIndex *indexes[] = {&parser.clipMobIndex, &parser.mediaDataIndex, &parser.sourceMobIndex};
    for (MobIndex *index : indexes) {
      const uint32_t objectId = parser.LookupMob(index, key);
      if (objectId != 0) objects->push_back(objectId);
    }
    break;
  }
  default:
    break;
  }
}

void FormatDumpLine(const uint8_t *bytes, uint32_t count, wchar_t line[kDumpLineChars]) {
  wchar_t hex[56];
  wchar_t chars[24];
  Label h = StartLabel(hex, 56);
  Label c = StartLabel(chars, 24);
  if (count > kDumpLineBytes) count = kDumpLineBytes;
  for (uint32_t i = 0; i < count; ++i) {
    h.Put(L"0123456789ABCDEF"[bytes[i] >> 4]);
    h.Put(L"0123456789ABCDEF"[bytes[i] & 0xF]);
    h.Put(L' ');
    // Byte 31 counts as printable; only 0 to 30 become dots.
    c.Put(bytes[i] >= 31 ? static_cast<wchar_t>(bytes[i]) : L'.');
    if (i == 3 || i == 7 || i == 11) {
      h.Put(L' ');
      c.Put(L' ');
    }
  }
  Label out = StartLabel(line, kDumpLineChars);
  out.Wide(L"| ");
  out.Wide(hex);
  for (uint32_t n = h.length; n < 52; ++n) out.Put(L' ');
  out.Wide(L"| ");
  out.Wide(chars);
  for (uint32_t n = c.length; n < 20; ++n) out.Put(L' ');
  out.Put(L'|');
}

void DumpEntryLines(MediaFileParser &parser, int32_t entry, DumpLineSink sink, void *context) {
  if (entry < 0 || parser.open == 0 || parser.valid == 0) return;
  const TocEntry found = parser.GetEntry(static_cast<uint32_t>(entry));
  if (found.objectId == 0) return;
  sink(context, kTocDumpHeader);
  EmitDump(reinterpret_cast<const uint8_t *>(&found), kTocEntrySize, sink, context);
  if (found.storage == kStorageStored) {
    sink(context, kValueDumpHeader);
    const uint32_t length = parser.ReadValue(static_cast<uint32_t>(entry));
    if (length != 0) EmitDump(parser.valueBuffer, length, sink, context);
  }
  sink(context, kDumpEnd);
}
