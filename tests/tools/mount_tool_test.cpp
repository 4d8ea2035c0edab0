// The mount tool on its own thread, mapping folders to drive letters of the real system
// (under Wine: the prefix's DOS device table, which DefineDosDeviceW and QueryDosDeviceW
// share with every process of the prefix). Each test leaves no mapping behind.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/scratch_dir.h"
#include "support/started_shell.h"
#include "tools/mount_tool.h"
#include "window_services/window_context.h"

namespace {

std::wstring Target(wchar_t letter) {
  wchar_t device[3] = {letter, L':', 0};
  wchar_t target[1024] = {};
  if (QueryDosDeviceW(device, target, 1024) == 0) return L"";
  return target;
}

bool IsMapping(wchar_t letter) {
  return Target(letter).rfind(L"\\??\\", 0) == 0;
}

void RemoveAllMappings() {
  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
    wchar_t device[3] = {letter, L':', 0};
    for (int n = 0; n < 8 && IsMapping(letter); ++n)
      DefineDosDeviceW(DDD_REMOVE_DEFINITION, device, nullptr);
  }
}

HTREEITEM RootItem(HWND tree, const std::wstring &text) {
  std::vector<std::wstring> texts = gui::TreeRootTexts(tree);
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  for (const std::wstring &t : texts) {
    if (t == text) return item;
    item = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
  }
  return nullptr;
}

bool Checked(HWND tree, const std::wstring &text) {
  HTREEITEM item = RootItem(tree, text);
  return item != nullptr && (SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                                          TVIS_STATEIMAGEMASK) >>
                             12) == 2;
}

void Check(HWND tree, const std::wstring &text, bool checked) {
  TVITEMW change{};
  change.mask = TVIF_STATE;
  change.hItem = RootItem(tree, text);
  change.stateMask = TVIS_STATEIMAGEMASK;
  change.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  ASSERT_NE(nullptr, change.hItem) << text;
  SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change));
}

class MountToolTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(IsWindow(StartedShell())) << "start-up failed";
    RemoveAllMappings();
    ASSERT_FALSE(dir.path.empty());
    for (const char *name : {"alpha", "beta", "gamma"})
      std::filesystem::create_directory(dir.File(name));
    std::filesystem::path file = dir.File("not-a-folder.txt");
    WriteFileBytes(file, "x", 1);
    base = dir.path.wstring();
  }
  void TearDown() override {
    if (IsWindow(g_shell.mountTool)) SendMessageW(g_shell.mountTool, WM_CLOSE, 0, 0);
    gui::PumpUntil([] { return !IsWindow(g_shell.mountTool); });
    RemoveAllMappings();
  }

  void Open() {
    gui::Click(g_shell.mountButton);
    ASSERT_TRUE(IsWindow(g_shell.mountTool));
    tool = ContextOf<MountTool>(g_shell.mountTool);
    SetWindowTextW(tool->baseEdit, base.c_str()); // refreshes the folders on the way
  }

  std::wstring Path(const std::wstring &name) const { return base + L"\\" + name; }

  ScratchDir dir;
  std::wstring base;
  const MountTool *tool = nullptr; // the open tool's context
};

TEST_F(MountToolTest, WindowAndControls) {
  Open();
  EXPECT_EQ(L"Mount/Substitute Tool", gui::Text(g_shell.mountTool));
  RECT outer;
  GetWindowRect(g_shell.mountTool, &outer);
  EXPECT_EQ(500, outer.right - outer.left);
  EXPECT_EQ(500, outer.bottom - outer.top);
  RECT apply = gui::RectInParent(tool->applyButton);
  EXPECT_EQ(405, apply.left);
  EXPECT_EQ(450, apply.top);
  EXPECT_EQ(L"Unmount All", gui::Text(tool->unmountButton));
  EXPECT_NE(0, GetWindowLongW(tool->foldersTree, GWL_STYLE) & TVS_CHECKBOXES);

  // Asking again while it is open keeps the one window.
  HWND window = g_shell.mountTool;
  gui::Click(g_shell.mountButton);
  EXPECT_EQ(window, g_shell.mountTool);
}

TEST_F(MountToolTest, FoldersFollowTheEditBoxOnEveryChange) {
  Open();
  std::vector<std::wstring> folders = gui::TreeRootTexts(tool->foldersTree);
  std::sort(folders.begin(), folders.end());
  EXPECT_EQ((std::vector<std::wstring>{L"alpha", L"beta", L"gamma"}), folders);

  // A partial path, a relative one and a file leave the tree empty.
  SendMessageW(tool->baseEdit, EM_SETSEL, base.size(), base.size());
  SendMessageW(tool->baseEdit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"\\al"));
  EXPECT_TRUE(gui::TreeRootTexts(tool->foldersTree).empty());
  SetWindowTextW(tool->baseEdit, L"alpha");
  EXPECT_TRUE(gui::TreeRootTexts(tool->foldersTree).empty());
  SetWindowTextW(tool->baseEdit, Path(L"not-a-folder.txt").c_str());
  EXPECT_TRUE(gui::TreeRootTexts(tool->foldersTree).empty());
  SetWindowTextW(tool->baseEdit, base.c_str());
  EXPECT_EQ(3u, gui::TreeRootTexts(tool->foldersTree).size());
}

