#include <gtest/gtest.h>

#include <array>
#include <cstdint>
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

using testutil::filledFrame;
using testutil::makeGif;

const std::string kData = std::string(QUORVEX_TEST_DATA_DIR) + "/cli/";

std::string folder(const testutil::TempDir& dir) { return dir.path().string() + "/"; }

// The window's way: every frame written by WriteFrame, then the movie built from the files.
std::vector<uint8_t> captureAndBuild(const std::string& gif, const OutputSettings& settings) {
  FrameStore store;
  const support::Status loaded = store.LoadGif(gif);
  EXPECT_TRUE(loaded) << loaded.message();
  for (int i = 0; i < store.frameCount(); ++i) {
    const support::Status written =
        store.WriteFrame(settings.outputDirectory, i, settings.width, settings.height);
    EXPECT_TRUE(written) << written.message();
  }
  const MovieResult result = buildMovie(settings, gif, store.frameCount());
  EXPECT_TRUE(result.status) << result.status.message();
  return testutil::readFile(result.outputPath);
}

MovieResult stream(const std::string& gif, const OutputSettings& settings, int jobs,
                   const ProgressCallback& progress = {}, uint64_t memoryLimit = 0) {
  return convertGif({gif, {}, settings, jobs, memoryLimit}, progress);
}

TEST(StreamingConversion, WritesTheBytesOfWriteFrameAndBuildMovieForAnyJobs) {
  testutil::TempDir dir;
  // A first frame that leaves most of the screen transparent takes the premultiplied path.
  const std::string sprite = dir.file("sprite.gif");
  testutil::writeFile(sprite, makeGif(9, 7,
                                      {{2, 1, 3, 4, std::vector<uint8_t>(12, 200)},
                                       {5, 3, 4, 4, std::vector<uint8_t>(16, 30)}}));
  // More frames than the encoder's window holds.
  std::vector<testutil::GifFrame> frames;
  for (int i = 0; i < 64; ++i) frames.push_back(filledFrame(6, 4, static_cast<uint8_t>(i * 4)));
  const std::string many = dir.file("many.gif");
  testutil::writeFile(many, makeGif(6, 4, frames));
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
    OutputSettings settings{SizeMode::CustomSize, width, height, 0, 0, 15, folder(window)};
    const std::vector<uint8_t> expected = captureAndBuild(gif, settings);
    ASSERT_FALSE(expected.empty());
    testutil::TempDir streamed;
    settings.outputDirectory = folder(streamed);
    for (const int jobs : {1, 2, 4}) {
      const MovieResult result = stream(gif, settings, jobs);
      ASSERT_TRUE(result.status) << result.status.message();
      EXPECT_TRUE(testutil::readFile(result.outputPath) == expected) << jobs << " jobs";
    }
  }
  // The sprite's transparent surroundings come out white, the sprite in its colour (palette
  // entry 200: red 200, green 55, blue 120).
  testutil::TempDir spriteOut;
  const OutputSettings large{SizeMode::CustomSize, 27, 21, 9, 7, 10, folder(spriteOut)};
  const swftest::WalkedMovie movie =
      swftest::walkSwf(testutil::readFile(stream(sprite, large, 2).outputPath));
  ASSERT_TRUE(movie.ok) << movie.error;
  const image::ImageSequence decoded = testutil::decodeBitmapTag(movie.tags[1]);
  ASSERT_EQ(decoded.Count(), 1);
  const uint8_t* corner = decoded.At(0)->PixelAddress(0, 20);
  const uint8_t* inside = decoded.At(0)->PixelAddress(10, 8);
  for (int c = 0; c < 3; ++c) {
    EXPECT_GE(corner[c], 245) << c;
    EXPECT_NEAR(inside[c], (std::array{120, 55, 200}[static_cast<std::size_t>(c)]), 16) << c;
  }

  std::vector<int> progress;
  const OutputSettings settings{SizeMode::ActualSize, 40, 30, 40, 30, 10, folder(dir)};
  stream(kData + "anim.gif", settings, 2,
         [&](int done, int total) { progress.push_back(done * 10 + total); });
  EXPECT_EQ(progress, (std::vector<int>{13, 23, 33}));
}

// FNV-1a, 64 bits: a short fingerprint of a movie.
uint64_t fingerprint(const std::vector<uint8_t>& bytes) {
  uint64_t hash = 0xCBF29CE484222325U;
  for (const uint8_t byte : bytes) hash = (hash ^ byte) * 0x100000001B3U;
  return hash;
}

