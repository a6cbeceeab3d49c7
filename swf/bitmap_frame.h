#pragma once

#include <cstdint>
#include <span>

#include "swf/swf_character.h"
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

// Where a converted frame goes on the stage and how long it stays there.
struct FramePlacement {
  // A frame whose placement is taken off the stage before this one is placed, so that nothing of
  // it shows through this frame's transparent pixels; -1 for none (each frame then covers the
  // ones before it from a depth of its own).
  int removeIndex = -1;
  // ShowFrame tags after the placement: the movie frames the picture lasts (at least 1).
  int showFrames = 1;
  // A Stop action in the last of those movie frames: the movie ends on this picture.
  bool stop = false;
};

// Appends frame `index` of a converted animation:
//   the definition tag of `bitmap` (not placed: DefineBitsJPEG2, DefineBitsJPEG3,
//     DefineBitsLossless or DefineBitsLossless2), whose id must be frameBitmapId(index);
//   DefineShape3 id frameShapeId(index), bounds 0..widthPx x 0..heightPx, line style width 0
//     opaque black, clipped bitmap fill (0x41) mapping the bitmap's widthPx x heightPx pixels
//     one to one onto the shape, a style change (line 1, fill0 1, fill1 0) moving to (0, 0) and
//     the edges (w, 0), (0, h), (-w, 0), (0, -h);
//   then as placeBitmapFrame: with the default placement, a PlaceObject2 of the shape at
//     frameDepth(index) with the identity matrix and one ShowFrame.
// Returns false, appending nothing, when `index` is out of range, the bitmap is invalid (an
// empty tag) or its id does not match the index, or the placement is invalid.
bool appendBitmapFrame(SwfMovie& movie, int index, float widthPx, float heightPx,
                       const SwfCharacter& bitmap, const FramePlacement& placement = {});

// As above, with a DefineBitsJPEG2 tag written under the right id straight from the JPEG bytes.
bool appendBitmapFrame(SwfMovie& movie, int index, float widthPx, float heightPx,
                       std::span<const std::uint8_t> jpeg, const FramePlacement& placement = {});

// Puts the shape of frame `index`, defined earlier, on the stage: RemoveObject2 of the depth of
// placement.removeIndex (when not -1), PlaceObject2 of frameShapeId(index) at frameDepth(index)
// with the identity matrix, placement.showFrames ShowFrame tags, and with placement.stop a
// DoAction Stop before the last of them. False, appending nothing, for an index out of range, a
// removeIndex other than -1 out of range, or showFrames below 1.
bool placeBitmapFrame(SwfMovie& movie, int index, const FramePlacement& placement = {});

}  // namespace swf
