// The Files list over records in memory: each column's sort and the byte sums behind the
// status line (the texts of the columns come from the core's formatters).
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
  }
  ClearFilesList();
}

TEST_F(FilesListTest, SelectedBytesDriveTheStatusLine) {
  MediaRecord *gone = Store(Record(L"gone.omf", L"P", 0, 0), true);
  EXPECT_EQ(RowCount(g_shell.filesList), 0) << "a file not on disk listed while the box is checked";
  SendMessageW(g_shell.existingCheck, BM_SETCHECK, BST_UNCHECKED, 0);
  AddRecordToFilesList(gone);
  Store(Record(L"one.omf", L"P", 1000), true);
  Store(Record(L"two.omf", L"P", 2500), true);
  EXPECT_EQ(gui::ListViewText(g_shell.filesList, 0, 2), L"Not Exist");
  EXPECT_TRUE(StatusIs(SizeText(3500) + L" in 3 items"));
  Select(g_shell.filesList, 2);
  EXPECT_TRUE(StatusIs(SizeText(2500) + L" in 1 selected items"));
  Select(g_shell.filesList, 2, false);
  // Selected rows whose files were not found weigh nothing: the all-rows form stays.
  Select(g_shell.filesList, 0);
  EXPECT_EQ(g_views.selectedBytes, 0u);
  EXPECT_TRUE(StatusIs(SizeText(3500) + L" in 3 items"));

  // Ctrl+A and Ctrl+I reach the focused list through the accelerator table.
  SetFocus(g_shell.filesList);
  gui::PressKey(g_shell.filesList, 'A', true);
  EXPECT_TRUE(StatusIs(SizeText(3500) + L" in 3 selected items"));
  Select(g_shell.filesList, 1, false);
  gui::PressKey(g_shell.filesList, 'I', true);
  EXPECT_TRUE(IsSelected(g_shell.filesList, 1));
  EXPECT_FALSE(IsSelected(g_shell.filesList, 2));
  EXPECT_EQ(g_views.selectedBytes, 1000u);

  // A selected row that leaves the list takes its size out of the selection and the sum.
  const MediaRecord *one = FilesListRecord(1);
  RemoveRecordFromFilesList(one);
  RemoveRecordFromFilesList(one); // a record without a row is no error
  EXPECT_EQ(g_views.selectedBytes, 0u);
  EXPECT_EQ(g_views.listedBytes, 2500u);
  EXPECT_TRUE(StatusIs(SizeText(2500) + L" in 2 items"));
}

} // namespace
