#include "swf/swf_color_transform.h"

#include "swf/bit_width.h"
#include "swf/bit_writer.h"
#include "swf/swf_constants.h"
#include "swf/units.h"

namespace swf {

SwfColorTransform::SwfColorTransform() = default;

SwfColorTransform::SwfColorTransform(float multiplyRed, float multiplyGreen, float multiplyBlue,
                                     float multiplyAlpha, float addRed, float addGreen,
                                     float addBlue, float addAlpha)
    : multiply_{fixed8FromFloat(multiplyRed), fixed8FromFloat(multiplyGreen),
                fixed8FromFloat(multiplyBlue), fixed8FromFloat(multiplyAlpha)},
      add_{colorAddFromFloat(addRed), colorAddFromFloat(addGreen), colorAddFromFloat(addBlue),
           colorAddFromFloat(addAlpha)} {}

void SwfColorTransform::appendTo(std::vector<std::uint8_t>& out) const {
  const unsigned width = signedWidth(
      {multiply_[0], multiply_[1], multiply_[2], multiply_[3], add_[0], add_[1], add_[2], add_[3]});
  BitWriter bits(out);
  bits.writeBit(true);
  bits.writeBit(true);
  bits.writeUBits(kColorTransformWidthBits, width);
  for (const std::int32_t term : multiply_) bits.writeSBits(width, term);
  for (const std::int32_t term : add_) bits.writeSBits(width, term);
}

std::vector<std::uint8_t> SwfColorTransform::encode() const {
  std::vector<std::uint8_t> out;
  appendTo(out);
  return out;
}

}  // namespace swf
