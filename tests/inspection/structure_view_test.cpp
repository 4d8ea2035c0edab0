// The structure viewer's window-free logic: item labels, the objects behind references,
// hex dump lines; the name dictionary that the viewer builds from the files it opens (the
// first name of an ID kept, long names cut), and its dump byte for byte: the standard names,
// then the files' own names in ascending ID order, long names written whole, one write per
// line.

#include <algorithm>

#include "inspection/container_test.h"
#include "inspection/dictionary_dump.h"
#include "support/dictionary_text.h"

namespace {

constexpr uint32_t kMob = 0x20000;
constexpr uint32_t kLocator = 0x20001;
constexpr uint32_t kUnnamedType = 0x10500;
constexpr uint32_t kPropData = 0x10600;

std::vector<std::wstring> Lines(MediaFileParser &parser, int32_t entry) {
  std::vector<std::wstring> lines;
  DumpEntryLines(
      parser, entry,
      [](void *context, const wchar_t *line) {
        static_cast<std::vector<std::wstring> *>(context)->push_back(line);
      },
      &lines);
  return lines;
}

struct StructureViewTest : ContainerTest {
  using ContainerTest::Open;
  // Object 1 with references of each kind, a named mob and an unnamed locator.
  BentoWriter Container() {
    BentoWriter w = HeadContainer();
    BentoAddStored(w, 1, PROP_CLIP_MOB_LIST, TYPE_MOB_INDEX_LIST,
                   BentoMobList(w, {{7, 8, kMob}, {9, 9, 0x29999}}));
    BentoAddStored(w, 1, PROP_SOURCE_MOB_LIST, TYPE_MOB_INDEX_LIST,
                   BentoMobList(w, {{7, 8, kLocator}}));
    BentoAddStored(w, 1, 0x10700, TYPE_UID, BentoMobId(7, 8));
    BentoAddName(w, PROP_MOB_NAME, false, "OMFI:MOBJ:Name");
    BentoAddName(w, PROP_CLASS, false, "OMFI:OOBJ:ObjClass");
    BentoAddName(w, TYPE_STRING, true, "omfi:String");
    BentoAddName(w, TYPE_CLASS_ID, true, "omfi:ClassID");
    BentoAddName(w, TYPE_OBJECT_REF_ARRAY, true, "omfi:ObjRefArray");
    BentoAddCode(w, kMob, PROP_CLASS, TYPE_CLASS_ID, "MDES");
    BentoAddStored(w, kMob, PROP_MOB_NAME, TYPE_STRING, "Clip 1", 7);
    BentoAddEntry(w, kMob, kPropData, kUnnamedType, 7, 4, 0);
    // Three elements announced, two held.
    std::vector<uint8_t> refs = BentoRefArray(w, {kLocator, 0x2FFFF, kMob});
    refs.resize(2 + 2 * 8);
    BentoAddStored(w, kMob, PROP_MOB_SLOTS, TYPE_OBJECT_REF_ARRAY, refs);
    std::vector<uint8_t> twenty(20);
    for (size_t i = 0; i < twenty.size(); ++i) twenty[i] = static_cast<uint8_t>(0x10 + i);
    BentoAddStored(w, kMob, kPropData, kUnnamedType, twenty);
    BentoAddCode(w, kLocator, PROP_CLASS, TYPE_CLASS_ID, "WINL");
    BentoAddEntry(w, kLocator, PROP_MOB_DESCRIPTOR, TYPE_OBJECT_REF, kMob, 4, 0);
    return w;
  }

  void Open(const BentoWriter &w) {
    ASSERT_EQ(1, OpenNamed(BentoFinish(w)));
    ASSERT_NE(nullptr, names);
  }
};

TEST_F(StructureViewTest, ItemLabelsAndTheObjectsBehindReferences) {
  Open(Container());
  ViewItem item;
  ASSERT_EQ(1, MakeObjectItem(*parser, kMob, &item));
  EXPECT_EQ(std::wstring(L"Clip 1[ ID=0x20000 ]MDES"), item.label);
  EXPECT_EQ(kObjectItem, item.entry);
  EXPECT_EQ(1u, item.bold);
  EXPECT_EQ(L"[ ID=0x20001 ]WINL", ObjectLabel(kLocator));
  EXPECT_EQ(L"[ ID=0x1 ]HEAD", ObjectLabel(1));
  EXPECT_EQ(0, MakeObjectItem(*parser, 0x2FFFF, &item)) << "a reference to a missing object";

  std::vector<ViewItem> items = Properties(kMob);
  ASSERT_EQ(5u, items.size());
  wchar_t stored[64];
  std::swprintf(stored, 64, L"(  )[ext]=[ off 0x%X :len 0x14 ]",
                parser->GetEntry(static_cast<uint32_t>(items[4].entry)).value);
  // The third: neither the property nor the type has a name.
  const wchar_t *labels[] = {L"OMFI:OOBJ:ObjClass  ( omfi:ClassID )MDES",
                             L"OMFI:MOBJ:Name  ( omfi:String )[ext] \"Clip 1\"",
                             L"(  )=[ val 0x7 :len 0x4 ]", L"( omfi:ObjRefArray )[ext]", stored};
  const int32_t mob = parser->FirstEntryOfObject(kMob);
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(std::wstring(labels[i]), items[i].label);
    EXPECT_EQ(mob + static_cast<int32_t>(i), items[i].entry);
    EXPECT_EQ(i == 3 ? 1u : 0u, items[i].bold) << i; // the reference array
  }
  EXPECT_TRUE(Properties(0x2FFFF).empty());
  NameDictionary *kept = names; // without a dictionary nothing is shown
  names = nullptr;
  EXPECT_TRUE(Properties(kMob).empty());
  names = kept;

