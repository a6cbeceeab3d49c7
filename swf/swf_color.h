#pragma once

#include <cstdint>

namespace swf {

// An RGBA colour as DefineShape3 stores it; alpha 255 is opaque.
struct SwfColor {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t alpha = 255;
};

// One stop of a gradient fill: its position 0..255 along the gradient and its colour.
struct SwfGradientRecord {
  std::uint8_t ratio = 0;
  SwfColor color;
};

}  // namespace swf
