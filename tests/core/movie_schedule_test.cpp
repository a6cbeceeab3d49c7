#include "app/core/movie_schedule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/core/movie_timing.h"

namespace core {
namespace {

image::GifFile GifOf(const std::vector<int>& delays, int loopCount) {
  image::GifFile gif;
  for (const int delay : delays) gif.frames.push_back({.delayCentiseconds = delay});
  gif.loopCount = loopCount;
  return gif;
}

TEST(MovieSchedule, PlacementsTable) {
  const std::string tooMany =
      " passes need more movie frames than a movie can count (65535); the movie loops forever "
      "instead";
  struct Row {
    const char* name;
    bool gifTiming;
    bool transparent;
    std::vector<int> delays;
    int loopCount;
    double framesPerSecond;
    std::vector<int> showFrames;  // per placement; empty: passes times 1
    std::vector<int> removed;     // per placement, for one pass; empty: none
    bool stops;
    std::string warning;
    int passes = 1;
  };
  const Row rows[] = {
      {"the design's movie ignores delays and loop count",
       false,
       false,
       {200, 5, 50},
       3,
       12,
       {1, 1, 1},
       {},
       false,
       ""},
      {"transparent pictures take the one before off",
       false,
       true,
       {10, 10, 10},
       -1,
       12,
       {1, 1, 1},
       {-1, 0, 1},
       false,
       ""},
      {"own delays, no loop extension: once",
       true,
       false,
       {200, 5, 5, 50},
       -1,
       20,
       {40, 1, 1, 10},
       {},
       true,
       ""},
      {"loop count 0: forever", true, false, {200, 5, 5, 50}, 0, 20, {40, 1, 1, 10}, {}, false, ""},
      {"loop count 1", true, false, {10, 20}, 1, 10, {1, 2}, {}, true, ""},
      {"loop count 3: each placement takes the one before off",
       true,
       false,
       {10, 20},
       3,
       10,
       {1, 2, 1, 2, 1, 2},
       {},
       true,
       "",
       3},
      {"no common rate: rounding carried across passes",
       true,
       false,
       {7, 13, 200},
       2,
       0,
       {},
       {},
       true,
       "",
       2},
      {"65535 passes of one frame fit", true, false, {10}, 65535, 10, {}, {}, true, "", 65535},
      {"more passes than movie frames: forever",
       true,
       false,
       {10, 10},
       40000,
       10,
       {1, 1},
       {},
       false,
       "its 40000" + tooMany},
      {"passes too long to count: forever",
       true,
       false,
       {65535, 1},
       11,
       20,
       {13107, 2},
       {},
       false,
       "its 11" + tooMany},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    OutputSettings settings;
    settings.frameRate = 12;
    settings.gifTiming = row.gifTiming;
    settings.keepTransparency = row.transparent;
    const int frames = static_cast<int>(row.delays.size());
    MovieSchedule schedule;
    std::string error;
    ASSERT_TRUE(
        PlanMovieSchedule(settings, GifOf(row.delays, row.loopCount), frames, schedule, error))
        << error;
    EXPECT_EQ(schedule.passes, row.passes);
    EXPECT_EQ(schedule.gifFrames, frames);
    EXPECT_EQ(schedule.warnings,
              row.warning.empty() ? std::vector<std::string>{} : std::vector{row.warning});
    const double fps = schedule.frameRate8x8 / 256.0;
    if (row.framesPerSecond > 0) {
      EXPECT_EQ(fps, row.framesPerSecond);
    }
    const std::size_t count = schedule.placements.size();
    ASSERT_EQ(count, static_cast<std::size_t>(row.passes * frames));

    int movieFrames = 0;
    double shown = 0;
    double due = 0;
    for (std::size_t k = 0; k < count; ++k) {
      const swf::FramePlacement& placement = schedule.placements[k];
      if (!row.showFrames.empty()) {
        EXPECT_EQ(placement.showFrames, row.showFrames[k]) << k;
      }
      // Passes after the first always take the picture before off.
      int removed = row.removed.empty() ? -1 : row.removed[k];
      if (row.passes > 1 && k > 0) removed = static_cast<int>((k - 1) % row.delays.size());
      EXPECT_EQ(placement.removeIndex, removed) << k;
      EXPECT_EQ(placement.stop, row.stops && k + 1 == count) << k;
      movieFrames += placement.showFrames;
      // With its own timing, every picture ends within half a movie frame of its time.
      shown += placement.showFrames / fps;
      due += EffectiveDelay(row.delays[k % row.delays.size()]) / 100.0;
      if (row.gifTiming) {
        EXPECT_LE(std::abs(shown - due), 0.5 / fps + 1e-9) << k;
      }
    }
    EXPECT_EQ(schedule.movieFrames, movieFrames);
    const swf::MovieFormat format = MovieFormatOf(settings, schedule);
    EXPECT_EQ(format.frameRate, schedule.frameRate8x8);
    EXPECT_EQ(format.frameCount, movieFrames);
  }
}

TEST(MovieSchedule, TimingThatNoMovieCanCountIsRefused) {
  OutputSettings settings;
  settings.gifTiming = true;
  MovieSchedule schedule;
  std::string error;
  EXPECT_FALSE(
      PlanMovieSchedule(settings, GifOf(std::vector(20000, 65535), 0), 20000, schedule, error));
  EXPECT_EQ(error.rfind("the GIF's delays need 13107000 movie frames", 0), 0U) << error;
}

}  // namespace
}  // namespace core
