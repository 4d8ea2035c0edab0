#include "inspection/name_dictionary.h"

#include <cstring>
#include <new>

#include "inspection/bento_constants.h"
#include "inspection/media_file_parser.h"

const StandardName kStandardNames[kStandardNameCount] = {
    {CM_StdObjID_TOC, "CM_StdObjID_TOC"},
    {CM_StdObjID_TOC_Seed, "CM_StdObjID_TOC_Seed"},
    {CM_StdObjID_TOC_MinSeed, "CM_StdObjID_TOC_MinSeed"},
    {CM_StdObjID_TOC_Object, "CM_StdObjID_TOC_Object"},
    {CM_StdObjID_TOC_Container, "CM_StdObjID_TOC_Container"},
    {CM_StdObjID_TOC_Deleted, "CM_StdObjID_TOC_Deleted"},
    {CM_StdObjID_TOC_Free, "CM_StdObjID_TOC_Free"},
    {CM_StdObjID_TOC_NewValuesTOC, "CM_StdObjID_TOC_NewValuesTOC"},
    {CM_StdObjID_TOC_Target, "CM_StdObjID_TOC_Target"},
    {CM_StdObjID_TOC_DeleteList, "CM_StdObjID_TOC_DeleteList"},
    {CM_StdObjID_TOC_Type, "CM_StdObjID_TOC_Type"},
    {CM_StdObjID_7BitASCII, "CM_StdObjID_7BitASCII"},
    {CM_StdObjID_8BitASCII, "CM_StdObjID_8BitASCII"},
    {CM_StdObjID_GlobalTypeName, "CM_StdObjID_GlobalTypeName"},
    {CM_StdObjID_GlobalPropName, "CM_StdObjID_GlobalPropName"},
    {CM_StdObjID_DynamicValues, "CM_StdObjID_DynamicValues"},
    {CM_StdObjID_BaseTypes, "CM_StdObjID_BaseTypes"},
    {CM_StdObjID_BaseTypeList, "CM_StdObjID_BaseTypeList"},
    {CM_StdObjID_TargetContainer, "CM_StdObjID_TargetContainer"},
    {CM_StdObjID_ValueUpdates, "CM_StdObjID_ValueUpdates"},
    {CM_StdObjID_UpdatesData, "CM_StdObjID_UpdatesData"},
    {CM_StdObjID_ObjReferences, "CM_StdObjID_ObjReferences"},
    {CM_StdObjID_ObjRefData, "CM_StdObjID_ObjRefData"},
    {CM_StdObjID_32BitImmValue, "CM_StdObjID_32BitImmValue"},
    {CM_StdObjID_16BitImmValue, "CM_StdObjID_16BitImmValue"},
    {CM_StdObjID_8BitImmValue, "CM_StdObjID_8BitImmValue"},
};

namespace {

constexpr uint32_t kDictionaryGrowth = 200;

bool NameLess(const NameEntry *key, const NameEntry *stored) {
  return key->id < stored->id;
}

bool NameEqual(const NameEntry *key, const NameEntry *stored) {
  return key->id == stored->id;
}

} // namespace

NameDictionary *CreateNameDictionary() {
  NameDictionary *dictionary =
      new (std::nothrow) NameDictionary(kDictionaryGrowth, NameLess, NameEqual,
                                        ZeroFillElement<NameEntry>, CopyOrZeroElement<NameEntry>);
  if (dictionary == nullptr) return nullptr;
  dictionary->Grow(kDictionaryGrowth);
  return dictionary;
}

void DestroyNameDictionary(NameDictionary *dictionary) {
  delete dictionary;
}

int AddName(NameDictionary *dictionary, uint32_t id, const uint8_t *text, uint32_t length) {
  NameEntry entry = {};
  entry.id = id;
  uint32_t n = 0;
  while (n < length && n < kNameChars - 1 && text[n] != 0) {
    entry.name[n] = static_cast<char>(text[n]);
    ++n;
  }
  return dictionary->InsertUnique(&entry) != nullptr;
}

const char *LookupName(NameDictionary *dictionary, uint32_t id) {
  if (dictionary == nullptr) return nullptr;
  NameEntry key = {};
  key.id = id;
  const NameEntry *found = dictionary->Find(&key);
  return found != nullptr ? found->name : nullptr;
}

void BuildNameDictionary(MediaFileParser &parser, NameDictionary **dictionary) {
  if (*dictionary == nullptr) *dictionary = CreateNameDictionary();
  NameDictionary *names = *dictionary;
  if (names == nullptr) return;
  for (const StandardName &standard : kStandardNames) {
    AddName(names, standard.id, reinterpret_cast<const uint8_t *>(standard.name),
            static_cast<uint32_t>(std::strlen(standard.name)));
  }
  for (uint32_t i = 0; i < parser.entryCount; ++i) {
    const TocEntry &entry = parser.GetEntry(i);
    if (entry.objectId == 0 || entry.typeId != CM_StdObjID_7BitASCII) continue;
    if (entry.propertyId != CM_StdObjID_GlobalPropName &&
        entry.propertyId != CM_StdObjID_GlobalTypeName) {
      continue;
    }
    const uint32_t length = parser.ReadValue(i);
    if (length != 0) AddName(names, entry.objectId, parser.valueBuffer, length);
  }
}
