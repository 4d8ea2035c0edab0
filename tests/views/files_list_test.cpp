// The Files list over records in memory: each column's text, each column's sort, and the
// byte sums behind the status line.
#include <cstring>

#include "support/shell_fixture.h"
#include "window_services/window_helpers.h"

namespace {

using Names = std::vector<std::wstring>;

std::wstring SizeText(uint64_t bytes) {
  wchar_t text[60];
  return FormatByteSize(text, 60, bytes);
}

bool StatusIs(const std::wstring &text) {
  MarkStatusDirty();
  return gui::PumpUntil([&] { return gui::Text(g_shell.statusLine) == text; }, 3000);
}

bool SortMarked(int column) {
  HWND header = ListView_GetHeader(g_shell.filesList);
  HDITEMW item{HDI_FORMAT};
  Header_GetItem(header, column, &item);
  return (item.fmt & HDF_BITMAP) != 0;
}

class FilesListTest : public ShellTest {
protected:
  void SetUp() override {
    ShellTest::SetUp();
    // Wide enough for every column's header to be clicked.
    RECT r;
    GetWindowRect(main, &r);
    if (r.right - r.left < 1500) MoveWindow(main, 0, 0, 1500, 900, TRUE);
  }
};

TEST_F(FilesListTest, RowsShowTheRecordsTexts) {
  MediaRecord full = Record(L"V01.omf", L"Demo", 1536);
  std::wcscpy(full.nameInBin, L"Clip one");
  std::wcscpy(full.source, L"Tape 7");
  std::memcpy(full.mediaType, "_VID", 4);
  full.compressionId = 76;
  full.clipUsage = kClipUsageSource;
  SYSTEMTIME local{2008, 3, 0, 5, 14, 7, 33, 0};
  FILETIME localTime, utc;
  SystemTimeToFileTime(&local, &localTime);
  LocalFileTimeToFileTime(&localTime, &utc);
  full.created = (static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
  MediaRecord missing = Record(L"A01.wav", L"Demo", 0, 0);
  std::memcpy(missing.mediaType, "_WAV", 4);
  std::memcpy(missing.formatCode, "4816", 4);
  missing.clipUsage = 3;
  MediaRecord precompute = Record(L"P01.omf", L"Demo", 10);
  precompute.clipUsage = kClipUsagePrecomp;

  // Only files found on disk get rows while "Show only existing files" is checked.
  const MediaRecord *stored[] = {Store(full, true), Store(missing, true), Store(precompute, true)};
  EXPECT_EQ(ListColumn(g_shell.filesList), (Names{L"V01.omf", L"P01.omf"}));
  ClearFilesList();
  SendMessageW(g_shell.existingCheck, BM_SETCHECK, BST_UNCHECKED, 0);
  for (const MediaRecord *r : stored) AddRecordToFilesList(r);
  EXPECT_EQ(FilesListRecord(0), stored[0]);
  const Names rows[] = {
      {L"V01.omf", L"Clip one", SizeText(1536), L"JPEG: 2:1", L"C:\\OMFI MediaFiles\\1", L"Source",
       L"05.Mar.2008/14:07:33", L"Demo", L"Tape 7"},
      // Not on disk, clip usage 3, no creation time, no bin name or source.
      {L"A01.wav", L"", L"Not Exist", L"WAVE 48khz 16bit", L"C:\\OMFI MediaFiles\\1", L"", L"",
       L"Demo", L""},
      {L"P01.omf", L"", SizeText(10), L"", L"C:\\OMFI MediaFiles\\1", L"Precomp", L"", L"Demo",
       L""},
  };
  for (int row = 0; row < 3; ++row)
    for (int c = 0; c < kFilesColumns; ++c)
      EXPECT_EQ(gui::ListViewText(g_shell.filesList, row, c), rows[row][c]) << row << ":" << c;
  EXPECT_EQ(g_views.listedBytes, 1546u);

  // Removing rows gives their sizes back; a record without a row is no error.
  RemoveRecordFromFilesList(stored[0]);
  RemoveRecordFromFilesList(stored[0]);
  EXPECT_EQ(ListColumn(g_shell.filesList), (Names{L"A01.wav", L"P01.omf"}));
  EXPECT_EQ(g_views.listedBytes, 10u);
}

TEST_F(FilesListTest, EachColumnSortsOneWayWithEmptyTextsLast) {
  // Four records whose fields give every column a different strict order.
  const struct {
    const wchar_t *name, *bin, *folder, *project, *source;
    uint64_t size;
    uint32_t compression;
    const char *type;
    uint32_t usage;
    uint64_t created;
  } records[] = {
      {L"d.omf", L"Gamma", L"c:\\d", L"P3", L"T3", 50, 0, "_AIF", 0, 1},
      {L"c.omf", L"Alpha", L"C:\\C", L"", L"T1", 200, 140, "_VID", 3, 2},
      {L"B.omf", L"", L"C:\\a", L"p1", L"T2", 300, 76, "_VID", 1, 0},
      {L"a.omf", L"beta", L"C:\\b", L"P2", L"", 100, 0, "_WAV", 7, 3},
  };
  for (const auto &s : records) {
    MediaRecord r = Record(s.name, s.project, s.size);
    std::wcscpy(r.nameInBin, s.bin);
    std::wcscpy(r.folder, s.folder);
    std::wcscpy(r.source, s.source);
    r.compressionId = s.compression;
    std::memcpy(r.mediaType, s.type, 4);
    r.clipUsage = s.usage;
    r.created = s.created;
    Store(r, true);
  }
  const Names expected[kFilesColumns] = {
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
    for (int other = 0; other < kFilesColumns; ++other)
      EXPECT_EQ(SortMarked(other), other == column) << "sorted " << column << ", mark on " << other;
  }
  ClearFilesList();
  for (int column = 0; column < kFilesColumns; ++column) EXPECT_FALSE(SortMarked(column));
}

TEST_F(FilesListTest, SelectedBytesDriveTheStatusLine) {
  SendMessageW(g_shell.existingCheck, BM_SETCHECK, BST_UNCHECKED, 0);
  Store(Record(L"one.omf", L"P", 1000), true);
  Store(Record(L"two.omf", L"P", 2500), true);
  Store(Record(L"gone.omf", L"P", 0, 0), true);
  EXPECT_TRUE(StatusIs(SizeText(3500) + L" in 3 items"));
  Select(g_shell.filesList, 1);
  EXPECT_TRUE(StatusIs(SizeText(2500) + L" in 1 selected items"));
  Select(g_shell.filesList, 1, false);
  // Selected rows whose files were not found weigh nothing: the all-rows form stays.
  Select(g_shell.filesList, 2);
  EXPECT_EQ(g_views.selectedBytes, 0u);
  EXPECT_TRUE(StatusIs(SizeText(3500) + L" in 3 items"));

  // Ctrl+A and Ctrl+I reach the focused list through the accelerator table.
  SetFocus(g_shell.filesList);
  gui::PressKey(g_shell.filesList, 'A', true);
  EXPECT_TRUE(StatusIs(SizeText(3500) + L" in 3 selected items"));
  Select(g_shell.filesList, 0, false);
  gui::PressKey(g_shell.filesList, 'I', true);
  EXPECT_TRUE(IsSelected(g_shell.filesList, 0));
  EXPECT_FALSE(IsSelected(g_shell.filesList, 1));
  EXPECT_EQ(g_views.selectedBytes, 1000u);

  // A selected row that leaves the list takes its size out of the selection too.
  RemoveRecordFromFilesList(FilesListRecord(0));
  EXPECT_EQ(g_views.selectedBytes, 0u);
  EXPECT_TRUE(StatusIs(SizeText(2500) + L" in 2 items"));
}

} // namespace
