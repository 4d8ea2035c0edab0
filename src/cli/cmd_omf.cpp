// orvalis-cli omf FILE: describes an OMF media file from its own objects, as linking a file
// found on disk does.
#include "cli/cli_common.h"
#include "cli/media_description.h"
#include "inspection/media_file_parser.h"

int CmdOmf(int, wchar_t **argv) {
  MediaFileParser &parser = g_catalogueParser;
  if (!OpenContainer(parser, argv[0])) return kExitFailed;
  parser.DescribeMediaFile();
  WriteMediaDescription(parser.results);
  parser.ResetParser();
  return kExitOk;
}
