#include "app/core/movie_build.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <vector>

#include "app/core/file_names.h"
#include "common/hex_compare.h"
#include "common/swf_tag_walker.h"
#include "common/temp_dir.h"

namespace core {
namespace {

using testutil::Hex;
using testutil::SameBytes;

// Stand-in JPEG data: the build carries the file's bytes without decoding them.
const std::vector<uint8_t> kJpeg = Hex("FF D8 FF E0 00 02 FF D9");
const std::string kGif = "C:\\anim\\walk.cycle.gif";

class MovieBuildTest : public ::testing::Test {
 protected:
  MovieBuildTest() {
    settings.outputDirectory = dir.Path().string() + "/";
    settings.width = 100;
    settings.height = 50;
    settings.frameRate = 12;
  }

  void WriteFrames(int count) const {
    std::filesystem::create_directories(TempDirectory(settings.outputDirectory));
    for (int i = 0; i < count; ++i) {
      testutil::WriteFile(tempFramePath(settings.outputDirectory, kGif, i), kJpeg);
    }
  }
  std::vector<uint8_t> Movie() const {
    return testutil::ReadFile(moviePath(settings.outputDirectory, kGif));
  }

  testutil::TempDir dir;
  OutputSettings settings;
};

TEST_F(MovieBuildTest, OneFrameMovieHasTheExactTagSequence) {
  WriteFrames(1);
  const MovieResult result = buildMovie(settings, kGif, 1);
  ASSERT_TRUE(result.status) << result.status.message();
  EXPECT_EQ(result.outputPath, settings.outputDirectory + "walk.cycle.swf");
  const std::vector<uint8_t> file = Movie();
  const swftest::WalkedMovie movie = swftest::walkSwf(file);
  ASSERT_TRUE(movie.ok) << movie.error;
  // FWS 3, the 100 x 50 stage, 12 frames per second, one frame.
  EXPECT_TRUE(SameBytes(std::span(file).first(4), Hex("46 57 53 03")));
  EXPECT_TRUE(SameBytes(movie.frameRect, Hex("60 00 3E 80 00 1F 40")));
  EXPECT_TRUE(SameBytes(std::span(file).subspan(15, 4), Hex("00 0C 01 00")));
  const std::vector<std::vector<uint8_t>> expected = {
      Hex("43 02 FF FF FF"),  // SetBackgroundColor white
      Hex("7F 05 10 00 00 00 01 00 FF D9 FF D8 FF D8 FF E0 00 02 FF D9 FF D9"),
      Hex("3F 08 2E 00 00 00 00 00 60 00 3E 80 00 1F 40 01 41 01 00 D9 40 00 05 00 00 00"
          " 01 00 00 00 00 00 FF 11 3C 25 EA FA 00 01 CC 00 3E 8E B0 60 00 1C C0 04 18 00"),
      Hex("BF 06 06 00 00 00 06 01 00 00 00 00"),  // PlaceObject2 of shape 0 at depth 1
      Hex("40 00"),
      Hex("00 00"),
  };
  ASSERT_EQ(movie.tags.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_TRUE(SameBytes(movie.tags[i].bytes, expected[i])) << "tag " << i;
  }
}

TEST_F(MovieBuildTest, Frame1000UsesIds2001And2000AtDepth1001) {
  WriteFrames(1001);
  ASSERT_TRUE(buildMovie(settings, kGif, 1001).status);
  const swftest::WalkedMovie movie = swftest::walkSwf(Movie());
  ASSERT_TRUE(movie.ok) << movie.error;
  EXPECT_EQ(movie.frameCount, 1001);
  ASSERT_EQ(movie.tags.size(), 1u + 4u * 1001u + 1u);
  const std::size_t first = 1 + 4 * 1000;  // the tags of frame 1000
  EXPECT_TRUE(SameBytes(std::span(movie.tags[first].bytes).first(6), Hex("7F 05 10 00 00 00")));
  EXPECT_TRUE(SameBytes(std::span(movie.tags[first].body).first(2), Hex("D1 07")));
  EXPECT_TRUE(SameBytes(std::span(movie.tags[first + 1].body).first(2), Hex("D0 07")));
  EXPECT_TRUE(SameBytes(movie.tags[first + 2].bytes, Hex("BF 06 06 00 00 00 06 E9 03 D0 07 00")));
  EXPECT_EQ(movie.tags[first + 3].code, 1);
}

TEST_F(MovieBuildTest, AMissingOrEmptyFrameFileFailsNamingItAndKeepsTheEarlierMovie) {
  const std::vector<uint8_t> earlier = {'e', 'a', 'r', 'l', 'y'};
  testutil::WriteFile(moviePath(settings.outputDirectory, kGif), earlier);
  WriteFrames(4);
  const std::string missing = tempFramePath(settings.outputDirectory, kGif, 2);
  std::filesystem::remove(missing);
  MovieResult result = buildMovie(settings, kGif, 4);
  EXPECT_FALSE(result.status);
  EXPECT_EQ(result.failedFrame, 2);
  EXPECT_EQ(result.status.message(),
            "frame 2: cannot open " + missing + ": No such file or directory");

  const std::string empty = tempFramePath(settings.outputDirectory, kGif, 1);
  testutil::WriteFile(empty, {});
  result = buildMovie(settings, kGif, 2);
  EXPECT_EQ(result.failedFrame, 1);
  EXPECT_EQ(result.status.message(), "frame 1: " + empty + " is empty");
  EXPECT_EQ(Movie(), earlier);
  EXPECT_EQ(dir.Entries(), (std::set<std::string>{"quorvex", "walk.cycle.swf"}));
}

TEST_F(MovieBuildTest, RefusesBadRequestsBeforeWritingAnything) {
  struct Row {
    int frames, width, height, rate;
    const char* error;
  };
  const Row rows[] = {
      {0, 100, 50, 12, "the GIF holds no frame"},
      {32769, 100, 50, 12,
       "32769 frames are more than a movie can hold (32768: its character ids are 16-bit)"},
      {1, 0, 50, 12, "width 0 is below 1"},
      {1, 100, 16385, 12, "height 16385 is above the limit of 16384"},
      {1, 100, 50, 0, "frame rate 0 is outside 1..50"},
  };
  for (const Row& row : rows) {
    settings.width = row.width;
    settings.height = row.height;
    settings.frameRate = row.rate;
    const MovieResult result = buildMovie(settings, kGif, row.frames);
    EXPECT_FALSE(result.status);
    EXPECT_EQ(result.status.message(), row.error);
    EXPECT_EQ(result.failedFrame, -1);
  }
  EXPECT_TRUE(dir.Entries().empty());
}

}  // namespace
}  // namespace core
