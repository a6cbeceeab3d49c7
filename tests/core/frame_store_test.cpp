#include "app/core/frame_store.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <vector>

#include "common/temp_dir.h"
#include "common/test_gif.h"

namespace core {
namespace {

using testutil::filledFrame;
using testutil::makeGif;

class FrameStoreTest : public ::testing::Test {
 protected:
  std::string gif(const std::string& name, const std::vector<uint8_t>& bytes) {
    testutil::writeFile(m_dir.file(name), bytes);
    return m_dir.file(name);
  }
  std::string outputFolder() const { return m_dir.path().string() + "/"; }

  testutil::TempDir m_dir;
  FrameStore m_store;
};

TEST_F(FrameStoreTest, LoadsEveryFrameAsAFullCanvasReplacingEarlierFrames) {
  ASSERT_TRUE(m_store.LoadGif(gif("a.gif", makeGif(3, 3, {filledFrame(3, 3, 5)}))));
  const std::string path =
      gif("walk.cycle.gif", makeGif(8, 6, {filledFrame(8, 6, 10), {2, 1, 2, 2, {40, 41, 42, 43}}}));
  ASSERT_TRUE(m_store.LoadGif(path));
  EXPECT_EQ(m_store.gifPath(), path);
  ASSERT_EQ(m_store.frameCount(), 2);
  ASSERT_EQ(m_store.frames().Count(), 2);
  const image::ImageBuffer& second = *m_store.frames().At(1);
  EXPECT_EQ(second.Width(), 8);
  EXPECT_EQ(second.BitsPerPixel(), 32);
  // Frame 1 drew entry 40 at (2, 1) over the first frame: B, G, R, A.
  const uint8_t* pixel = second.PixelAddress(2, 1);
  EXPECT_EQ(std::vector<uint8_t>(pixel, pixel + 4), (std::vector<uint8_t>{24, 215, 40, 255}));
  EXPECT_EQ(second.PixelAddress(0, 0)[1], 255 - 10);
}

TEST_F(FrameStoreTest, FailedLoadsLeaveNoFrameAndNameThePathAndReason) {
  std::vector<uint8_t> cut = makeGif(4, 4, {filledFrame(4, 4, 1)});
  cut.resize(cut.size() - 8);
  struct Row {
    std::string path;
    std::string reason;
  };
  const Row rows[] = {
      {m_dir.file("none.gif"), "No such file or directory"},
      {gif("text.gif", {'h', 'e', 'l', 'l', 'o'}), "not a GIF file"},
      {gif("empty.gif", {}), "the file is empty"},
      {gif("blank.gif", makeGif(4, 4, {})), "the GIF holds no frame"},
      {gif("cut.gif", cut), "ends before its first frame"},
      {gif("long.gif", makeGif(1, 1, std::vector(32769, filledFrame(1, 1, 3)))),
       "32769 frames are more than a movie can hold (32768: its character ids are 16-bit)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    ASSERT_TRUE(m_store.LoadGif(gif("good.gif", makeGif(4, 4, {filledFrame(4, 4, 1)}))));
    const support::Status loaded = m_store.LoadGif(row.path);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(m_store.frameCount(), 0);
    EXPECT_EQ(m_store.frames().Count(), 0);
    EXPECT_EQ(m_store.gifPath(), row.path);
    EXPECT_NE(loaded.message().find(row.path + ": "), std::string::npos);
    EXPECT_NE(loaded.message().find(row.reason), std::string::npos) << loaded.message();
  }
}

TEST_F(FrameStoreTest, TruncatedGifKeepsItsCompleteFramesAndCancelledLoadKeepsNone) {
  std::vector<uint8_t> cut = makeGif(4, 4, std::vector(3, filledFrame(4, 4, 1)));
  cut.resize(cut.size() - 8);
  ASSERT_TRUE(m_store.LoadGif(gif("cut.gif", cut)));
  EXPECT_TRUE(m_store.truncated());
  EXPECT_EQ(m_store.frameCount(), 2);
  const std::atomic<bool> cancelled{true};
  EXPECT_EQ(
      m_store.LoadGif(gif("whole.gif", makeGif(4, 4, {filledFrame(4, 4, 1)})), &cancelled).code(),
      support::Failure::Cancelled);
  EXPECT_FALSE(m_store.truncated());
  EXPECT_EQ(m_store.frames().Count(), 0);
}

TEST_F(FrameStoreTest, WriteFrameSavesTheResizedJpegAndNeverChangesTheHeldFrame) {
  ASSERT_TRUE(m_store.LoadGif(
      gif("clip.gif", makeGif(8, 6, {filledFrame(8, 6, 9), filledFrame(8, 6, 7)}))));
  const std::string output = outputFolder() + "out/";
  const std::string path = m_store.FramePath(output, 1);
  EXPECT_EQ(path, output + "quorvex/Temp/clip00001.jpg");
  ASSERT_TRUE(m_store.WriteFrame(output, 1, 16, 12));
  const std::vector<uint8_t> first = testutil::readFile(path);
  image::ImageBuffer written;
  ASSERT_TRUE(written.LoadFirstFrame(path));
  EXPECT_EQ(written.Height(), 12);
  EXPECT_FALSE(std::filesystem::exists(m_store.FramePath(output, 0)));
  // Writing at another size in between changes nothing of what the first size gives.
  ASSERT_TRUE(m_store.WriteFrame(output, 1, 4, 3));
  EXPECT_EQ(m_store.frames().At(1)->Width(), 8);
  ASSERT_TRUE(m_store.WriteFrame(output, 1, 16, 12));
  EXPECT_EQ(testutil::readFile(path), first);

  EXPECT_EQ(m_store.WriteFrame(output, 2, 4, 4).message(),
            "frame 2 does not exist (2 frames held)");
  EXPECT_FALSE(m_store.WriteFrame(output, -1, 4, 4));
  // A file where the output directory should be: the folder cannot be made.
  testutil::writeFile(m_dir.file("blocked"), std::vector<uint8_t>{1});
  EXPECT_EQ(m_store.WriteFrame(m_dir.file("blocked") + "/", 0, 4, 4).message(),
            "cannot create directory " + m_dir.file("blocked") + "/quorvex/Temp/: Not a directory");
}

TEST_F(FrameStoreTest, ClearTempFramesDeletesFilesButKeepsFolders) {
  m_store.ClearTempFrames(outputFolder());
  const std::string temp = FrameStore::TempDirectory(outputFolder());
  EXPECT_EQ(temp, outputFolder() + "quorvex/Temp/");
  ASSERT_TRUE(std::filesystem::is_directory(temp));
  testutil::writeFile(temp + "other00000.jpg", std::vector<uint8_t>{1, 2});
  std::filesystem::create_directory(temp + "keep");
  testutil::writeFile(temp + "keep/inside.jpg", std::vector<uint8_t>{4});
  m_store.ClearTempFrames(outputFolder());
  EXPECT_FALSE(std::filesystem::exists(temp + "other00000.jpg"));
  EXPECT_TRUE(std::filesystem::exists(temp + "keep/inside.jpg"));
}

}  // namespace
}  // namespace core
