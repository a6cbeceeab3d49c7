#include "app/core/output_settings.h"

#include <gtest/gtest.h>

#include <climits>

namespace core {
namespace {

struct SizeRow {
  const char* name;
  SizeMode mode;
  int sourceWidth;
  int sourceHeight;
  int width;
  int height;
};

TEST(SizeForOption, DerivesEachOptionFromTheSourceSize) {
  const SizeRow rows[] = {
      {"half rounds down", SizeMode::HalfSize, 101, 75, 50, 37},
      {"half of 1 is 0", SizeMode::HalfSize, 1, 1, 0, 0},
      {"actual", SizeMode::ActualSize, 101, 75, 101, 75},
      {"double", SizeMode::DoubleSize, 101, 75, 202, 150},
      {"triple", SizeMode::TripleSize, 101, 75, 303, 225},
      {"triple beyond the limits is still computed", SizeMode::TripleSize, 600, 500, 1800, 1500},
      {"zero source", SizeMode::DoubleSize, 0, 0, 0, 0},
  };
  for (const SizeRow& row : rows) {
    SCOPED_TRACE(row.name);
    const auto size = SizeForOption(row.mode, row.sourceWidth, row.sourceHeight);
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->first, row.width);
    EXPECT_EQ(size->second, row.height);
  }
}

TEST(SizeForOption, HasNoSizeForCustomNegativeOrOverflowingInput) {
  EXPECT_FALSE(SizeForOption(SizeMode::CustomSize, 100, 80).has_value());
  EXPECT_FALSE(SizeForOption(SizeMode::ActualSize, -1, 80).has_value());
  EXPECT_FALSE(SizeForOption(SizeMode::HalfSize, 80, -2).has_value());
  EXPECT_FALSE(SizeForOption(SizeMode::TripleSize, INT_MAX / 3 + 1, 1).has_value());
  EXPECT_FALSE(SizeForOption(SizeMode::DoubleSize, 1, INT_MAX / 2 + 1).has_value());
  EXPECT_TRUE(SizeForOption(SizeMode::DoubleSize, INT_MAX / 2, 1).has_value());
}

TEST(OutputSettings, StartsAtOriginalSizeTenFramesPerSecond) {
  const OutputSettings settings;
  EXPECT_EQ(settings.sizeMode, SizeMode::ActualSize);
  EXPECT_EQ(settings.width, 0);
  EXPECT_EQ(settings.height, 0);
  EXPECT_EQ(settings.frameRate, 10);
}

TEST(CheckCustomSize, AcceptsTheCornersOfTheRangeAndNamesTheBrokenLimit) {
  EXPECT_EQ(CheckCustomSize(1, 1), "");
  EXPECT_EQ(CheckCustomSize(1600, 1400), "");
  EXPECT_EQ(CheckCustomSize(1601, 1400), "width 1601 is above the limit of 1600");
  EXPECT_EQ(CheckCustomSize(1600, 1401), "height 1401 is above the limit of 1400");
  EXPECT_EQ(CheckCustomSize(0, 10), "width 0 is below 1");
  EXPECT_EQ(CheckCustomSize(10, -5), "height -5 is below 1");
}

TEST(CheckMovieSize, AllowsSizeOptionsBeyondTheCustomLimitsUpTo16384) {
  EXPECT_EQ(CheckMovieSize(1800, 1500), "");
  EXPECT_EQ(CheckMovieSize(16384, 16384), "");
  EXPECT_EQ(CheckMovieSize(16385, 10), "width 16385 is above the limit of 16384");
  EXPECT_EQ(CheckMovieSize(10, 16385), "height 16385 is above the limit of 16384");
  EXPECT_EQ(CheckMovieSize(0, 10), "width 0 is below 1");
}

TEST(CheckFrameRate, AcceptsOneToFifty) {
  EXPECT_EQ(CheckFrameRate(1), "");
  EXPECT_EQ(CheckFrameRate(50), "");
  EXPECT_EQ(CheckFrameRate(0), "frame rate 0 is outside 1..50");
  EXPECT_EQ(CheckFrameRate(51), "frame rate 51 is outside 1..50");
}

TEST(CheckFrameCount, AcceptsOneTo32768Frames) {
  EXPECT_EQ(CheckFrameCount(1), "");
  EXPECT_EQ(CheckFrameCount(32768), "");
  EXPECT_EQ(CheckFrameCount(0), "the GIF holds no frame");
  EXPECT_EQ(CheckFrameCount(-1), "the GIF holds no frame");
  EXPECT_EQ(CheckFrameCount(32769),
            "32769 frames are more than a movie can hold (32768: its character ids are 16-bit)");
}

}  // namespace
}  // namespace core
