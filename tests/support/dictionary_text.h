// The bytes of a dictionary dump made in-process by the core, for comparing with what the
// viewer's Dump button and orvalis-cli dict write.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "inspection/name_dictionary.h"

// Every line of the dump of the dictionary (none: the empty text).
std::string DictionaryDumpText(NameDictionary *names);

// The dump after opening the files in this order in one viewer: names of every file that
// opens, the first name of an ID kept.
std::string DictionaryDumpOfFiles(const std::vector<std::filesystem::path> &files);
