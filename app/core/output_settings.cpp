#include "app/core/output_settings.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace core {
namespace {

// A side of 1 pixel stays 1 at half size: a movie side is never below 1.
std::optional<int> scaled(int value, int multiplier, int divisor) {
  if (value < 0 || value > std::numeric_limits<int>::max() / multiplier) return std::nullopt;
  return value > 0 ? std::max(value * multiplier / divisor, 1) : 0;
}

support::Status refused(std::string sentence) {
  return {support::Failure::Refused, std::move(sentence)};
}

support::Status checkSide(const char* side, int value, int limit) {
  if (value < 1) return refused(std::string(side) + " " + std::to_string(value) + " is below 1");
  if (value > limit) {
    return refused(std::string(side) + " " + std::to_string(value) + " is above the limit of " +
                   std::to_string(limit));
  }
  return {};
}

}  // namespace

std::optional<std::pair<int, int>> sizeForOption(SizeMode mode, int sourceWidth, int sourceHeight) {
  int multiplier = 1;
  int divisor = 1;
  switch (mode) {
    case SizeMode::HalfSize:
      divisor = 2;
      break;
    case SizeMode::ActualSize:
      break;
    case SizeMode::DoubleSize:
      multiplier = 2;
      break;
    case SizeMode::TripleSize:
      multiplier = 3;
      break;
    case SizeMode::CustomSize:
      return std::nullopt;
  }
  const std::optional<int> width = scaled(sourceWidth, multiplier, divisor);
  const std::optional<int> height = scaled(sourceHeight, multiplier, divisor);
  if (!width || !height) return std::nullopt;
  return std::make_pair(*width, *height);
}

support::Status checkCustomSize(int width, int height) {
  support::Status problem = checkSide("width", width, kMaxWidth);
  if (problem) problem = checkSide("height", height, kMaxHeight);
  return problem;
}

support::Status checkMovieSize(int width, int height) {
  support::Status problem = checkSide("width", width, kMaxMovieSide);
  if (problem) problem = checkSide("height", height, kMaxMovieSide);
  return problem;
}

support::Status checkFrameRate(int frameRate) {
  if (frameRate >= kMinFrameRate && frameRate <= kMaxFrameRate) return {};
  return refused("frame rate " + std::to_string(frameRate) + " is outside " +
                 std::to_string(kMinFrameRate) + ".." + std::to_string(kMaxFrameRate));
}

support::Status checkFrameCount(int frameCount) {
  if (frameCount < 1) return refused("the GIF holds no frame");
  if (frameCount > kMaxMovieFrames) {
    return refused(std::to_string(frameCount) + " frames are more than a movie can hold (" +
                   std::to_string(kMaxMovieFrames) + ": its character ids are 16-bit)");
  }
  return {};
}

}  // namespace core
