// The "OMFi info tool" on its own thread, in one smoke test: the Open and Dump buttons with the
// file dialog answered by the test, a reference opened by double-clicks, hex dumps in the
// console, and the close that waits for the thread (the tree's rules: tests/inspection).
#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include "inspection/bento_constants.h"
#include "inspection/media_file_parser.h"
#include "support/bento_writer.h"
#include "support/dictionary_text.h"
#include "support/gui_harness.h"
#include "support/scratch_dir.h"
#include "tools/omf_viewer.h"
#include "window_services/test_seams.h"
#include "window_services/window_context.h"

namespace {

std::vector<std::wstring> g_answers; // what the file dialog answers, in turn
size_t g_asked = 0;

bool AnswerDialog(FileDialogRequest *request) {
  if (g_asked == g_answers.size()) return false;
  lstrcpynW(request->path, g_answers[g_asked++].c_str(), static_cast<int>(request->capacity));
  return true;
}

TEST(OmfViewer, OpensDumpsAndClosesAfterItsThread) {
  ASSERT_TRUE(IsWindow(StartedShell())) << "start-up failed";
  ScratchDir dir;
  const std::filesystem::path file = dir.File("first.omf"), dump = dir.File("names.h");
  BentoWriter w = BentoBegin(); // object 1 with a named clip mob list that holds one clip mob
  std::vector<uint8_t> clips = BentoMobList(w, {{7, 8, 0x20000}});
  BentoAddCode(w, 1, PROP_CLASS, TYPE_CLASS_ID, "HEAD");
  BentoAddStored(w, 1, PROP_CLIP_MOB_LIST, TYPE_MOB_INDEX_LIST, clips.data(), clips.size());
  BentoAddName(w, PROP_CLIP_MOB_LIST, false, "First:ClipMobs");
  BentoAddCode(w, 0x20000, PROP_CLASS, TYPE_CLASS_ID, "MMOB");
  BentoAddStored(w, 0x20000, PROP_MOB_NAME, TYPE_STRING, "Clip 1", 7);
  ASSERT_TRUE(BentoWriteFile(w, file));
  ASSERT_TRUE(WriteFileBytes(dump, std::string(10000, '#').data(), 10000)); // longer than the dump
  g_answers = {file.wstring(), dump.wstring()};
  FileDialogFunction previous = SetViewerFileDialog(AnswerDialog);
  SendMessageW(ConsoleListBox(), LB_RESETCONTENT, 0, 0);

  OpenOmfViewer(g_shell.instance, g_shell.uiFont, nullptr, &g_shell.omfViewer);
  ASSERT_TRUE(IsWindow(g_shell.omfViewer));
  const OmfViewer &viewer = *ContextOf<OmfViewer>(g_shell.omfViewer);
  HWND tree = viewer.tree;
  gui::Click(viewer.openButton);
  ASSERT_EQ(gui::TreeItemText(tree, TreeView_GetRoot(tree)), L"[ ID=0x1 ]HEAD");
  HTREEITEM list = TreeView_GetNextSibling(tree, TreeView_GetChild(tree, TreeView_GetRoot(tree)));
  EXPECT_EQ(gui::TreeItemText(tree, list), L"First:ClipMobs  (  )[ext]");
  TreeView_SelectItem(tree, list);
  RECT rect; // a double-click on the item's text, twice: it opens once and dumps every time
  std::memcpy(&rect, &list, sizeof list); // the item goes in where the rectangle comes out
  SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
  for (int i = 0; i < 2; ++i)
    SendMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rect.left + 4, rect.top + 4));
  HTREEITEM clip = TreeView_GetChild(tree, list);
  EXPECT_EQ(gui::TreeItemText(tree, clip), L"Clip 1[ ID=0x20000 ]MMOB");
  EXPECT_EQ(TreeView_GetNextSibling(tree, clip), nullptr);
  std::vector<std::wstring> lines = gui::ListBoxLines(ConsoleListBox());
  EXPECT_EQ(std::count(lines.begin(), lines.end(),
                       L"-----------------------TOC hex dump-----------------------"),
            2);
  gui::Click(viewer.dumpButton);
  std::stringstream written;
  written << std::ifstream(dump, std::ios::binary).rdbuf();
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
