#include "support/replacing_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "common/permission_bits.h"
#include "common/temp_dir.h"

namespace {

using testutil::TempDir;

const std::vector<std::uint8_t> kOld = {'o', 'l', 'd'};
const std::vector<std::uint8_t> kNew = {'n', 'e', 'w', '!'};

// Each case leaves the earlier file at the target untouched and no temporary file behind.
class ReplacingFileFailure : public ::testing::Test {
 protected:
  void SetUp() override { testutil::WriteFile(target_, kOld); }
  void ExpectTargetUntouched() const {
    EXPECT_EQ(dir_.Entries(), std::set<std::string>{"out.bin"});
    EXPECT_EQ(testutil::ReadFile(target_), kOld);
  }

  TempDir dir_;
  std::string target_ = dir_.File("out.bin");
  support::ReplacingFile file_;
};

TEST(ReplacingFile, CommitReplacesTheTargetWithTheUsualPermissions) {
  TempDir dir;
  testutil::WriteFile(dir.File("out.bin"), kOld);
  const mode_t previous = ::umask(022);
  support::ReplacingFile file;
  const support::Status opened = file.open(dir.File("out.bin"));
  ::umask(previous);
  ASSERT_TRUE(opened) << opened.message();
  EXPECT_TRUE(file.isOpen());
  EXPECT_EQ(dir.Entries().size(), 1U) << "the new file has no name before commit";
  EXPECT_EQ(testutil::ReadFile(dir.File("out.bin")), kOld) << "nothing replaced before commit";
  ASSERT_TRUE(file.write(std::span(kNew).first(2)));
  ASSERT_TRUE(file.write(std::span(kNew).subspan(2)));
  ASSERT_TRUE(file.write({}));
  ASSERT_TRUE(file.commit());
  EXPECT_FALSE(file.isOpen());
  EXPECT_EQ(dir.Entries(), std::set<std::string>{"out.bin"});
  EXPECT_EQ(testutil::ReadFile(dir.File("out.bin")), kNew);
  struct stat info {};
  ASSERT_EQ(::stat(dir.File("out.bin").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644U);

  EXPECT_FALSE(file.commit()) << "a second commit has no file";
  ASSERT_TRUE(file.open(dir.File("again.bin"))) << "usable again after a commit";
  ASSERT_TRUE(file.commit());
  EXPECT_EQ(testutil::ReadFile(dir.File("again.bin")).size(), 0U);
}

TEST_F(ReplacingFileFailure, MissingDirectoryNamesTheTargetAndTheReason) {
  const std::string missing = dir_.File("missing/out.bin");
  EXPECT_EQ(file_.open(missing).message(),
            "cannot create a temporary file beside '" + missing + "': No such file or directory");
  EXPECT_FALSE(file_.isOpen());
  EXPECT_FALSE(file_.write(kNew));
  EXPECT_FALSE(file_.commit());
  EXPECT_FALSE(file_.open(""));
  ExpectTargetUntouched();
}

TEST_F(ReplacingFileFailure, UnwritableDirectory) {
  std::filesystem::permissions(
      dir_.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  {
    const testutil::PermissionBitsBind bind;
    EXPECT_EQ(file_.open(target_).message(),
              "cannot create a temporary file beside '" + target_ + "': Permission denied");
  }
  std::filesystem::permissions(dir_.Path(), std::filesystem::perms::owner_all);
  ExpectTargetUntouched();
}

TEST_F(ReplacingFileFailure, SecondOpenKeepsTheFirstFile) {
  ASSERT_TRUE(file_.open(target_));
  EXPECT_EQ(file_.open(dir_.File("second.bin")).message(),
            "a file is already open: '" + target_ + "'");
  EXPECT_TRUE(file_.isOpen());
  file_.discard();
  EXPECT_FALSE(file_.isOpen());
  ExpectTargetUntouched();
}

TEST_F(ReplacingFileFailure, DestructionWithoutCommitRemovesTheTemporaryFile) {
  {
    support::ReplacingFile file;
    ASSERT_TRUE(file.open(target_));
    ASSERT_TRUE(file.write(kNew));
  }
  ExpectTargetUntouched();
}

TEST_F(ReplacingFileFailure, FailedNamingNamesTheTarget) {
  const std::string gone = dir_.File("gone/out.bin");
  std::filesystem::create_directory(dir_.File("gone"));
  ASSERT_TRUE(file_.open(gone));
  std::filesystem::remove(dir_.File("gone"));  // empty: the new file has no name yet
  EXPECT_EQ(file_.commit().message(), "cannot replace '" + gone + "': No such file or directory");
  ExpectTargetUntouched();
}

// A name as long as the file system allows still works: no longer temporary name is needed.
TEST_F(ReplacingFileFailure, TargetNamesUpToTheLimitAndHeaderPatches) {
  const std::string longName = dir_.File(std::string(255, 'n'));
  for (int round = 0; round < 2; ++round) {  // new, then replacing
    SCOPED_TRACE(round);
    ASSERT_TRUE(file_.open(longName));
    ASSERT_TRUE(file_.write(kNew));
    EXPECT_TRUE(file_.writeAt(1, std::span(kOld).first(2)));
    EXPECT_EQ(file_.size(), kNew.size());
    ASSERT_TRUE(file_.commit());
    EXPECT_EQ(testutil::ReadFile(longName), (std::vector<std::uint8_t>{'n', 'o', 'l', '!'}));
  }
  ASSERT_TRUE(file_.open(target_));
  EXPECT_FALSE(file_.writeAt(0, kNew)) << "nothing written there yet";
  file_.discard();
  std::filesystem::remove(longName);
  ExpectTargetUntouched();
}

TEST_F(ReplacingFileFailure, AFolderAsTargetIsRefusedAtOpen) {
  const std::string folder = dir_.File("folder");
  std::filesystem::create_directory(folder);
  testutil::WriteFile(folder + "/inside", kOld);
  EXPECT_EQ(file_.open(folder).message(), "cannot replace '" + folder + "': Is a directory");
  std::filesystem::remove_all(folder);
  ExpectTargetUntouched();
}

TEST_F(ReplacingFileFailure, FailedWriteReportsTheReasonAndCommitGivesUp) {
  ASSERT_TRUE(file_.open(target_));
  // A file size limit makes the write fail with EFBIG, as a full disk would.
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit previous{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
  rlimit small = previous;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const support::Status written = file_.write(std::vector<std::uint8_t>(4000, 0x5A));
  ::setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(written.systemError(), EFBIG);
  EXPECT_NE(written.message().find("File too large"), std::string::npos) << written.message();
  EXPECT_TRUE(file_.isOpen()) << "left open for commit or discard to clean up";
  EXPECT_EQ(file_.write(kNew).message(), written.message()) << "nothing more after a failed write";
  EXPECT_EQ(file_.commit().message(), written.message());
  ExpectTargetUntouched();
}

}  // namespace
