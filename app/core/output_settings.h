#pragma once

#include <optional>
#include <string>
#include <utility>

namespace core {

// The five output size options; every option but CustomSize derives the movie size from the
// GIF's own size.
enum class SizeMode { HalfSize, ActualSize, DoubleSize, TripleSize, CustomSize };

// What the user chose for one conversion. Sizes are pixels, the rate frames per second.
struct OutputSettings {
  SizeMode sizeMode = SizeMode::ActualSize;
  int width = 0;
  int height = 0;
  int sourceWidth = 0;
  int sourceHeight = 0;
  int frameRate = 10;
  std::string outputDirectory;  // '/'-separated, ends in '/'
};

// Valid ranges of the movie size (pixels) and frame rate (frames per second). The width limit
// keeps the stage within what the 16-bit signed twips of a frame RECT can hold.
inline constexpr int kMaxWidth = 1600;
inline constexpr int kMaxHeight = 1400;
inline constexpr int kMinFrameRate = 1;
inline constexpr int kMaxFrameRate = 50;

// The most frames one movie can carry: frame i uses the character ids 2i and 2i + 1, and ids are
// 16-bit.
inline constexpr int kMaxMovieFrames = 32768;

// The movie width and height in pixels for a size option, from the GIF's size in pixels: half
// (integer division), the same, twice or three times. CustomSize has no derived size and gives
// nullopt; so does a negative source size or a product that does not fit an int.
std::optional<std::pair<int, int>> SizeForOption(SizeMode mode, int sourceWidth, int sourceHeight);

// Empty when width x height pixels lie within 1..kMaxWidth by 1..kMaxHeight; otherwise a sentence
// naming the side and the limit it breaks, e.g. "width 1800 is above the limit of 1600".
std::string CheckMovieSize(int width, int height);

// Empty when the rate lies within kMinFrameRate..kMaxFrameRate; otherwise a sentence naming the
// range.
std::string CheckFrameRate(int frameRate);

// Empty when a GIF of `frameCount` frames can become a movie (1..kMaxMovieFrames); otherwise a
// sentence saying why not.
std::string CheckFrameCount(int frameCount);

}  // namespace core
