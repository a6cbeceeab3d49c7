#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <tuple>

#include "app/core/file_names.h"
#include "app/core/output_settings.h"

namespace core {
namespace {

TEST(FileNames, BaseNameDropsFoldersAndTheLastExtensionFramesHaveFiveDigits) {
  struct Row {
    std::string actual;
    const char* expected;
  };
  const Row rows[] = {
      {tempFramePath("C:/out/", "D:\\clips\\cat.walk.gif", 7),
       "C:/out/quorvex/Temp/cat.walk00007.jpg"},
      {moviePath("C:/out/", "C:\\anim\\walk.cycle.gif"), "C:/out/walk.cycle.swf"},
      {moviePath("/out/", "/home/u/a.b.c.gif"), "/out/a.b.c.swf"},
      {moviePath("/out/", "/home/u.v/noext"), "/out/noext.swf"},
      {tempFramePath("/o/", "a.b.c.gif", 0), "/o/quorvex/Temp/a.b.c00000.jpg"},
      {tempFramePath("/o/", "x.gif", 1000), "/o/quorvex/Temp/x01000.jpg"},
      {tempFramePath("/o/", "x.gif", 123456), "/o/quorvex/Temp/x123456.jpg"},
      {sequenceFramePath("C:/out/", "C:\\gifs\\anim.gif", 7, ".bmp"),
       "C:/out/quorvex/anim00007.bmp"},
      {sequenceFramePath("/o/", "/g/anim.gif", 11, ".tga"), "/o/quorvex/anim00011.tga"},
  };
  for (const Row& row : rows) EXPECT_EQ(row.actual, row.expected);
}

TEST(SizeForOption, DerivesEachOptionFromTheSourceSize) {
  const std::tuple<SizeMode, int, int, int, int> rows[] = {
      {SizeMode::HalfSize, 101, 75, 50, 37},     {SizeMode::HalfSize, 1, 3, 1, 1},
      {SizeMode::ActualSize, 101, 75, 101, 75},  {SizeMode::DoubleSize, 101, 75, 202, 150},
      {SizeMode::TripleSize, 101, 75, 303, 225}, {SizeMode::TripleSize, 600, 500, 1800, 1500},
  };
  for (const auto& [mode, sourceWidth, sourceHeight, width, height] : rows) {
    EXPECT_EQ(sizeForOption(mode, sourceWidth, sourceHeight), std::make_pair(width, height));
  }
  EXPECT_FALSE(sizeForOption(SizeMode::CustomSize, 100, 80).has_value());
  EXPECT_FALSE(sizeForOption(SizeMode::ActualSize, -1, 80).has_value());
  EXPECT_FALSE(sizeForOption(SizeMode::TripleSize, INT_MAX / 3 + 1, 1).has_value());
  EXPECT_TRUE(sizeForOption(SizeMode::DoubleSize, INT_MAX / 2, 1).has_value());
}

// The refusals and their messages are checked where they are met: BuildMovie, ConvertGif and
// the size option of the command line.
TEST(SettingChecks, AcceptTheirBoundaries) {
  EXPECT_TRUE(checkCustomSize(1600, 1400));
  EXPECT_TRUE(checkMovieSize(16384, 16384));
  EXPECT_TRUE(checkFrameRate(1) && checkFrameRate(50));
  EXPECT_TRUE(checkFrameCount(32768));
  EXPECT_EQ(checkFrameCount(-1).message(), "the GIF holds no frame");
}

}  // namespace
}  // namespace core
