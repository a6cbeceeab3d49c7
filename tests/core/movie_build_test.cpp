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

using testutil::hex;
using testutil::sameBytes;

// Stand-in JPEG data: the build carries the file's bytes without decoding them.
const std::vector<uint8_t> kJpeg = hex("FF D8 FF E0 00 02 FF D9");
const std::string kGif = "C:\\anim\\walk.cycle.gif";

class MovieBuildTest : public ::testing::Test {
 protected:
  MovieBuildTest() {
    m_settings.outputDirectory = m_dir.path().string() + "/";
    m_settings.width = 100;
    m_settings.height = 50;
    m_settings.frameRate = 12;
  }

  void writeFrames(int count) const {
    std::filesystem::create_directories(TempDirectory(m_settings.outputDirectory));
    for (int i = 0; i < count; ++i) {
      testutil::writeFile(tempFramePath(m_settings.outputDirectory, kGif, i), kJpeg);
    }
  }
  std::vector<uint8_t> movieBytes() const {
    return testutil::readFile(moviePath(m_settings.outputDirectory, kGif));
  }

  testutil::TempDir m_dir;
  OutputSettings m_settings;
};

TEST_F(MovieBuildTest, OneFrameMovieHasTheExactTagSequence) {
  writeFrames(1);
  const MovieResult result = buildMovie(m_settings, kGif, 1);
  ASSERT_TRUE(result.status) << result.status.message();
  EXPECT_EQ(result.outputPath, m_settings.outputDirectory + "walk.cycle.swf");
  const std::vector<uint8_t> file = movieBytes();
  const swftest::WalkedMovie movie = swftest::walkSwf(file);
  ASSERT_TRUE(movie.ok) << movie.error;
  // FWS 3, the 100 x 50 stage, 12 frames per second, one frame.
  EXPECT_TRUE(sameBytes(std::span(file).first(4), hex("46 57 53 03")));
  EXPECT_TRUE(sameBytes(movie.frameRect, hex("60 00 3E 80 00 1F 40")));
  EXPECT_TRUE(sameBytes(std::span(file).subspan(15, 4), hex("00 0C 01 00")));
  const std::vector<std::vector<uint8_t>> expected = {
      hex("43 02 FF FF FF"),  // SetBackgroundColor white
      hex("7F 05 10 00 00 00 01 00 FF D9 FF D8 FF D8 FF E0 00 02 FF D9 FF D9"),
      hex("3F 08 2E 00 00 00 00 00 60 00 3E 80 00 1F 40 01 41 01 00 D9 40 00 05 00 00 00"
          " 01 00 00 00 00 00 FF 11 3C 25 EA FA 00 01 CC 00 3E 8E B0 60 00 1C C0 04 18 00"),
      hex("BF 06 06 00 00 00 06 01 00 00 00 00"),  // PlaceObject2 of shape 0 at depth 1
      hex("40 00"),
      hex("00 00"),
  };
  ASSERT_EQ(movie.tags.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_TRUE(sameBytes(movie.tags[i].bytes, expected[i])) << "tag " << i;
  }
}

TEST_F(MovieBuildTest, Frame1000UsesIds2001And2000AtDepth1001) {
  writeFrames(1001);
  ASSERT_TRUE(buildMovie(m_settings, kGif, 1001).status);
  const swftest::WalkedMovie movie = swftest::walkSwf(movieBytes());
  ASSERT_TRUE(movie.ok) << movie.error;
  EXPECT_EQ(movie.frameCount, 1001);
  ASSERT_EQ(movie.tags.size(), 1u + 4u * 1001u + 1u);
  const std::size_t first = 1 + 4 * 1000;  // the tags of frame 1000
  EXPECT_TRUE(sameBytes(std::span(movie.tags[first].bytes).first(6), hex("7F 05 10 00 00 00")));
  EXPECT_TRUE(sameBytes(std::span(movie.tags[first].body).first(2), hex("D1 07")));
  EXPECT_TRUE(sameBytes(std::span(movie.tags[first + 1].body).first(2), hex("D0 07")));
  EXPECT_TRUE(sameBytes(movie.tags[first + 2].bytes, hex("BF 06 06 00 00 00 06 E9 03 D0 07 00")));
  EXPECT_EQ(movie.tags[first + 3].code, 1);
}

TEST_F(MovieBuildTest, AMissingOrEmptyFrameFileFailsNamingItAndKeepsTheEarlierMovie) {
  const std::vector<uint8_t> earlier = {'e', 'a', 'r', 'l', 'y'};
  testutil::writeFile(moviePath(m_settings.outputDirectory, kGif), earlier);
  writeFrames(4);
  const std::string missing = tempFramePath(m_settings.outputDirectory, kGif, 2);
  std::filesystem::remove(missing);
  MovieResult result = buildMovie(m_settings, kGif, 4);
  EXPECT_FALSE(result.status);
  EXPECT_EQ(result.failedFrame, 2);
  EXPECT_EQ(result.status.message(),
            "frame 2: cannot open " + missing + ": No such file or directory");

  const std::string empty = tempFramePath(m_settings.outputDirectory, kGif, 1);
  testutil::writeFile(empty, {});
  result = buildMovie(m_settings, kGif, 2);
  EXPECT_EQ(result.failedFrame, 1);
  EXPECT_EQ(result.status.message(), "frame 1: " + empty + " is empty");
  EXPECT_EQ(movieBytes(), earlier);
  EXPECT_EQ(m_dir.entries(), (std::set<std::string>{"quorvex", "walk.cycle.swf"}));
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
    m_settings.width = row.width;
    m_settings.height = row.height;
    m_settings.frameRate = row.rate;
    const MovieResult result = buildMovie(m_settings, kGif, row.frames);
    EXPECT_FALSE(result.status);
    EXPECT_EQ(result.status.message(), row.error);
    EXPECT_EQ(result.failedFrame, -1);
  }
  EXPECT_TRUE(m_dir.entries().empty());
}

}  // namespace
}  // namespace core