TEST_F(MountToolTest, CheckedFoldersGetConsecutiveFreeLettersFromE) {
  wchar_t expected[2] = {};
  int found = 0;
  for (wchar_t letter = L'E'; letter <= L'Z' && found < 2; ++letter)
    if (Target(letter).empty()) expected[found++] = letter;
  ASSERT_EQ(2, found);
  const bool lowFree = Target(L'A').empty() || Target(L'B').empty() || Target(L'D').empty();

  Open();
  std::vector<std::wstring> order = gui::TreeRootTexts(tool->foldersTree);
  ASSERT_EQ(3u, order.size());
  Check(tool->foldersTree, order[0], true);
  Check(tool->foldersTree, order[2], true);
  gui::Click(tool->applyButton);

  EXPECT_EQ(L"\\??\\" + Path(order[0]), Target(expected[0]));
  EXPECT_EQ(L"\\??\\" + Path(order[2]), Target(expected[1]));
  EXPECT_TRUE(lowFree) << "the letters below E: are all in use, so this proves less";
  for (wchar_t letter : {L'A', L'B', L'C', L'D'})
    EXPECT_FALSE(IsMapping(letter)) << static_cast<char>(letter);

  std::vector<std::wstring> drives = gui::TreeRootTexts(tool->drivesTree);
  ASSERT_EQ(2u, drives.size());
  EXPECT_EQ(std::wstring(1, expected[0]) + L": [" + Path(order[0]) + L"]", drives[0]);
  EXPECT_TRUE(Checked(tool->drivesTree, drives[0]));
  EXPECT_TRUE(Checked(tool->foldersTree, order[0]));
  EXPECT_FALSE(Checked(tool->foldersTree, order[1]));

  // Applying again maps nothing twice.
  gui::Click(tool->applyButton);
  EXPECT_EQ(2u, gui::TreeRootTexts(tool->drivesTree).size());
}

TEST_F(MountToolTest, AMappingMadeElsewhereIsListedAndUnmountAllRemovesIt) {
  ASSERT_TRUE(DefineDosDeviceW(0, L"P:", Path(L"beta").c_str()));
  Open();
  const std::wstring item = L"P: [" + Path(L"beta") + L"]";
  EXPECT_EQ(std::vector<std::wstring>{item}, gui::TreeRootTexts(tool->drivesTree));
  EXPECT_TRUE(Checked(tool->drivesTree, item));
  EXPECT_TRUE(Checked(tool->foldersTree, L"beta"));

  SendMessageW(ConsoleListBox(), LB_RESETCONTENT, 0, 0);
  gui::Click(tool->unmountButton);
  EXPECT_FALSE(IsMapping(L'P'));
  EXPECT_EQ((std::vector<std::wstring>{L"P:", L"\\??\\" + Path(L"beta")}),
            gui::ListBoxLines(ConsoleListBox()));
  EXPECT_TRUE(gui::TreeRootTexts(tool->drivesTree).empty());
  EXPECT_FALSE(Checked(tool->foldersTree, L"beta"));
}

TEST_F(MountToolTest, UncheckingAMappingAndApplyingRemovesIt) {
  ASSERT_TRUE(DefineDosDeviceW(0, L"Q:", Path(L"gamma").c_str()));
  ASSERT_TRUE(DefineDosDeviceW(0, L"R:", Path(L"alpha").c_str()));
  Open();
  Check(tool->drivesTree, L"Q: [" + Path(L"gamma") + L"]", false);
  gui::Click(tool->applyButton);
  EXPECT_FALSE(IsMapping(L'Q'));
  EXPECT_TRUE(IsMapping(L'R'));
  // The folder of the removed mapping, still checked in the folders tree when Apply was
  // pressed, is not mapped again under another letter.
  EXPECT_EQ(std::vector<std::wstring>{L"R: [" + Path(L"alpha") + L"]"},
            gui::TreeRootTexts(tool->drivesTree));
  EXPECT_FALSE(Checked(tool->foldersTree, L"gamma"));
  EXPECT_TRUE(Checked(tool->foldersTree, L"alpha"));
}

TEST_F(MountToolTest, AFolderGoneSinceTheListingUsesNoLetter) {
  Open();
  Check(tool->foldersTree, L"alpha", true);
  std::filesystem::remove(dir.File("alpha"));
  gui::Click(tool->applyButton);
  for (wchar_t letter = L'A'; letter <= L'Z'; ++letter)
    EXPECT_FALSE(IsMapping(letter)) << static_cast<char>(letter);
}

} // namespace
