// The key<TAB>value lines that orvalis-cli omf and mdb print for a described medium, and
// the opening of a container that every container command shares.
#pragma once

#include "inspection/media_file_parser.h"

void WriteMediaDescription(const ParserResults &results);

// OpenMediaFile; when it fails, standard error says why ("orvalis-cli: <reason> ::<path>",
// the reason in the words of the program's log).
int OpenContainer(MediaFileParser &parser, const wchar_t *path);
