#include "app/core/movie_timing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace core {
namespace {

TEST(MovieTiming, RateAndFramesTable) {
  struct Row {
    const char* name;
    std::vector<int> delays;
    double framesPerSecond;
    bool exact;
    std::vector<int> frames;  // empty: only the general properties are checked
  };
  const Row rows[] = {
      {"equal delays", {10, 10, 10}, 10, true, {1, 1, 1}},
      {"0 and 1 count as 10", {0, 1, 10}, 10, true, {1, 1, 1}},
      {"2 s, then flashes", {200, 5, 5, 50}, 20, true, {40, 1, 1, 10}},
      {"a fractional rate", {8, 24}, 12.5, true, {1, 3}},
      {"seconds apart: 1 fps at least", {600, 6000}, 1, true, {6, 60}},
      {"no rate up to 50 fits one delay", {3}, 34, false, {1}},
      {"no common rate", {200, 7, 13}, 0, false, {}},
      {"too many frames at the exact rate", std::vector<int>(6, 65535), 0, false, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    MovieTiming timing;
    ASSERT_TRUE(chooseMovieTiming(row.delays, 50, timing));
    const double fps = timing.frameRate8x8 / 256.0;
    if (row.framesPerSecond > 0) {
      EXPECT_EQ(fps, row.framesPerSecond);
    }
    EXPECT_EQ(timing.exact, row.exact);
    if (!row.frames.empty()) {
      EXPECT_EQ(timing.movieFrames, row.frames);
    }
    // Whatever the rate: every frame shown, each within one movie frame of its delay, and the
    // running total within half a movie frame.
    ASSERT_EQ(timing.movieFrames.size(), row.delays.size());
    EXPECT_LE(fps, 50.0);
    double delayTotal = 0;
    double shownTotal = 0;
    int movieFrames = 0;
    for (std::size_t i = 0; i < row.delays.size(); ++i) {
      const double delay = effectiveDelay(row.delays[i]) / 100.0;
      const double shown = timing.movieFrames[i] / fps;
      EXPECT_GE(timing.movieFrames[i], 1);
      EXPECT_LT(std::abs(shown - delay), 1 / fps);
      delayTotal += delay;
      shownTotal += shown;
      EXPECT_LE(std::abs(shownTotal - delayTotal), 0.5 / fps + 1e-9);
      movieFrames += timing.movieFrames[i];
    }
    EXPECT_LE(movieFrames, kMaxMovieFrameCount);
  }
}

TEST(MovieTiming, RefusesWhatNoMovieCanCount) {
  MovieTiming timing;
  EXPECT_EQ(chooseMovieTiming({}, 50, timing).message(), "the GIF has no frame to time");
  // 20 000 frames of 655 s each: even at 1 fps, 13 million movie frames.
  const std::vector<int> delays(20000, 65535);
  EXPECT_EQ(chooseMovieTiming(delays, 50, timing).message(),
            "the GIF's delays need 13107000 movie frames, more than a movie can count "
            "(65535)");
}

}  // namespace
}  // namespace core
