// Version-2 tables (the byte-code stream of label major version 2) in the viewer's parser:
// generated containers in both byte orders and damaged streams.

#include "inspection/container_test.h"
#include "inspection/toc_stream.h"
#include "support/log_capture.h"

namespace {

// Per-file IDs. Two of the file's names sit on numbers that mean something else in a
// version-1 table (a mob's name, an object reference array): only names may count.
constexpr uint32_t kPropClass = 0x10000, kTypeClass = 0x10001, kPropMobs = 0x10002,
                   kTypeRefArray = 0x10003, kPropName = 0x10004, kTypeString = 0x10005,
                   kPropMobId = 0x10006, kTypeUid = 0x10007, kPropSource = 0x10008,
                   kPropVersion = 0x10009, kDecoyProp = PROP_MOB_NAME,
                   kDecoyType = TYPE_OBJECT_REF_ARRAY;
constexpr uint32_t kFirstMob = 0x20010, kSecondMob = 0x20020, kClip = 0x20030, kRefList = 0x20040,
                   kFillers = 0x20100;
constexpr uint32_t kFillerCount = 60; // enough for several 1 KiB blocks

// Words in the file's byte order; the first one a 16-bit count when count16.
std::vector<uint8_t> Numbers(bool big, std::initializer_list<uint32_t> words,
                             bool count16 = false) {
  std::vector<uint8_t> out;
  for (uint32_t w : words) PutBytes(out, w, count16 && out.empty() ? 2 : 4, big);
  return out;
}

struct Container {
  BentoWriter w;
  size_t values = 0; // value entries the table holds
};

Container MakeContainer(bool big) {
  Container c{BentoBegin(big)};
  BentoWriter &w = c.w;
  BentoAddCode(w, 1, kPropClass, kTypeClass, "HEAD");
  BentoAddStored(w, 1, kPropMobs, kTypeRefArray, Numbers(big, {2, 0x51, kSecondMob}, true));
  w.toc.back().referenceList = kRefList;
  BentoAddStored(w, 1, kPropVersion, kDecoyType, Numbers(big, {2, 2}));
  const std::pair<uint32_t, const char *> names[] = {
      {kPropClass, "OMFI:OOBJ:ObjClass"},  {kTypeClass, "omfi:ClassID"},
      {kPropMobs, "OMFI:HEAD:Mobs"},       {kTypeRefArray, "omfi:ObjRefArray"},
      {kPropName, "OMFI:MOBJ:Name"},       {kTypeString, "omfi:String"},
      {kPropMobId, "OMFI:MOBJ:MobID"},     {kTypeUid, "omfi:UID"},
      {kPropSource, "OMFI:SCLP:SourceID"}, {kPropVersion, "OMFI:HEAD:ToolkitVersion"},
      {kDecoyProp, "OMFI:MOBJ:Comment"},   {kDecoyType, "omfi:Int32Array"}};
  for (const auto &[id, name] : names) BentoAddName(w, id, name[0] == 'o', name);
  // A name in three pieces: stored, held in the stream, stored.
  BentoAddCode(w, kFirstMob, kPropClass, kTypeClass, "CMOB");
  BentoAddStored(w, kFirstMob, kDecoyProp, kTypeString, "Decoy", 6);
  BentoAddStored(w, kFirstMob, kPropName, kTypeString, "Fir", 3);
  w.toc.back().storage |= kStreamContinued;
  BentoAddImmediate(w, kFirstMob, kPropName, kTypeString, "st m", 4);
  w.toc.back().storage |= kStreamContinued;
  BentoAddStored(w, kFirstMob, kPropName, kTypeString, "ob", 3);
  w.toc.back().storage |= kStreamWide;
  BentoAddCode(w, kSecondMob, kPropClass, kTypeClass, "SMOB");
  std::vector<uint8_t> id = BentoMobId(7, 8);
  BentoAddStored(w, kSecondMob, kPropMobId, kTypeUid, id);
  BentoAddCode(w, kClip, kPropClass, kTypeClass, "SCLP");
  BentoAddStored(w, kClip, kPropSource, kTypeUid, id);
  // The second mob's key is not in the list: it is the object's ID itself.
  BentoAddStored(w, kRefList, CM_StdObjID_ObjReferences, CM_StdObjID_ObjRefData,
                 Numbers(big, {0x51, kFirstMob}));
  for (uint32_t i = 0; i < kFillerCount; ++i) {
    BentoAddCode(w, kFillers + i, kPropClass, kTypeClass, "FILL");
    BentoAddStored(w, kFillers + i, kPropName, kTypeString, "filler", 7);
  }
  c.values = w.toc.size() - 2; // the name's pieces after the first
  return c;
}

struct TocStreamTest : ContainerTest {
  TocStreamTest() : ContainerTest(1) { names = CreateNameDictionary(); }
};

TEST_F(TocStreamTest, BothByteOrdersReadWithTheFilesOwnNames) {
  // Names an earlier file gave these numbers must not show.
  AddName(names, kPropClass, reinterpret_cast<const uint8_t *>("Earlier:Name"), 12);
  for (bool big : {false, true}) {
    SCOPED_TRACE(big ? "big-endian" : "little-endian");
    const Container c = MakeContainer(big);
    std::vector<uint8_t> bytes = BentoFinishStream(c.w);
    if (big) { // the first block ends in no-operation codes instead of an end code
      size_t at = c.w.data.size() + kTocBlockUnit - 1;
      while (bytes[at] == 0xFF) --at;
      ASSERT_EQ(24, bytes[at]);
      bytes[at] = 0xFF;
    }
    LogCapture log;
    ASSERT_EQ(1, OpenNamed(bytes));
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(big ? 0u : 1u, parser->littleEndian);
    EXPECT_GT(parser->label.tocSize, 2u * kTocBlockUnit) << "the table spans several blocks";
    EXPECT_EQ(c.values, parser->entryCount);
    EXPECT_EQ(kFillerCount + 5 + 12, parser->objectCount);

    EXPECT_EQ(L"[ ID=0x1 ]HEAD", ObjectLabel(1));
    EXPECT_EQ(L"First mob[ ID=0x20010 ]CMOB", ObjectLabel(kFirstMob));
    const std::vector<ViewItem> head = Properties(1);
    ASSERT_EQ(3u, head.size());
    EXPECT_EQ(std::wstring(L"OMFI:OOBJ:ObjClass  ( omfi:ClassID )HEAD"), head[0].label);
    EXPECT_EQ(std::wstring(L"OMFI:HEAD:Mobs  ( omfi:ObjRefArray )[ext]"), head[1].label);
    EXPECT_EQ(1u, head[1].bold);
    EXPECT_EQ(0u, head[2].bold) << head[2].label;
    EXPECT_EQ((std::vector<uint32_t>{kFirstMob, kSecondMob}), Referenced(head[1].entry));
    EXPECT_TRUE(Referenced(head[2].entry).empty());
    const std::vector<ViewItem> clip = Properties(kClip);
    ASSERT_EQ(2u, clip.size());
    EXPECT_EQ((std::vector<uint32_t>{kSecondMob}), Referenced(clip[1].entry));

    const int32_t name = parser->FindProperty(parser->FirstEntryOfObject(kFirstMob), kPropName);
    ASSERT_EQ(10u, parser->ReadValue(static_cast<uint32_t>(name)));
    EXPECT_STREQ("First mob", reinterpret_cast<const char *>(parser->valueBuffer));
    EXPECT_STREQ("OMFI:HEAD:Mobs", LookupName(names, kPropMobs));
  }
  // A version-1 file opened after them reads its own values.
  BentoWriter v1 = BentoBegin();
  BentoAddCode(v1, 1, PROP_CLASS, TYPE_CLASS_ID, "MDES");
  ASSERT_EQ(1, Open(BentoFinish(v1)));
  EXPECT_EQ(L"[ ID=0x1 ]MDES", ObjectLabel(1));
}

TEST_F(TocStreamTest, DamageEndsTheTableWithWhatWasRead) {
  const Container good = MakeContainer(false);
  const size_t all = good.values;
  struct Case {
    const char *what;
    std::vector<uint8_t> bytes;
    size_t entries; // 0: fewer than all, more than none
  };
  std::vector<Case> cases;
  const int64_t cut = BentoFinishStream(good.w).size() - good.w.data.size() - 24 - 3;
  cases.push_back({"operand cut short", BentoFinishStream(good.w, {.tocSize = cut}), all - 1});
  std::vector<uint8_t> bad = BentoFinishStream(good.w);
  bad[bad.size() - 24 - 9] = 0x10; // the last value's code
  cases.push_back({"unknown code", bad, all - 1});
  Container past = MakeContainer(false);
  BentoAddEntry(past.w, 1, kPropClass, kTypeClass, 0x7FFFFFF0, 0x20, 1);
  cases.push_back({"value past the end of the file", BentoFinishStream(past.w), all});
  Container longer = MakeContainer(false); // pieces that each fit, together longer than the file
  const uint32_t piece = static_cast<uint32_t>(longer.w.data.size() - 16);
  for (int i = 0; i < 8; ++i)
    BentoAddEntry(longer.w, 1, kPropClass, kTypeClass, 16, piece,
                  1 | (i < 7 ? kStreamContinued : 0));
  cases.push_back({"value longer than the file", BentoFinishStream(longer.w), all});
  Container unfinished = MakeContainer(false);
  unfinished.w.toc.back().storage |= kStreamContinued;
  cases.push_back({"continued value not finished", BentoFinishStream(unfinished.w), all - 1});
  // A table in blocks of no size.
  cases.push_back(
      {"block end without a block size", BentoFinishStream(good.w, {.byteOrder = 0}), 0});

  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    LogCapture log;
    ASSERT_EQ(1, OpenNamed(c.bytes));
    const uint32_t n = parser->entryCount;
    EXPECT_TRUE(c.entries != 0 ? n == c.entries : n > 0 && n < all) << n;
    ASSERT_EQ(1u, log.lines.size());
    EXPECT_EQ(0u, log.lines[0].rfind(L"QEL::ReadTocStream::", 0)) << log.lines[0];
  }
  // A stream that is damaged before its first value holds no object.
  std::vector<uint8_t> nothing = BentoFinishStream(good.w);
  nothing[good.w.data.size()] = 0x30;
  LogCapture log;
  EXPECT_EQ(0, OpenNamed(nothing));
  EXPECT_EQ(0u, parser->open);
}

} // namespace
