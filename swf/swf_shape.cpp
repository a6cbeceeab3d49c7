#include "swf/swf_shape.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "support/byte_io.h"
#include "swf/bit_width.h"
#include "swf/swf_constants.h"
#include "swf/tag_header.h"
#include "swf/units.h"

namespace swf {
namespace {

constexpr std::size_t kMaxGradientRecords = 255;
constexpr double kRadiansPerDegree = 0.017453292222222222;
constexpr double kRightAngleNudgeDegrees = 0.05;

void appendColor(std::vector<std::uint8_t>& out, SwfColor color) {
  out.push_back(color.red);
  out.push_back(color.green);
  out.push_back(color.blue);
  out.push_back(color.alpha);
}

// FILLSTYLEARRAY / LINESTYLEARRAY count: one byte below 255, else FF and a 16-bit count.
void appendStyleCount(std::vector<std::uint8_t>& out, std::size_t count) {
  if (count < kStyleCountEscape) {
    out.push_back(static_cast<std::uint8_t>(count));
    return;
  }
  out.push_back(kStyleCountEscape);
  support::appendLe16(out, static_cast<std::uint16_t>(count));
}

void appendMatrix(std::vector<std::uint8_t>& out, const std::array<float, 6>& inputs) {
  SwfMatrix matrix;
  matrix.set(inputs[0], inputs[1], inputs[2], inputs[3], inputs[4], inputs[5]);
  matrix.appendTo(out);
}

bool isBitmapFill(std::uint8_t type) {
  return type >= kFillRepeatingBitmap && type <= kFillClippedBitmapHard;
}

}  // namespace

SwfShape::SwfShape(std::uint16_t id, float x0, float y0, float x1, float y1, std::uint16_t depth)
    : SwfCharacter(CharacterKind::Shape, id, depth) {
  m_bounds.set(x0, y0, x1, y1);
}

bool SwfShape::addLineStyle(int widthPx, SwfColor color) {
  if (m_lines.size() >= kMaxStyles) return false;
  constexpr long long kTwipsPerWholePixel = static_cast<long long>(kTwipsPerPixel);
  const long long twips = std::clamp(static_cast<long long>(widthPx) * kTwipsPerWholePixel, 0LL,
                                     static_cast<long long>(UINT16_MAX));
  m_lines.push_back({static_cast<std::uint16_t>(twips), color});
  m_tagCurrent = false;
  return true;
}

bool SwfShape::addSolidFill(SwfColor color) {
  FillStyle fill;
  fill.type = kFillSolid;
  fill.color = color;
  return addFill(std::move(fill));
}

bool SwfShape::addGradientFill(std::uint8_t type, float x0, float y0, float x1, float y1,
                               std::span<const SwfGradientRecord> records) {
  if (type != kFillLinearGradient && type != kFillRadialGradient) return false;
  if (records.empty() || records.size() > kMaxGradientRecords) return false;
  FillStyle fill;
  fill.type = type;
  fill.matrixInputs = {(x1 - x0) * kTwipsPerPixel / kGradientSquareTwips,
                       (y1 - y0) * kTwipsPerPixel / kGradientSquareTwips,
                       0.0F,
                       0.0F,
                       (x0 + x1) / 2.0F,
                       (y0 + y1) / 2.0F};
  fill.gradient.assign(records.begin(), records.end());
  return addFill(std::move(fill));
}

bool SwfShape::addBitmapFill(std::uint16_t bitmapId, std::uint8_t type, float sourceX0,
                             float sourceY0, float sourceX1, float sourceY1, float targetX0,
                             float targetY0, float targetX1, float targetY1) {
  if (!isBitmapFill(type)) return false;
  const float sourceWidth = sourceX1 - sourceX0;
  const float sourceHeight = sourceY1 - sourceY0;
  // A zero-sized source has no finite mapping onto the target.
  if (sourceWidth == 0.0F || sourceHeight == 0.0F) return false;
  FillStyle fill;
  fill.type = type;
  fill.bitmapId = bitmapId;
  fill.matrixInputs = {kTwipsPerPixel * (targetX1 - targetX0) / sourceWidth,
                       kTwipsPerPixel * (targetY1 - targetY0) / sourceHeight,
                       0.0F,
                       0.0F,
                       targetX0,
                       targetY0};
  return addFill(std::move(fill));
}

bool SwfShape::addFill(FillStyle fill) {
  if (m_fills.size() >= kMaxStyles) return false;
  m_fills.push_back(std::move(fill));
  m_tagCurrent = false;
  return true;
}

void SwfShape::changeStyle(std::uint16_t lineStyle, std::uint16_t fillStyle0,
                           std::uint16_t fillStyle1) {
  appendStyleChange(ShapeRecord{}, lineStyle, fillStyle0, fillStyle1);
}

void SwfShape::changeStyle(std::uint16_t lineStyle, std::uint16_t fillStyle0,
                           std::uint16_t fillStyle1, float moveX, float moveY) {
  ShapeRecord record;
  record.hasMove = true;
  record.values[0] = twipsFromPixels(moveX);
  record.values[1] = twipsFromPixels(moveY);
  appendStyleChange(record, lineStyle, fillStyle0, fillStyle1);
}

void SwfShape::appendStyleChange(ShapeRecord record, std::uint16_t lineStyle,
                                 std::uint16_t fillStyle0, std::uint16_t fillStyle1) {
  record.kind = ShapeRecord::Kind::StyleChange;
  record.lineStyle = lineStyle;
  record.fillStyle0 = fillStyle0;
  record.fillStyle1 = fillStyle1;
  m_records.push_back(record);
  m_tagCurrent = false;
}

void SwfShape::lineTo(float dx, float dy) {
  appendStraightEdge(m_records, twipsFromPixels(dx), twipsFromPixels(dy));
  m_tagCurrent = false;
}

void SwfShape::curveTo(float controlDx, float controlDy, float anchorDx, float anchorDy) {
  appendCurvedEdge(m_records, twipsFromPixels(controlDx), twipsFromPixels(controlDy),
                   twipsFromPixels(anchorDx), twipsFromPixels(anchorDy));
  m_tagCurrent = false;
}

void SwfShape::setScale(float scaleX, float scaleY) {
  const std::array<float, 6> m = m_placement.get();
  m_placement.set(scaleX, scaleY, m[2], m[3], m[4], m[5]);
}

void SwfShape::setTranslation(float translateX, float translateY) {
  const std::array<float, 6> m = m_placement.get();
  m_placement.set(m[0], m[1], m[2], m[3], translateX, translateY);
}

void SwfShape::setSkew(float rotateSkew0, float rotateSkew1) {
  const std::array<float, 6> m = m_placement.get();
  m_placement.set(m[0], m[1], rotateSkew0, rotateSkew1, m[4], m[5]);
}

void SwfShape::setRotation(float degrees) {
  double angle = static_cast<double>(degrees);
  if (std::fmod(std::trunc(angle), 90.0) == 0.0) angle += kRightAngleNudgeDegrees;
  const double radians = angle * kRadiansPerDegree;
  const auto cosine = static_cast<float>(std::cos(radians));
  const auto sine = static_cast<float>(std::sin(radians));
  const std::array<float, 6> m = m_placement.get();
  m_placement.set(cosine, cosine, sine, -sine, m[4], m[5]);
}

// DefineShape3 tag (code 32, long header):
//   u16 ShapeId | RECT ShapeBounds
//   FILLSTYLEARRAY: count; per style u8 type, then
//     solid 0x00:          RGBA
//     gradient 0x10/0x12:  MATRIX, u8 count, count x (u8 ratio, RGBA)
//     bitmap 0x40..0x43:   u16 bitmap id, MATRIX
//   LINESTYLEARRAY: count; per style u16 width (twips), RGBA
//   u8 NumFillBits << 4 | NumLineBits | SHAPERECORDs ending in the end record
void SwfShape::buildTag() const {
  std::vector<std::uint8_t> body;
  support::appendLe16(body, id());
  m_bounds.appendTo(body);
  appendStyleCount(body, m_fills.size());
  for (const FillStyle& fill : m_fills) {
    body.push_back(fill.type);
    if (fill.type == kFillSolid) {
      appendColor(body, fill.color);
    } else if (isBitmapFill(fill.type)) {
      support::appendLe16(body, fill.bitmapId);
      appendMatrix(body, fill.matrixInputs);
    } else {
      appendMatrix(body, fill.matrixInputs);
      body.push_back(static_cast<std::uint8_t>(fill.gradient.size()));
      for (const SwfGradientRecord& record : fill.gradient) {
        body.push_back(record.ratio);
        appendColor(body, record.color);
      }
    }
  }
  appendStyleCount(body, m_lines.size());
  for (const LineStyle& line : m_lines) {
    support::appendLe16(body, line.widthTwips);
    appendColor(body, line.color);
  }
  const unsigned fillBits = unsignedWidth(static_cast<std::uint32_t>(m_fills.size()));
  const unsigned lineBits = unsignedWidth(static_cast<std::uint32_t>(m_lines.size()));
  body.push_back(static_cast<std::uint8_t>((fillBits << 4) | lineBits));
  appendShapeRecords(body, m_records, fillBits, lineBits);

  m_tag.clear();
  appendTag(m_tag, TagCode::DefineShape3, body);
  m_tagCurrent = true;
}

std::span<const std::uint8_t> SwfShape::tagBytes() const {
  if (!m_tagCurrent) buildTag();
  return m_tag;
}

std::uint32_t SwfShape::tagSize() const { return static_cast<std::uint32_t>(tagBytes().size()); }

}  // namespace swf
