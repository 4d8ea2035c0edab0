// walkthrough OUTDIR [DRIVE]: goes through the README's first walk with the real program on
// the demo media drive and saves one screenshot per step as a BMP in OUTDIR, plus the main
// window after a scan with a project selected (main-window.bmp). The shell runs in this
// process, as in the GUI tests, and every step is a real message: button clicks, row and
// header clicks, the menu command. DRIVE (default M:\) holds the demo drive; it is written
// there first when it holds no demo drive yet. A drive root is found by "Search for
// Databases"; any other folder is dropped on the Bases tree instead. scripts/screenshot.sh
// --walkthrough runs it under Xvfb in Wine's virtual desktop, so that windows have frames,
// and turns the BMPs into PNGs. Windows build only.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "resources/resource.h"
#include "platform/platform.h"
#include "demo/demo_drive.h"
#include "tools/omf_viewer.h"
#include "window_services/test_seams.h"
#include "window_services/window_context.h"
#include "support/gui_harness.h"
#include "views/view_state.h"

namespace fs = std::filesystem;

namespace {

constexpr wchar_t kFeature[] = L"The Long Winter";
constexpr wchar_t kCommercial[] = L"Harbour Coffee 30s";
constexpr wchar_t kViewedFile[] = L"AVID MediaFiles\\MXF\\1\\LONG WINTER V1 4F0D01.omf";
constexpr int kSizeColumn = 2;

fs::path g_outDir;
fs::path g_drive;
std::string g_failures; // one line per failed step

void Fail(const std::string &what) {
  std::fprintf(stderr, "walkthrough: %s\n", what.c_str());
  g_failures += what + "\n";
}

// The outcome for the script, which cannot see this program's exit status through Wine's
// desktop: "ok", or the failures.
int Finish() {
  std::ofstream(g_outDir / L"walkthrough-result.txt", std::ios::binary)
      << (g_failures.empty() ? "ok\n" : g_failures);
  return g_failures.empty() ? 0 : 1;
}

// The whole screen (Wine's virtual desktop) as a 24-bit bottom-up BMP file. The screen's
// own device context holds what every thread's windows have drawn, frames included.
bool SaveScreen(const wchar_t *name) {
  const int w = GetSystemMetrics(SM_CXSCREEN);
  const int h = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void *bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = bitmap != nullptr;
  if (ok) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY | CAPTUREBLT) != 0;
    GdiFlush();
    SelectObject(memory, previous);
  }
  if (ok) {
    const uint32_t stride = (static_cast<uint32_t>(w) * 3 + 3) & ~3u;
    const uint32_t imageBytes = stride * static_cast<uint32_t>(h);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageBytes;
    std::ofstream out(g_outDir / (std::wstring(name) + L".bmp"), std::ios::binary);
    out.write(reinterpret_cast<const char *>(&file), sizeof file);
    out.write(reinterpret_cast<const char *>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char *>(bits), imageBytes);
    ok = out.good();
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (ok)
    std::printf("screenshot %ls.bmp\n", name);
  else
    Fail("could not save " + fs::path(name).string() + ".bmp");
  return ok;
}

// Lets every window finish drawing: the main thread's by pumping, the tool threads' by time.
void Settle(DWORD ms = 600) {
  RedrawWindow(g_shell.mainWindow, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  gui::Pump(ms);
}

void Shot(const wchar_t *name) {
  Settle();
  SaveScreen(name);
}

int FindRow(HWND list, const wchar_t *text) {
  LVFINDINFOW find{};
  find.flags = LVFI_STRING;
  find.psz = text;
  return static_cast<int>(SendMessageW(list, LVM_FINDITEMW, -1, reinterpret_cast<LPARAM>(&find)));
}

bool IsDriveRoot(const fs::path &folder) {
  std::wstring text = folder.wstring();
  return text.size() <= 3 && text.size() >= 2 && text[1] == L':';
}

// Step 1: the search over every drive, or a drop of the drive's media folders.
void Search() {
  if (IsDriveRoot(g_drive)) {
    gui::Click(g_shell.searchButton);
  } else {
    Drop(g_shell.basesTree,
         {(g_drive / L"OMFI MediaFiles").wstring(), (g_drive / L"AVID MediaFiles").wstring()});
  }
  if (gui::Items(g_shell.basesTree).size() < 2) Fail("no index files were found");
  Shot(L"walkthrough-1-search");
}

// Step 2: the scan, with the console that reports the damaged index file beside the lists.
void Scan() {
  gui::Click(g_shell.scanButton);
  if (RowCount(g_shell.projectsList) == 0) Fail("the scan listed no projects");
  RECT main;
  GetWindowRect(g_shell.mainWindow, &main);
  SetWindowPos(g_shell.console, nullptr, main.right - 660, main.bottom - 300, 640, 280,
               SWP_NOZORDER | SWP_NOACTIVATE);
  platform::LogShow();
  Shot(L"walkthrough-2-scan");
  platform::LogHide();
}

bool WaitForRows(HWND list) {
  return gui::PumpUntil([list] { return RowCount(list) > 0; }, 5000);
}

// Step 3: one project, saved as the main window's picture; then a second one with Ctrl.
void SelectProjects() {
  int feature = FindRow(g_shell.projectsList, kFeature);
  if (feature < 0) return Fail("no project \"The Long Winter\"");
  ClickRow(g_shell.projectsList, feature);
  gui::Pump(30);
  if (!WaitForRows(g_shell.filesList)) Fail("selecting a project listed no files");
  Shot(L"main-window");
  int commercial = FindRow(g_shell.projectsList, kCommercial);
  if (commercial < 0) return Fail("no project \"Harbour Coffee 30s\"");
  int before = RowCount(g_shell.filesList);
  ClickRow(g_shell.projectsList, commercial, MK_CONTROL);
  gui::Pump(30);
  gui::PumpUntil([before] { return RowCount(g_shell.filesList) > before; }, 5000);
  Shot(L"walkthrough-3-select-projects");
}

// Step 4: sorted by size, a few rows selected so that their byte sum shows.
void Sort() {
  ClickHeader(g_shell.filesList, kSizeColumn);
  SetFocus(g_shell.filesList);
  if (RowCount(g_shell.filesList) >= 4) {
    ClickRow(g_shell.filesList, 0);
    gui::Pump(30);
    ClickRow(g_shell.filesList, 3, MK_SHIFT);
  }
  gui::PumpUntil(
      [] { return gui::Text(g_shell.statusLine).find(L"selected") != std::wstring::npos; }, 3000);
  Shot(L"walkthrough-4-sort");
}

// Step 5: the duplicate finder is modal, so a helper thread takes its picture and closes it.
void FindDuplicates() {
  std::atomic<bool> seen{false};
  std::thread helper([&seen] {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 15000; Sleep(50)) {
      HWND dialog = gui::FindDialog(L"DupFind");
      if (dialog == nullptr) continue;
      seen = true;
      Sleep(1000);
      SaveScreen(L"walkthrough-5-find-duplicates");
      PostMessageW(dialog, WM_CLOSE, 0, 0);
      return;
    }
  });
  gui::Click(g_shell.duplicatesButton);
  helper.join();
  if (!seen) Fail("the duplicate finder did not open");
}

