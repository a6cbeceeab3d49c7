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
    : m_multiply{fixed8FromFloat(multiplyRed), fixed8FromFloat(multiplyGreen),
                 fixed8FromFloat(multiplyBlue), fixed8FromFloat(multiplyAlpha)},
      m_add{colorAddFromFloat(addRed), colorAddFromFloat(addGreen), colorAddFromFloat(addBlue),
            colorAddFromFloat(addAlpha)} {}

void SwfColorTransform::appendTo(std::vector<std::uint8_t>& out) const {
  const unsigned width = signedWidth({m_multiply[0], m_multiply[1], m_multiply[2], m_multiply[3],
                                      m_add[0], m_add[1], m_add[2], m_add[3]});
  BitWriter bits(out);
  bits.writeBit(true);
  bits.writeBit(true);
  bits.writeUBits(kColorTransformWidthBits, width);
  for (const std::int32_t term : m_multiply) bits.writeSBits(width, term);
  for (const std::int32_t term : m_add) bits.writeSBits(width, term);
}

std::vector<std::uint8_t> SwfColorTransform::encode() const {
  std::vector<std::uint8_t> out;
  appendTo(out);
  return out;
}

}  // namespace swf
