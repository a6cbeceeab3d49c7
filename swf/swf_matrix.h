#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace swf {

// An SWF MATRIX: the placement of a shape or the mapping of a gradient or bitmap fill.
// Scale and rotate/skew terms are stored as 16.16 fixed point, the translation in twips.
class SwfMatrix {
 public:
  // The identity: no component present; encodes as the single byte 00.
  SwfMatrix();

  // Sets the six inputs (scale and rotate/skew as plain factors, translation in pixels).
  // A component whose two inputs are both zero keeps its earlier state (absent if it was never
  // given): a scale of (0, 0) means "no scale field", never a scale of zero.
  // Scale and rotate widths are 17 + n bits, n the bits of the larger integer part (a scale of
  // 1.0 or -1.0 takes 18, 20.0 takes 22); factors beyond +-16383.99 saturate.
  void set(float scaleX, float scaleY, float rotateSkew0, float rotateSkew1, float translateX,
           float translateY);

  // The six inputs as last set: scaleX, scaleY, rotateSkew0, rotateSkew1, translateX, translateY.
  std::array<float, 6> get() const;

  // Appends the MATRIX record, padded to a whole byte:
  //   UB[1] HasScale  [UB[5] w, SB[w] scaleX, SB[w] scaleY]
  //   UB[1] HasRotate [UB[5] w, SB[w] rotateSkew0, SB[w] rotateSkew1]
  //   UB[5] w (0 when no translation), SB[w] translateX, SB[w] translateY
  void appendTo(std::vector<std::uint8_t>& out) const;

  // The record as appendTo writes it.
  std::vector<std::uint8_t> encode() const;

 private:
  // A scale or rotate pair in 16.16 fixed point with its field width.
  struct FixedPair {
    bool present = false;
    unsigned width = 0;
    std::int32_t first = 0;
    std::int32_t second = 0;
  };

  static void setFixedPair(FixedPair& pair, float first, float second);

  std::array<float, 6> m_inputs{};
  FixedPair m_scale;
  FixedPair m_rotate;
  unsigned m_translateWidth = 0;
  std::int32_t m_translateX = 0;
  std::int32_t m_translateY = 0;
};

}  // namespace swf
