// The dictionary dump, byte for byte: the standard names, then the containers' own names in
// ascending ID order, the first name of an ID kept, long names written whole.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "inspection/bento_constants.h"
#include "inspection/container_files.h"
#include "inspection/dictionary_dump.h"
#include "support/bento_writer.h"
#include "support/dictionary_text.h"
#include "support/realdata.h"

namespace {

// The line of one name as a header file shows it; id8 is the ID as the file must hold it.
std::string Define(const std::string &name, const char *id8) {
  std::string padded = name;
  if (padded.size() < 35) padded.resize(35, ' ');
  return "#define \t " + padded + " \t\t " + id8 + "\n";
}

// The dump's text; *calls counts the writes (one per line).
std::string Dump(NameDictionary *names, size_t *calls) {
  *calls = 0;
  WriteDictionaryDump(
      names, [](void *context, const char *, uint32_t) { ++*static_cast<size_t *>(context); },
      calls);
  return DictionaryDumpText(names);
}

struct DictionaryDumpTest : ::testing::Test {
  ContainerFiles files;
  std::unique_ptr<MediaFileParser> parser = std::make_unique<MediaFileParser>();
  NameDictionary *names = nullptr;
  ~DictionaryDumpTest() override { DestroyNameDictionary(names); }

  void Open(const BentoWriter &w) {
    ASSERT_EQ(1, files.Open(*parser, BentoFinish(w)));
    BuildNameDictionary(*parser, &names);
  }
};

constexpr char kHead[] = "#pragma once\n\n";
constexpr char kTail[] = "//END OF FILE\n\n";

TEST_F(DictionaryDumpTest, StandardNamesOnly) {
  BentoWriter w = BentoBegin();
  BentoAddCode(w, 1, PROP_CLASS, TYPE_CLASS_ID, "HEAD");
  Open(w);
  size_t calls = 0;
  const std::string text = Dump(names, &calls);
  EXPECT_EQ(2u + kStandardNameCount, calls) << "one write per line";
  ASSERT_EQ(0u, text.find(std::string(kHead) + Define("CM_StdObjID_TOC", " 0X00001") +
                          Define("CM_StdObjID_TOC_Seed", " 0X00002")));
  const std::string end = Define("CM_StdObjID_16BitImmValue", " 0X00029") +
                          Define("CM_StdObjID_8BitImmValue", " 0X0002A") + kTail;
  ASSERT_GE(text.size(), end.size());
  EXPECT_EQ(end, text.substr(text.size() - end.size()));
  EXPECT_EQ(std::string::npos, text.find('\r'));
}

TEST_F(DictionaryDumpTest, NamesOfTwoFilesInIdOrder) {
  const std::string forty(40, 'N');
  BentoWriter first = BentoBegin();
  BentoAddCode(first, 1, PROP_CLASS, TYPE_CLASS_ID, "HEAD");
  BentoAddName(first, PROP_MOB_NAME, false, "OMFI:MOBJ:Name");
  BentoAddName(first, 0x10001, true, forty);
  Open(first);
  BentoWriter second = BentoBegin();
  BentoAddCode(second, 1, PROP_CLASS, TYPE_CLASS_ID, "HEAD");
  BentoAddName(second, PROP_MOB_NAME, false, "Later:Name");
  BentoAddName(second, TYPE_STRING, true, "omfi:String");
  Open(second);

  const std::string text = DictionaryDumpText(names);
  const std::string own = "#define \t " + forty + " \t\t  0X10001\n" +
                          Define("omfi:String", " 0X10090") + Define("OMFI:MOBJ:Name", " 0X1029D") +
                          kTail;
  ASSERT_GE(text.size(), own.size());
  EXPECT_EQ(own, text.substr(text.size() - own.size()));
  EXPECT_EQ(std::string::npos, text.find("Later:Name"));
}

TEST(DictionaryDump, NothingWithoutADictionary) {
  EXPECT_EQ("", DictionaryDumpText(nullptr));
  char line[kDefineLineChars];
  const std::string longest(kNameChars - 1, 'z');
  EXPECT_EQ(10u + longest.size() + 4 + 10 + 1, FormatDefineLine(0xFFFFFFFF, longest.c_str(), line));
  EXPECT_EQ("#define \t " + longest + " \t\t 0XFFFFFFFF\n", line);
}

// The names of a real container: each define line lists a name that the container holds.
TEST(DictionaryDumpRealData, VersionOneContainerDumps) {
  const std::filesystem::path file = RealdataFile("omfkt22/Simple1x.omf");
  if (file.empty()) GTEST_SKIP() << "the real containers are not beside the repository";
  auto parser = std::make_unique<MediaFileParser>();
  ASSERT_EQ(1, parser->OpenMediaFile(file.wstring().c_str()));
  NameDictionary *names = nullptr;
  BuildNameDictionary(*parser, &names);
  const std::string text = DictionaryDumpText(names);
  DestroyNameDictionary(names);
  EXPECT_NE(std::string::npos, text.find(Define("OMFI:ObjID", " 0X10000")));
  EXPECT_EQ(0u, text.find(kHead));
  EXPECT_EQ(text.size() - (sizeof kTail - 1), text.rfind(kTail));
}

} // namespace
