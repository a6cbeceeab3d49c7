#include "swf/shape_records.h"

#include <algorithm>
#include <cstdlib>

#include "swf/bit_width.h"
#include "swf/bit_writer.h"
#include "swf/swf_constants.h"

namespace swf {
namespace {

// Largest delta magnitude an edge can hold: 17 signed bits.
constexpr std::int64_t kMaxEdgeDelta = (std::int64_t{1} << (kMaxEdgeFieldWidth - 1)) - 1;

bool fitsEdge(std::int64_t value) { return std::llabs(value) <= kMaxEdgeDelta; }

std::int32_t narrow(std::int64_t value) { return static_cast<std::int32_t>(value); }

// Splits the curve 0 -> control -> end (absolute points) at t = 1/2 with de Casteljau's
// construction on integers; rounding moves only the control points, never the ends.
void appendCurve(std::vector<ShapeRecord>& records, std::int64_t cx, std::int64_t cy,
                 std::int64_t ex, std::int64_t ey) {
  if (fitsEdge(cx) && fitsEdge(cy) && fitsEdge(ex - cx) && fitsEdge(ey - cy)) {
    ShapeRecord record;
    record.kind = ShapeRecord::Kind::CurvedEdge;
    record.values[0] = narrow(cx);
    record.values[1] = narrow(cy);
    record.values[2] = narrow(ex - cx);
    record.values[3] = narrow(ey - cy);
    records.push_back(record);
    return;
  }
  const std::int64_t leftX = cx / 2;
  const std::int64_t leftY = cy / 2;
  const std::int64_t rightX = (cx + ex) / 2;
  const std::int64_t rightY = (cy + ey) / 2;
  const std::int64_t midX = (leftX + rightX) / 2;
  const std::int64_t midY = (leftY + rightY) / 2;
  appendCurve(records, leftX, leftY, midX, midY);
  appendCurve(records, rightX - midX, rightY - midY, ex - midX, ey - midY);
}

unsigned edgeWidth(std::initializer_list<std::int32_t> values) {
  return std::max(signedWidth(values), kEdgeNumBitsBias);
}

void writeStyleChange(BitWriter& bits, const ShapeRecord& record, unsigned fillBits,
                      unsigned lineBits) {
  bits.writeBit(false);  // TypeFlag: non-edge
  bits.writeBit(false);  // StateNewStyles
  bits.writeBit(true);   // StateLineStyle
  bits.writeBit(true);   // StateFillStyle1
  bits.writeBit(true);   // StateFillStyle0
  bits.writeBit(record.hasMove);
  if (record.hasMove) {
    const unsigned width = signedWidth({record.values[0], record.values[1]});
    bits.writeUBits(kRecordWidthBits, width);
    bits.writeSBits(width, record.values[0]);
    bits.writeSBits(width, record.values[1]);
  }
  bits.writeUBits(fillBits, record.fillStyle0);
  bits.writeUBits(fillBits, record.fillStyle1);
  bits.writeUBits(lineBits, record.lineStyle);
}

void writeEdge(BitWriter& bits, const ShapeRecord& record) {
  const bool straight = record.kind == ShapeRecord::Kind::StraightEdge;
  const std::size_t count = straight ? 2 : 4;
  const unsigned width =
      straight
          ? edgeWidth({record.values[0], record.values[1]})
          : edgeWidth({record.values[0], record.values[1], record.values[2], record.values[3]});
  bits.writeBit(true);  // TypeFlag: edge
  bits.writeBit(straight);
  bits.writeUBits(kEdgeNumBitsBits, width - kEdgeNumBitsBias);
  if (straight) bits.writeBit(true);  // GeneralLineFlag: both deltas follow
  for (std::size_t i = 0; i < count; ++i) bits.writeSBits(width, record.values[i]);
}

}  // namespace

void appendStraightEdge(std::vector<ShapeRecord>& records, std::int32_t dx, std::int32_t dy) {
  const std::int64_t longest = std::max(std::llabs(dx), std::llabs(dy));
  const std::int64_t pieces =
      std::max<std::int64_t>(1, (longest + kMaxEdgeDelta - 1) / kMaxEdgeDelta);
  std::int64_t doneX = 0;
  std::int64_t doneY = 0;
  for (std::int64_t piece = 1; piece <= pieces; ++piece) {
    const std::int64_t toX = std::int64_t{dx} * piece / pieces;
    const std::int64_t toY = std::int64_t{dy} * piece / pieces;
    ShapeRecord record;
    record.kind = ShapeRecord::Kind::StraightEdge;
    record.values[0] = narrow(toX - doneX);
    record.values[1] = narrow(toY - doneY);
    records.push_back(record);
    doneX = toX;
    doneY = toY;
  }
}

void appendCurvedEdge(std::vector<ShapeRecord>& records, std::int32_t controlDx,
                      std::int32_t controlDy, std::int32_t anchorDx, std::int32_t anchorDy) {
  appendCurve(records, controlDx, controlDy, std::int64_t{controlDx} + anchorDx,
              std::int64_t{controlDy} + anchorDy);
}

void appendShapeRecords(std::vector<std::uint8_t>& out, const std::vector<ShapeRecord>& records,
                        unsigned fillBits, unsigned lineBits) {
  BitWriter bits(out);
  for (const ShapeRecord& record : records) {
    if (record.kind == ShapeRecord::Kind::StyleChange) {
      writeStyleChange(bits, record, fillBits, lineBits);
    } else {
      writeEdge(bits, record);
    }
  }
  bits.writeUBits(kEndShapeRecordBits, 0);
}

}  // namespace swf
