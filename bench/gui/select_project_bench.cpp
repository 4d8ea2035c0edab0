// select_project_bench: under Wine and Xvfb, the Files list with a project of 20,000 records
// (selecting it until its rows are listed and drawn, unselecting it, the refresh timer's
// removal of its rows, a sort by each column) next to a bare report list control doing the
// same with the same rows in the same run: inserting them with their nine texts, deleting
// them, and sorting them with its own LVM_SORTITEMS and the same comparison. Prints figures;
// bench/select_project.sh builds and runs it.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "catalogue/media_linking.h"
#include "support/gui_harness.h"
#include "views/files_list.h"
#include "views/projects_list.h"
#include "views/view_state.h"

namespace {

constexpr int kRecords = 20000;

double Seconds() {
  LARGE_INTEGER t, frequency;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Since(double start) {
  return (Seconds() - start) * 1000.0;
}

void StoreRecords() {
  for (int i = 0; i < kRecords; ++i) {
    wchar_t name[32];
    swprintf(name, 32, L"S%06d.omf", (i * 7919) % kRecords); // not in name order
    MediaRecord r = Record(name, L"Scale", 1000000 + (i * 104729) % 50000);
    std::memcpy(r.mediaType, "_VID", 4);
    r.compressionId = 70 + i % 9;
    r.clipUsage = i % 3 == 0 ? kClipUsageSource : (i % 3 == 1 ? kClipUsagePrecomp : 0);
    r.created = 128500000000000000ull + static_cast<uint64_t>((i * 31) % kRecords) * 10000000;
    r.mediaId = {static_cast<uint32_t>(i + 1), 7};
    swprintf(r.nameInBin, kPathChars, L"Clip %d", i % 500);
    swprintf(r.folder, kPathChars, L"C:\\OMFI MediaFiles\\%d", i % 4);
    swprintf(r.source, kPathChars, i % 5 == 0 ? L"" : L"Tape %d", i % 40);
    Store(r);
  }
}

int CALLBACK CompareBareRows(LPARAM a, LPARAM b, LPARAM column) {
  return CompareRecords(reinterpret_cast<const MediaRecord *>(a),
                        reinterpret_cast<const MediaRecord *>(b), static_cast<int>(column));
}

// The control's own costs with the same rows in the same order: each row inserted with its record
// as parameter and its nine texts written, drawn once at the end; a sort by each column with the
// same comparison; each row deleted, from the last.
struct Bare {
  double insert;
  double sort[kFilesColumns];
  double remove;
};

Bare MeasureBareList() {
  Bare bare{};
  RECT r;
  GetWindowRect(g_shell.filesList, &r);
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | WS_VISIBLE | LVS_REPORT, r.left,
                              r.top, r.right - r.left, r.bottom - r.top, g_shell.mainWindow,
                              nullptr, g_shell.instance, nullptr);
  for (int c = 0; c < kFilesColumns; ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.cx = 100;
    column.pszText = const_cast<wchar_t *>(L"Column");
    SendMessageW(list, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
  }
  // The rows in the order the Files list shows them after the selection.
  std::vector<MediaRecord *> records;
  for (const FilesRow &row : g_views.rows) records.push_back(row.record);
  double start = Seconds();
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  for (int i = 0; i < static_cast<int>(records.size()); ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = i;
    item.pszText = records[i]->fileName;
    item.lParam = reinterpret_cast<LPARAM>(records[i]);
    int row =
        static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    for (int c = 1; c < kFilesColumns; ++c) {
      wchar_t text[kPathChars];
      FormatRowText(records[i], c, text, kPathChars);
      LVITEMW cell{};
      cell.iSubItem = c;
      cell.pszText = text;
      SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
    }
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  UpdateWindow(list);
  bare.insert = Since(start);
  for (int c = 0; c < kFilesColumns; ++c) {
    start = Seconds();
    SendMessageW(list, LVM_SORTITEMS, c, reinterpret_cast<LPARAM>(CompareBareRows));
    UpdateWindow(list);
    bare.sort[c] = Since(start);
  }
  start = Seconds();
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  for (int i = static_cast<int>(records.size()) - 1; i >= 0; --i)
    SendMessageW(list, LVM_DELETEITEM, i, 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  UpdateWindow(list);
  bare.remove = Since(start);
  DestroyWindow(list);
  return bare;
}

bool Fail(const char *what) {
  std::fprintf(stderr, "select_project_bench: %s\n", what);
  return false;
}

// Waits for the rows, then for them to be drawn.
bool WaitForRows(int rows) {
  if (!gui::PumpUntil([rows] { return RowCount(g_shell.filesList) == rows; }, 600000)) return false;
  UpdateWindow(g_shell.filesList);
  return true;
}

} // namespace

int wmain() {
  if (!IsWindow(StartedShell())) return Fail("start-up failed"), 1;
  MoveWindow(g_shell.mainWindow, 0, 0, 1500, 900, TRUE);
  ResumeViewRefresh();
  StoreRecords();
  Link();
  FillProjectsList();
  if (RowCount(g_shell.projectsList) != 1) return Fail("no project"), 1;
  gui::Pump(200);

  double start = Seconds();
  Select(g_shell.projectsList, 0);
  if (!WaitForRows(kRecords)) return Fail("rows not listed"), 1;
  double selected = Since(start);
  Bare bare = MeasureBareList();

  double sorted[kFilesColumns];
  for (int c = 0; c < kFilesColumns; ++c) {
    start = Seconds();
    SortFilesList(c);
    UpdateWindow(g_shell.filesList);
    sorted[c] = Since(start);
  }

  start = Seconds();
  Select(g_shell.projectsList, 0, false);
  if (!WaitForRows(0)) return Fail("rows not emptied"), 1;
  double unselected = Since(start);

  // The unselection empties the list at once; removing the rows one project at a time is
  // what the timer does when another project stays selected.
  Select(g_shell.projectsList, 0);
  if (!WaitForRows(kRecords)) return Fail("rows not listed again"), 1;
  g_catalogue.GetProject(1)->viewState = kViewToRemove;
  start = Seconds();
  if (!WaitForRows(0)) return Fail("rows not removed"), 1;
  double removed = Since(start);

  std::printf("Files list, one project of %d records, under Wine (ms):\n", kRecords);
  std::printf("  %-46s %8s %8s %7s\n", "", "list", "baseline", "ratio");
  auto line = [](const char *what, double ms, double base) {
    std::printf("  %-46s %8.0f %8.0f %7.2f\n", what, ms, base, ms / base);
  };
  line("selected until listed and drawn (bare insert)", selected, bare.insert);
  line("unselected until empty (bare delete)", unselected, bare.remove);
  line("removed by the timer (bare delete)", removed, bare.remove);
  for (int c = 0; c < kFilesColumns; ++c) {
    char what[64];
    std::snprintf(what, sizeof what, "sorted by column %d (bare LVM_SORTITEMS)", c);
    line(what, sorted[c], bare.sort[c]);
  }
  std::fflush(stdout);
  DestroyWindow(g_shell.mainWindow);
  return 0;
}
