// orvalis-cli scan [--json] [--media PATH]... PATH...: loads the catalogue as the main window
// does and prints every record in the records tree's order, then the totals.
#include <string>

#include "catalogue/catalogue.h"
#include "cli/catalogue_load.h"
#include "cli/cli_common.h"
#include "cli/record_text.h"
#include "inspection/media_info_text.h"

namespace {

struct RecordTexts {
  wchar_t size[kNumberChars];
  wchar_t compression[kCompressionTextChars + 10];
  wchar_t created[kCreatedChars];
  wchar_t mediaId[kKeyTextChars];
  bool onDisk;
};

void FillTexts(const MediaRecord &record, RecordTexts *texts) {
  texts->onDisk = record.attributes != 0;
  FormatNumber(record.size, texts->size);
  FormatCompressionText(texts->compression, record.compressionId, record.formatCode,
                        record.unitSize, record.mediaType);
  FormatCreated(record.created, texts->created);
  FormatKey(record.mediaId, texts->mediaId);
}

void WriteTextRecord(const MediaRecord &record, const RecordTexts &texts) {
  const wchar_t *fields[] = {record.fileName,
                             record.nameInBin,
                             texts.onDisk ? texts.size : L"Not Exist",
                             texts.compression,
                             record.folder,
                             ClipUsageText(record.clipUsage),
                             texts.created,
                             record.project,
                             record.source,
                             texts.mediaId,
                             record.linked != 0 ? L"1" : L"0"};
  WriteRow(fields, sizeof fields / sizeof fields[0]);
}

void WriteJsonRecord(const MediaRecord &record, const RecordTexts &texts) {
  std::wstring line = L"{\"file\":" + JsonString(record.fileName);
  line += L",\"clip\":" + JsonString(record.nameInBin);
  line += L",\"size\":" + std::wstring(texts.onDisk ? texts.size : L"null");
  line += L",\"compression\":" + JsonString(texts.compression);
  line += L",\"folder\":" + JsonString(record.folder);
  line += L",\"type\":" + JsonString(ClipUsageText(record.clipUsage));
  line += L",\"created\":" + (texts.created[0] != 0 ? JsonString(texts.created) : L"null");
  line += L",\"project\":" + JsonString(record.project);
  line += L",\"source\":" + JsonString(record.source);
  line += L",\"media_id\":" + JsonString(texts.mediaId);
  line += L",\"linked\":" + std::wstring(record.linked != 0 ? L"1" : L"0") + L"}\n";
  WriteUtf8(stdout, line.c_str());
}

void WriteTotals(const Catalogue &catalogue, bool json) {
  struct Total {
    const wchar_t *textName;
    const wchar_t *jsonName;
    uint64_t value;
  };
  const Total totals[] = {
      {L"#projects", L"projects", catalogue.projectsCount},
      {L"#total items", L"total_items", catalogue.totalItems},
      {L"#unique items", L"unique_items", catalogue.uniqueItems},
      {L"#total size", L"total_size", catalogue.totalSize},
      {L"#unreferenced size", L"unreferenced_size", catalogue.unreferencedSize},
  };
  std::wstring line = L"{\"totals\":{";
  for (const Total &total : totals) {
    wchar_t number[kNumberChars];
    FormatNumber(total.value, number);
    if (!json) {
      const wchar_t *fields[] = {total.textName, number};
      WriteRow(fields, 2);
      continue;
    }
    if (&total != totals) line += L",";
    line += JsonString(total.jsonName) + L":" + number;
  }
  if (json) WriteUtf8(stdout, (line + L"}}\n").c_str());
}

} // namespace

int CmdScan(int argc, wchar_t **argv) {
  LoadArguments arguments;
  if (!ParseLoadArguments(argc, argv, true, &arguments)) return kExitUsage;
  int status = LoadCatalogue(arguments);
  Catalogue &catalogue = g_catalogue;
  uint32_t budget = catalogue.records.count;
  for (MediaRecord *record = catalogue.records.First(); record != nullptr && budget > 0;
       record = catalogue.records.Next(), --budget) {
    RecordTexts texts;
    FillTexts(*record, &texts);
    if (arguments.json)
      WriteJsonRecord(*record, texts);
    else
      WriteTextRecord(*record, texts);
  }
  WriteTotals(catalogue, arguments.json);
  return status;
}
