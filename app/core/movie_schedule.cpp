#include "app/core/movie_schedule.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "app/core/movie_timing.h"

namespace core {

namespace {

// With the GIF's own delays: the rate, passes and warnings of `planned` (its gifFrames set), the
// movie frames of each placement in `showFrames`, and whether the movie loops.
support::Status timeOwnDelays(const image::GifFile& gif, MovieSchedule& planned,
                              std::vector<int>& showFrames, bool& loops) {
  std::vector<int> delays;
  delays.reserve(static_cast<std::size_t>(planned.gifFrames));
  for (int i = 0; i < planned.gifFrames; ++i) {
    delays.push_back(gif.frames[static_cast<std::size_t>(i)].delayCentiseconds);
  }
  // Without a loop extension a GIF plays once; a loop count of 0 means forever.
  const int passes = gif.loopCount == image::kNoLoopExtension ? 1 : gif.loopCount;
  loops = passes == 0;
  MovieTiming timing;
  // Each picture lasts at least one movie frame, which bounds the passes worth timing. The delays
  // of all passes are timed as one sequence, so that rounding never drifts from pass to pass.
  if (passes > 1 && static_cast<std::int64_t>(passes) * planned.gifFrames <= kMaxMovieFrameCount) {
    std::vector<int> allPasses;
    allPasses.reserve(delays.size() * static_cast<std::size_t>(passes));
    for (int pass = 0; pass < passes; ++pass) {
      allPasses.insert(allPasses.end(), delays.begin(), delays.end());
    }
    if (chooseMovieTiming(allPasses, kMaxFrameRate, timing)) planned.passes = passes;
  }
  if (passes > 1 && planned.passes == 1) {
    loops = true;
    planned.warnings.push_back("its " + std::to_string(passes) +
                               " passes need more movie frames than a movie can count (" +
                               std::to_string(kMaxMovieFrameCount) +
                               "); the movie loops forever instead");
  }
  if (planned.passes == 1) {
    if (support::Status timed = chooseMovieTiming(delays, kMaxFrameRate, timing); !timed) {
      return timed;
    }
  }
  planned.frameRate8x8 = timing.frameRate8x8;
  showFrames = std::move(timing.movieFrames);
  return {};
}

}  // namespace

bool removesShownPicture(const OutputSettings& settings, int passes) {
  return settings.keepTransparency || passes > 1;
}

support::Status planMovieSchedule(const OutputSettings& settings, const image::GifFile& gif,
                                  int frameCount, MovieSchedule& schedule) {
  MovieSchedule planned;
  planned.gifFrames = std::clamp(frameCount, 0, static_cast<int>(gif.frames.size()));
  std::vector<int> showFrames;  // per placement
  bool loops = true;
  if (settings.gifTiming) {
    if (support::Status timed = timeOwnDelays(gif, planned, showFrames, loops); !timed) {
      return timed;
    }
  } else {
    planned.frameRate8x8 = static_cast<std::uint16_t>(settings.frameRate << 8);
    showFrames.assign(static_cast<std::size_t>(planned.gifFrames), 1);
  }

  const bool removes = removesShownPicture(settings, planned.passes);
  planned.placements.reserve(showFrames.size());
  for (std::size_t k = 0; k < showFrames.size(); ++k) {
    swf::FramePlacement placement;
    if (removes && k > 0) {
      placement.removeIndex =
          static_cast<int>((k - 1) % static_cast<std::size_t>(planned.gifFrames));
    }
    placement.showFrames = showFrames[k];
    planned.movieFrames += placement.showFrames;
    planned.placements.push_back(placement);
  }
  if (!loops) planned.placements.back().stop = true;
  schedule = std::move(planned);
  return {};
}

swf::MovieFormat movieFormatOf(const OutputSettings& settings, const MovieSchedule& schedule) {
  return {schedule.frameRate8x8, static_cast<std::uint16_t>(schedule.movieFrames),
          settings.compress};
}

void appendLaterPasses(swf::SwfMovie& movie, const MovieSchedule& schedule) {
  const auto frames = static_cast<std::size_t>(schedule.gifFrames);
  for (std::size_t k = frames; k < schedule.placements.size() && movie.ok(); ++k) {
    swf::placeBitmapFrame(movie, static_cast<int>(k % frames), schedule.placements[k]);
  }
}

}  // namespace core
