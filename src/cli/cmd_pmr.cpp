// orvalis-cli pmr FILE: every entry of a ".pmr" media index file that a load would take,
// one line each: file name, project, media ID, clip mob key, as the load makes its records.
#include "catalogue/index_records.h"
#include "cli/cli_common.h"
#include "formats/pmr_file.h"

int CmdPmr(int, wchar_t **argv) {
  PMRFile index;
  if (!index.OpenIndex(argv[0])) return kExitFailed;
  PMRIndexEntry entry{};
  while (index.NextEntry(&entry, 1)) {
    MediaRecord record{};
    RecordFromIndexEntry(entry, record);
    wchar_t mediaId[kKeyTextChars], clipMobKey[kKeyTextChars];
    FormatKey(record.mediaId, mediaId);
    FormatKey(record.clipMobKey, clipMobKey);
    const wchar_t *fields[] = {record.fileName, record.project, mediaId, clipMobKey};
    WriteRow(fields, 4);
  }
  index.Close();
  return kExitOk;
}
