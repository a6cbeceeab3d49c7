#include "support/read_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "common/temp_dir.h"

namespace {

TEST(ReadWholeFile, ReadsEveryByteAndNamesTheFailingStep) {
  testutil::TempDir dir;
  const std::string path = dir.file("data.bin");
  std::vector<uint8_t> written(200000);
  for (std::size_t i = 0; i < written.size(); ++i) written[i] = static_cast<uint8_t>(i * 7);
  testutil::writeFile(path, written);

  std::vector<uint8_t> bytes{1, 2, 3};
  ASSERT_TRUE(support::readWholeFile(path, bytes));
  EXPECT_EQ(bytes, written);

  std::vector<uint8_t> untouched{9};
  const support::Status missing = support::readWholeFile(dir.file("missing"), untouched);
  EXPECT_EQ(missing.code(), support::Failure::Open);
  EXPECT_EQ(missing.message(),
            "cannot open " + dir.file("missing") + ": No such file or directory");
  EXPECT_EQ(untouched, std::vector<uint8_t>{9});

  support::MappedFile mapped;
  ASSERT_TRUE(mapped.open(path));
  EXPECT_TRUE(
      std::equal(written.begin(), written.end(), mapped.bytes().begin(), mapped.bytes().end()));
  EXPECT_EQ(mapped.open(dir.file("missing")).code(), support::Failure::Open);
  EXPECT_TRUE(mapped.bytes().empty());
}

// What is not a regular file is refused before anything is read: a FIFO without a writer would
// block, a device would never end.
TEST(ReadWholeFile, RefusesWhatIsNotARegularFile) {
  testutil::TempDir dir;
  const std::string fifo = dir.file("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::string path;
    const char* kind;
  } rows[] = {{fifo, "a FIFO"}, {"/dev/zero", "a device"}, {dir.path().string(), "a directory"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.path);
    std::vector<uint8_t> bytes;
    const support::Status read = support::readWholeFile(row.path, bytes);
    EXPECT_EQ(read.code(), support::Failure::NotRegular);
    EXPECT_EQ(read.message(),
              "cannot read " + row.path + ": it is " + row.kind + ", not a regular file");
    support::MappedFile mapped;
    EXPECT_EQ(mapped.open(row.path).code(), support::Failure::NotRegular);
  }
}

TEST(ReadWholeFile, AFileShorterThanItsLengthIsAFailedRead) {
  // sysfs reports a length of a page for files that yield a few bytes: a real short read.
  const std::string path = "/sys/devices/system/cpu/online";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "no sysfs here";
  std::vector<uint8_t> bytes;
  const support::Status read = support::readWholeFile(path, bytes);
  EXPECT_EQ(read.code(), support::Failure::Read);
  EXPECT_EQ(read.systemError(), EIO);
  EXPECT_TRUE(bytes.empty());
}

}  // namespace
