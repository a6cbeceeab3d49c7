#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace swf {

// An SWF CXFORMWITHALPHA: per-channel multiply and add terms applied to a placed character.
class SwfColorTransform {
 public:
  // All eight terms zero.
  SwfColorTransform();

  // Multiply terms (1.0 = unchanged) become 8.8 fixed point, add terms whole numbers; both
  // truncate toward zero and saturate at +-16383 so that every term fits the 4-bit width field.
  SwfColorTransform(float multiplyRed, float multiplyGreen, float multiplyBlue, float multiplyAlpha,
                    float addRed, float addGreen, float addBlue, float addAlpha);

  // Appends the record, padded to a whole byte:
  //   UB[1] HasAddTerms = 1 | UB[1] HasMultTerms = 1 | UB[4] w
  //   SB[w] multiply red, green, blue, alpha | SB[w] add red, green, blue, alpha
  // where w is the signed width of all eight terms (1 to 15 bits).
  void appendTo(std::vector<std::uint8_t>& out) const;

  // The record as appendTo writes it.
  std::vector<std::uint8_t> encode() const;

 private:
  std::array<std::int32_t, 4> m_multiply{};
  std::array<std::int32_t, 4> m_add{};
};

}  // namespace swf
