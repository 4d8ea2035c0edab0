#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "platform/platform.h"

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
