#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "image/image_buffer.h"
#include "support/result.h"

namespace core {

// The five output size options; every option but CustomSize derives the movie size from the
// GIF's own size.
enum class SizeMode { HalfSize, ActualSize, DoubleSize, TripleSize, CustomSize };

// The JPEG quality of the movie's frames unless another is chosen.
inline constexpr int kDefaultFrameQuality = 80;

// How each GIF frame is stored in the movie: a JPEG picture, the exact pixels (zlib-compressed),
// or per frame whichever of the two is smaller.
enum class FrameFormat { Jpeg, Lossless, Auto };

// An opaque colour, 8 bits a channel.
struct RgbColor {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  friend bool operator==(const RgbColor&, const RgbColor&) = default;
};

// What the user chose for one conversion. Sizes are pixels, the rate frames per second. The
// members after outputDirectory are the command-line converter's options; their defaults give
// the movie the window writes.
struct OutputSettings {
  SizeMode sizeMode = SizeMode::ActualSize;
  int width = 0;
  int height = 0;
  int sourceWidth = 0;
  int sourceHeight = 0;
  int frameRate = 10;
  std::string outputDirectory;  // '/'-separated, ends in '/'

  FrameFormat frameFormat = FrameFormat::Jpeg;
  bool keepTransparency = false;           // transparent pixels stay transparent in the movie
  RgbColor background{0xFF, 0xFF, 0xFF};   // the movie's background colour
  int jpegQuality = kDefaultFrameQuality;  // 1..100, for JPEG frames
  image::ResizeFilter scaleFilter = image::ResizeFilter::Bicubic;
  bool gifTiming = false;  // each frame shown for its own delay, passes as the GIF's loop count
  bool compress = false;   // a zlib-compressed movie (CWS, version 6)
};

// The largest custom size (pixels) the user may type. The size options are not bound by it:
// three times a 600 x 500 GIF is an 1800 x 1500 movie.
inline constexpr int kMaxWidth = 1600;
inline constexpr int kMaxHeight = 1400;

// The largest side of any movie (pixels): its frames are JPEG pictures, which no decoder here
// reads back beyond this side.
inline constexpr int kMaxMovieSide = image::kMaxDimension;

// Valid range of the frame rate (frames per second).
inline constexpr int kMinFrameRate = 1;
inline constexpr int kMaxFrameRate = 50;

// The most frames one movie can carry: frame i uses the character ids 2i and 2i + 1, and ids are
// 16-bit.
inline constexpr int kMaxMovieFrames = 32768;

// The movie width and height in pixels for a size option, from the GIF's size in pixels: half
// (integer division, but a side of 1 stays 1), the same, twice or three times. CustomSize has no
// derived size and gives nullopt; so does a negative source size or a product that does not fit an
// int.
std::optional<std::pair<int, int>> sizeForOption(SizeMode mode, int sourceWidth, int sourceHeight);

// Success when a custom size of width x height pixels lies within 1..kMaxWidth by
// 1..kMaxHeight; otherwise Refused with a sentence naming the side and the limit it breaks, e.g.
// "width 1800 is above the limit of 1600".
support::Status checkCustomSize(int width, int height);

// Success when a movie of width x height pixels can be written: each side within
// 1..kMaxMovieSide; otherwise Refused as for CheckCustomSize, e.g. "width 17000 is above the
// limit of 16384".
support::Status checkMovieSize(int width, int height);

// Success when the rate lies within kMinFrameRate..kMaxFrameRate; otherwise Refused with a
// sentence naming the range.
support::Status checkFrameRate(int frameRate);

// Success when a GIF of `frameCount` frames can become a movie (1..kMaxMovieFrames); otherwise
// Refused with a sentence saying why not.
support::Status checkFrameCount(int frameCount);

}  // namespace core
