// The names that the OMF structure viewer shows for property and type IDs: the standard
// object IDs that Bento reserves, and the names that containers carry in their own
// dictionaries (objects whose property 24 or 23 holds the name of a property or type). One
// dictionary gathers the names of every container opened into it; the first name stored
// for an ID stays.
#pragma once

#include <cstdint>

#include "base/pooled_tree.h"

struct MediaFileParser;

inline constexpr uint32_t kNameChars = 260; // 259 characters and a terminating zero

struct NameEntry {
  uint32_t id;
  char name[kNameChars]; // 8-bit text as the container holds it
};
using NameDictionary = PooledTree<NameEntry>;

inline constexpr uint32_t kStandardNameCount = 26;
struct StandardName {
  uint32_t id;
  const char *name;
};
extern const StandardName kStandardNames[kStandardNameCount]; // in ascending ID order

// An empty dictionary with its first 200 nodes; none when memory ran out. Free it with
// DestroyNameDictionary.
NameDictionary *CreateNameDictionary();
void DestroyNameDictionary(NameDictionary *dictionary);

// Stores id -> the text of length bytes, cut at its first zero byte and at 259 characters,
// unless id has a name already. 0 when memory ran out.
int AddName(NameDictionary *dictionary, uint32_t id, const uint8_t *text, uint32_t length);

// The name of id, or none.
const char *LookupName(NameDictionary *dictionary, uint32_t id);

// Creates *dictionary when there is none, adds the standard names, then every name that
// the container open in parser holds (an entry of property 24 or 23 and type 21 whose value
// reads non-empty), in table order.
void BuildNameDictionary(MediaFileParser &parser, NameDictionary **dictionary);