// The movies these GIFs made before the conversion streamed its output (fingerprints of the
// files, size options at 10 frames per second): the same bytes at 1 and at 4 jobs.
TEST(StreamingConversion, MoviesKeepTheBytesTheyHadBeforeStreaming) {
  const std::string gifs = std::string(QUORVEX_TEST_DATA_DIR) + "/gif/";
  const struct {
    std::string gif;
    SizeMode mode;
    int width;
    int height;
    uint64_t fingerprint;
  } rows[] = {
      {kData + "anim.gif", SizeMode::ActualSize, 40, 30, 0x6ADE3175EB74C975U},
      {kData + "anim.gif", SizeMode::DoubleSize, 40, 30, 0xAE55446237266522U},
      {kData + "anim.gif", SizeMode::HalfSize, 40, 30, 0x54F8BA2331777CD5U},
      {kData + "walk.cycle.gif", SizeMode::ActualSize, 24, 16, 0x58AEBF472FE1F1EAU},
      {kData + "walk.cycle.gif", SizeMode::DoubleSize, 24, 16, 0x35734D222E59CE11U},
      {kData + "walk.cycle.gif", SizeMode::HalfSize, 24, 16, 0x8EC5FFD79BB22BF4U},
      {gifs + "transparency.gif", SizeMode::ActualSize, 4, 3, 0x2A33A6539D4851F2U},
      {gifs + "transparency.gif", SizeMode::DoubleSize, 4, 3, 0xE28EB25E76B50EF9U},
      {gifs + "disposal_previous.gif", SizeMode::ActualSize, 4, 4, 0x319989C280454B78U},
      {gifs + "disposal_previous.gif", SizeMode::DoubleSize, 4, 4, 0x6E7ACFAC14F613B5U},
  };
  testutil::TempDir dir;
  for (const auto& row : rows) {
    const auto [width, height] = *sizeForOption(row.mode, row.width, row.height);
    const OutputSettings settings{row.mode, width, height, row.width, row.height, 10, folder(dir)};
    for (const int jobs : {1, 4}) {
      SCOPED_TRACE(row.gif + " at " + std::to_string(width) + "x" + std::to_string(height) + ", " +
                   std::to_string(jobs) + " jobs");
      const MovieResult result = stream(row.gif, settings, jobs);
      ASSERT_TRUE(result.status) << result.status.message();
      EXPECT_EQ(fingerprint(testutil::readFile(result.outputPath)), row.fingerprint);
    }
  }
}

TEST(StreamingConversion, FailuresWriteNoMovieAndKeepAnEarlierOne) {
  testutil::TempDir dir;
  const std::string gif = dir.file("clip.gif");
  testutil::writeFile(gif, makeGif(4, 4, {filledFrame(4, 4, 1)}));
  OutputSettings settings{SizeMode::ActualSize, 4, 4, 4, 4, 10, folder(dir)};
  ASSERT_TRUE(stream(gif, settings, 1).status);
  const std::vector<uint8_t> earlier = testutil::readFile(moviePath(folder(dir), gif));
  settings.width = 16385;
  EXPECT_EQ(stream(gif, settings, 1).status.message(), "width 16385 is above the limit of 16384");
  EXPECT_EQ(testutil::readFile(moviePath(folder(dir), gif)), earlier);
  settings.width = 4;
  settings.outputDirectory = folder(dir) + "gone/";
  EXPECT_NE(stream(gif, settings, 1).status.message().find(folder(dir) + "gone/"),
            std::string::npos);

  // More frames than 16-bit ids allow: refused before any frame is decoded.
  const std::string longGif = dir.file("long.gif");
  testutil::writeFile(longGif, makeGif(1, 1, std::vector(32769, filledFrame(1, 1, 7))));
  int calls = 0;
  const MovieResult refused = stream(longGif, settings, 2, [&calls](int, int) { ++calls; });
  EXPECT_EQ(refused.status.message(),
            "32769 frames are more than a movie can hold (32768: its character ids are 16-bit)");
  EXPECT_EQ(calls, 0);
}

TEST(StreamingConversion, AFrameThatDoesNotDecodeIsNamedAndNothingIsLeft) {
  testutil::TempDir dir;
  std::vector<testutil::GifFrame> frames;
  for (int i = 0; i < 12; ++i) frames.push_back(filledFrame(8, 8, static_cast<uint8_t>(i)));
  std::vector<uint8_t> bytes = makeGif(8, 8, frames);
  image::GifFile parsed;
  ASSERT_TRUE(image::parseGif(bytes, &parsed, nullptr));
  // After the clear code, the second 9-bit code of frame 7 becomes 511: no such entry exists yet.
  const std::size_t data = parsed.frames[7].dataOffset + 1;
  bytes[data + 1] = 0xFF;
  bytes[data + 2] = 0xFF;
  const std::string gif = dir.file("broken.gif");
  testutil::writeFile(gif, bytes);
  for (const int jobs : {1, 3}) {
    const MovieResult result =
        stream(gif, {SizeMode::CustomSize, 16, 16, 8, 8, 10, folder(dir)}, jobs);
    EXPECT_EQ(result.failedFrame, 7);
    EXPECT_EQ(result.status.message(), "frame 7: the data is corrupt");
  }
  const ExportResult exported = exportGifSequence({gif, {}, folder(dir), ".bmp"}, {});
  EXPECT_EQ(exported.status.message(), "frame 7: the data is corrupt");
  EXPECT_EQ(dir.entries(), std::set<std::string>{"broken.gif"});
}

