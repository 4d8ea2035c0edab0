// The "OMFi info tool" on its own thread, in one smoke test: the Open and Dump buttons with the
// file dialog answered by the test, a reference opened by double-clicks, hex dumps in the
// console, and the close that waits for the thread (the tree's rules: tests/inspection).
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "inspection/bento_constants.h"
#include "inspection/media_file_parser.h"
#include "support/bento_writer.h"
#include "support/dictionary_text.h"
#include "support/scratch_dir.h"
#include "support/started_shell.h"
#include "tools/omf_viewer.h"
#include "window_services/test_seams.h"
#include "window_services/window_context.h"

namespace {

constexpr wchar_t kTocDump[] = L"-----------------------TOC hex dump-----------------------";

// The answers the file dialog gives, in order; how many times it was asked.
std::deque<std::wstring> g_answers;
int g_asked = 0;

bool AnswerDialog(FileDialogRequest *request) {
  ++g_asked;
  if (g_answers.empty()) return false;
  lstrcpynW(request->path, g_answers.front().c_str(), static_cast<int>(request->capacity));
  g_answers.pop_front();
  return true;
}

// A double-click of the mouse on the item's text, as the tree receives it.
void DoubleClick(HWND tree, HTREEITEM item) {
  TreeView_SelectItem(tree, item);
  RECT rect;
  std::memcpy(&rect, &item, sizeof item); // the item goes in where the rectangle comes out
  ASSERT_TRUE(SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)));
  SendMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON,
               MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
}

TEST(OmfViewer, OpensDumpsAndClosesAfterItsThread) {
  ASSERT_TRUE(IsWindow(StartedShell())) << "start-up failed";
  ScratchDir dir;
  const std::filesystem::path file = dir.File("first.omf"), broken = dir.File("broken.omf");
  const std::filesystem::path dump = dir.File("names.h");
  BentoWriter w = BentoBegin(); // object 1 with a named clip mob list that holds one clip mob
  std::vector<uint8_t> clips = BentoMobList(w, {{7, 8, 0x20000}});
  BentoAddCode(w, 1, PROP_CLASS, TYPE_CLASS_ID, "HEAD");
  BentoAddStored(w, 1, PROP_CLIP_MOB_LIST, TYPE_MOB_INDEX_LIST, clips.data(), clips.size());
  BentoAddName(w, PROP_CLIP_MOB_LIST, false, "First:ClipMobs");
  BentoAddCode(w, 0x20000, PROP_CLASS, TYPE_CLASS_ID, "MMOB");
  BentoAddStored(w, 0x20000, PROP_MOB_NAME, TYPE_STRING, "Clip 1", 7);
  ASSERT_TRUE(BentoWriteFile(w, file));
  ASSERT_TRUE(WriteFileBytes(broken, std::vector<uint8_t>(100, 0x41)));
  ASSERT_TRUE(WriteFileBytes(dump, std::string(10000, '#').data(), 10000)); // longer than the dump
  FileDialogFunction previous = SetViewerFileDialog(AnswerDialog);
  SendMessageW(ConsoleListBox(), LB_RESETCONTENT, 0, 0);

  OpenOmfViewer(g_shell.instance, g_shell.uiFont, nullptr, &g_shell.omfViewer);
  ASSERT_TRUE(IsWindow(g_shell.omfViewer));
  const OmfViewer &viewer = *ContextOf<OmfViewer>(g_shell.omfViewer);
  HWND tree = viewer.tree;
  gui::Click(viewer.dumpButton); // no container yet: nothing to dump, nothing asked
  EXPECT_EQ(g_asked, 0);
  g_answers = {broken.wstring(), file.wstring(), dump.wstring()};
  gui::Click(viewer.openButton);
  EXPECT_EQ(TreeView_GetRoot(tree), nullptr) << "not a container";
  gui::Click(viewer.openButton);
  ASSERT_EQ(gui::TreeItemText(tree, TreeView_GetRoot(tree)), L"[ ID=0x1 ]HEAD");
  HTREEITEM clipList =
      TreeView_GetNextSibling(tree, TreeView_GetChild(tree, TreeView_GetRoot(tree)));
  EXPECT_EQ(gui::TreeItemText(tree, clipList), L"First:ClipMobs  (  )[ext]");
  DoubleClick(tree, clipList);
  DoubleClick(tree, clipList); // opens once, dumps every time
  HTREEITEM clip = TreeView_GetChild(tree, clipList);
  EXPECT_EQ(gui::TreeItemText(tree, clip), L"Clip 1[ ID=0x20000 ]MMOB");
  EXPECT_EQ(TreeView_GetNextSibling(tree, clip), nullptr);
  std::vector<std::wstring> lines = gui::ListBoxLines(ConsoleListBox());
  EXPECT_EQ(std::count(lines.begin(), lines.end(), kTocDump), 2);
  gui::Click(viewer.dumpButton);
  EXPECT_EQ(g_asked, 3);
  std::ifstream in(dump, std::ios::binary);
  std::stringstream written;
  written << in.rdbuf();
  EXPECT_EQ(written.str(), DictionaryDumpOfFiles({file}));

  HWND window = g_shell.omfViewer;
  OpenOmfViewer(g_shell.instance, g_shell.uiFont, file.wstring().c_str(), &g_shell.omfViewer);
  EXPECT_EQ(g_shell.omfViewer, window) << "opened again, it keeps the one window";
  CloseOmfViewer(g_shell.omfViewer);
  EXPECT_FALSE(IsWindow(g_shell.omfViewer));
  EXPECT_EQ(g_viewerParser.open, 0u) << "closed before its thread released the parser";
  SetViewerFileDialog(previous);
}

} // namespace
