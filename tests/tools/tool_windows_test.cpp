// The tool windows opened from the main window, one smoke test each (the structure tree's rules
// are tested in tests/inspection). The mount tool maps the real system's drive letters (under
// Wine the prefix's DOS device table, shared by its processes): the test leaves none behind.
#include <iterator>

#include "inspection/media_file_parser.h"
#include "support/dictionary_text.h"
#include "support/gui_harness.h"
#include "support/media_folders.h"
#include "tools/drive_info_tool.h"
#include "tools/mount_tool.h"
#include "tools/omf_viewer.h"
#include "window_services/test_seams.h"
#include "window_services/window_context.h"

namespace {

// C: answers, E: has no medium; the roots need more room than the tool's first buffer, as on
// a machine with many drives.
TEST_F(ShellTest, DriveToolRowsOfAnsweringDrivesOnTheCommonScale) {
  DriveQueries fake{};
  fake.logicalDriveStrings = [](DWORD chars, LPWSTR buffer) -> DWORD {
    static const wchar_t kRoots[] = L"C:\\\0E:\\\0";
    if (chars < 400) return 400;
    std::wmemcpy(buffer, kRoots, std::size(kRoots));
    return std::size(kRoots) - 1;
  };
  fake.diskFreeSpace = [](LPCWSTR root, PULARGE_INTEGER toCaller, PULARGE_INTEGER total,
                          PULARGE_INTEGER totalFree) -> BOOL {
    toCaller->QuadPart = totalFree->QuadPart = 250000000000ull;
    total->QuadPart = 1000000000000ull;
    return root[0] == L'C';
  };
  DriveQueries previous = SetDriveQueries(fake);
  gui::Click(g_shell.hardwareButton);
  HWND tool = FindWindowW(L"QELHWTool", nullptr);
  ASSERT_NE(tool, nullptr);
  HWND bar = FindWindowExW(tool, nullptr, PROGRESS_CLASSW, nullptr);
  EXPECT_NE(FindWindowExW(tool, nullptr, L"Static", L"C:\\"), nullptr);
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 320);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 240);
  gui::Click(g_shell.hardwareButton); // opening it again while it is open adds nothing
  EXPECT_EQ(FindWindowW(L"QELHWTool", nullptr), tool);
  EXPECT_EQ(FindWindowExW(tool, bar, PROGRESS_CLASSW, nullptr), nullptr) << "one row, C:'s";
  SendMessageW(tool, WM_CLOSE, 0, 0);
  SetDriveQueries(previous);
}

std::wstring Target(wchar_t letter) {
  wchar_t device[3] = {letter, L':', 0}, target[1024] = {};
  return QueryDosDeviceW(device, target, 1024) != 0 ? target : L"";
}

// The letters mapped to folders, in order; removed first when asked.
std::wstring Mappings(bool remove = false) {
  std::wstring letters;
  for (wchar_t device[3] = {L'A', L':', 0}; device[0] <= L'Z'; ++device[0]) {
    for (int n = 0; n < 8 && remove && Target(device[0]).starts_with(L"\\??\\"); ++n)
      DefineDosDeviceW(DDD_REMOVE_DEFINITION, device, nullptr);
    if (Target(device[0]).starts_with(L"\\??\\")) letters += device[0];
  }
  return letters;
}

