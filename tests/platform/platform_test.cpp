// The platform layer as the core sees it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cwctype>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/scratch_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using platform::kPathBufferChars;
using platform::kPathSeparator;

// The path with '/' written as this system's separator.
std::wstring P(std::wstring path) {
  for (wchar_t &c : path) c = c == L'/' ? kPathSeparator : c;
  return path;
}

TEST(Paths, NameExtensionAndFolderOfAPath) {
  const struct {
    const wchar_t *path, *name, *extension, *folder;
  } cases[] = {
      {L"a/b/c.omf", L"c.omf", L".omf", L"a/b"},  {L"a/b.d/c", L"c", L"", L"a/b.d"},
      {L"a/x.tar.gz", L"x.tar.gz", L".gz", L"a"}, {L"a/b.c d", L"b.c d", L"", L"a"}, // no blank
      {L"c.pmr", L"c.pmr", L".pmr", L""},
  };
  for (const auto &c : cases) {
    std::wstring path = P(c.path);
    EXPECT_EQ(P(c.name), platform::FileNameOf(path.c_str())) << c.path;
    EXPECT_EQ(c.extension, std::wstring(platform::ExtensionOf(path.c_str()))) << c.path;
    platform::RemoveFileName(path.data());
    EXPECT_EQ(P(c.folder), path.c_str()) << c.path;
  }
}

TEST(Paths, JoinFillsTheBufferToItsLastCharacterAndRefusesOneMore) {
  const std::wstring folder = P(L"a/b");
  for (size_t tail : {kPathBufferChars - folder.size() - 2, kPathBufferChars - folder.size() - 1}) {
    wchar_t path[kPathBufferChars] = {};
    folder.copy(path, folder.size());
    const std::wstring more = std::wstring(1, kPathSeparator) + std::wstring(tail, L'n');
    const bool fits = folder.size() + 1 + tail < kPathBufferChars;
    EXPECT_EQ(fits ? 1 : 0, platform::PathJoin(path, more.c_str())) << tail;
    EXPECT_EQ(fits ? folder + more : folder, path) << tail;
  }
  wchar_t path[kPathBufferChars] = L"";
  EXPECT_EQ(1, platform::PathJoin(path, L"x"));
  EXPECT_STREQ(L"x", path) << "no separator in front of the first name";
}

// A buffer too small by one character is refused with the size to ask again with, and that
// size is enough. The buffers are exactly as large as given, so a write past them is caught.
TEST(Paths, CurrentFolderAndDriveRootsTellTheSizeToAskAgainWith) {
  std::vector<wchar_t> large(4 * kPathBufferChars);
  const uint32_t length = platform::GetCurrentFolder(large.data(), 4 * kPathBufferChars);
  ASSERT_GT(length, 0u);
  std::vector<wchar_t> exact(length), enough(length + 1);
  EXPECT_EQ(length + 1, platform::GetCurrentFolder(exact.data(), length));
  EXPECT_EQ(length, platform::GetCurrentFolder(enough.data(), length + 1));
  EXPECT_EQ(std::wstring(large.data()), enough.data());

  const uint32_t asked = platform::GetDriveRoots(nullptr, 0);
  ASSERT_GT(asked, 1u);
  for (uint32_t chars = asked - 1; chars <= asked + 1; ++chars) {
    std::vector<wchar_t> roots(chars, L'#');
    const uint32_t got = platform::GetDriveRoots(roots.data(), chars);
    if (got >= chars) {
      EXPECT_LE(got, asked) << chars;
      EXPECT_EQ(std::wstring(chars, L'#'), std::wstring(roots.data(), chars)) << chars;
      continue;
    }
    EXPECT_EQ(chars, asked + 1) << "the size asked for is enough";
    EXPECT_EQ(std::wstring(1, kPathSeparator) + L'\0' + L'\0', std::wstring(&roots[got - 2], 3))
        << "each root ends with a separator";
  }
}

