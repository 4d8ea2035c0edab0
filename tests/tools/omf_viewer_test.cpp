// The "OMFi info tool" on its own thread: the tree of a container, references opened by
// double-clicks, hex dumps in the console, the Open and Dump buttons with the file dialog
// answered by the test, and the close that waits for the thread.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "inspection/bento_constants.h"
#include "inspection/media_file_parser.h"
#include "support/bento_writer.h"
#include "support/dictionary_text.h"
#include "support/realdata.h"
#include "support/scratch_dir.h"
#include "support/started_shell.h"
#include "tools/omf_viewer.h"
#include "window_services/test_seams.h"
#include "window_services/window_context.h"

namespace {

using Names = std::vector<std::wstring>;
constexpr wchar_t kTocDump[] = L"-----------------------TOC hex dump-----------------------";

// The answers the file dialog gives, in order; what it was asked.
std::vector<std::wstring> g_answers;
std::vector<FileDialogRequest> g_asked;

bool AnswerDialog(FileDialogRequest *request) {
  g_asked.push_back(*request);
  if (g_answers.empty()) return false;
  lstrcpynW(request->path, g_answers.front().c_str(), static_cast<int>(request->capacity));
  g_answers.erase(g_answers.begin());
  return true;
}

// Object 1 with the two mob lists and a mob ID found in both, a clip mob with two slots and
// a source mob.
BentoWriter Container(const char *dictionaryName, const char *clipName) {
  BentoWriter w = BentoBegin();
  std::vector<uint8_t> clips = BentoMobList(w, {{7, 8, 0x20000}});
  std::vector<uint8_t> sources = BentoMobList(w, {{7, 8, 0x20001}});
  std::vector<uint8_t> uid = BentoMobId(7, 8);
  std::vector<uint8_t> slots = BentoRefArray(w, {0x20002, 0x20003});
  BentoAddCode(w, 1, PROP_CLASS, TYPE_CLASS_ID, "HEAD");
  BentoAddStored(w, 1, PROP_CLIP_MOB_LIST, TYPE_MOB_INDEX_LIST, clips.data(), clips.size());
  BentoAddStored(w, 1, PROP_SOURCE_MOB_LIST, TYPE_MOB_INDEX_LIST, sources.data(), sources.size());
  BentoAddStored(w, 1, 0x10700, TYPE_UID, uid.data(), uid.size());
  BentoAddName(w, PROP_CLIP_MOB_LIST, false, dictionaryName);
  BentoAddCode(w, 0x20000, PROP_CLASS, TYPE_CLASS_ID, "MMOB");
  BentoAddStored(w, 0x20000, PROP_MOB_NAME, TYPE_STRING, clipName, std::strlen(clipName) + 1);
  BentoAddStored(w, 0x20000, PROP_MOB_SLOTS, TYPE_OBJECT_REF_ARRAY, slots.data(), slots.size());
  BentoAddCode(w, 0x20001, PROP_CLASS, TYPE_CLASS_ID, "SMOB");
  BentoAddStored(w, 0x20001, PROP_MOB_NAME, TYPE_STRING, "Source", 7);
  BentoAddCode(w, 0x20002, PROP_CLASS, TYPE_CLASS_ID, "MSLT");
  BentoAddCode(w, 0x20003, PROP_CLASS, TYPE_CLASS_ID, "MSLT");
  return w;
}

std::vector<HTREEITEM> ChildrenOf(HWND tree, HTREEITEM parent) {
  std::vector<HTREEITEM> items;
  HTREEITEM item = parent == TVI_ROOT ? TreeView_GetRoot(tree) : TreeView_GetChild(tree, parent);
  for (; item != nullptr; item = TreeView_GetNextSibling(tree, item)) items.push_back(item);
  return items;
}

std::wstring TextOf(HWND tree, HTREEITEM item) {
  wchar_t text[512] = {};
  TVITEMW get{TVIF_TEXT, item};
  get.pszText = text;
  get.cchTextMax = 512;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&get));
  return text;
}

