// The mount tool on its own thread, mapping folders to drive letters of the real system
// (under Wine: the prefix's DOS device table, which DefineDosDeviceW and QueryDosDeviceW
// share with every process of the prefix). Each test leaves no mapping behind.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/scratch_dir.h"
#include "support/started_shell.h"
#include "tools/mount_tool.h"
#include "window_services/window_context.h"

namespace {

using Names = std::vector<std::wstring>;

std::wstring Target(wchar_t letter) {
  wchar_t device[3] = {letter, L':', 0};
  wchar_t target[1024] = {};
  return QueryDosDeviceW(device, target, 1024) != 0 ? target : L"";
}

bool IsMapping(wchar_t letter) {
  return Target(letter).rfind(L"\\??\\", 0) == 0;
}

std::wstring Mappings() {
  std::wstring letters;
  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter)
    if (IsMapping(letter)) letters += letter;
  return letters;
}

void RemoveAllMappings() {
  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
    wchar_t device[3] = {letter, L':', 0};
    for (int n = 0; n < 8 && IsMapping(letter); ++n)
      DefineDosDeviceW(DDD_REMOVE_DEFINITION, device, nullptr);
  }
}

// The root item of the tree with this text, or none.
HTREEITEM RootItem(HWND tree, const std::wstring &text) {
  HTREEITEM item = TreeView_GetRoot(tree);
  for (const std::wstring &t : gui::TreeRootTexts(tree)) {
    if (t == text) return item;
    item = TreeView_GetNextSibling(tree, item);
  }
  return nullptr;
}

bool Checked(HWND tree, const std::wstring &text) {
  HTREEITEM item = RootItem(tree, text);
  return item != nullptr && TreeView_GetCheckState(tree, item) == 1;
}

void Check(HWND tree, const std::wstring &text, BOOL checked) {
  TreeView_SetCheckState(tree, RootItem(tree, text), checked);
}

class MountToolTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(IsWindow(StartedShell())) << "start-up failed";
    RemoveAllMappings();
    for (const char *name : {"alpha", "beta", "gamma"})
      std::filesystem::create_directory(dir.File(name));
    base = dir.path.wstring();
  }
  void Open() { // the tool reads the mappings when it opens and after each change
    gui::Click(g_shell.mountButton);
    ASSERT_TRUE(IsWindow(g_shell.mountTool));
    tool = ContextOf<MountTool>(g_shell.mountTool);
    SetWindowTextW(tool->baseEdit, base.c_str()); // refreshes the folders on the way
  }
  void TearDown() override {
    if (IsWindow(g_shell.mountTool)) SendMessageW(g_shell.mountTool, WM_CLOSE, 0, 0);
    gui::PumpUntil([] { return !IsWindow(g_shell.mountTool); });
    RemoveAllMappings();
  }
  std::wstring Path(const std::wstring &name) const { return base + L"\\" + name; }
  std::wstring Item(wchar_t letter, const wchar_t *name) const {
    return std::wstring(1, letter) + L": [" + Path(name) + L"]";
  }

  ScratchDir dir;
  std::wstring base;
  const MountTool *tool = nullptr; // the open tool's context
};

// Checked folders get the free letters from E: on; a mapping made elsewhere is listed and
// checked; unchecking a mapping and applying removes it without mapping its folder (still
// checked in the folders tree) again; a folder gone since the listing uses no letter; Unmount
// All removes every mapping and logs it.
TEST_F(MountToolTest, ApplyMapsAndRemapsOnlyWhatIsChecked) {
  std::wstring expected; // the first two free letters from E: on
  for (wchar_t letter = L'E'; letter <= L'Z' && expected.size() < 2; ++letter)
    if (Target(letter).empty() && letter != L'Q') expected += letter;
  ASSERT_TRUE(DefineDosDeviceW(0, L"Q:", Path(L"gamma").c_str()));
  Open();
  Names folders = gui::TreeRootTexts(tool->foldersTree);
  std::sort(folders.begin(), folders.end());
  EXPECT_EQ(folders, (Names{L"alpha", L"beta", L"gamma"}));
  EXPECT_EQ(gui::TreeRootTexts(tool->drivesTree), Names{Item(L'Q', L"gamma")});
  EXPECT_TRUE(Checked(tool->foldersTree, L"gamma"));
  Check(tool->foldersTree, L"alpha", TRUE);
  Check(tool->foldersTree, L"beta", TRUE);
  gui::Click(tool->applyButton);
  gui::Click(tool->applyButton); // applying again maps nothing twice
  Names targets{Target(expected[0]), Target(expected[1])};
  std::sort(targets.begin(), targets.end());
  EXPECT_EQ(targets, (Names{L"\\??\\" + Path(L"alpha"), L"\\??\\" + Path(L"beta")}));
  EXPECT_EQ(Mappings(), expected + L"Q");

  Check(tool->drivesTree, Item(L'Q', L"gamma"), FALSE);
  gui::Click(tool->applyButton);
  EXPECT_EQ(Mappings(), expected) << "gamma's mapping removed and not made again";
  EXPECT_FALSE(Checked(tool->foldersTree, L"gamma"));

  Check(tool->foldersTree, L"gamma", TRUE);
  std::filesystem::remove(dir.File("gamma"));
  gui::Click(tool->applyButton);
  EXPECT_EQ(Mappings(), expected) << "a folder gone since the listing";

  SendMessageW(ConsoleListBox(), LB_RESETCONTENT, 0, 0);
  gui::Click(tool->unmountButton);
  EXPECT_EQ(Mappings(), L"");
  EXPECT_EQ(gui::ListBoxLines(ConsoleListBox()).size(), 4u) << "each letter and its target";
  EXPECT_TRUE(gui::TreeRootTexts(tool->drivesTree).empty());
  HWND window = g_shell.mountTool;
  gui::Click(g_shell.mountButton); // asking again while it is open keeps the one window
  EXPECT_EQ(g_shell.mountTool, window);
}

} // namespace
