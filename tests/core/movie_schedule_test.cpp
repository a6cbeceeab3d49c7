#include "app/core/movie_schedule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/core/movie_timing.h"

namespace core {
namespace {

// The loop cases themselves are read back from whole movies in the timed movie tests.
TEST(MovieSchedule, PlacementsTable) {
  const auto tooMany = [](int passes) {
    return "its " + std::to_string(passes) +
           " passes need more movie frames than a movie can count (65535); the movie loops "
           "forever instead";
  };
  struct Row {
    const char* name;
    bool gifTiming;
    bool transparent;
    std::vector<int> delays;
    int loopCount;
    int passes;
    bool removes;  // each placement but the first takes the picture before it off
    bool stops;
    std::string warning;
  };
  // clang-format off
  const Row rows[] = {
      {"rate timing ignores delays, loops", false, false, {200, 5}, 3, 1, false, false, ""},
      {"transparent pictures", false, true, {10, 10, 10}, -1, 1, true, false, ""},
      {"no common rate: rounding across passes", true, false, {7, 13, 200}, 2, 2, true, true, ""},
      {"65535 passes of a frame", true, false, {10}, 65535, 65535, true, true, ""},
      {"too many passes: forever", true, false, {10, 10}, 40000, 1, false, false, tooMany(40000)},
      {"passes too long: forever", true, false, {65535, 1}, 11, 1, false, false, tooMany(11)},
  };
  // clang-format on
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    OutputSettings settings;
    settings.frameRate = 12;
    settings.gifTiming = row.gifTiming;
    settings.keepTransparency = row.transparent;
    image::GifFile gif;
    for (const int delay : row.delays) gif.frames.push_back({.delayCentiseconds = delay});
    gif.loopCount = row.loopCount;
    const std::size_t frames = row.delays.size();
    MovieSchedule schedule;
    ASSERT_TRUE(planMovieSchedule(settings, gif, static_cast<int>(frames), schedule));
    EXPECT_EQ(schedule.passes, row.passes);
    EXPECT_EQ(schedule.warnings.empty() ? "" : schedule.warnings.front(), row.warning);
    const double fps = row.gifTiming ? schedule.frameRate8x8 / 256.0 : 12;
    EXPECT_EQ(schedule.frameRate8x8, fps * 256);
    ASSERT_EQ(schedule.placements.size(), static_cast<std::size_t>(row.passes) * frames);
    int movieFrames = 0;
    double late = 0;  // seconds the pictures so far ended after their time
    for (std::size_t k = 0; k < schedule.placements.size(); ++k) {
      const swf::FramePlacement& placement = schedule.placements[k];
      EXPECT_EQ(placement.removeIndex, row.removes && k > 0 ? int((k - 1) % frames) : -1) << k;
      EXPECT_EQ(placement.stop, row.stops && k + 1 == schedule.placements.size()) << k;
      movieFrames += placement.showFrames;
      late += placement.showFrames / fps - effectiveDelay(row.delays[k % frames]) / 100.0;
      if (row.gifTiming) {
        EXPECT_LE(std::abs(late), 0.5 / fps + 1e-9) << k;
      } else {
        EXPECT_EQ(placement.showFrames, 1);
      }
    }
    const swf::MovieFormat format = movieFormatOf(settings, schedule);
    EXPECT_EQ(std::tuple(format.frameRate, format.frameCount),
              std::tuple(schedule.frameRate8x8, movieFrames));
  }
}

}  // namespace
}  // namespace core