bool AnswerWithViewedFile(FileDialogRequest *request) {
  lstrcpynW(request->path, (g_drive / kViewedFile).wstring().c_str(),
            static_cast<int>(request->capacity));
  return true;
}

HWND ViewerTree() {
  return ContextOf<OmfViewer>(g_shell.omfViewer)->tree;
}

HTREEITEM TreeNext(HTREEITEM item, UINT how) {
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(ViewerTree(), TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

bool IsBold(HTREEITEM item) {
  TVITEMW get{};
  get.mask = TVIF_STATE;
  get.hItem = item;
  get.stateMask = TVIS_BOLD;
  SendMessageW(ViewerTree(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&get));
  return (get.state & TVIS_BOLD) != 0;
}

void Expand(HTREEITEM item) {
  SendMessageW(ViewerTree(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
}

// A double-click on a reference, which the viewer answers by adding the objects it refers
// to; the item is then expanded to show them.
void OpenReference(HTREEITEM item) {
  HWND tree = ViewerTree();
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
  RECT rect;
  std::memcpy(&rect, &item, sizeof item); // the item goes in where the rectangle comes out
  if (!SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect))) return;
  SendMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON,
               MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
  SendMessageW(tree, WM_LBUTTONUP, 0,
               MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
  Expand(item);
}

// The first reference below parent (bold items are references), or none.
HTREEITEM FirstReference(HTREEITEM parent) {
  for (HTREEITEM item = TreeNext(parent, TVGN_CHILD); item != nullptr;
       item = TreeNext(item, TVGN_NEXT))
    if (IsBold(item)) return item;
  return nullptr;
}

// Step 6: Tools > "OMFi info tool", Open with one media file of the drive, and the first
// references followed two levels down.
void OpenStructureViewer() {
  FileDialogFunction previous = SetViewerFileDialog(AnswerWithViewedFile);
  SendMessageW(g_shell.mainWindow, WM_COMMAND, CMD_OMF_INFO_TOOL, 0);
  if (!IsWindow(g_shell.omfViewer)) {
    SetViewerFileDialog(previous);
    return Fail("the structure viewer did not open");
  }
  SetWindowPos(g_shell.omfViewer, HWND_TOP, 40, 30, 680, 620, 0);
  gui::Click(ContextOf<OmfViewer>(g_shell.omfViewer)->openButton);
  SetViewerFileDialog(previous);
  HTREEITEM root = TreeNext(nullptr, TVGN_ROOT);
  if (root == nullptr) return Fail("the structure viewer shows no objects");
  Expand(root);
  HTREEITEM reference = FirstReference(root);
  for (int depth = 0; reference != nullptr && depth < 3; ++depth) {
    OpenReference(reference);
    HTREEITEM object = TreeNext(reference, TVGN_CHILD);
    if (object == nullptr) break;
    Expand(object);
    reference = FirstReference(object);
  }
  SendMessageW(ViewerTree(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(root));
  Shot(L"walkthrough-6-structure-viewer");
  CloseOmfViewer(g_shell.omfViewer);
}

} // namespace

int wmain(int argc, wchar_t **argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: walkthrough OUTDIR [DRIVE]\n");
    return 2;
  }
  g_outDir = argv[1];
  g_drive = argc == 3 ? argv[2] : L"M:\\";
  std::error_code error;
  fs::create_directories(g_outDir, error);
  if (!fs::exists(g_drive / L"AVID MediaFiles\\MXF\\1\\msmFMID.pmr")) {
    DemoDriveFacts facts;
    std::string why;
    if (!WriteDemoDrive(g_drive, &facts, &why)) {
      Fail(why);
      return Finish();
    }
  }
  HWND main = StartedShell();
  if (!IsWindow(main)) {
    Fail("the main window did not start");
    return Finish();
  }
  Settle(1000);
  Search();
  Scan();
  SelectProjects();
  Sort();
  FindDuplicates();
  OpenStructureViewer();
  DestroyWindow(main);
  gui::Pump(100);
  EndShell();
  return Finish();
}
