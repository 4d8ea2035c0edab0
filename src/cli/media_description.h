// The key<TAB>value lines that orvalis-cli omf and mdb print for a described medium.
#pragma once

#include "inspection/media_file_parser.h"

void WriteMediaDescription(const ParserResults &results);
