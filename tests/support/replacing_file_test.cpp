#include "support/replacing_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "common/file_size_limit.h"
#include "common/permission_bits.h"
#include "common/temp_dir.h"

namespace {

using testutil::TempDir;

const std::vector<std::uint8_t> kOld = {'o', 'l', 'd'};
const std::vector<std::uint8_t> kNew = {'n', 'e', 'w', '!'};

// Each case leaves the earlier file at the target untouched and no temporary file behind.
class ReplacingFileFailure : public ::testing::Test {
 protected:
  void SetUp() override { testutil::writeFile(m_target, kOld); }
  void expectTargetUntouched() const {
    EXPECT_EQ(m_dir.entries(), std::set<std::string>{"out.bin"});
    EXPECT_EQ(testutil::readFile(m_target), kOld);
  }

  TempDir m_dir;
  std::string m_target = m_dir.file("out.bin");
  support::ReplacingFile m_file;
};

TEST(ReplacingFile, CommitReplacesTheTargetWithTheUsualPermissions) {
  TempDir dir;
  testutil::writeFile(dir.file("out.bin"), kOld);
  const mode_t previous = ::umask(022);
  support::ReplacingFile file;
  const support::Status opened = file.open(dir.file("out.bin"));
  ::umask(previous);
  ASSERT_TRUE(opened) << opened.message();
  EXPECT_TRUE(file.isOpen());
  EXPECT_EQ(dir.entries().size(), 1U) << "the new file has no name before commit";
  EXPECT_EQ(testutil::readFile(dir.file("out.bin")), kOld) << "nothing replaced before commit";
  ASSERT_TRUE(file.write(std::span(kNew).first(2)));
  ASSERT_TRUE(file.write(std::span(kNew).subspan(2)));
  ASSERT_TRUE(file.write({}));
  ASSERT_TRUE(file.commit());
  EXPECT_FALSE(file.isOpen());
  EXPECT_EQ(dir.entries(), std::set<std::string>{"out.bin"});
  EXPECT_EQ(testutil::readFile(dir.file("out.bin")), kNew);
  struct stat info {};
  ASSERT_EQ(::stat(dir.file("out.bin").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644U);

  EXPECT_FALSE(file.commit()) << "a second commit has no file";
  ASSERT_TRUE(file.open(dir.file("again.bin"))) << "usable again after a commit";
  ASSERT_TRUE(file.commit());
  EXPECT_EQ(testutil::readFile(dir.file("again.bin")).size(), 0U);
}

TEST_F(ReplacingFileFailure, MissingDirectoryNamesTheTargetAndTheReason) {
  const std::string missing = m_dir.file("missing/out.bin");
  EXPECT_EQ(m_file.open(missing).message(),
            "cannot create a temporary file beside '" + missing + "': No such file or directory");
  EXPECT_FALSE(m_file.isOpen());
  EXPECT_FALSE(m_file.write(kNew));
  EXPECT_FALSE(m_file.commit());
  EXPECT_FALSE(m_file.open(""));
  expectTargetUntouched();
}

TEST_F(ReplacingFileFailure, UnwritableDirectory) {
  std::filesystem::permissions(
      m_dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  {
    const testutil::PermissionBitsBind bind;
    EXPECT_EQ(m_file.open(m_target).message(),
              "cannot create a temporary file beside '" + m_target + "': Permission denied");
  }
  std::filesystem::permissions(m_dir.path(), std::filesystem::perms::owner_all);
  expectTargetUntouched();
}

TEST_F(ReplacingFileFailure, SecondOpenKeepsTheFirstFile) {
  ASSERT_TRUE(m_file.open(m_target));
  EXPECT_EQ(m_file.open(m_dir.file("second.bin")).message(),
            "a file is already open: '" + m_target + "'");
  EXPECT_TRUE(m_file.isOpen());
  m_file.discard();
  EXPECT_FALSE(m_file.isOpen());
  expectTargetUntouched();
}

TEST_F(ReplacingFileFailure, DestructionWithoutCommitRemovesTheTemporaryFile) {
  {
    support::ReplacingFile file;
    ASSERT_TRUE(file.open(m_target));
    ASSERT_TRUE(file.write(kNew));
  }
  expectTargetUntouched();
}

TEST_F(ReplacingFileFailure, FailedNamingNamesTheTarget) {
  const std::string gone = m_dir.file("gone/out.bin");
  std::filesystem::create_directory(m_dir.file("gone"));
  ASSERT_TRUE(m_file.open(gone));
  std::filesystem::remove(m_dir.file("gone"));  // empty: the new file has no name yet
  EXPECT_EQ(m_file.commit().message(), "cannot replace '" + gone + "': No such file or directory");
  expectTargetUntouched();
}

// A name as long as the file system allows still works: no longer temporary name is needed.
TEST_F(ReplacingFileFailure, TargetNamesUpToTheLimitAndHeaderPatches) {
  const std::string longName = m_dir.file(std::string(255, 'n'));
  for (int round = 0; round < 2; ++round) {  // new, then replacing
    SCOPED_TRACE(round);
    ASSERT_TRUE(m_file.open(longName));
    ASSERT_TRUE(m_file.write(kNew));
    EXPECT_TRUE(m_file.writeAt(1, std::span(kOld).first(2)));
    EXPECT_EQ(m_file.size(), kNew.size());
    ASSERT_TRUE(m_file.commit());
    EXPECT_EQ(testutil::readFile(longName), (std::vector<std::uint8_t>{'n', 'o', 'l', '!'}));
  }
  ASSERT_TRUE(m_file.open(m_target));
  EXPECT_FALSE(m_file.writeAt(0, kNew)) << "nothing written there yet";
  m_file.discard();
  std::filesystem::remove(longName);
  expectTargetUntouched();
}

TEST_F(ReplacingFileFailure, AFolderAsTargetIsRefusedAtOpen) {
  const std::string folder = m_dir.file("folder");
  std::filesystem::create_directory(folder);
  testutil::writeFile(folder + "/inside", kOld);
  EXPECT_EQ(m_file.open(folder).message(), "cannot replace '" + folder + "': Is a directory");
  std::filesystem::remove_all(folder);
  expectTargetUntouched();
}

TEST_F(ReplacingFileFailure, FailedWriteReportsTheReasonAndCommitGivesUp) {
  ASSERT_TRUE(m_file.open(m_target));
  support::Status written;
  {
    // Writes past 1000 bytes fail with EFBIG, as on a full disk.
    const testutil::FileSizeLimit limit(1000);
    ASSERT_TRUE(limit.set());
    written = m_file.write(std::vector<std::uint8_t>(4000, 0x5A));
  }

  EXPECT_EQ(written.systemError(), EFBIG);
  EXPECT_NE(written.message().find("File too large"), std::string::npos) << written.message();
  EXPECT_TRUE(m_file.isOpen()) << "left open for commit or discard to clean up";
  EXPECT_EQ(m_file.write(kNew).message(), written.message()) << "nothing more after a failed write";
  EXPECT_EQ(m_file.commit().message(), written.message());
  expectTargetUntouched();
}

}  // namespace
