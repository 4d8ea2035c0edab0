#include <cstring>

#include "window_services/window_helpers.h"
#include "views_fixture.h"
#include "views/view_state.h"

namespace views_test {
namespace {

class FilesListTest : public ViewsTest {};

std::wstring SizeText(uint64_t bytes) {
  wchar_t text[60];
  return FormatByteSize(text, 60, bytes);
}

// The UTC file time whose local time is the given calendar time.
uint64_t LocalTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME local{year, month, 0, day, hour, minute, second, 0};
  FILETIME localTime;
  FILETIME utc;
  SystemTimeToFileTime(&local, &localTime);
  LocalFileTimeToFileTime(&localTime, &utc);
  return (static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
}

std::wstring StatusText() {
  return gui::Text(g_shell.statusLine);
}

bool StatusIs(const std::wstring &text) {
  MarkStatusDirty();
  return gui::PumpUntil([&] { return StatusText() == text; }, 3000);
}

TEST_F(FilesListTest, HasNineLeftAlignedColumns) {
  const wchar_t *headers[] = {L"File Name", L"Name in bin",   L"Size",    L"Compression", L"Path",
                              L"Type",      L"Creation Date", L"Project", L"Source"};
  const int widths[] = {200, 200, 70, 100, 110, 55, 120, 100, 100};
  for (int i = 0; i < kFilesColumns; ++i) {
    wchar_t text[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = 64;
    ASSERT_TRUE(
        SendMessageW(g_shell.filesList, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(text, headers[i]);
    EXPECT_EQ(column.cx, widths[i]) << i;
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    EXPECT_EQ(HeaderFormat(g_shell.filesList, i) & (HDF_BITMAP | HDF_BITMAP_ON_RIGHT),
              HDF_BITMAP_ON_RIGHT);
  }
}

TEST_F(FilesListTest, RowsShowTheRecordsTexts) {
  MediaRecord full = Record(L"V01.omf", L"Demo", 1536);
  std::wcscpy(full.nameInBin, L"Clip one");
  std::wcscpy(full.source, L"Tape 7");
  std::memcpy(full.mediaType, "_VID", 4);
  full.compressionId = 76;
  full.clipUsage = kClipUsageSource;
  full.created = LocalTime(2008, 3, 5, 14, 7, 33);
  MediaRecord missing = Record(L"A01.wav", L"Demo", 0, 0);
  std::memcpy(missing.mediaType, "_WAV", 4);
  std::memcpy(missing.formatCode, "4816", 4);
  missing.clipUsage = 3;
  MediaRecord precompute = Record(L"P01.omf", L"Demo", 10);
  precompute.clipUsage = kClipUsagePrecomp;
  const MediaRecord *stored[] = {Store(full), Store(missing), Store(precompute)};

  // Only files found on disk get rows while "Show only existing files" is checked.
  for (const MediaRecord *r : stored) AddRecordToFilesList(r);
  EXPECT_EQ(ListColumn(g_shell.filesList), (std::vector<std::wstring>{L"V01.omf", L"P01.omf"}));
  EXPECT_EQ(g_views.listedBytes, 1546u);

  ClearFilesList();
  SendMessageW(g_shell.existingCheck, BM_SETCHECK, BST_UNCHECKED, 0);
  for (const MediaRecord *r : stored) AddRecordToFilesList(r);
  ASSERT_EQ(RowCount(g_shell.filesList), 3);
  EXPECT_EQ(g_views.listedBytes, 1546u);
  EXPECT_EQ(FilesListRecord(0), stored[0]);

  const std::wstring row0[] = {L"V01.omf",
                               L"Clip one",
                               SizeText(1536),
                               L"JPEG: 2:1",
                               L"C:\\OMFI MediaFiles\\1",
                               L"Source",
                               L"05.Mar.2008/14:07:33",
                               L"Demo",
                               L"Tape 7"};
  for (int c = 0; c < kFilesColumns; ++c)
    EXPECT_EQ(gui::ListViewText(g_shell.filesList, 0, c), row0[c]) << "column " << c;

  // Not on disk, clip usage 3, no creation time, no bin name or source.
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, 1, 1), L"");
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, 1, 2), L"Not Exist");
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, 1, 3), L"WAVE 48khz 16bit");
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, 1, 5), L"");
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, 1, 6), L"");
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, 1, 8), L"");
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, 2, 5), L"Precomp");

  // Removing rows gives their sizes back; a record without a row is no error.
  RemoveRecordFromFilesList(stored[0]);
  RemoveRecordFromFilesList(stored[0]);
  EXPECT_EQ(ListColumn(g_shell.filesList), (std::vector<std::wstring>{L"A01.wav", L"P01.omf"}));
  EXPECT_EQ(g_views.listedBytes, 10u);
}

// Four records whose fields give every column a different strict order.
struct SortRow {
  const wchar_t *name, *bin, *folder, *project, *source;
  uint64_t size;
  uint32_t compression;
  const char *type;
  uint32_t usage;
  uint64_t created;
};

