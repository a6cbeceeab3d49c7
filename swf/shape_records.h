#pragma once

#include <array>
#include <cstdint>
#include <vector>

// The path part of a DefineShape3: style changes, straight and curved edges, all in twips.
namespace swf {

struct ShapeRecord {
  enum class Kind : std::uint8_t { StyleChange, StraightEdge, CurvedEdge };

  Kind kind = Kind::StyleChange;
  // Style change: move-to x, y (when hasMove). Straight edge: dx, dy. Curved edge: control dx,
  // control dy, anchor dx, anchor dy (anchor relative to the control point).
  std::array<std::int32_t, 4> values{};
  bool hasMove = false;
  std::uint16_t fillStyle0 = 0;
  std::uint16_t fillStyle1 = 0;
  std::uint16_t lineStyle = 0;
};

// Appends a straight edge of (dx, dy) twips. An edge stores its deltas in at most 17 bits, so a
// longer edge is appended as consecutive straight pieces that add up to exactly (dx, dy).
void appendStraightEdge(std::vector<ShapeRecord>& records, std::int32_t dx, std::int32_t dy);

// Appends a quadratic curve given as control and anchor deltas in twips. A curve whose deltas
// exceed 17 bits is split at its midpoint until every piece fits; the pieces end exactly where
// the whole curve ends.
void appendCurvedEdge(std::vector<ShapeRecord>& records, std::int32_t controlDx,
                      std::int32_t controlDy, std::int32_t anchorDx, std::int32_t anchorDy);

// Appends the SHAPERECORD bit stream of `records` followed by the end record, padded to a whole
// byte. Index fields are `fillBits` and `lineBits` wide.
//   style change: 0 0 1 1 1 MoveTo [UB[5] w, SB[w] x, SB[w] y] UB[fill] fill0 UB[fill] fill1
//                 UB[line] line
//   straight:     1 1 UB[4] w-2 1 SB[w] dx SB[w] dy            (w >= 2, general line always)
//   curved:       1 0 UB[4] w-2 SB[w] cdx SB[w] cdy SB[w] adx SB[w] ady   (w >= 2)
//   end:          0 0 0 0 0 0
void appendShapeRecords(std::vector<std::uint8_t>& out, const std::vector<ShapeRecord>& records,
                        unsigned fillBits, unsigned lineBits);

}  // namespace swf
