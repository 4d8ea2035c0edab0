#include "inspection/structure_view.h"

#include <cstring>

#include "inspection/bento_constants.h"
#include "inspection/media_file_parser.h"

namespace {

// Properties whose text names an object, in the order they are tried.
constexpr uint32_t kNameProperties[] = {PROP_MOB_NAME, PROP_ATTR_NAME, 0x10298, PROP_WIN_PATH};

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

// The four characters of an entry's value field (a class code), as they lie in the file.
void PutCode(Label &label, uint32_t valueField) {
  uint8_t code[4];
  std::memcpy(code, &valueField, 4);
  label.Bytes(code, 4);
}

void PutPropertyValue(Label &label, MediaFileParser &parser, int32_t index, const TocEntry &entry,
                      ViewItem *item) {
  if (IsReferenceType(entry.typeId)) {
    item->bold = 1;
    return;
  }
  if (entry.typeId == TYPE_CLASS_ID) {
    PutCode(label, entry.value);
    return;
  }
  if (entry.typeId == TYPE_STRING) {
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

bool IsReferenceType(uint32_t typeId) {
  return typeId == TYPE_MOB_INDEX_LIST || typeId == TYPE_OBJECT_REF ||
         typeId == TYPE_OBJECT_REF_ARRAY || typeId == TYPE_UID;
}

int MakeObjectItem(MediaFileParser &parser, uint32_t objectId, ViewItem *item) {
  if (!HasEntries(parser)) return 0;
  const int32_t first = parser.FirstEntryOfObject(objectId);
  if (first < 0) return 0;
  item->entry = kObjectItem;
  item->bold = 1;
  Label label = StartLabel(item->label, kViewLabelChars);
  for (uint32_t property : kNameProperties) {
    const int32_t at = parser.FindProperty(first, property);
    if (at < 0) continue;
    const uint32_t length = parser.ReadValue(static_cast<uint32_t>(at));
    if (length == 0) continue;
    label.Bytes(parser.valueBuffer, length);
    break;
  }
  label.Wide(L"[ ID=0x");
  label.Hex(objectId);
  label.Wide(L" ]");
  const int32_t classEntry = parser.FindProperty(first, PROP_CLASS);
  if (classEntry >= 0) PutCode(label, parser.GetEntry(static_cast<uint32_t>(classEntry)).value);
  return 1;
}

void MakePropertyItems(MediaFileParser &parser, NameDictionary *names, uint32_t objectId,
                       std::vector<ViewItem> *items) {
  if (!HasEntries(parser) || names == nullptr) return;
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
  if (found.objectId == 0 || !IsReferenceType(found.typeId)) return;
  const uint32_t length = parser.ReadValue(static_cast<uint32_t>(entry));
  if (length == 0) return;
  // Looking up the objects reads other values into the parser's buffer: work on a copy,
  // long enough for a whole mob ID even when the value is shorter.
  std::vector<uint8_t> value(length < kMobIdSize ? kMobIdSize : length, 0);
  std::memcpy(value.data(), parser.valueBuffer, length);
  const uint8_t *v = value.data();
  const uint32_t count = length >= 2 ? static_cast<uint32_t>(v[0] | v[1] << 8) : 0;

  switch (found.typeId) {
  case TYPE_MOB_INDEX_LIST:
    // Records of 20 bytes after the count, the mob's object ID at bytes 12-15; only the
    // records that the value holds are read.
    for (uint32_t k = 0; k < count; ++k) {
      const uint64_t at = 2 + static_cast<uint64_t>(kMobIndexRecordSize) * k;
      if (length < 16 || at > length - 16) break;
      objects->push_back(ReadU32(v + at + 12));
    }
    break;
  case TYPE_OBJECT_REF:
    objects->push_back(ReadU32(v));
    break;
  case TYPE_OBJECT_REF_ARRAY:
    for (uint32_t k = 0; k < count; ++k) {
      const uint64_t at = 2 + static_cast<uint64_t>(kObjectRefElementSize) * k;
      if (length < 4 || at > length - 4) break;
      objects->push_back(ReadU32(v + at));
    }
    break;
  case TYPE_UID: {
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