// Checked folders get the free letters from E: on; a mapping made elsewhere is listed and
// checked; unchecking a mapping and applying removes it without mapping its folder (still
// checked in the folders tree) again; a folder gone since the listing uses no letter; Unmount
// All removes every mapping and logs it.
TEST_F(ShellTest, ApplyMapsAndRemapsOnlyWhatIsChecked) {
  ASSERT_EQ(Mappings(true), L"");
  for (const char *name : {"alpha", "beta", "gamma"})
    std::filesystem::create_directory(scratch.File(name));
  const std::wstring base = scratch.path.wstring();
  auto in = [&](const wchar_t *name) { return base + L"\\" + name; };
  const std::wstring gammaOnQ = L"Q: [" + in(L"gamma") + L"]"; // its item in the drives tree
  std::wstring expected; // the first two free letters from E: on
  for (wchar_t letter = L'E'; letter <= L'Z' && expected.size() < 2; ++letter)
    if (Target(letter).empty() && letter != L'Q') expected += letter;
  ASSERT_TRUE(DefineDosDeviceW(0, L"Q:", in(L"gamma").c_str()));
  gui::Click(g_shell.mountButton); // it reads the mappings when it opens and after each change
  ASSERT_TRUE(IsWindow(g_shell.mountTool));
  const MountTool &tool = *ContextOf<MountTool>(g_shell.mountTool);
  SetWindowTextW(tool.baseEdit, base.c_str()); // lists the folders on the way
  EXPECT_EQ(gui::Items(tool.drivesTree), Names{gammaOnQ});
  EXPECT_TRUE(gui::Check(tool.foldersTree, L"gamma"));
  gui::Check(tool.foldersTree, L"alpha", TRUE);
  gui::Check(tool.foldersTree, L"beta", TRUE);
  gui::Click(tool.applyButton);
  gui::Click(tool.applyButton); // applying again maps nothing twice
  Names targets{Target(expected[0]), Target(expected[1])};
  std::sort(targets.begin(), targets.end());
  EXPECT_EQ(targets, (Names{L"\\??\\" + in(L"alpha"), L"\\??\\" + in(L"beta")}));
  EXPECT_EQ(Mappings(), expected + L"Q");

  gui::Check(tool.drivesTree, gammaOnQ, FALSE);
  gui::Click(tool.applyButton);
  EXPECT_EQ(Mappings(), expected) << "gamma's mapping removed and not made again";
  EXPECT_FALSE(gui::Check(tool.foldersTree, L"gamma", TRUE));
  std::filesystem::remove(scratch.File("gamma"));
  gui::Click(tool.applyButton);
  EXPECT_EQ(Mappings(), expected) << "a folder gone since the listing";

  log->lines.clear();
  gui::Click(tool.unmountButton);
  EXPECT_EQ(Mappings(), L"");
  EXPECT_EQ(log->lines.size(), 4u) << "each letter and its target";
  EXPECT_TRUE(gui::Items(tool.drivesTree).empty());
  HWND window = g_shell.mountTool;
  gui::Click(g_shell.mountButton); // asking again while it is open keeps the one window
  EXPECT_EQ(g_shell.mountTool, window);
  SendMessageW(window, WM_CLOSE, 0, 0);
  gui::PumpUntil([] { return !IsWindow(g_shell.mountTool); });
  Mappings(true);
}

TEST_F(ShellTest, ViewerOpensDumpsAndClosesAfterItsThread) {
  const std::filesystem::path file = scratch.File("first.omf"), dump = scratch.File("names.h");
  ASSERT_TRUE(WriteFileBytes(file, BuildMediaFile(Media("", "P", 1).plan)));
  ASSERT_TRUE(WriteFileBytes(dump, std::string(10000, '#').data(), 10000)); // longer than the dump
  static std::wstring chosen;
  chosen = file.wstring();
  FileDialogFunction previous = SetViewerFileDialog([](FileDialogRequest *request) {
    return lstrcpynW(request->path, chosen.c_str(), static_cast<int>(request->capacity)) != nullptr;
  });
  OpenOmfViewer(g_shell.instance, g_shell.uiFont, nullptr, &g_shell.omfViewer);
  ASSERT_TRUE(IsWindow(g_shell.omfViewer));
  const OmfViewer &viewer = *ContextOf<OmfViewer>(g_shell.omfViewer);
  HWND tree = viewer.tree;
  gui::Click(viewer.openButton);
  ASSERT_EQ(gui::TreeItemText(tree, TreeView_GetRoot(tree)), L"[ ID=0x1 ]HEAD");
  HTREEITEM list = TreeView_GetNextSibling(tree, TreeView_GetChild(tree, TreeView_GetRoot(tree)));
  TreeView_SelectItem(tree, list); // the clip mob index, double-clicked twice: opened once,
  NMHDR doubleClick{tree, 0, static_cast<UINT>(NM_DBLCLK)}; // dumped every time
  for (int i = 0; i < 2; ++i)
    SendMessageW(viewer.window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&doubleClick));
  HTREEITEM clip = TreeView_GetChild(tree, list);
  EXPECT_TRUE(gui::TreeItemText(tree, clip).ends_with(L"]MMOB")) << gui::TreeItemText(tree, clip);
  EXPECT_EQ(TreeView_GetNextSibling(tree, clip), nullptr);
  EXPECT_EQ(Logged(L"-----------------------TOC hex dump-----------------------"), 2u);
  chosen = dump.wstring();
  gui::Click(viewer.dumpButton);
  EXPECT_EQ(std::filesystem::file_size(dump), DictionaryDumpOfFiles({file}).size());

  HWND window = g_shell.omfViewer;
  OpenOmfViewer(g_shell.instance, g_shell.uiFont, file.wstring().c_str(), &g_shell.omfViewer);
  EXPECT_EQ(g_shell.omfViewer, window) << "opened again, it keeps the one window";
  CloseOmfViewer(g_shell.omfViewer);
  EXPECT_FALSE(IsWindow(g_shell.omfViewer));
  EXPECT_EQ(g_viewerParser.open, 0u) << "closed before its thread released the parser";
  SetViewerFileDialog(previous);
}

} // namespace
