#include "support/text.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatZeroPadded, PadsShortValuesKeepsLongOnesAndSignsInsideTheWidth) {
  struct Row {
    int value;
    int width;
    const char* expected;
  };
  const Row rows[] = {
      {7, 5, "00007"},
      {0, 5, "00000"},
      {1000, 5, "01000"},
      {123456, 5, "123456"},
      {-3, 5, "-0003"},
      {2147483647, 5, "2147483647"},
      {-2147483647 - 1, 5, "-2147483648"},
      {42, 0, "42"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.expected);
    EXPECT_EQ(support::FormatZeroPadded(row.value, row.width), row.expected);
  }
}

}  // namespace
