// The mount tool on its own thread, mapping folders to drive letters of the real system
// (under Wine: the prefix's DOS device table, shared by every process of the prefix). The
// test leaves no mapping behind.
#include <algorithm>
#include <filesystem>

#include "support/gui_harness.h"
#include "support/scratch_dir.h"
#include "tools/mount_tool.h"
#include "window_services/window_context.h"

namespace {

using Names = std::vector<std::wstring>;

std::wstring Target(wchar_t letter) {
  wchar_t device[3] = {letter, L':', 0}, target[1024] = {};
  return QueryDosDeviceW(device, target, 1024) != 0 ? target : L"";
}

// The letters mapped to folders, in order; removed first when asked.
std::wstring Mappings(bool remove = false) {
  std::wstring letters;
  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
    wchar_t device[3] = {letter, L':', 0};
    for (int n = 0; n < 8 && remove && Target(letter).starts_with(L"\\??\\"); ++n)
      DefineDosDeviceW(DDD_REMOVE_DEFINITION, device, nullptr);
    if (Target(letter).starts_with(L"\\??\\")) letters += letter;
  }
  return letters;
}

// Checks or unchecks the tree's root item with this text; whether it was checked before.
bool Check(HWND tree, const std::wstring &text, int checked = -1) {
  HTREEITEM item = TreeView_GetRoot(tree);
  while (item != nullptr && gui::TreeItemText(tree, item) != text)
    item = TreeView_GetNextSibling(tree, item);
  bool was = item != nullptr && TreeView_GetCheckState(tree, item) == 1;
  if (item != nullptr && checked >= 0) TreeView_SetCheckState(tree, item, checked);
  return was;
}

// Checked folders get the free letters from E: on; a mapping made elsewhere is listed and
// checked; unchecking a mapping and applying removes it without mapping its folder (still
// checked in the folders tree) again; a folder gone since the listing uses no letter; Unmount
// All removes every mapping and logs it.
TEST(MountTool, ApplyMapsAndRemapsOnlyWhatIsChecked) {
  ASSERT_TRUE(IsWindow(StartedShell())) << "start-up failed";
  ASSERT_EQ(Mappings(true), L"");
  ScratchDir dir;
  for (const char *name : {"alpha", "beta", "gamma"})
    std::filesystem::create_directory(dir.File(name));
  const std::wstring base = dir.path.wstring();
  auto in = [&](const wchar_t *name) { return base + L"\\" + name; };
  auto item = [&](wchar_t letter, const wchar_t *name) {
    return std::wstring(1, letter) + L": [" + in(name) + L"]";
  };
  std::wstring expected; // the first two free letters from E: on
  for (wchar_t letter = L'E'; letter <= L'Z' && expected.size() < 2; ++letter)
    if (Target(letter).empty() && letter != L'Q') expected += letter;
  ASSERT_TRUE(DefineDosDeviceW(0, L"Q:", in(L"gamma").c_str()));
  gui::Click(g_shell.mountButton); // it reads the mappings when it opens and after each change
  ASSERT_TRUE(IsWindow(g_shell.mountTool));
  const MountTool &tool = *ContextOf<MountTool>(g_shell.mountTool);
  SetWindowTextW(tool.baseEdit, base.c_str()); // lists the folders on the way
  EXPECT_EQ(gui::TreeRootTexts(tool.drivesTree), Names{item(L'Q', L"gamma")});
  EXPECT_TRUE(Check(tool.foldersTree, L"gamma"));
  Check(tool.foldersTree, L"alpha", TRUE);
  Check(tool.foldersTree, L"beta", TRUE);
  gui::Click(tool.applyButton);
  gui::Click(tool.applyButton); // applying again maps nothing twice
  Names targets{Target(expected[0]), Target(expected[1])};
  std::sort(targets.begin(), targets.end());
  EXPECT_EQ(targets, (Names{L"\\??\\" + in(L"alpha"), L"\\??\\" + in(L"beta")}));
  EXPECT_EQ(Mappings(), expected + L"Q");

  Check(tool.drivesTree, item(L'Q', L"gamma"), FALSE);
  gui::Click(tool.applyButton);
  EXPECT_EQ(Mappings(), expected) << "gamma's mapping removed and not made again";
  EXPECT_FALSE(Check(tool.foldersTree, L"gamma", TRUE));
  std::filesystem::remove(dir.File("gamma"));
  gui::Click(tool.applyButton);
  EXPECT_EQ(Mappings(), expected) << "a folder gone since the listing";

  SendMessageW(ConsoleListBox(), LB_RESETCONTENT, 0, 0);
  gui::Click(tool.unmountButton);
  EXPECT_EQ(Mappings(), L"");
  EXPECT_EQ(gui::ListBoxLines(ConsoleListBox()).size(), 4u) << "each letter and its target";
  EXPECT_TRUE(gui::TreeRootTexts(tool.drivesTree).empty());
  HWND window = g_shell.mountTool;
  gui::Click(g_shell.mountButton); // asking again while it is open keeps the one window
  EXPECT_EQ(g_shell.mountTool, window);
  SendMessageW(window, WM_CLOSE, 0, 0);
  gui::PumpUntil([] { return !IsWindow(g_shell.mountTool); });
  Mappings(true);
}

} // namespace