#ifndef _WIN32
// What the POSIX file layer agrees to open for reading: regular files (also through a link)
// and nothing else, so that a FIFO named like an index file cannot block a read forever.
TEST(OpenFileForReading, OnlyRegularFilesOpen) {
  ScratchDir dir;
  ASSERT_TRUE(WriteFileBytes(dir.File("file.pmr"), "pmr", 3));
  std::filesystem::create_directory(dir.File("folder.pmr"));
  std::filesystem::create_symlink("file.pmr", dir.File("link.pmr"));
  ASSERT_EQ(0, mkfifo(dir.File("fifo.pmr").c_str(), 0600));
  const char *names[] = {"file.pmr", "link.pmr", "folder.pmr", "fifo.pmr", "missing.pmr"};
  for (int i = 0; i < 5; ++i) { // the first two open
    platform::FileHandle file = platform::OpenFileForReading(dir.File(names[i]).wstring().c_str());
    EXPECT_EQ(i < 2, file != platform::kInvalidFile) << names[i];
    platform::CloseFile(file);
  }
}

// A volume's root is the top of the path's own device, "/" at the latest; a rename between
// two devices must copy.
TEST(Volumes, RootsEndAtTheDeviceAndRenamesStayOnOne) {
  const platform::FileCalls system = platform::SystemFileCalls();
  wchar_t root[kPathBufferChars];
  for (auto [path, want] : {std::pair{L"/", L"/"}, {L"/proc/self/fd", L"/proc/"}}) {
    EXPECT_EQ(1, system.volumeRoot(path, root)) << path;
    EXPECT_STREQ(want, root);
  }
  EXPECT_EQ(1, system.sameVolume(L"/tmp", L"/tmp/no/such/file"));
  EXPECT_EQ(0, system.sameVolume(L"/tmp", L"/proc/self"));
}

// A copy makes or replaces its target, but never replaces a read-only one, as CopyFileEx does
// on Windows (where Wine, run by root, lets it through).
TEST(FileCalls, CopyReplacesATargetUnlessItIsReadOnly) {
  ScratchDir dir;
  const platform::FileCalls system = platform::SystemFileCalls();
  ASSERT_TRUE(WriteFileBytes(dir.File("new.omf"), "new", 3));
  ASSERT_TRUE(WriteFileBytes(dir.File("old.omf"), "old", 3));
  const std::wstring from = dir.File("new.omf").wstring(), to = dir.File("old.omf").wstring();
  uint32_t error = 0;
  EXPECT_EQ(1, system.copyFile(from.c_str(), dir.File("made.omf").wstring().c_str(), nullptr,
                               nullptr, &error));
  ASSERT_EQ(1, system.setAttributes(to.c_str(), platform::kAttributeReadOnly, &error));
  EXPECT_EQ(0, system.copyFile(from.c_str(), to.c_str(), nullptr, nullptr, &error));
  EXPECT_EQ("old", ReadFileBytes(dir.File("old.omf")));
  ASSERT_EQ(1, system.setAttributes(to.c_str(), platform::kAttributeArchive, &error));
  EXPECT_EQ(1, system.copyFile(from.c_str(), to.c_str(), nullptr, nullptr, &error));
  EXPECT_EQ("new", ReadFileBytes(dir.File("old.omf")));
  EXPECT_EQ("new", ReadFileBytes(dir.File("made.omf")));
}
#endif

// The Windows wildcard rules that every folder listing applies, the same on every system.
TEST(Wildcard, PatternsOfTheWalksSelectWhatWindowsSelects) {
  const struct {
    const wchar_t *pattern;
    std::vector<const wchar_t *> matching, other;
  } cases[] = {
      // An extension of at most two characters, or none (Avid's "MXF" and "1").
      {L"*.??",
       {L"1", L"MXF", L"OMFI MediaFiles", L"a.b", L"Disk.01", L"x.y.zz"},
       {L"Long.abc", L"a.b.cde"}},
      // The extension in any case, and nothing longer.
      {L"*.pmr", {L"msmFMID.pmr", L"B.PMR", L"a.b.pmr"}, {L"a.pmrx", L"pmr"}},
      {L"*.*", {L"clip.omf", L"README", L"."}, {}},    // everything, with a dot or without
      {L"clip.*", {L"clip", L"clip.omf"}, {L"clips"}}, // a dot before '*' or the end
  };
  for (const auto &c : cases) {
    for (int matches : {1, 0}) {
      for (const wchar_t *name : matches ? c.matching : c.other)
        EXPECT_EQ(matches, platform::MatchesWildcard(name, c.pattern))
            << testing::PrintToString(std::wstring(c.pattern) + L" " + name);
    }
  }
  platform::FindData found;
  EXPECT_EQ(platform::kInvalidFind, platform::FindFirst(L".", nullptr, 0, &found)) << "no pattern";
}

