// Path texts and the system's size answers: a result that exactly fits its buffer, and the
// size a caller must ask again with when it does not.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"

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

} // namespace