  // Only the two elements that the value holds, the missing object among them.
  EXPECT_EQ((std::vector<uint32_t>{kLocator, 0x2FFFF}), Referenced(mob + 3));
  EXPECT_EQ((std::vector<uint32_t>{kMob, 0x29999}), Referenced(1));
  EXPECT_EQ(std::vector<uint32_t>{kMob}, Referenced(parser->FirstEntryOfObject(kLocator) + 1));
  // A UID found in both the clip and the source mob index gives both objects.
  EXPECT_EQ((std::vector<uint32_t>{kMob, kLocator}), Referenced(3));
  // Not references, or nothing to read.
  for (int32_t entry : {mob + 1, -1, 100000}) EXPECT_TRUE(Referenced(entry).empty()) << entry;
}

// The whole tree as orvalis-cli prints it, indented by depth: siblings sorted by label without
// regard to case, an object's references followed where it first appears only.
TEST_F(StructureViewTest, TreeFollowsEachObjectOnceAndSortsSiblings) {
  Open(Container());
  auto walk = [&](uint32_t maxDepth, size_t stopAfter) {
    struct Walk {
      std::vector<std::wstring> lines;
      size_t stopAfter;
    } w{{}, stopAfter};
    WalkStructureTree(
        *parser, names, maxDepth,
        [](void *context, uint32_t depth, const ViewItem &item) {
          auto &w = *static_cast<Walk *>(context);
          w.lines.push_back(std::wstring(depth, L' ') + item.label);
          return w.lines.size() < w.stopAfter;
        },
        &w);
    return w.lines;
  };
  const std::vector<std::wstring> all = walk(UINT32_MAX, SIZE_MAX);
  ASSERT_EQ(32u, all.size());
  size_t deepest = 0, mob = 0;
  for (const std::wstring &line : all) {
    deepest = std::max(deepest, line.find_first_not_of(L' '));
    mob += line.find(L"Clip 1[ ID=0x20000 ]MDES") != std::wstring::npos;
  }
  EXPECT_EQ(3u, mob);
  EXPECT_EQ(7u, deepest) << "the mob met again under the locator follows nothing";
  // The UID's two objects, by label without regard to case: '[' before 'c'.
  EXPECT_EQ(L"  [ ID=0x20001 ]WINL", all[23]);
  EXPECT_EQ(L"  Clip 1[ ID=0x20000 ]MDES", all[26]);
  EXPECT_EQ(1u, walk(0, SIZE_MAX).size());
  EXPECT_EQ(5u, walk(1, SIZE_MAX).size());
  EXPECT_EQ(4u, walk(UINT32_MAX, 4).size()) << "the sink stops the walk";
}

TEST_F(StructureViewTest, DumpOfAStoredValueOfTwentyBytes) {
  Open(Container());
  const int32_t entry = parser->FirstEntryOfObject(kMob) + 4;
  std::vector<std::wstring> lines = Lines(*parser, entry);
  ASSERT_EQ(7u, lines.size());
  EXPECT_EQ(L"-----------------------TOC hex dump-----------------------", lines[0]);
  EXPECT_EQ(0u, lines[1].rfind(L"| 00 00 02 00  00 06 01 00  00 05 01 00 ", 0)) << lines[1];
  EXPECT_EQ(L"| 14 00 00 00  01 00 00 00  " + std::wstring(26, L' ') + L"| .... .... " +
                std::wstring(10, L' ') + L"|",
            lines[2]);
  EXPECT_EQ(L"-----------------------Ext obj dump-----------------------", lines[3]);
  // Bytes 0 to 30 show as dots, 31 and above as characters.
  EXPECT_EQ(L"| 10 11 12 13  14 15 16 17  18 19 1A 1B  1C 1D 1E 1F  | .... .... .... ...\x1F |",
            lines[4]);
  EXPECT_EQ(L"| 20 21 22 23  " + std::wstring(39, L' ') + L"|  !\"# " + std::wstring(15, L' ') +
                L"|",
            lines[5]);
  EXPECT_EQ(L"-----------------------End hex dump-----------------------", lines[6]);

  // An immediate entry dumps its 24 bytes only; an object item dumps nothing.
  EXPECT_EQ(4u, Lines(*parser, entry - 2).size());
  EXPECT_TRUE(Lines(*parser, kObjectItem).empty());
}

