#include "app/core/frame_store.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <vector>

#include "common/temp_dir.h"
#include "common/test_gif.h"

namespace core {
namespace {

using testutil::FilledFrame;
using testutil::MakeGif;

class FrameStoreTest : public ::testing::Test {
 protected:
  std::string Gif(const std::string& name, const std::vector<uint8_t>& bytes) {
    testutil::WriteFile(dir.File(name), bytes);
    return dir.File(name);
  }
  std::string Output() const { return dir.Path().string() + "/"; }

  testutil::TempDir dir;
  FrameStore store;
};

TEST_F(FrameStoreTest, LoadsEveryFrameAsAFullCanvasReplacingEarlierFrames) {
  ASSERT_TRUE(store.LoadGif(Gif("a.gif", MakeGif(3, 3, {FilledFrame(3, 3, 5)}))));
  const std::string path =
      Gif("walk.cycle.gif", MakeGif(8, 6, {FilledFrame(8, 6, 10), {2, 1, 2, 2, {40, 41, 42, 43}}}));
  ASSERT_TRUE(store.LoadGif(path));
  EXPECT_EQ(store.gifPath(), path);
  ASSERT_EQ(store.frameCount(), 2);
  ASSERT_EQ(store.frames().Count(), 2);
  const image::ImageBuffer& second = *store.frames().At(1);
  EXPECT_EQ(second.Width(), 8);
  EXPECT_EQ(second.BitsPerPixel(), 32);
  // Frame 1 drew entry 40 at (2, 1) over the first frame: B, G, R, A.
  const uint8_t* pixel = second.PixelAddress(2, 1);
  EXPECT_EQ(std::vector<uint8_t>(pixel, pixel + 4), (std::vector<uint8_t>{24, 215, 40, 255}));
  EXPECT_EQ(second.PixelAddress(0, 0)[1], 255 - 10);
}

TEST_F(FrameStoreTest, FailedLoadsLeaveNoFrameAndNameThePathAndReason) {
  std::vector<uint8_t> cut = MakeGif(4, 4, {FilledFrame(4, 4, 1)});
  cut.resize(cut.size() - 8);
  struct Row {
    std::string path;
    std::string reason;
  };
  const Row rows[] = {
      {dir.File("none.gif"), "No such file or directory"},
      {Gif("text.gif", {'h', 'e', 'l', 'l', 'o'}), "not a GIF file"},
      {Gif("empty.gif", {}), "the file is empty"},
      {Gif("blank.gif", MakeGif(4, 4, {})), "the GIF holds no frame"},
      {Gif("cut.gif", cut), "ends before its first frame"},
      {Gif("long.gif", MakeGif(1, 1, std::vector(32769, FilledFrame(1, 1, 3)))),
       "32769 frames are more than a movie can hold (32768: its character ids are 16-bit)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    ASSERT_TRUE(store.LoadGif(Gif("good.gif", MakeGif(4, 4, {FilledFrame(4, 4, 1)}))));
    const support::Status loaded = store.LoadGif(row.path);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(store.frameCount(), 0);
    EXPECT_EQ(store.frames().Count(), 0);
    EXPECT_EQ(store.gifPath(), row.path);
    EXPECT_NE(loaded.message().find(row.path + ": "), std::string::npos);
    EXPECT_NE(loaded.message().find(row.reason), std::string::npos) << loaded.message();
  }
}

TEST_F(FrameStoreTest, TruncatedGifKeepsItsCompleteFramesAndCancelledLoadKeepsNone) {
  std::vector<uint8_t> cut = MakeGif(4, 4, std::vector(3, FilledFrame(4, 4, 1)));
  cut.resize(cut.size() - 8);
  ASSERT_TRUE(store.LoadGif(Gif("cut.gif", cut)));
  EXPECT_TRUE(store.truncated());
  EXPECT_EQ(store.frameCount(), 2);
  const std::atomic<bool> cancelled{true};
  EXPECT_EQ(
      store.LoadGif(Gif("whole.gif", MakeGif(4, 4, {FilledFrame(4, 4, 1)})), &cancelled).code(),
      support::Failure::Cancelled);
  EXPECT_FALSE(store.truncated());
  EXPECT_EQ(store.frames().Count(), 0);
}

TEST_F(FrameStoreTest, WriteFrameSavesTheResizedJpegAndNeverChangesTheHeldFrame) {
  ASSERT_TRUE(
      store.LoadGif(Gif("clip.gif", MakeGif(8, 6, {FilledFrame(8, 6, 9), FilledFrame(8, 6, 7)}))));
  const std::string output = Output() + "out/";
  const std::string path = store.FramePath(output, 1);
  EXPECT_EQ(path, output + "quorvex/Temp/clip00001.jpg");
  ASSERT_TRUE(store.WriteFrame(output, 1, 16, 12));
  const std::vector<uint8_t> first = testutil::ReadFile(path);
  image::ImageBuffer written;
  ASSERT_TRUE(written.LoadFirstFrame(path));
  EXPECT_EQ(written.Height(), 12);
  EXPECT_FALSE(std::filesystem::exists(store.FramePath(output, 0)));
  // Writing at another size in between changes nothing of what the first size gives.
  ASSERT_TRUE(store.WriteFrame(output, 1, 4, 3));
  EXPECT_EQ(store.frames().At(1)->Width(), 8);
  ASSERT_TRUE(store.WriteFrame(output, 1, 16, 12));
  EXPECT_EQ(testutil::ReadFile(path), first);

  EXPECT_EQ(store.WriteFrame(output, 2, 4, 4).message(), "frame 2 does not exist (2 frames held)");
  EXPECT_FALSE(store.WriteFrame(output, -1, 4, 4));
  // A file where the output directory should be: the folder cannot be made.
  testutil::WriteFile(dir.File("blocked"), std::vector<uint8_t>{1});
  EXPECT_EQ(store.WriteFrame(dir.File("blocked") + "/", 0, 4, 4).message(),
            "cannot create directory " + dir.File("blocked") + "/quorvex/Temp/: Not a directory");
}

TEST_F(FrameStoreTest, ClearTempFramesDeletesFilesButKeepsFolders) {
  store.ClearTempFrames(Output());
  const std::string temp = FrameStore::TempDirectory(Output());
  EXPECT_EQ(temp, Output() + "quorvex/Temp/");
  ASSERT_TRUE(std::filesystem::is_directory(temp));
  testutil::WriteFile(temp + "other00000.jpg", std::vector<uint8_t>{1, 2});
  std::filesystem::create_directory(temp + "keep");
  testutil::WriteFile(temp + "keep/inside.jpg", std::vector<uint8_t>{4});
  store.ClearTempFrames(Output());
  EXPECT_FALSE(std::filesystem::exists(temp + "other00000.jpg"));
  EXPECT_TRUE(std::filesystem::exists(temp + "keep/inside.jpg"));
}

}  // namespace
}  // namespace core
