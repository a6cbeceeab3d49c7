#include "app/core/frame_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "core/temp_folder.h"
#include "core/test_gif.h"

namespace core {
namespace {

using testing::MakeGif;
using testing::TempFolder;
using testing::TestFrame;
using testing::WriteBytes;

TestFrame Filled(int width, int height, uint8_t index) {
  return TestFrame{0, 0, width, height,
                   std::vector<uint8_t>(static_cast<std::size_t>(width * height), index)};
}

// The colour of palette entry `index` as a 32-bit canvas pixel reads it: B, G, R, A.
void ExpectPixel(const image::ImageBuffer& frame, int x, int y, int index) {
  const uint8_t* pixel = frame.PixelAddress(x, y);
  ASSERT_NE(pixel, nullptr);
  const auto colour = testing::TestPaletteColour(index);
  EXPECT_EQ(pixel[0], colour[2]);
  EXPECT_EQ(pixel[1], colour[1]);
  EXPECT_EQ(pixel[2], colour[0]);
  EXPECT_EQ(pixel[3], 255);
}

class FrameStoreTest : public ::testing::Test {
 protected:
  std::string Gif(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = folder.Path() + name;
    EXPECT_TRUE(WriteBytes(path, bytes));
    return path;
  }

  TempFolder folder;
  FrameStore store;
};

TEST_F(FrameStoreTest, LoadsEveryFrameAsAFullCanvas) {
  TestFrame corner{2, 1, 2, 2, {40, 41, 42, 43}};
  const std::string path = Gif("walk.cycle.gif", MakeGif(8, 6, {Filled(8, 6, 10), corner}));
  ASSERT_TRUE(store.LoadGif(path)) << store.LastErrorText();
  EXPECT_TRUE(store.isLoaded());
  EXPECT_EQ(store.gifPath(), path);
  ASSERT_EQ(store.frameCount(), 2);
  ASSERT_EQ(store.frames().Count(), 2);
  const image::ImageBuffer& second = *store.frames().At(1);
  EXPECT_EQ(second.Width(), 8);
  EXPECT_EQ(second.Height(), 6);
  EXPECT_EQ(second.BitsPerPixel(), 32);
  ExpectPixel(second, 0, 0, 10);
  ExpectPixel(second, 2, 1, 40);
  ExpectPixel(second, 3, 2, 43);
  EXPECT_EQ(store.LastErrorText(), "");
}

TEST_F(FrameStoreTest, ALaterLoadReplacesTheFrames) {
  ASSERT_TRUE(store.LoadGif(Gif("a.gif", MakeGif(4, 4, {Filled(4, 4, 1), Filled(4, 4, 2)}))));
  ASSERT_TRUE(store.LoadGif(Gif("b.gif", MakeGif(3, 3, {Filled(3, 3, 5)}))));
  EXPECT_EQ(store.frameCount(), 1);
  EXPECT_EQ(store.frames().Count(), 1);
  EXPECT_EQ(store.frames().At(0)->Width(), 3);
}

TEST_F(FrameStoreTest, FailedLoadsLeaveNoFrameAndSayWhy) {
  std::vector<uint8_t> cut = MakeGif(4, 4, {Filled(4, 4, 1)});
  cut.resize(cut.size() - 8);
  struct Row {
    const char* name;
    std::string path;
    const char* reason;
  };
  const Row rows[] = {
      {"missing file", folder.Path() + "none.gif", "No such file or directory"},
      {"text file", Gif("text.gif", {'h', 'e', 'l', 'l', 'o', '\n'}), "not a GIF file"},
      {"zero bytes", Gif("empty.gif", {}), "the file is empty"},
      {"no frame", Gif("blank.gif", MakeGif(4, 4, {})), "the GIF holds no frame"},
      {"cut in its first frame", Gif("cut.gif", cut), "ends before its first frame"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(store.LoadGif(Gif("good.gif", MakeGif(4, 4, {Filled(4, 4, 1)}))));
    EXPECT_FALSE(store.LoadGif(row.path));
    EXPECT_EQ(store.frameCount(), 0);
    EXPECT_EQ(store.frames().Count(), 0);
    EXPECT_EQ(store.gifPath(), row.path);
    EXPECT_NE(store.LastErrorText().find(row.path), std::string::npos) << store.LastErrorText();
    EXPECT_NE(store.LastErrorText().find(row.reason), std::string::npos) << store.LastErrorText();
  }
}

TEST_F(FrameStoreTest, RefusesMoreFramesThanAMovieCanHold) {
  const std::vector<TestFrame> frames(32769, Filled(1, 1, 3));
  const std::string path = Gif("long.gif", MakeGif(1, 1, frames));
  EXPECT_FALSE(store.LoadGif(path));
  EXPECT_EQ(store.frameCount(), 0);
  EXPECT_NE(store.LastErrorText().find("32769 frames are more than a movie can hold (32768"),
            std::string::npos)
      << store.LastErrorText();
}

TEST_F(FrameStoreTest, TempFilesAreNamedAfterTheGifUnderTheOutputDirectory) {
  ASSERT_TRUE(store.LoadGif(Gif("a.b.c.gif", MakeGif(2, 2, {Filled(2, 2, 1)}))));
  EXPECT_EQ(FrameStore::TempDirectory("/out/"), "/out/quorvex/Temp/");
  EXPECT_EQ(store.FramePath("/out/", 0), "/out/quorvex/Temp/a.b.c00000.jpg");
  EXPECT_EQ(store.FramePath("/out/", 1000), "/out/quorvex/Temp/a.b.c01000.jpg");
}

TEST_F(FrameStoreTest, WriteFrameResizesTheHeldFrameAndSavesAJpeg) {
  ASSERT_TRUE(store.LoadGif(Gif("clip.gif", MakeGif(8, 6, {Filled(8, 6, 9), Filled(8, 6, 7)}))));
  const std::string output = folder.Path() + "out/";
  ASSERT_TRUE(store.WriteFrame(output, 1, 16, 12)) << store.LastErrorText();
  EXPECT_EQ(store.frames().At(1)->Width(), 16);
  EXPECT_EQ(store.frames().At(1)->Height(), 12);
  EXPECT_EQ(store.frames().At(0)->Width(), 8);

  image::ImageBuffer written;
  ASSERT_TRUE(written.LoadFirstFrame(output + "quorvex/Temp/clip00001.jpg"));
  EXPECT_EQ(written.Width(), 16);
  EXPECT_EQ(written.Height(), 12);
  EXPECT_FALSE(std::filesystem::exists(output + "quorvex/Temp/clip00000.jpg"));
}

TEST_F(FrameStoreTest, WriteFrameReportsBadIndicesAndUnwritableFolders) {
  EXPECT_FALSE(store.WriteFrame(folder.Path(), 0, 4, 4));
  EXPECT_EQ(store.LastErrorText(), "frame 0 does not exist (0 frames held)");
  ASSERT_TRUE(store.LoadGif(Gif("clip.gif", MakeGif(4, 4, {Filled(4, 4, 9)}))));
  EXPECT_FALSE(store.WriteFrame(folder.Path(), 1, 4, 4));
  EXPECT_EQ(store.LastErrorText(), "frame 1 does not exist (1 frames held)");
  EXPECT_FALSE(store.WriteFrame(folder.Path(), -1, 4, 4));

  // A file where the output directory should be: the folder cannot be made.
  const std::string blocked = folder.Path() + "blocked";
  ASSERT_TRUE(WriteBytes(blocked, {1}));
  EXPECT_FALSE(store.WriteFrame(blocked + "/", 0, 4, 4));
  EXPECT_EQ(store.LastErrorText(),
            "cannot create directory " + blocked + "/quorvex/Temp/: Not a directory");
}

TEST_F(FrameStoreTest, ClearTempFramesDeletesFilesButKeepsFolders) {
  const std::string output = folder.Path();
  store.ClearTempFrames(output);
  const std::string temp = FrameStore::TempDirectory(output);
  ASSERT_TRUE(std::filesystem::is_directory(temp));

  ASSERT_TRUE(WriteBytes(temp + "other00000.jpg", {1, 2}));
  ASSERT_TRUE(WriteBytes(temp + "notes.txt", {3}));
  std::filesystem::create_directory(temp + "keep");
  ASSERT_TRUE(WriteBytes(temp + "keep/inside.jpg", {4}));
  store.ClearTempFrames(output);
  EXPECT_FALSE(std::filesystem::exists(temp + "other00000.jpg"));
  EXPECT_FALSE(std::filesystem::exists(temp + "notes.txt"));
  EXPECT_TRUE(std::filesystem::exists(temp + "keep/inside.jpg"));
}

}  // namespace
}  // namespace core
