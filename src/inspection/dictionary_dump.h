// The viewer's name dictionary written as a header file for a program: "#pragma once", one
// "#define" line per name in ascending ID order, and an end mark; 8-bit text with bare line
// feeds. The same bytes go to a file (the viewer) or to standard output (orvalis-cli dict).
#pragma once

#include <cstdint>

#include "inspection/name_dictionary.h"

// Receives one line, exactly its bytes (no terminating zero).
using DictionaryLineSink = void (*)(void *context, const char *bytes, uint32_t length);

// "#define \t %-35s \t\t %#8.5X\n" for the name and the ID; the length written (names are
// never cut: capacity kDefineLineChars holds the longest).
inline constexpr uint32_t kDefineLineChars = kNameChars + 64;
uint32_t FormatDefineLine(uint32_t id, const char *name, char line[kDefineLineChars]);

// Every line of the dump, in order; nothing without a dictionary.
void WriteDictionaryDump(NameDictionary *dictionary, DictionaryLineSink sink, void *context);