TEST_F(StructureViewTest, NothingWithoutEntries) {
  BentoWriter w = HeadContainer();
  BentoLabel other;
  other.majorVersion = 3; // opened without entries
  ASSERT_EQ(1, Open(BentoFinish(w, other)));
  BuildNameDictionary(*parser, &names);
  EXPECT_EQ(kStandardNameCount, names->count);
  ViewItem item;
  EXPECT_EQ(0, MakeObjectItem(*parser, 1, &item));
  EXPECT_TRUE(Properties(1).empty());
  EXPECT_TRUE(Lines(*parser, 0).empty());
}

// A label longer than its buffer ends at the buffer's last character.
TEST_F(StructureViewTest, LongNamesCutTheLabelAtTheBuffersEnd) {
  BentoWriter w = HeadContainer();
  BentoAddEntry(w, 1, 0x10800, 0x10801, 7, 4, 0);
  BentoAddName(w, 0x10800, false, std::string(300, 'p'));
  BentoAddName(w, 0x10801, true, std::string(300, 't'));
  Open(w);
  EXPECT_EQ(kViewLabelChars - 1, std::wcslen(Properties(1).at(1).label));
}

// ---- The name dictionary and its dump ----

// The line of one name as a header file shows it; id8 is the ID as the file must hold it.
std::string Define(const std::string &name, const char *id8) {
  std::string padded = name;
  if (padded.size() < 35) padded.resize(35, ' ');
  return "#define \t " + padded + " \t\t " + id8 + "\n";
}

std::vector<uint8_t> NamedContainer(const std::vector<std::pair<uint32_t, std::string>> &names) {
  BentoWriter w = HeadContainer();
  for (const auto &[id, name] : names) BentoAddName(w, id, id == TYPE_STRING, name);
  return BentoFinish(w);
}

using DictionaryDump = ContainerTest;

TEST_F(DictionaryDump, FirstNamesOfTheFilesAfterTheStandardNamesInIdOrder) {
  EXPECT_EQ("", DictionaryDumpText(nullptr));
  const std::string forty(40, 'N');
  ASSERT_EQ(1, OpenNamed(NamedContainer({{0x10010, "First:Name"},
                                         {0x10011, std::string(300, 'x')},
                                         {CM_StdObjID_TOC, "NotTheStandardName"},
                                         {PROP_MOB_NAME, "OMFI:MOBJ:Name"},
                                         {0x10001, forty}})));
  ASSERT_EQ(1, OpenNamed(NamedContainer({{0x10010, "Second:Name"}, {TYPE_STRING, "omfi:String"}})));
  EXPECT_STREQ("First:Name", LookupName(names, 0x10010));
  EXPECT_EQ(std::string(259, 'x'), LookupName(names, 0x10011));
  EXPECT_STREQ("CM_StdObjID_TOC", LookupName(names, CM_StdObjID_TOC));
  EXPECT_EQ(nullptr, LookupName(names, 0x10012));
  EXPECT_EQ(kStandardNameCount + 5, names->count);

  size_t calls = 0;
  WriteDictionaryDump(
      names, [](void *context, const char *, uint32_t) { ++*static_cast<size_t *>(context); },
      &calls);
  EXPECT_EQ(2u + names->count, calls) << "one write per line";
  const std::string text = DictionaryDumpText(names);
  EXPECT_EQ(0u, text.find("#pragma once\n\n" + Define("CM_StdObjID_TOC", " 0X00001") +
                          Define("CM_StdObjID_TOC_Seed", " 0X00002")));
  const std::string tail = Define("CM_StdObjID_8BitImmValue", " 0X0002A") + "#define \t " + forty +
                           " \t\t  0X10001\n" + Define("First:Name", " 0X10010") + "#define \t " +
                           std::string(259, 'x') + " \t\t  0X10011\n" +
                           Define("omfi:String", " 0X10090") +
                           Define("OMFI:MOBJ:Name", " 0X1029D") + "//END OF FILE\n\n";
  EXPECT_EQ(text.size() - tail.size(), text.rfind(tail));
  EXPECT_EQ(std::string::npos, text.find('\r'));
  AddName(names, 0x10012, reinterpret_cast<const uint8_t *>("Cut:Here"), 3); // no terminator
  EXPECT_STREQ("Cut", LookupName(names, 0x10012));
}

TEST(DictionaryDumpLine, TheLongestNameAndIdFillTheLine) {
  char line[kDefineLineChars];
  const std::string longest(kNameChars - 1, 'z');
  EXPECT_EQ(10u + longest.size() + 4 + 10 + 1, FormatDefineLine(0xFFFFFFFF, longest.c_str(), line));
  EXPECT_EQ("#define \t " + longest + " \t\t 0XFFFFFFFF\n", line);
}

} // namespace