Names ChildTexts(HWND tree, HTREEITEM parent) {
  Names texts;
  for (HTREEITEM item : ChildrenOf(tree, parent)) texts.push_back(TextOf(tree, item));
  return texts;
}

// A double-click of the mouse on the item's text, as the tree receives it.
void DoubleClick(HWND tree, HTREEITEM item) {
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
  RECT rect;
  std::memcpy(&rect, &item, sizeof item); // the item goes in where the rectangle comes out
  ASSERT_TRUE(SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)));
  SendMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON,
               MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
}

class OmfViewerTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(IsWindow(StartedShell())) << "start-up failed";
    previous = SetViewerFileDialog(AnswerDialog);
    g_answers.clear();
    g_asked.clear();
    first = dir.File("first.omf");
    second = dir.File("second.omf");
    ASSERT_TRUE(BentoWriteFile(Container("First:ClipMobs", "Clip 1"), first));
    ASSERT_TRUE(BentoWriteFile(Container("Second:ClipMobs", "Clip 2"), second));
    SendMessageW(ConsoleListBox(), LB_RESETCONTENT, 0, 0);
  }
  void TearDown() override {
    CloseOmfViewer(g_shell.omfViewer);
    SetViewerFileDialog(previous);
  }

  HWND Open(const std::filesystem::path &file) {
    OpenOmfViewer(g_shell.instance, g_shell.uiFont, file.empty() ? nullptr : file.wstring().c_str(),
                  &g_shell.omfViewer);
    return g_shell.omfViewer;
  }
  // The open viewer's context.
  static const OmfViewer &Viewer() { return *ContextOf<OmfViewer>(g_shell.omfViewer); }

  HTREEITEM Property(int index) {
    std::vector<HTREEITEM> root = ChildrenOf(Viewer().tree, TVI_ROOT);
    if (root.empty()) return nullptr;
    std::vector<HTREEITEM> properties = ChildrenOf(Viewer().tree, root[0]);
    return index < static_cast<int>(properties.size()) ? properties[index] : nullptr;
  }

  ScratchDir dir;
  std::filesystem::path first;
  std::filesystem::path second;
  FileDialogFunction previous = nullptr;
};

TEST_F(OmfViewerTest, ShowsObjectOneAndOpensEachReferenceOnce) {
  HWND window = Open(first);
  ASSERT_TRUE(IsWindow(window));
  EXPECT_EQ(gui::Text(window), L"OMFi info tool");
  HWND tree = Viewer().tree;
  std::vector<HTREEITEM> root = ChildrenOf(tree, TVI_ROOT);
  ASSERT_EQ(root.size(), 1u);
  EXPECT_EQ(TextOf(tree, root[0]), L"[ ID=0x1 ]HEAD");
  ASSERT_EQ(ChildrenOf(tree, root[0]).size(), 4u);
  HTREEITEM clipList = Property(1);
  EXPECT_EQ(TextOf(tree, clipList), L"First:ClipMobs  (  )[ext]");
  DoubleClick(tree, clipList);
  DoubleClick(tree, clipList); // opens once, dumps every time
  EXPECT_EQ(ChildTexts(tree, clipList), Names{L"Clip 1[ ID=0x20000 ]MMOB"});
  Names lines = gui::ListBoxLines(ConsoleListBox());
  EXPECT_EQ(std::count(lines.begin(), lines.end(), kTocDump), 2);
  // The mob's own reference opens one more level: two slots.
  HTREEITEM slots = ChildrenOf(tree, ChildrenOf(tree, clipList)[0])[2];
  DoubleClick(tree, slots);
  EXPECT_EQ(ChildTexts(tree, slots), (Names{L"[ ID=0x20002 ]MSLT", L"[ ID=0x20003 ]MSLT"}));
  // A mob ID in both the clip and the source mob index shows both mobs, sorted by text.
  DoubleClick(tree, Property(3));
  EXPECT_EQ(ChildTexts(tree, Property(3)),
            (Names{L"Clip 1[ ID=0x20000 ]MMOB", L"Source[ ID=0x20001 ]SMOB"}));
  EXPECT_EQ(Open(second), window) << "opened again, it keeps the one window";
  EXPECT_EQ(TextOf(tree, Property(1)), L"First:ClipMobs  (  )[ext]");
  CloseOmfViewer(g_shell.omfViewer);
  EXPECT_FALSE(IsWindow(g_shell.omfViewer));
  EXPECT_EQ(g_viewerParser.open, 0u) << "closed before its thread released the parser";
}

