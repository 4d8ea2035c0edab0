// The reader's window rules, observed from outside: bytes are overwritten on disk while the
// file is open (the reader shares write access), so a byte served from the window keeps
// its old value and a byte fetched by a fresh system read shows the new one.
#include <gtest/gtest.h>

#include <fstream>

#include "formats/buffered_file_reader.h"
#include "support/scratch_dir.h"

namespace {

constexpr uint32_t kFileSize = 10000;
constexpr uint8_t kChanged = 0xEE; // never produced by Pattern's low bits at the offsets used

uint8_t Pattern(uint64_t offset) {
  return static_cast<uint8_t>((offset * 7 + offset / 251) & 0x7F);
}

class ReaderTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_FALSE(scratch.path.empty());
    file = scratch.File("data.bin");
    std::vector<uint8_t> bytes(kFileSize);
    for (uint32_t i = 0; i < kFileSize; ++i) bytes[i] = Pattern(i);
    ASSERT_TRUE(WriteFileBytes(file, bytes));
    ASSERT_EQ(reader.Open(file.wstring().c_str()), 1);
  }

  // Changes bytes on disk behind the open reader.
  void Overwrite(uint64_t offset, uint32_t count) {
    std::fstream out(file, std::ios::in | std::ios::out | std::ios::binary);
    out.seekp(static_cast<std::streamoff>(offset));
    std::vector<char> changed(count, static_cast<char>(kChanged));
    out.write(changed.data(), count);
    ASSERT_TRUE(out.flush());
  }

  // Reads count bytes and checks that they are the pattern from offset on, except for the
  // ones in [changedFrom, changedTo), which must show the overwritten value.
  void ExpectRead(uint32_t count, uint64_t offset, uint64_t changedFrom = 0,
                  uint64_t changedTo = 0) {
    std::vector<uint8_t> got(count, 0);
    ASSERT_EQ(reader.Read(got.data(), count), count);
    for (uint32_t i = 0; i < count; ++i) {
      uint64_t at = offset + i;
      uint8_t want = at >= changedFrom && at < changedTo ? kChanged : Pattern(at);
      ASSERT_EQ(got[i], want) << "byte " << at;
    }
    EXPECT_EQ(reader.Tell(), offset + count);
  }

  ScratchDir scratch;
  std::filesystem::path file;
  BufferedFileReader reader;
};

TEST_F(ReaderTest, SmallReadsShareOneSystemRead) {
  ExpectRead(2, 0);
  Overwrite(0, 2048);
  ExpectRead(2, 2); // from the window filled by the first read
  reader.Seek(2046, SEEK_FROM_START);
  ExpectRead(2, 2046); // still buffered, and it ends exactly at the window's end
  EXPECT_EQ(reader.bufferStale, 1u);
  EXPECT_EQ(reader.windowStart, 2048u);
  Overwrite(2048, 4);
  ExpectRead(4, 2048, 2048, 2052); // a fresh window sees the disk
}

TEST_F(ReaderTest, ReadStraddlingTheWindowEndJoinsBufferedAndFreshBytes) {
  ExpectRead(2, 0);
  Overwrite(2044, 10);
  reader.Seek(2044, SEEK_FROM_START);
  ExpectRead(10, 2044, 2048, 2054); // 4 buffered bytes, then 6 from a new window at 2048
  EXPECT_EQ(reader.windowStart, 2048u);
  EXPECT_EQ(reader.bufferStale, 0u);
}

TEST_F(ReaderTest, LargeReadsGoToTheFileAndReadsContinueAfterThem) {
  ExpectRead(3000, 0); // right after Open: direct
  ExpectRead(4, 3000);
  reader.Seek(100, SEEK_FROM_START);
  ExpectRead(8, 100);
  ExpectRead(5000, 108); // rest of the window, then 2960 bytes direct
  EXPECT_EQ(reader.bufferStale, 1u);
  ExpectRead(2, 5108);

  // Exactly one window through the buffer, then the next window from where it ended.
  reader.Seek(6000, SEEK_FROM_START);
  ExpectRead(2048, 6000);
  ExpectRead(2, 8048);
}

