#include "support/paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    m_root = fs::temp_directory_path() /
             ("quorvex-paths-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_root);
    fs::create_directories(m_root);
  }
  void TearDown() override { fs::remove_all(m_root); }
  std::string path(const std::string& relative) const { return (m_root / relative).string(); }

  fs::path m_root;
};

TEST(GetBaseName, CutsFoldersOfEitherSeparatorAndTheLastExtension) {
  const std::pair<const char*, const char*> rows[] = {
      {"C:\\Pics\\walk.old.gif", "walk.old"},
      {"C:\\Pics.old\\walk", "walk"},
      {"walk.gif", "walk"},
      {"C:\\Pics\\", ""},
      {"/home/me/pics/walk.old.gif", "walk.old"},
      {"/home/me/pics.old/walk", "walk"},
      {"/home/me/pics/", ""},
      {"C:\\anim\\walk.cycle.gif", "walk.cycle"},
      {"mixed\\dir/a.b.c.gif", "a.b.c"},
      {"mixed/dir\\name.gif", "name"},
      {"", ""},
  };
  for (const auto& [path, expected] : rows) {
    SCOPED_TRACE(path);
    EXPECT_EQ(support::GetBaseName(path), expected);
  }
}

TEST(WithTrailingSlash, AddsOneWhereMissing) {
  EXPECT_EQ(support::withTrailingSlash("out"), "out/");
  EXPECT_EQ(support::withTrailingSlash("/"), "/");
  EXPECT_EQ(support::withTrailingSlash(""), "./");
}

TEST(GetAppDirectory, IsTheExecutablesFolderWithATrailingSlash) {
  const std::string directory = support::GetAppDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_EQ(directory.back(), '/');
  EXPECT_TRUE(support::DirectoryExists(directory));
  EXPECT_EQ(directory.find('\\'), std::string::npos);
  EXPECT_EQ(support::GetAppDirectory(), directory);
  EXPECT_TRUE(fs::exists(directory + "support_tests"));
}

TEST_F(TempDir, DirectoryExistsIsFalseForFilesAndMissingPaths) {
  std::ofstream(path("file.txt")) << "x";
  EXPECT_TRUE(support::DirectoryExists(m_root.string()));
  EXPECT_TRUE(support::DirectoryExists(m_root.string() + "/"));
  EXPECT_FALSE(support::DirectoryExists(path("file.txt")));
  EXPECT_FALSE(support::DirectoryExists(path("missing")));
  EXPECT_FALSE(support::DirectoryExists(""));
}

TEST_F(TempDir, CreateDirectoryTreeCreatesMissingParentsOfATrailingSlashPath) {
  // The trailing '/' makes the last mkdir repeat the directory just created, so the
  // call reports false while the whole tree now exists.
  EXPECT_FALSE(support::CreateDirectoryTree(path("a/b/")));
  EXPECT_TRUE(support::DirectoryExists(path("a")));
  EXPECT_TRUE(support::DirectoryExists(path("a/b")));
}

TEST_F(TempDir, CreateDirectoryTreeReportsOnlyWhatThisCallCreated) {
  EXPECT_TRUE(support::CreateDirectoryTree(path("x/y")));
  EXPECT_TRUE(support::DirectoryExists(path("x/y")));
  EXPECT_FALSE(support::CreateDirectoryTree(path("x")));  // exists already
  EXPECT_FALSE(support::CreateDirectoryTree(""));
}

// Both directory helpers share the rule that a drive such as "C:" is a root, present even where
// the system has no such folder: "C:/q" is then attempted alone and fails, where a "C:" taken for a
// missing parent would be made in the current directory first.
TEST_F(TempDir, DrivesCountAsPresentRootsAndBareNamesAsNoParent) {
  const fs::path previous = fs::current_path();
  fs::current_path(m_root);
  EXPECT_FALSE(support::CreateDirectoryTree("newdir"));
  EXPECT_FALSE(support::CreateDirectoryTree("C:/q"));
  const support::Status drive = support::ensureDirectory("C:/q");
  EXPECT_EQ(drive.message(), "cannot create directory C:/q: No such file or directory");
  EXPECT_TRUE(fs::is_empty(m_root));
  EXPECT_TRUE(support::ensureDirectory("made/here/"));
  fs::current_path(previous);
  EXPECT_TRUE(support::DirectoryExists(path("made/here")));
}

TEST_F(TempDir, CreateDirectoryTreeStopsAtALevelThatCannotBeCreated) {
  std::ofstream(path("blocker")) << "x";
  EXPECT_FALSE(support::CreateDirectoryTree(path("blocker/sub/")));
  EXPECT_EQ(support::ensureDirectory(path("blocker/sub/")).message(),
            "cannot create directory " + path("blocker/sub/") + ": Not a directory");
  EXPECT_FALSE(fs::exists(path("blocker/sub")));
}

}  // namespace