// A smaller memory limit means fewer jobs (or frames encoded in place), never other bytes; below
// what one job needs the GIF is refused before any work.
TEST(StreamingConversion, TheMemoryLimitReducesJobsNotBytes) {
  testutil::TempDir dir;
  std::vector<testutil::GifFrame> frames;
  for (int i = 0; i < 6; ++i) frames.push_back(filledFrame(640, 480, static_cast<uint8_t>(i * 40)));
  frames.push_back({300, 200, 20, 10, std::vector<uint8_t>(200, 3)});
  const std::string gif = dir.file("wide.gif");
  testutil::writeFile(gif, makeGif(640, 480, frames));
  const OutputSettings settings{SizeMode::ActualSize, 640, 480, 640, 480, 10, folder(dir)};
  const MovieResult reference = stream(gif, settings, 4);
  ASSERT_TRUE(reference.status) << reference.status.message();
  EXPECT_EQ(reference.jobs, 4);
  const std::vector<uint8_t> expected = testutil::readFile(reference.outputPath);
  int previousJobs = 4;
  bool reduced = false;
  for (const int mebibytes : {32, 16, 12, 8, 6, 4, 1}) {
    SCOPED_TRACE(std::to_string(mebibytes) + " MiB");
    std::filesystem::remove(reference.outputPath);
    const MovieResult result = stream(gif, settings, 4, {}, uint64_t(mebibytes) << 20);
    EXPECT_LE(result.jobs, previousJobs);
    previousJobs = result.jobs;
    if (!result.status) {
      EXPECT_EQ(result.jobs, 0);
      EXPECT_EQ(result.status.message().rfind("converting it needs about ", 0), 0U)
          << result.status.message();
      EXPECT_NE(result.status.message().find("of working memory, more than the limit of " +
                                             std::to_string(mebibytes) + " MiB"),
                std::string::npos)
          << result.status.message();
      EXPECT_EQ(dir.entries(), std::set<std::string>{"wide.gif"});
      continue;
    }
    reduced = reduced || result.jobs < 4;
    EXPECT_TRUE(testutil::readFile(result.outputPath) == expected);
  }
  EXPECT_TRUE(reduced);
  EXPECT_EQ(previousJobs, 0) << "1 MiB holds not even one canvas";
}

TEST(StreamingConversion, AGifNamedLikeItsMovieIsNotWrittenOver) {
  testutil::TempDir dir;
  const std::string gif = dir.file("clip.swf");
  const std::vector<uint8_t> bytes = makeGif(4, 4, {filledFrame(4, 4, 1)});
  testutil::writeFile(gif, bytes);
  const MovieResult result = stream(gif, {SizeMode::ActualSize, 4, 4, 4, 4, 10, folder(dir)}, 1);
  EXPECT_EQ(result.status.message(),
            folder(dir) + "clip.swf is the GIF being converted; it is not written over");
  EXPECT_EQ(testutil::readFile(gif), bytes);
}

// Frames get their names only when all are written: a failure leaves an earlier export of the
// same name as it was, and a frame that could never be named is refused before any is.
TEST(SequenceExport, AFailedExportLeavesAnEarlierOneAsItWas) {
  testutil::TempDir dir;
  const std::string gif = dir.file("seq.gif");
  testutil::writeFile(gif, makeGif(2, 2, std::vector(4, filledFrame(2, 2, 5))));
  ASSERT_TRUE(exportGifSequence({gif, {}, folder(dir), ".bmp"}, {}).status);
  const auto frameFiles = [&] {
    std::vector<std::vector<uint8_t>> files;
    for (int i = 0; i < 4; ++i) {
      files.push_back(testutil::readFile(sequenceFramePath(folder(dir), gif, i, ".bmp")));
    }
    return files;
  };
  const auto earlier = frameFiles();

  std::vector<uint8_t> broken = makeGif(2, 2, std::vector(4, filledFrame(2, 2, 9)));
  image::GifFile parsed;
  ASSERT_TRUE(image::parseGif(broken, &parsed, nullptr));
  broken[parsed.frames[2].dataOffset + 2] = 0xFF;  // frame 2: code 511, defined by nothing
  broken[parsed.frames[2].dataOffset + 3] = 0xFF;
  testutil::writeFile(gif, broken);
  EXPECT_EQ(exportGifSequence({gif, {}, folder(dir), ".bmp"}, {}).status.message(),
            "frame 2: the data is corrupt");
  EXPECT_TRUE(frameFiles() == earlier);
  EXPECT_EQ(testutil::TempDir::entriesOf(sequenceFolder(folder(dir))).size(), 4U);

  testutil::writeFile(gif, makeGif(2, 2, std::vector(5, filledFrame(2, 2, 9))));
  const std::string fifth = sequenceFramePath(folder(dir), gif, 4, ".bmp");
  std::filesystem::create_directories(fifth);
  const ExportResult failed = exportGifSequence({gif, {}, folder(dir), ".bmp"}, {});
  EXPECT_EQ(failed.status.message(), "cannot replace '" + fifth + "': Is a directory");
  EXPECT_TRUE(frameFiles() == earlier);
}

}  // namespace
}  // namespace core
