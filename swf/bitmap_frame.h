#pragma once

#include <cstdint>
#include <span>

#include "swf/swf_jpeg_bitmap.h"
#include "swf/swf_movie.h"

// The tag layout of one converted frame: a JPEG bitmap shown on a stage-sized rectangle.
namespace swf {

// Frames a movie can hold in this layout: the ids 2i and 2i + 1 are 16-bit.
inline constexpr int kMaxBitmapFrames = 32768;

// Character ids and depth of frame `index` (0-based; 0 .. kMaxBitmapFrames - 1).
constexpr std::uint16_t frameShapeId(int index) { return static_cast<std::uint16_t>(2 * index); }
constexpr std::uint16_t frameBitmapId(int index) {
  return static_cast<std::uint16_t>(2 * index + 1);
}
constexpr std::uint16_t frameDepth(int index) { return static_cast<std::uint16_t>(index + 1); }

// Appends frame `index` of a converted animation:
//   DefineBitsJPEG2 of `bitmap` (not placed), whose id must be frameBitmapId(index);
//   DefineShape3 id frameShapeId(index), bounds 0..widthPx x 0..heightPx, line style width 0
//     opaque black, clipped bitmap fill (0x41) mapping the bitmap's widthPx x heightPx pixels
//     one to one onto the shape, a style change (line 1, fill0 1, fill1 0) moving to (0, 0) and
//     the edges (w, 0), (0, h), (-w, 0), (0, -h);
//   PlaceObject2 of the shape at frameDepth(index) with the identity matrix; ShowFrame.
// Returns false, appending nothing, when `index` is out of range, the bitmap is invalid (its
// file could not be read) or its id does not match the index.
bool appendBitmapFrame(SwfMovie& movie, int index, float widthPx, float heightPx,
                       const SwfJpegBitmap& bitmap);

// As above, with the bitmap tag written under the right id straight from the JPEG bytes.
bool appendBitmapFrame(SwfMovie& movie, int index, float widthPx, float heightPx,
                       std::span<const std::uint8_t> jpeg);

}  // namespace swf