TEST_F(OmfViewerTest, OpenAndDumpButtonsAskForTheirFiles) {
  Open(std::filesystem::path());
  gui::Click(Viewer().dumpButton); // no container yet: nothing to dump, nothing asked
  EXPECT_TRUE(g_asked.empty());
  const std::filesystem::path broken = dir.File("broken.omf");
  ASSERT_TRUE(WriteFileBytes(broken, std::vector<uint8_t>(100, 0x41)));
  g_answers = {broken.wstring(), first.wstring(), second.wstring()};
  gui::Click(Viewer().openButton);
  EXPECT_TRUE(ChildrenOf(Viewer().tree, TVI_ROOT).empty()) << "not a container";
  gui::Click(Viewer().openButton);
  gui::Click(Viewer().openButton);
  // The tree shows the second file, named with the first name found for each ID.
  EXPECT_EQ(TextOf(Viewer().tree, Property(1)), L"First:ClipMobs  (  )[ext]");
  const std::filesystem::path dump = dir.File("names.h");
  ASSERT_TRUE(WriteFileBytes(dump, std::string(10000, '#').data(), 10000)); // longer than the dump
  g_answers = {dump.wstring()};
  gui::Click(Viewer().dumpButton);
  ASSERT_EQ(g_asked.size(), 4u);
  EXPECT_EQ(std::wstring(g_asked[0].filter, 36),
            std::wstring(L"OMFI Files \0*.omf;*.aif;*.wav;*.mdb\0", 36));
  EXPECT_EQ(std::wstring(g_asked[3].filter, 22), std::wstring(L"Text Files \0*.h;*.txt\0", 22));
  std::ifstream in(dump, std::ios::binary);
  std::stringstream written;
  written << in.rdbuf();
  EXPECT_EQ(written.str(), DictionaryDumpOfFiles({first, second}));
}

// An OMF 2.x sample (version-2 table) in the window: its head and, a double-click away, its
// mobs (every sample's tree is read in the inspection tests).
TEST_F(OmfViewerTest, AVersionTwoSampleShowsItsHeadAndMobs) {
  const std::filesystem::path simple = RealdataFile("omfkt22/Simple2x.omf");
  if (simple.empty()) GTEST_SKIP() << "the real containers are not beside the repository";
  Open(simple);
  HWND tree = Viewer().tree;
  ASSERT_EQ(ChildTexts(tree, TVI_ROOT), Names{L"[ ID=0x1 ]HEAD"});
  for (HTREEITEM property : ChildrenOf(tree, TreeView_GetRoot(tree))) {
    if (TextOf(tree, property) != L"OMFI:HEAD:Mobs  ( omfi:ObjRefArray )[ext]") continue;
    DoubleClick(tree, property);
    EXPECT_EQ(ChildTexts(tree, property),
              (Names{L"Null Master Mob[ ID=0x100E9 ]MMOB", L"Null Master Mob[ ID=0x100F5 ]MMOB",
                     L"Simple Composition[ ID=0x10100 ]CMOB"}));
    return;
  }
  ADD_FAILURE() << "no OMFI:HEAD:Mobs on Simple2x's head";
}

TEST_F(OmfViewerTest, TheMenuOpensTheFileTheCatalogueParserOpenedLast) {
  ASSERT_EQ(g_catalogueParser.OpenMediaFile(second.wstring().c_str()), 1);
  g_catalogueParser.ResetParser();
  SendMessageW(g_shell.mainWindow, WM_COMMAND, 40019, 0);
  ASSERT_TRUE(IsWindow(g_shell.omfViewer));
  EXPECT_EQ(TextOf(Viewer().tree, Property(1)), L"Second:ClipMobs  (  )[ext]");
}

} // namespace