// File names compare without regard to case, project names with it (both orders consistent,
// so the trees built on them stay ordered).
TEST(TextCompare, IgnoringCaseTreatsLettersAlikeAndWithCaseKeepsSpellingsApart) {
  EXPECT_EQ(platform::CompareNoCase(L"A001C002.MXF", L"a001c002.mxf"), 0);
  EXPECT_LT(platform::CompareNoCase(L"abc", L"ABD"), 0);
  EXPECT_GT(platform::CompareNoCase(L"b", L"A"), 0);
  EXPECT_LT(platform::CompareNoCase(L"ab", L"abc"), 0);
  EXPECT_EQ(platform::CompareCase(L"Demo", L"Demo"), 0);
  EXPECT_EQ(platform::CompareCase(L"Demo", L"demo"), -platform::CompareCase(L"demo", L"Demo"));
  EXPECT_NE(platform::CompareCase(L"Demo", L"demo"), 0);
  EXPECT_LT(platform::CompareCase(L"Dem", L"Demo"), 0);
#ifndef _WIN32
  // Every pair of characters orders as towlower folds them, ASCII or not.
  std::vector<wchar_t> all = {L'\u00C9', L'\u00E9', L'\u0130', L'\u0131', L'\u212A', L'\uFFFD'};
  for (wchar_t c = 1; c < 0x80; ++c) all.push_back(c);
  for (wchar_t x : all) {
    for (wchar_t y : all) {
      const wchar_t a[] = {L'n', x, 0}, b[] = {L'n', y, 0};
      const wint_t fx = std::towlower(static_cast<wint_t>(x)),
                   fy = std::towlower(static_cast<wint_t>(y));
      EXPECT_EQ(fx == fy ? 0 : (fx < fy ? -1 : 1), platform::CompareNoCase(a, b))
          << +x << " " << +y;
    }
  }
#endif
}

// "aé€", U+10000 and U+10FFFF: one to four UTF-8 bytes; the last two are surrogate pairs on
// Windows, with the lowest low half and the highest high half there are.
const char kUtf8[] = "a\xC3\xA9\xE2\x82\xAC\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
const wchar_t *const kWide = L"a\u00E9\u20AC\U00010000\U0010FFFF";

TEST(TextUtf8, RoundTripsEveryWidthKeepsWholeCharactersAndReplacesMalformedInput) {
  char utf8[32];
  EXPECT_EQ(platform::WideToUtf8(kWide, utf8, sizeof utf8), 14u);
  EXPECT_STREQ(utf8, kUtf8);
  wchar_t wide[16];
  EXPECT_EQ(platform::Utf8ToWide(kUtf8, wide, 16), std::wcslen(kWide));
  EXPECT_STREQ(wide, kWide);
  // Room for "aé" and 2 bytes of the euro sign, which must not be split.
  EXPECT_EQ(platform::WideToUtf8(kWide, utf8, 6), 14u);
  EXPECT_STREQ(utf8, "a\xC3\xA9");
  EXPECT_EQ(platform::WideToUtf8(kWide, nullptr, 0), 14u);
  EXPECT_EQ(platform::Utf8ToWide(kUtf8, wide, 2), std::wcslen(kWide));
  EXPECT_STREQ(wide, L"a");
  // A stray continuation byte, an overlong "/", a cut-off sequence at the end; a lone half.
  platform::Utf8ToWide("x\x80y\xC0\xAFz\xE2\x82", wide, 16);
  EXPECT_STREQ(wide, L"x\uFFFDy\uFFFD\uFFFDz\uFFFD\uFFFD");
  const wchar_t lone[] = {L'a', static_cast<wchar_t>(0xD800), L'b', 0};
  platform::WideToUtf8(lone, utf8, sizeof utf8);
  EXPECT_STREQ(utf8, "a\xEF\xBF\xBD"
                     "b");
}

// A table is whole to its last byte at every size around the large-page boundary, and goes
// back with std::free.
TEST(AllocateTable, GivesTheWholeSizeAroundTheLargePageBoundary) {
  constexpr size_t kLargePage = size_t{2} << 20;
  for (size_t size : {size_t{1}, kLargePage - 1, kLargePage, kLargePage + 1}) {
    uint8_t *table = static_cast<uint8_t *>(platform::AllocateTable(size));
    ASSERT_NE(table, nullptr) << size;
    table[0] = 1;
    table[size - 1] = 2;
    EXPECT_EQ(table[0] + table[size - 1], size == 1 ? 4 : 3) << size;
    std::free(table);
  }
}

} // namespace
