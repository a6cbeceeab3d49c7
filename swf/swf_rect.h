#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace swf {

// An SWF RECT: the stage size of a movie or the bounds of a shape. Takes pixels, stores twips.
// Twips are kept in 32 bits and the field width follows the values, so rectangles larger than
// 1,638 pixels (32,767 twips) still encode correctly with wider fields.
class SwfRect {
 public:
  // A rectangle of 0..100 twips (0..5 pixels) on both axes.
  SwfRect();

  // Sets the corners in pixels; each becomes trunc(value * 20) twips.
  void set(float x0, float y0, float x1, float y1);

  // As set(x, y, x + w, y + h), the sums formed in float before the conversion to twips.
  void setFromOriginAndSize(float x, float y, float w, float h);

  // The corners as last set, in pixels: x0, y0, x1, y1.
  std::array<float, 4> get() const;

  // Appends the RECT record, padded to a whole byte:
  //   UB[5] width | SB[width] xMin | SB[width] xMax | SB[width] yMin | SB[width] yMax
  // where width is the signed width of all four values (1 to 31 bits).
  void appendTo(std::vector<std::uint8_t>& out) const;

  // The record as appendTo writes it.
  std::vector<std::uint8_t> encode() const;

 private:
  std::array<float, 4> m_inputs{0.0F, 0.0F, 5.0F, 5.0F};
  std::int32_t m_xMin = 0;
  std::int32_t m_xMax = 100;
  std::int32_t m_yMin = 0;
  std::int32_t m_yMax = 100;
};

}  // namespace swf
