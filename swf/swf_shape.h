#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "swf/shape_records.h"
#include "swf/swf_character.h"
#include "swf/swf_color.h"
#include "swf/swf_matrix.h"
#include "swf/swf_rect.h"

namespace swf {

// A DefineShape3 character: fill and line styles, a path of relative moves and edges, its
// bounds, and the matrix it is placed with. Coordinates, deltas and widths are pixels.
// Style indices are 1-based positions in the style lists; 0 selects no style.
class SwfShape : public SwfCharacter {
 public:
  // Largest number of fill or line styles: indices must fit the 4-bit NumFillBits/NumLineBits.
  static constexpr std::uint16_t kMaxStyles = 32767;

  // A shape with the given id, bounds (x0, y0)..(x1, y1) pixels and intended placement depth.
  // Identity placement matrix, no styles, no records.
  SwfShape(std::uint16_t id, float x0, float y0, float x1, float y1, std::uint16_t depth);

  // Appends a line style `widthPx` whole pixels wide (width * 20 twips, saturating at
  // 0..65535). Returns false, adding nothing, when the list already holds kMaxStyles entries.
  bool addLineStyle(int widthPx, SwfColor color);

  // Appends a solid fill. Returns false, adding nothing, when the fill list is full.
  bool addSolidFill(SwfColor color);

  // Appends a gradient fill of type 0x10 (linear) or 0x12 (radial) whose 32768-twip gradient
  // square is stretched over (x0, y0)..(x1, y1) pixels and centred in it. Returns false, adding
  // nothing, for another type, for no records or more than 255, or when the fill list is full.
  bool addGradientFill(std::uint8_t type, float x0, float y0, float x1, float y1,
                       std::span<const SwfGradientRecord> records);

  // Appends a bitmap fill of type 0x40..0x43 showing bitmap `bitmapId` so that its source
  // rectangle (bitmap pixels) covers the target rectangle (shape pixels); equal sizes give a
  // scale of 20.0. Returns false, adding nothing, for another type, for a source rectangle of
  // zero width or height, or when the fill list is full.
  bool addBitmapFill(std::uint16_t bitmapId, std::uint8_t type, float sourceX0, float sourceY0,
                     float sourceX1, float sourceY1, float targetX0, float targetY0, float targetX1,
                     float targetY1);

  // Appends a style change selecting all three styles (indices are not checked against the
  // lists), without moving the pen.
  void changeStyle(std::uint16_t lineStyle, std::uint16_t fillStyle0, std::uint16_t fillStyle1);

  // As above, and moves the pen to (moveX, moveY) pixels from the shape origin.
  void changeStyle(std::uint16_t lineStyle, std::uint16_t fillStyle0, std::uint16_t fillStyle1,
                   float moveX, float moveY);

  // Appends a straight edge of (dx, dy) pixels from the pen.
  void lineTo(float dx, float dy);

  // Appends a quadratic curve: control point (controlDx, controlDy) pixels from the pen, anchor
  // (anchorDx, anchorDy) pixels from the control point.
  void curveTo(float controlDx, float controlDy, float anchorDx, float anchorDy);

  // Replace one pair of the placement matrix inputs and keep the others (see SwfMatrix::set:
  // a pair of zeros leaves that component as it was).
  void setScale(float scaleX, float scaleY);
  void setTranslation(float translateX, float translateY);
  void setSkew(float rotateSkew0, float rotateSkew1);

  // Rotates the placement by `degrees` (scale cos, cos; rotate/skew sin, -sin), keeping the
  // translation. Angles whose whole-degree part is a multiple of 90 are nudged by 0.05 degrees
  // so that neither pair becomes (0, 0), which would mean "absent".
  void setRotation(float degrees);

  // The matrix a placement of this shape carries.
  const SwfMatrix& placementMatrix() const { return m_placement; }

  // The DefineShape3 tag for the current styles and records, built on demand. Calling it
  // again gives the same bytes; editing the shape afterwards rebuilds it on the next call.
  std::span<const std::uint8_t> tagBytes() const override;
  std::uint32_t tagSize() const override;

 private:
  struct FillStyle {
    std::uint8_t type = 0;
    SwfColor color;
    std::uint16_t bitmapId = 0;
    std::array<float, 6> matrixInputs{};
    std::vector<SwfGradientRecord> gradient;
  };

  struct LineStyle {
    std::uint16_t widthTwips = 0;
    SwfColor color;
  };

  bool addFill(FillStyle fill);
  void appendStyleChange(ShapeRecord record, std::uint16_t lineStyle, std::uint16_t fillStyle0,
                         std::uint16_t fillStyle1);
  void buildTag() const;

  SwfRect m_bounds;
  SwfMatrix m_placement;
  std::vector<FillStyle> m_fills;
  std::vector<LineStyle> m_lines;
  std::vector<ShapeRecord> m_records;
  mutable std::vector<std::uint8_t> m_tag;
  mutable bool m_tagCurrent = false;
};

}  // namespace swf
