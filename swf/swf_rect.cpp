#include "swf/swf_rect.h"

#include "swf/bit_width.h"
#include "swf/bit_writer.h"
#include "swf/swf_constants.h"
#include "swf/units.h"

namespace swf {

SwfRect::SwfRect() = default;

void SwfRect::set(float x0, float y0, float x1, float y1) {
  m_inputs = {x0, y0, x1, y1};
  m_xMin = twipsFromPixels(x0);
  m_yMin = twipsFromPixels(y0);
  m_xMax = twipsFromPixels(x1);
  m_yMax = twipsFromPixels(y1);
}

void SwfRect::setFromOriginAndSize(float x, float y, float w, float h) { set(x, y, x + w, y + h); }

std::array<float, 4> SwfRect::get() const { return m_inputs; }

void SwfRect::appendTo(std::vector<std::uint8_t>& out) const {
  const unsigned width = signedWidth({m_xMin, m_xMax, m_yMin, m_yMax});
  BitWriter bits(out);
  bits.writeUBits(kRecordWidthBits, width);
  bits.writeSBits(width, m_xMin);
  bits.writeSBits(width, m_xMax);
  bits.writeSBits(width, m_yMin);
  bits.writeSBits(width, m_yMax);
}

std::vector<std::uint8_t> SwfRect::encode() const {
  std::vector<std::uint8_t> out;
  appendTo(out);
  return out;
}

}  // namespace swf
