#include "swf/swf_rect.h"

#include "swf/bit_width.h"
#include "swf/bit_writer.h"
#include "swf/swf_constants.h"
#include "swf/units.h"

namespace swf {

SwfRect::SwfRect() = default;

void SwfRect::set(float x0, float y0, float x1, float y1) {
  inputs_ = {x0, y0, x1, y1};
  xMin_ = twipsFromPixels(x0);
  yMin_ = twipsFromPixels(y0);
  xMax_ = twipsFromPixels(x1);
  yMax_ = twipsFromPixels(y1);
}

void SwfRect::setFromOriginAndSize(float x, float y, float w, float h) { set(x, y, x + w, y + h); }

std::array<float, 4> SwfRect::get() const { return inputs_; }

void SwfRect::appendTo(std::vector<std::uint8_t>& out) const {
  const unsigned width = signedWidth({xMin_, xMax_, yMin_, yMax_});
  BitWriter bits(out);
  bits.writeUBits(kRecordWidthBits, width);
  bits.writeSBits(width, xMin_);
  bits.writeSBits(width, xMax_);
  bits.writeSBits(width, yMin_);
  bits.writeSBits(width, yMax_);
}

std::vector<std::uint8_t> SwfRect::encode() const {
  std::vector<std::uint8_t> out;
  appendTo(out);
  return out;
}

}  // namespace swf
