#pragma once

#include <cstddef>
#include <cstdint>

namespace swf {

// A picture handed to a bitmap tag, read in place: `heightPx` rows of `widthPx` pixels, each
// stored B, G, R, A (the byte order of 32-bit device-independent bitmaps) with colours not
// premultiplied. Row y (0 is the top row) starts at topRow + y * rowStride; a bottom-up bitmap
// has a negative stride.
struct BgraPixels {
  const std::uint8_t* topRow = nullptr;
  std::ptrdiff_t rowStride = 0;
  int widthPx = 0;
  int heightPx = 0;

  const std::uint8_t* row(int y) const { return topRow + y * rowStride; }
};

}  // namespace swf
