#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <tuple>
#include <vector>

#include "app/core/convert.h"
#include "app/core/file_names.h"
#include "app/core/frame_store.h"
#include "app/core/movie_build.h"
#include "app/core/sequence_export.h"
#include "common/movie_frames.h"
#include "common/temp_dir.h"
#include "common/test_gif.h"
#include "image/gif/gif_parser.h"

namespace core {
namespace {

using testutil::FilledFrame;
using testutil::MakeGif;

const std::string kData = std::string(QUORVEX_TEST_DATA_DIR) + "/cli/";

std::string Folder(const testutil::TempDir& dir) { return dir.Path().string() + "/"; }

// The window's way: every frame written by WriteFrame, then the movie built from the files.
std::vector<uint8_t> CaptureAndBuild(const std::string& gif, const OutputSettings& settings) {
  FrameStore store;
  EXPECT_TRUE(store.LoadGif(gif)) << store.LastErrorText();
  for (int i = 0; i < store.frameCount(); ++i) {
    std::string error;
    EXPECT_TRUE(
        store.WriteFrame(settings.outputDirectory, i, settings.width, settings.height, &error))
        << error;
  }
  const MovieResult result = BuildMovie(settings, gif, store.frameCount());
  EXPECT_TRUE(result.ok) << result.error;
  return testutil::ReadFile(result.outputPath);
}

MovieResult Stream(const std::string& gif, const OutputSettings& settings, int jobs,
                   const ProgressCallback& progress = {}) {
  return ConvertGif({gif, {}, settings, jobs}, progress);
}

TEST(StreamingConversion, WritesTheBytesOfWriteFrameAndBuildMovieForAnyJobs) {
  testutil::TempDir dir;
  // A first frame that leaves most of the screen transparent takes the premultiplied path.
  const std::string sprite = dir.File("sprite.gif");
  testutil::WriteFile(sprite, MakeGif(9, 7,
                                      {{2, 1, 3, 4, std::vector<uint8_t>(12, 200)},
                                       {5, 3, 4, 4, std::vector<uint8_t>(16, 30)}}));
  // More frames than the encoder's window holds.
  std::vector<testutil::GifFrame> frames;
  for (int i = 0; i < 64; ++i) frames.push_back(FilledFrame(6, 4, static_cast<uint8_t>(i * 4)));
  const std::string many = dir.File("many.gif");
  testutil::WriteFile(many, MakeGif(6, 4, frames));
  const std::tuple<std::string, int, int> rows[] = {{kData + "anim.gif", 40, 30},
                                                    {kData + "anim.gif", 80, 60},
                                                    {kData + "anim.gif", 61, 17},
                                                    {kData + "walk.cycle.gif", 72, 48},
                                                    {sprite, 27, 21},
                                                    {sprite, 4, 3},
                                                    {many, 12, 8}};
  for (const auto& [gif, width, height] : rows) {
    SCOPED_TRACE(gif + " at " + std::to_string(width) + "x" + std::to_string(height));
    testutil::TempDir window;
    OutputSettings settings{SizeMode::CustomSize, width, height, 0, 0, 15, Folder(window)};
    const std::vector<uint8_t> expected = CaptureAndBuild(gif, settings);
    ASSERT_FALSE(expected.empty());
    testutil::TempDir streamed;
    settings.outputDirectory = Folder(streamed);
    for (const int jobs : {1, 2, 4}) {
      const MovieResult result = Stream(gif, settings, jobs);
      ASSERT_TRUE(result.ok) << result.error;
      EXPECT_TRUE(testutil::ReadFile(result.outputPath) == expected) << jobs << " jobs";
    }
  }
  // The sprite's transparent surroundings come out white, the sprite in its colour (palette
  // entry 200: red 200, green 55, blue 120).
  testutil::TempDir spriteOut;
  const OutputSettings large{SizeMode::CustomSize, 27, 21, 9, 7, 10, Folder(spriteOut)};
  const swftest::WalkedMovie movie =
      swftest::walkSwf(testutil::ReadFile(Stream(sprite, large, 2).outputPath));
  ASSERT_TRUE(movie.ok) << movie.error;
  const image::ImageSequence decoded = testutil::DecodeBitmapTag(movie.tags[1]);
  ASSERT_EQ(decoded.Count(), 1);
  const uint8_t* corner = decoded.At(0)->PixelAddress(0, 20);
  const uint8_t* inside = decoded.At(0)->PixelAddress(10, 8);
  for (int c = 0; c < 3; ++c) {
    EXPECT_GE(corner[c], 245) << c;
    EXPECT_NEAR(inside[c], (std::array{120, 55, 200}[static_cast<std::size_t>(c)]), 16) << c;
  }

  std::vector<int> progress;
  const OutputSettings settings{SizeMode::ActualSize, 40, 30, 40, 30, 10, Folder(dir)};
  Stream(kData + "anim.gif", settings, 2,
         [&](int done, int total) { progress.push_back(done * 10 + total); });
  EXPECT_EQ(progress, (std::vector<int>{13, 23, 33}));
}

TEST(StreamingConversion, FailuresWriteNoMovieAndKeepAnEarlierOne) {
  testutil::TempDir dir;
  const std::string gif = dir.File("clip.gif");
  testutil::WriteFile(gif, MakeGif(4, 4, {FilledFrame(4, 4, 1)}));
  OutputSettings settings{SizeMode::ActualSize, 4, 4, 4, 4, 10, Folder(dir)};
  ASSERT_TRUE(Stream(gif, settings, 1).ok);
  const std::vector<uint8_t> earlier = testutil::ReadFile(MoviePath(Folder(dir), gif));
  settings.width = 16385;
  EXPECT_EQ(Stream(gif, settings, 1).error, "width 16385 is above the limit of 16384");
  EXPECT_EQ(testutil::ReadFile(MoviePath(Folder(dir), gif)), earlier);
  settings.width = 4;
  settings.outputDirectory = Folder(dir) + "gone/";
  EXPECT_NE(Stream(gif, settings, 1).error.find(Folder(dir) + "gone/"), std::string::npos);

  // More frames than 16-bit ids allow: refused before any frame is decoded.
  const std::string longGif = dir.File("long.gif");
  testutil::WriteFile(longGif, MakeGif(1, 1, std::vector(32769, FilledFrame(1, 1, 7))));
  int calls = 0;
  const MovieResult refused = Stream(longGif, settings, 2, [&calls](int, int) { ++calls; });
  EXPECT_EQ(refused.error,
            "32769 frames are more than a movie can hold (32768: its character ids are 16-bit)");
  EXPECT_EQ(calls, 0);
}

TEST(StreamingConversion, AFrameThatDoesNotDecodeIsNamedAndNothingIsLeft) {
  testutil::TempDir dir;
  std::vector<testutil::GifFrame> frames;
  for (int i = 0; i < 12; ++i) frames.push_back(FilledFrame(8, 8, static_cast<uint8_t>(i)));
  std::vector<uint8_t> bytes = MakeGif(8, 8, frames);
  image::GifFile parsed;
  ASSERT_TRUE(image::ParseGif(bytes, &parsed, nullptr));
  // After the clear code, the second 9-bit code of frame 7 becomes 511: no such entry exists yet.
  const std::size_t data = parsed.frames[7].dataOffset + 1;
  bytes[data + 1] = 0xFF;
  bytes[data + 2] = 0xFF;
  const std::string gif = dir.File("broken.gif");
  testutil::WriteFile(gif, bytes);
  for (const int jobs : {1, 3}) {
    const MovieResult result =
        Stream(gif, {SizeMode::CustomSize, 16, 16, 8, 8, 10, Folder(dir)}, jobs);
    EXPECT_EQ(result.failedFrame, 7);
    EXPECT_EQ(result.error, "frame 7: the data is corrupt");
  }
  const ExportResult exported = ExportGifSequence({gif, {}, Folder(dir), ".bmp"}, {});
  EXPECT_EQ(exported.error, "frame 7: the data is corrupt");
  EXPECT_EQ(dir.Entries(), std::set<std::string>{"broken.gif"});
}

TEST(SequenceExport, RemovesItsFilesWhenOneCannotBeWritten) {
  testutil::TempDir dir;
  const std::string gif = dir.File("seq.gif");
  testutil::WriteFile(gif, MakeGif(2, 2, std::vector(3, FilledFrame(2, 2, 9))));
  // A folder where the third file should go makes its save fail.
  const std::string third = SequenceFramePath(Folder(dir), gif, 2, ".bmp");
  std::filesystem::create_directories(third);
  const ExportResult failed = ExportGifSequence({gif, {}, Folder(dir), ".bmp"}, {});
  EXPECT_NE(failed.error.find(third), std::string::npos) << failed.error;
  EXPECT_FALSE(std::filesystem::exists(SequenceFramePath(Folder(dir), gif, 0, ".bmp")));
  EXPECT_FALSE(std::filesystem::exists(SequenceFramePath(Folder(dir), gif, 1, ".bmp")));
}

}  // namespace
}  // namespace core
