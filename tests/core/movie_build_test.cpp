#include "app/core/movie_build.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "app/core/file_names.h"
#include "common/swf_tag_walker.h"
#include "core/hex_bytes.h"
#include "core/temp_folder.h"
#include "core/test_gif.h"

namespace core {
namespace {

using testing::SameBytes;
using testing::WriteBytes;

// Stand-in JPEG data: the build carries the file's bytes without decoding them.
const std::vector<uint8_t> kJpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x02, 0xFF, 0xD9};

class MovieBuildTest : public ::testing::Test {
 protected:
  MovieBuildTest() {
    settings.outputDirectory = folder.Path();
    settings.width = 100;
    settings.height = 50;
    settings.frameRate = 12;
  }

  void WriteFrames(int count) {
    std::filesystem::create_directories(TempDirectory(folder.Path()));
    for (int i = 0; i < count; ++i) {
      ASSERT_TRUE(WriteBytes(TempFramePath(folder.Path(), kGif, i), kJpeg));
    }
  }

  swftest::WalkedMovie Walk() const {
    return swftest::walkSwf(swftest::readFileBytes(MoviePath(folder.Path(), kGif)));
  }

  // Everything in the output folder but the temporary frame folder.
  std::vector<std::string> OutputFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
      if (entry.path().filename() != "quorvex") names.push_back(entry.path().filename().string());
    }
    return names;
  }

  const std::string kGif = "C:\\anim\\walk.cycle.gif";
  testing::TempFolder folder;
  OutputSettings settings;
};

TEST_F(MovieBuildTest, OneFrameMovieHasTheExactTagSequence) {
  WriteFrames(1);
  const MovieResult result = BuildMovie(settings, kGif, 1);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.outputPath, folder.Path() + "walk.cycle.swf");
  EXPECT_EQ(result.failedFrame, -1);

  const std::vector<uint8_t> file = swftest::readFileBytes(result.outputPath);
  const swftest::WalkedMovie movie = swftest::walkSwf(file);
  ASSERT_TRUE(movie.ok) << movie.error;
  EXPECT_TRUE(SameBytes(std::span(file).first(3), std::vector<uint8_t>{'F', 'W', 'S'}));
  EXPECT_EQ(movie.version, 3);
  EXPECT_TRUE(SameBytes(movie.frameRect, {0x60, 0x00, 0x3E, 0x80, 0x00, 0x1F, 0x40}));
  EXPECT_TRUE(SameBytes(std::span(file).subspan(15, 4), {0x00, 0x0C, 0x01, 0x00}));
  EXPECT_EQ(movie.codes(), (std::vector<uint16_t>{9, 21, 32, 26, 1, 0}));

  const std::vector<std::vector<uint8_t>> expected = {
      {0x43, 0x02, 0xFF, 0xFF, 0xFF},
      {0x7F, 0x05, 0x10, 0x00, 0x00, 0x00, 0x01, 0x00, 0xFF, 0xD9, 0xFF,
       0xD8, 0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x02, 0xFF, 0xD9, 0xFF, 0xD9},
      {0x3F, 0x08, 0x2E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x60, 0x00, 0x3E, 0x80, 0x00,
       0x1F, 0x40, 0x01, 0x41, 0x01, 0x00, 0xD9, 0x40, 0x00, 0x05, 0x00, 0x00, 0x00,
       0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x11, 0x3C, 0x25, 0xEA, 0xFA, 0x00,
       0x01, 0xCC, 0x00, 0x3E, 0x8E, 0xB0, 0x60, 0x00, 0x1C, 0xC0, 0x04, 0x18, 0x00},
      {0xBF, 0x06, 0x06, 0x00, 0x00, 0x00, 0x06, 0x01, 0x00, 0x00, 0x00, 0x00},
      {0x40, 0x00},
      {0x00, 0x00},
  };
  ASSERT_EQ(movie.tags.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("tag " + std::to_string(i));
    EXPECT_TRUE(SameBytes(movie.tags[i].bytes, expected[i]));
  }
}

