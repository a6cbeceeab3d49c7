#include "swf/swf_matrix.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "swf/bit_width.h"
#include "swf/bit_writer.h"
#include "swf/swf_constants.h"
#include "swf/units.h"

namespace swf {
namespace {

// The smallest n >= 0 with 2^n > |trunc(value)|, counted in double so huge inputs cannot overflow.
unsigned integerPartBits(float value) {
  const double integerPart = std::fabs(std::trunc(static_cast<double>(value)));
  unsigned n = 0;
  while (std::ldexp(1.0, static_cast<int>(n)) <= integerPart && n < 64) ++n;
  return n;
}

}  // namespace

SwfMatrix::SwfMatrix() = default;

void SwfMatrix::setFixedPair(FixedPair& pair, float first, float second) {
  if (first == 0.0F && second == 0.0F) return;
  pair.present = true;
  pair.first = fixed16FromFloat(first);
  pair.second = fixed16FromFloat(second);
  const unsigned n = std::max(integerPartBits(first), integerPartBits(second));
  // The fixed values saturate at 31 signed bits, so a wider field is never needed.
  pair.width = std::min(kFixed16FractionWidth + n, kMaxRecordFieldWidth);
}

void SwfMatrix::set(float scaleX, float scaleY, float rotateSkew0, float rotateSkew1,
                    float translateX, float translateY) {
  m_inputs = {scaleX, scaleY, rotateSkew0, rotateSkew1, translateX, translateY};
  setFixedPair(m_scale, scaleX, scaleY);
  setFixedPair(m_rotate, rotateSkew0, rotateSkew1);
  if (translateX != 0.0F || translateY != 0.0F) {
    m_translateX = twipsFromPixels(translateX);
    m_translateY = twipsFromPixels(translateY);
    m_translateWidth = signedWidth({m_translateX, m_translateY});
  }
}

std::array<float, 6> SwfMatrix::get() const { return m_inputs; }

void SwfMatrix::appendTo(std::vector<std::uint8_t>& out) const {
  BitWriter bits(out);
  for (const FixedPair* pair : {&m_scale, &m_rotate}) {
    bits.writeBit(pair->present);
    if (!pair->present) continue;
    bits.writeUBits(kRecordWidthBits, pair->width);
    bits.writeSBits(pair->width, pair->first);
    bits.writeSBits(pair->width, pair->second);
  }
  bits.writeUBits(kRecordWidthBits, m_translateWidth);
  bits.writeSBits(m_translateWidth, m_translateX);
  bits.writeSBits(m_translateWidth, m_translateY);
}

std::vector<std::uint8_t> SwfMatrix::encode() const {
  std::vector<std::uint8_t> out;
  appendTo(out);
  return out;
}

}  // namespace swf