TEST_F(ReaderTest, ReadsAtAndPastTheEndDeliverWhatRemains) {
  uint8_t got[3000];
  EXPECT_EQ(reader.Read(nullptr, 4), 0u); // nowhere to put the bytes
  reader.Seek(0, SEEK_FROM_END);
  EXPECT_EQ(reader.Read(got, 4), 0u);
  reader.Seek(-5, SEEK_FROM_END);
  EXPECT_EQ(reader.Read(got, 10), 5u);
  EXPECT_EQ(reader.requested, 5u);
  EXPECT_EQ(got[4], Pattern(kFileSize - 1));
  EXPECT_EQ(reader.Tell(), kFileSize);
  reader.Seek(kFileSize - 100, SEEK_FROM_START);
  EXPECT_EQ(reader.Read(got, 3000), 100u);
}

TEST_F(ReaderTest, SeeksOfEveryOriginClampToTheFile) {
  EXPECT_EQ(reader.Seek(kFileSize + 50, SEEK_FROM_START), kFileSize);
  EXPECT_EQ(reader.Seek(-3, SEEK_FROM_START), kFileSize); // refused, position kept
  EXPECT_EQ(reader.Seek(-20000, SEEK_FROM_CURRENT), 0u);
  EXPECT_EQ(reader.Seek(20000, SEEK_FROM_CURRENT), kFileSize);
  EXPECT_EQ(reader.Seek(-10, SEEK_FROM_CURRENT), kFileSize - 10);
  EXPECT_EQ(reader.Seek(5, SEEK_FROM_END), kFileSize - 10); // refused, position kept
  EXPECT_EQ(reader.Seek(-int64_t{kFileSize} - 7, SEEK_FROM_END), 0u);
  EXPECT_EQ(reader.Seek(-int64_t{kFileSize} + 100, SEEK_FROM_END), 100u);
  EXPECT_EQ(reader.Seek(12345, SEEK_RESYNC), 100u);
  ExpectRead(6, 100);
  EXPECT_EQ(reader.Seek(1, 4), 0u);
  EXPECT_EQ(reader.Tell(), 106u);

  // Inside the window the buffer stays; outside it a new, stale window starts there.
  reader.Seek(2000, SEEK_FROM_START);
  EXPECT_EQ(reader.bufferStale, 0u);
  reader.Seek(2148, SEEK_FROM_START);
  EXPECT_EQ(reader.bufferStale, 1u);
  EXPECT_EQ(reader.windowStart, 2148u);
}

TEST_F(ReaderTest, AFailedOpenLeavesTheReaderClosed) {
  uint8_t got[4];
  ExpectRead(4, 0);
  EXPECT_EQ(reader.Open(scratch.File("missing.bin").wstring().c_str()), 0);
  EXPECT_FALSE(reader.IsOpen());
  EXPECT_EQ(reader.fileSize, 0u);
  EXPECT_EQ(reader.bufferStale, 1u);
  EXPECT_EQ(reader.Read(got, 4), 0u);
  EXPECT_EQ(reader.Open(scratch.path.wstring().c_str()), 0); // a folder is not a file
}

// A file cut short after it was opened: what the system no longer delivers must not be
// made up from the buffer's old contents.
TEST_F(ReaderTest, FileCutShortAfterOpenDeliversNothingBeyondItsNewEnd) {
  std::filesystem::resize_file(file, 100);
  ExpectRead(10, 0);
  reader.Seek(200, SEEK_FROM_START);
  uint8_t got[10];
  EXPECT_EQ(reader.Read(got, 10), 0u);
  EXPECT_EQ(reader.Tell(), 200u);
}

} // namespace