TEST_F(FilesListTest, EachColumnSortsOneWayWithEmptyTextsLast) {
  const SortRow rows[] = {
      {L"d.omf", L"Gamma", L"c:\\d", L"P3", L"T3", 50, 0, "_AIF", 0, 1},
      {L"c.omf", L"Alpha", L"C:\\C", L"", L"T1", 200, 140, "_VID", 3, 2},
      {L"B.omf", L"", L"C:\\a", L"p1", L"T2", 300, 76, "_VID", 1, 0},
      {L"a.omf", L"beta", L"C:\\b", L"P2", L"", 100, 0, "_WAV", 7, 3},
  };
  for (const SortRow &s : rows) {
    MediaRecord r = Record(s.name, s.project, s.size);
    std::wcscpy(r.nameInBin, s.bin);
    std::wcscpy(r.folder, s.folder);
    std::wcscpy(r.source, s.source);
    r.compressionId = s.compression;
    std::memcpy(r.mediaType, s.type, 4);
    r.clipUsage = s.usage;
    r.created = s.created;
    AddRecordToFilesList(Store(r));
  }
  const std::vector<std::wstring> expected[kFilesColumns] = {
      {L"a.omf", L"B.omf", L"c.omf", L"d.omf"}, // name, case-insensitive
      {L"c.omf", L"a.omf", L"d.omf", L"B.omf"}, // bin name, empty last
      {L"B.omf", L"c.omf", L"a.omf", L"d.omf"}, // largest first
      {L"c.omf", L"B.omf", L"a.omf", L"d.omf"}, // IDs first, larger first; then media type
      {L"B.omf", L"a.omf", L"c.omf", L"d.omf"}, // folder, case-insensitive
      {L"a.omf", L"c.omf", L"B.omf", L"d.omf"}, // clip usage 7, 3, 1, 0
      {L"a.omf", L"c.omf", L"d.omf", L"B.omf"}, // newest first
      {L"B.omf", L"a.omf", L"d.omf", L"c.omf"}, // project, empty last
      {L"c.omf", L"B.omf", L"d.omf", L"a.omf"}, // source, empty last
  };
  for (int column = 0; column < kFilesColumns; ++column) {
    for (int click = 0; click < 2; ++click) {
      ClickHeader(g_shell.filesList, column);
      EXPECT_EQ(ListColumn(g_shell.filesList), expected[column]) << "column " << column;
    }
    for (int other = 0; other < kFilesColumns; ++other) {
      bool marked = (HeaderFormat(g_shell.filesList, other) & HDF_BITMAP) != 0;
      EXPECT_EQ(marked, other == column) << "sorted " << column << ", mark on " << other;
    }
  }
  ClearFilesList();
  for (int other = 0; other < kFilesColumns; ++other)
    EXPECT_EQ(HeaderFormat(g_shell.filesList, other) & HDF_BITMAP, 0);
}

TEST_F(FilesListTest, SelectedBytesDriveTheStatusLine) {
  SendMessageW(g_shell.existingCheck, BM_SETCHECK, BST_UNCHECKED, 0);
  AddRecordToFilesList(Store(Record(L"one.omf", L"P", 1000)));
  AddRecordToFilesList(Store(Record(L"two.omf", L"P", 2500)));
  AddRecordToFilesList(Store(Record(L"gone.omf", L"P", 0, 0)));
  EXPECT_TRUE(StatusIs(SizeText(3500) + L" in 3 items")) << StatusText();

  Select(g_shell.filesList, 1);
  EXPECT_EQ(g_views.selectedBytes, 2500u);
  EXPECT_TRUE(StatusIs(SizeText(2500) + L" in 1 selected items")) << StatusText();
  Select(g_shell.filesList, 1, false);
  EXPECT_EQ(g_views.selectedBytes, 0u);

  // Selected rows whose files were not found weigh nothing: the all-rows form stays.
  Select(g_shell.filesList, 2);
  EXPECT_EQ(g_views.selectedBytes, 0u);
  EXPECT_TRUE(StatusIs(SizeText(3500) + L" in 3 items")) << StatusText();

  // Ctrl+A and Ctrl+I reach the focused list through the accelerator table.
  SetFocus(g_shell.filesList);
  gui::PressKey(g_shell.filesList, 'A', true);
  EXPECT_EQ(g_views.selectedBytes, 3500u);
  EXPECT_TRUE(g_views.syncEnabled);
  EXPECT_TRUE(StatusIs(SizeText(3500) + L" in 3 selected items")) << StatusText();
  Select(g_shell.filesList, 0, false);
  gui::PressKey(g_shell.filesList, 'I', true);
  EXPECT_TRUE(IsSelected(g_shell.filesList, 0));
  EXPECT_FALSE(IsSelected(g_shell.filesList, 1));
  EXPECT_EQ(g_views.selectedBytes, 1000u);

  // A selected row that leaves the list takes its size out of the selection too.
  RemoveRecordFromFilesList(FilesListRecord(0));
  EXPECT_EQ(g_views.selectedBytes, 0u);
  EXPECT_EQ(g_views.listedBytes, 2500u);
  EXPECT_TRUE(StatusIs(SizeText(2500) + L" in 2 items")) << StatusText();
}

} // namespace
} // namespace views_test
