#include "app/core/movie_timing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>

namespace core {
namespace {

// Rates in 8.8 fixed point: one frame per second is 256, and a delay of d hundredths lasts
// d * rate / kCentisecondRateUnits movie frames.
constexpr std::int64_t kOneFramePerSecond = 256;
constexpr std::int64_t kCentisecondRateUnits = 100 * kOneFramePerSecond;

std::int64_t totalOf(const std::vector<int>& frames) {
  return std::accumulate(frames.begin(), frames.end(), std::int64_t{0});
}

// The lowest rate within the limits at which every delay is a whole number of movie frames, or
// 0. A rate works when it is a multiple of kCentisecondRateUnits / gcd(g, kCentisecondRateUnits),
// g the delays' greatest common divisor.
std::int64_t exactRate(const std::vector<int>& delays, std::int64_t maxRate) {
  std::int64_t common = 0;
  for (const int delay : delays) common = std::gcd(common, std::int64_t{delay});
  const std::int64_t step = kCentisecondRateUnits / std::gcd(common, kCentisecondRateUnits);
  const std::int64_t rate = step * ((kOneFramePerSecond + step - 1) / step);
  return rate <= maxRate ? rate : 0;
}

// Movie frames per GIF frame at a whole-number rate: each frame ends at its running total
// rounded to the nearest movie frame (halves up). The largest difference between a frame's time
// on screen and its delay, in hundredths, goes to `worstError`.
std::vector<int> roundedFrames(const std::vector<int>& delays, std::int64_t framesPerSecond,
                               double& worstError) {
  std::vector<int> frames;
  frames.reserve(delays.size());
  std::int64_t elapsed = 0;
  std::int64_t shownUntil = 0;
  worstError = 0.0;
  for (const int delay : delays) {
    elapsed += delay;
    const std::int64_t end = (2 * elapsed * framesPerSecond + 100) / 200;
    const std::int64_t frameCount = end - shownUntil;
    shownUntil = end;
    frames.push_back(static_cast<int>(frameCount));
    const double shown =
        100.0 * static_cast<double>(frameCount) / static_cast<double>(framesPerSecond);
    worstError = std::max(worstError, std::abs(shown - delay));
  }
  return frames;
}

}  // namespace

int effectiveDelay(int storedDelayCentiseconds) {
  return storedDelayCentiseconds <= 1 ? 10 : storedDelayCentiseconds;
}

support::Status chooseMovieTiming(std::span<const int> storedDelaysCentiseconds,
                                  int maxFramesPerSecond, MovieTiming& timing) {
  if (storedDelaysCentiseconds.empty()) {
    return {support::Failure::Refused, "the GIF has no frame to time"};
  }
  std::vector<int> delays;
  delays.reserve(storedDelaysCentiseconds.size());
  for (const int delay : storedDelaysCentiseconds) delays.push_back(effectiveDelay(delay));

  const std::int64_t maxRate = std::int64_t{maxFramesPerSecond} * kOneFramePerSecond;
  if (const std::int64_t rate = exactRate(delays, maxRate); rate > 0) {
    std::vector<int> frames;
    frames.reserve(delays.size());
    for (const int delay : delays) {
      frames.push_back(static_cast<int>(delay * rate / kCentisecondRateUnits));
    }
    if (totalOf(frames) <= kMaxMovieFrameCount) {
      timing = {static_cast<std::uint16_t>(rate), std::move(frames), true};
      return {};
    }
  }

  // Every frame must last at least one movie frame: the shortest delay sets the lowest rate.
  const int shortest = *std::min_element(delays.begin(), delays.end());
  const std::int64_t lowest = std::max<std::int64_t>(1, (100 + shortest - 1) / shortest);
  double bestError = std::numeric_limits<double>::infinity();
  std::int64_t needed = std::numeric_limits<std::int64_t>::max();
  for (std::int64_t fps = std::min<std::int64_t>(lowest, maxFramesPerSecond);
       fps <= maxFramesPerSecond; ++fps) {
    double worstError = 0.0;
    std::vector<int> frames = roundedFrames(delays, fps, worstError);
    needed = std::min(needed, totalOf(frames));
    if (totalOf(frames) > kMaxMovieFrameCount || worstError >= bestError) continue;
    bestError = worstError;
    timing = {static_cast<std::uint16_t>(fps * kOneFramePerSecond), std::move(frames), false};
  }
  if (bestError == std::numeric_limits<double>::infinity()) {
    return {support::Failure::Refused, "the GIF's delays need " + std::to_string(needed) +
                                           " movie frames, more than a movie can count (" +
                                           std::to_string(kMaxMovieFrameCount) + ")"};
  }
  return {};
}

}  // namespace core
