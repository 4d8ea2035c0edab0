// orvalis-cli dups [--media PATH]... PATH...: loads as scan does and prints the rows of the
// duplicate finder: media ID, keep or backup, file name, name in bin, folder, size, project.
#include "catalogue/catalogue.h"
#include "catalogue/duplicate_rows.h"
#include "cli/catalogue_load.h"
#include "cli/cli_common.h"
#include "cli/record_text.h"

namespace {

void WriteDuplicateRow(MediaRecord *record, int checked, void *) {
  wchar_t mediaId[kKeyTextChars];
  wchar_t size[kNumberChars];
  FormatKey(record->mediaId, mediaId);
  FormatNumber(record->size, size);
  const wchar_t *fields[] = {mediaId,          checked != 0 ? L"backup" : L"keep",
                             record->fileName, record->nameInBin,
                             record->folder,   size,
                             record->project};
  WriteRow(fields, sizeof fields / sizeof fields[0]);
}

} // namespace

int CmdDups(int argc, wchar_t **argv) {
  LoadArguments arguments;
  if (!ParseLoadArguments(argc, argv, false, &arguments)) return kExitUsage;
  int status = LoadCatalogue(arguments);
  ListDuplicateRows(g_catalogue, WriteDuplicateRow, nullptr);
  return status;
}
