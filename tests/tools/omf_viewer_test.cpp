// The "OMFi info tool" on its own thread: the tree of a container, references opened by
// double-clicks on the tree, hex dumps in the console, the Open and Dump buttons with the
// file dialog answered by the test, and the close hand-shake.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <gtest/gtest.h>

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

HTREEITEM Next(HWND tree, HTREEITEM item, UINT how) {
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

std::vector<HTREEITEM> ChildrenOf(HWND tree, HTREEITEM parent) {
  std::vector<HTREEITEM> items;
  HTREEITEM item =
      parent == TVI_ROOT ? Next(tree, nullptr, TVGN_ROOT) : Next(tree, parent, TVGN_CHILD);
  for (; item != nullptr; item = Next(tree, item, TVGN_NEXT)) items.push_back(item);
  return items;
}

TVITEMW ItemOf(HWND tree, HTREEITEM item, wchar_t *text) {
  TVITEMW get{};
  get.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
  get.hItem = item;
  get.stateMask = TVIS_BOLD;
  get.pszText = text;
  get.cchTextMax = 512;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&get));
  return get;
}

std::wstring TextOf(HWND tree, HTREEITEM item) {
  wchar_t text[512] = {};
  ItemOf(tree, item, text);
  return text;
}

std::vector<std::wstring> ChildTexts(HWND tree, HTREEITEM parent) {
  std::vector<std::wstring> texts;
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

size_t CountLines(const std::wstring &line) {
  size_t n = 0;
  for (const std::wstring &l : gui::ListBoxLines(ConsoleListBox())) n += l == line;
  return n;
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

TEST_F(OmfViewerTest, StartsWithObjectOneAndItsProperties) {
  HWND window = Open(first);
  ASSERT_TRUE(IsWindow(window));
  EXPECT_EQ(L"OMFi info tool", gui::Text(window));
  HWND tree = Viewer().tree;
  std::vector<HTREEITEM> root = ChildrenOf(tree, TVI_ROOT);
  ASSERT_EQ(1u, root.size());
  wchar_t text[512];
  TVITEMW head = ItemOf(tree, root[0], text);
  EXPECT_STREQ(L"[ ID=0x1 ]HEAD", text);
  EXPECT_EQ(-1, head.lParam);
  EXPECT_EQ(static_cast<UINT>(TVIS_BOLD), head.state & TVIS_BOLD);

  std::vector<HTREEITEM> properties = ChildrenOf(tree, root[0]);
  ASSERT_EQ(4u, properties.size());
  TVITEMW list = ItemOf(tree, properties[1], text);
  EXPECT_STREQ(L"First:ClipMobs  (  )[ext]", text);
  EXPECT_EQ(1, list.lParam);
  EXPECT_EQ(static_cast<UINT>(TVIS_BOLD), list.state & TVIS_BOLD);
  EXPECT_EQ(0u, ItemOf(tree, properties[0], text).state & TVIS_BOLD);

  // Opening it again while it is open keeps the one window and its tree.
  EXPECT_EQ(window, Open(second));
  EXPECT_EQ(L"First:ClipMobs  (  )[ext]", TextOf(tree, Property(1)));
}

TEST_F(OmfViewerTest, AReferenceOpensOnceAndDumpsEveryTime) {
  Open(first);
  HWND tree = Viewer().tree;
  HTREEITEM clipList = Property(1);
  DoubleClick(tree, clipList);
  EXPECT_EQ(std::vector<std::wstring>{L"Clip 1[ ID=0x20000 ]MMOB"}, ChildTexts(tree, clipList));
  DoubleClick(tree, clipList);
  EXPECT_EQ(1u, ChildrenOf(tree, clipList).size());
  EXPECT_EQ(2u, CountLines(kTocDump));

  // The mob's own reference opens one more level: two slots.
  HTREEITEM mob = ChildrenOf(tree, clipList)[0];
  HTREEITEM slots = ChildrenOf(tree, mob)[2];
  DoubleClick(tree, slots);
  EXPECT_EQ((std::vector<std::wstring>{L"[ ID=0x20002 ]MSLT", L"[ ID=0x20003 ]MSLT"}),
            ChildTexts(tree, slots));

  // A mob ID in both the clip and the source mob index shows both mobs, sorted by text.
  HTREEITEM uid = Property(3);
  DoubleClick(tree, uid);
  EXPECT_EQ((std::vector<std::wstring>{L"Clip 1[ ID=0x20000 ]MMOB", L"Source[ ID=0x20001 ]SMOB"}),
            ChildTexts(tree, uid));
}

TEST_F(OmfViewerTest, ADoubleClickOnAnObjectDumpsNothing) {
  Open(first);
  HTREEITEM head = ChildrenOf(Viewer().tree, TVI_ROOT)[0];
  const size_t children = ChildrenOf(Viewer().tree, head).size();
  DoubleClick(Viewer().tree, head);
  EXPECT_EQ(0u, gui::ListBoxLines(ConsoleListBox()).size());
  EXPECT_EQ(children, ChildrenOf(Viewer().tree, head).size());
}

TEST_F(OmfViewerTest, DumpOfAStoredValueGoesToTheConsole) {
  Open(first);
  DoubleClick(Viewer().tree, Property(3)); // a 12-byte mob ID stored in the file
  std::vector<std::wstring> lines = gui::ListBoxLines(ConsoleListBox());
  ASSERT_EQ(6u, lines.size());
  EXPECT_EQ(kTocDump, lines[0]);
  EXPECT_EQ(L"-----------------------Ext obj dump-----------------------", lines[3]);
  EXPECT_EQ(L"| ", lines[4].substr(0, 2));
  EXPECT_EQ(L"-----------------------End hex dump-----------------------", lines[5]);
}

TEST_F(OmfViewerTest, OpenAndDumpWriteTheNamesOfBothFiles) {
  Open(std::filesystem::path());
  EXPECT_TRUE(ChildrenOf(Viewer().tree, TVI_ROOT).empty());
  // No container yet: nothing to dump, nothing asked.
  gui::Click(Viewer().dumpButton);
  EXPECT_TRUE(g_asked.empty());

  g_answers = {first.wstring()};
  gui::Click(Viewer().openButton);
  ASSERT_EQ(1u, g_asked.size());
  EXPECT_EQ(std::wstring(L"OMFI Files \0*.omf;*.aif;*.wav;*.mdb\0", 36),
            std::wstring(g_asked[0].filter, 36));
  EXPECT_EQ(static_cast<DWORD>(OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY),
            g_asked[0].flags);
  g_answers = {second.wstring()};
  gui::Click(Viewer().openButton);
  // The tree shows the second file, named with the first name found for each ID.
  EXPECT_EQ(1u, ChildrenOf(Viewer().tree, TVI_ROOT).size());
  EXPECT_EQ(L"First:ClipMobs  (  )[ext]", TextOf(Viewer().tree, Property(1)));
  const std::vector<std::wstring> paths = gui::ListBoxLines(ConsoleListBox());
  DoubleClick(Viewer().tree, Property(1));
  EXPECT_EQ(std::vector<std::wstring>{L"Clip 2[ ID=0x20000 ]MMOB"},
            ChildTexts(Viewer().tree, Property(1)));
  SendMessageW(ConsoleListBox(), LB_RESETCONTENT, 0, 0);

  const std::filesystem::path dump = dir.File("names.h");
  {
    std::ofstream old(dump, std::ios::binary);
    old << std::string(10000, '#');
  }
  g_answers = {dump.wstring()};
  gui::Click(Viewer().dumpButton);
  ASSERT_EQ(3u, g_asked.size());
  EXPECT_EQ(static_cast<DWORD>(OFN_HIDEREADONLY), g_asked[2].flags);
  EXPECT_EQ(std::wstring(L"Text Files \0*.h;*.txt\0", 22), std::wstring(g_asked[2].filter, 22));
  std::ifstream in(dump, std::ios::binary);
  std::stringstream written;
  written << in.rdbuf();
  EXPECT_EQ(DictionaryDumpOfFiles({first, second}), written.str());
  EXPECT_NE(std::string::npos, written.str().find("First:ClipMobs"));
  EXPECT_EQ((std::vector<std::wstring>{first.wstring(), second.wstring()}), paths);
  EXPECT_EQ(std::vector<std::wstring>{dump.wstring()}, gui::ListBoxLines(ConsoleListBox()));
}

// The OMF 2.x sample files (version-2 tables) show object 1, the OMF head, with properties
// named from each file's own dictionary; a double-click opens a file's mobs.
TEST_F(OmfViewerTest, VersionTwoSampleFilesShowTheirObjectsAndNames) {
  const char *kFiles[] = {"CDCI",    "CmplxIMA",  "Complx2x",   "DupMob2x", "Film2x",  "JPEG",
                          "ManyO2x", "Media2x",   "MkDesc2x",   "MkOMFLoc", "PrivR2x", "RGBA",
                          "rawRef",  "TstAttr2x", "TstAttrIMA", "Simple2x"};
  std::vector<std::filesystem::path> files = {RealdataFile("libomf/test.omf"),
                                              RealdataFile("aaf-sdk/vs9_Complx2x.omf")};
  for (const char *name : kFiles)
    files.push_back(RealdataFile((std::string("omfkt22/") + name + ".omf").c_str()));
  if (files.back().empty()) GTEST_SKIP() << "the real containers are not beside the repository";
  Open(std::filesystem::path());
  HWND tree = Viewer().tree;
  for (const std::filesystem::path &file : files) {
    SCOPED_TRACE(file.string());
    g_answers = {file.wstring()};
    gui::Click(Viewer().openButton);
    std::vector<HTREEITEM> root = ChildrenOf(tree, TVI_ROOT);
    ASSERT_EQ(1u, root.size());
    EXPECT_EQ(L"[ ID=0x1 ]HEAD", TextOf(tree, root[0]));
    size_t named = 0;
    for (const std::wstring &text : ChildTexts(tree, root[0]))
      named += text.rfind(L"OMFI:", 0) == 0;
    EXPECT_GE(named, 4u);
  }
  // Simple2x, the last one opened: its head's list of mobs.
  for (HTREEITEM property : ChildrenOf(tree, ChildrenOf(tree, TVI_ROOT)[0])) {
    if (TextOf(tree, property) != L"OMFI:HEAD:Mobs  ( omfi:ObjRefArray )[ext]") continue;
    DoubleClick(tree, property);
    EXPECT_EQ((std::vector<std::wstring>{L"Null Master Mob[ ID=0x100E9 ]MMOB",
                                         L"Null Master Mob[ ID=0x100F5 ]MMOB",
                                         L"Simple Composition[ ID=0x10100 ]CMOB"}),
              ChildTexts(tree, property));
    return;
  }
  ADD_FAILURE() << "no OMFI:HEAD:Mobs on Simple2x's head";
}

TEST_F(OmfViewerTest, AFileThatIsNoContainerLeavesTheTreeEmpty) {
  Open(first);
  const std::filesystem::path broken = dir.File("broken.omf");
  ASSERT_TRUE(WriteFileBytes(broken, std::vector<uint8_t>(100, 0x41)));
  g_answers = {broken.wstring()};
  gui::Click(Viewer().openButton);
  EXPECT_TRUE(ChildrenOf(Viewer().tree, TVI_ROOT).empty());
  // Cancelling the dialog changes nothing.
  gui::Click(Viewer().openButton);
  EXPECT_TRUE(ChildrenOf(Viewer().tree, TVI_ROOT).empty());
}

TEST_F(OmfViewerTest, LayoutFollowsTheWindowAndKeepsItsMinimum) {
  HWND window = Open(first);
  SetWindowPos(window, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER);
  RECT client;
  GetClientRect(window, &client);
  WINDOWINFO info{};
  info.cbSize = sizeof info;
  GetWindowInfo(window, &info);
  const int bx = static_cast<int>(info.cxWindowBorders);
  const int by = static_cast<int>(info.cyWindowBorders);
  RECT tree = gui::RectInParent(Viewer().tree);
  EXPECT_EQ(client.right - 2 * bx, tree.right - tree.left);
  EXPECT_EQ(client.bottom - 2 * by - 17, tree.bottom - tree.top);
  RECT dump = gui::RectInParent(Viewer().dumpButton);
  EXPECT_EQ(bx + 70, dump.left);
  EXPECT_EQ(client.bottom - 2 * by - 13, dump.top);
  EXPECT_EQ(170, dump.right - dump.left);

  RECT dragged = {100, 100, 200, 150};
  SendMessageW(window, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&dragged));
  EXPECT_EQ(700, dragged.right);
  EXPECT_EQ(400, dragged.bottom);
}

TEST_F(OmfViewerTest, ClosingWaitsForTheThreadToRelease) {
  Open(first);
  ASSERT_EQ(1u, g_viewerParser.open);
  CloseOmfViewer(g_shell.omfViewer);
  EXPECT_FALSE(IsWindow(g_shell.omfViewer));
  EXPECT_EQ(0u, g_viewerParser.open);
}

TEST_F(OmfViewerTest, TheMenuOpensTheFileTheCatalogueParserOpenedLast) {
  ASSERT_EQ(1, g_catalogueParser.OpenMediaFile(second.wstring().c_str()));
  g_catalogueParser.ResetParser();
  SendMessageW(g_shell.mainWindow, WM_COMMAND, 40019, 0);
  ASSERT_TRUE(IsWindow(g_shell.omfViewer));
  EXPECT_EQ(L"Second:ClipMobs  (  )[ext]", TextOf(Viewer().tree, Property(1)));
}

} // namespace
