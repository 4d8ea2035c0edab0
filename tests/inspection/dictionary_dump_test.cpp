// The name dictionary that the viewer builds from the files it opens (the first name of an
// ID kept, long names cut), and its dump byte for byte: the standard names, then the files'
// own names in ascending ID order, long names written whole, one write per line.
#include <gtest/gtest.h>

#include <string>

#include "inspection/container_test.h"
#include "inspection/dictionary_dump.h"
#include "support/dictionary_text.h"

namespace {

// The line of one name as a header file shows it; id8 is the ID as the file must hold it.
std::string Define(const std::string &name, const char *id8) {
  std::string padded = name;
  if (padded.size() < 35) padded.resize(35, ' ');
  return "#define \t " + padded + " \t\t " + id8 + "\n";
}

std::vector<uint8_t> Container(const std::vector<std::pair<uint32_t, std::string>> &names) {
  BentoWriter w = HeadContainer();
  for (const auto &[id, name] : names) BentoAddName(w, id, id == TYPE_STRING, name);
  return BentoFinish(w);
}

using DictionaryDump = ContainerTest;

TEST_F(DictionaryDump, FirstNamesOfTheFilesAfterTheStandardNamesInIdOrder) {
  EXPECT_EQ("", DictionaryDumpText(nullptr));
  const std::string forty(40, 'N');
  ASSERT_EQ(1, OpenNamed(Container({{0x10010, "First:Name"},
                                    {0x10011, std::string(300, 'x')},
                                    {CM_StdObjID_TOC, "NotTheStandardName"},
                                    {PROP_MOB_NAME, "OMFI:MOBJ:Name"},
                                    {0x10001, forty}})));
  ASSERT_EQ(1, OpenNamed(Container({{0x10010, "Second:Name"}, {TYPE_STRING, "omfi:String"}})));
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
}

TEST(DictionaryDumpLine, TheLongestNameAndIdFillTheLine) {
  char line[kDefineLineChars];
  const std::string longest(kNameChars - 1, 'z');
  EXPECT_EQ(10u + longest.size() + 4 + 10 + 1, FormatDefineLine(0xFFFFFFFF, longest.c_str(), line));
  EXPECT_EQ("#define \t " + longest + " \t\t 0XFFFFFFFF\n", line);
}

} // namespace