TEST_F(MovieBuildTest, Frame1000UsesIds2001And2000AtDepth1001) {
  WriteFrames(1001);
  settings.width = 2;
  settings.height = 2;
  ASSERT_TRUE(BuildMovie(settings, kGif, 1001).ok);
  const swftest::WalkedMovie movie = Walk();
  ASSERT_TRUE(movie.ok) << movie.error;
  EXPECT_EQ(movie.frameCount, 1001);
  ASSERT_EQ(movie.tags.size(), 1u + 4u * 1001u + 1u);
  const std::size_t first = 1 + 4 * 1000;  // the tags of frame 1000
  EXPECT_EQ(movie.tags[first].code, 21);
  EXPECT_TRUE(SameBytes(std::span(movie.tags[first].body).first(2), {0xD1, 0x07}));
  EXPECT_EQ(movie.tags[first + 1].code, 32);
  EXPECT_TRUE(SameBytes(std::span(movie.tags[first + 1].body).first(2), {0xD0, 0x07}));
  EXPECT_TRUE(SameBytes(movie.tags[first + 2].bytes,
                        {0xBF, 0x06, 0x06, 0x00, 0x00, 0x00, 0x06, 0xE9, 0x03, 0xD0, 0x07, 0x00}));
  EXPECT_EQ(movie.tags[first + 3].code, 1);
}

TEST_F(MovieBuildTest, MissingFrameFailsNamingItAndKeepsTheEarlierMovie) {
  const std::vector<uint8_t> earlier = {'e', 'a', 'r', 'l', 'i', 'e', 'r'};
  ASSERT_TRUE(WriteBytes(MoviePath(folder.Path(), kGif), earlier));
  WriteFrames(4);
  const std::string missing = TempFramePath(folder.Path(), kGif, 2);
  std::filesystem::remove(missing);

  const MovieResult result = BuildMovie(settings, kGif, 4);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.failedFrame, 2);
  EXPECT_EQ(result.error, "frame 2: cannot open " + missing + ": No such file or directory");
  EXPECT_EQ(swftest::readFileBytes(result.outputPath), earlier);
  EXPECT_EQ(OutputFiles(), std::vector<std::string>{"walk.cycle.swf"});
}

TEST_F(MovieBuildTest, EmptyFrameFileFailsAndWritesNoMovie) {
  WriteFrames(2);
  ASSERT_TRUE(WriteBytes(TempFramePath(folder.Path(), kGif, 1), {}));
  const MovieResult result = BuildMovie(settings, kGif, 2);
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.failedFrame, 1);
  EXPECT_EQ(result.error, "frame 1: " + TempFramePath(folder.Path(), kGif, 1) + " is empty");
  EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(MovieBuildTest, RefusesCountsSizesAndRatesOutsideTheLimitsBeforeReadingFrames) {
  struct Row {
    const char* name;
    int frames;
    int width;
    int height;
    int rate;
    const char* error;
  };
  const Row rows[] = {
      {"no frame", 0, 100, 50, 12, "the GIF holds no frame"},
      {"32769 frames", 32769, 100, 50, 12,
       "32769 frames are more than a movie can hold (32768: its character ids are 16-bit)"},
      {"zero width", 1, 0, 50, 12, "width 0 is below 1"},
      {"too high", 1, 100, 16385, 12, "height 16385 is above the limit of 16384"},
      {"rate 0", 1, 100, 50, 0, "frame rate 0 is outside 1..50"},
      {"rate 51", 1, 100, 50, 51, "frame rate 51 is outside 1..50"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    settings.width = row.width;
    settings.height = row.height;
    settings.frameRate = row.rate;
    const MovieResult result = BuildMovie(settings, kGif, row.frames);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, row.error);
    EXPECT_EQ(result.failedFrame, -1);
    EXPECT_TRUE(OutputFiles().empty());
  }
}

TEST_F(MovieBuildTest, UnwritableOutputDirectoryIsReportedWithItsPath) {
  WriteFrames(1);
  settings.outputDirectory = folder.Path() + "missing/";
  const MovieResult result = BuildMovie(settings, kGif, 1);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find(folder.Path() + "missing/"), std::string::npos) << result.error;
  EXPECT_NE(result.error.find("No such file or directory"), std::string::npos) << result.error;
}

}  // namespace
}  // namespace core
