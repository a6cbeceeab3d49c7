#include "support/read_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "common/temp_dir.h"

namespace {

TEST(ReadWholeFile, ReadsEveryByteAndNamesTheFailingStep) {
  testutil::TempDir dir;
  const std::string path = dir.File("data.bin");
  std::vector<uint8_t> written(200000);
  for (std::size_t i = 0; i < written.size(); ++i) written[i] = static_cast<uint8_t>(i * 7);
  testutil::WriteFile(path, written);

  std::vector<uint8_t> bytes{1, 2, 3};
  ASSERT_TRUE(support::ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes, written);

  std::vector<uint8_t> untouched{9};
  const support::ReadResult missing = support::ReadWholeFile(dir.File("missing"), untouched);
  EXPECT_EQ(missing.failure, support::ReadFailure::kOpen);
  EXPECT_EQ(missing.errorNumber, ENOENT);
  const support::ReadResult folder = support::ReadWholeFile(dir.Path().string(), untouched);
  EXPECT_EQ(folder.failure, support::ReadFailure::kRead);
  EXPECT_EQ(untouched, std::vector<uint8_t>{9});
}

TEST(ReadWholeFile, AFileShorterThanItsLengthIsAFailedRead) {
  // sysfs reports a length of a page for files that yield a few bytes: a real short read.
  const std::string path = "/sys/devices/system/cpu/online";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "no sysfs here";
  std::vector<uint8_t> bytes;
  const support::ReadResult read = support::ReadWholeFile(path, bytes);
  EXPECT_EQ(read.failure, support::ReadFailure::kRead);
  EXPECT_EQ(read.errorNumber, EIO);
  EXPECT_TRUE(bytes.empty());
}

}  // namespace
