#include "swf/bitmap_frame.h"

#include "swf/swf_action_list.h"
#include "swf/swf_constants.h"
#include "swf/swf_shape.h"

namespace swf {

namespace {

bool validIndex(int index) { return index >= 0 && index < kMaxBitmapFrames; }

bool validPlacement(const FramePlacement& placement) {
  return placement.showFrames >= 1 &&
         (placement.removeIndex == -1 || validIndex(placement.removeIndex));
}

// The shape of frame `index`, filled with its bitmap.
SwfShape frameShape(int index, float widthPx, float heightPx) {
  SwfShape shape(frameShapeId(index), 0.0F, 0.0F, widthPx, heightPx, frameDepth(index));
  shape.addLineStyle(0, SwfColor{0x00, 0x00, 0x00, 0xFF});
  shape.addBitmapFill(frameBitmapId(index), kFillClippedBitmap, 0.0F, 0.0F, widthPx, heightPx, 0.0F,
                      0.0F, widthPx, heightPx);
  shape.changeStyle(1, 1, 0, 0.0F, 0.0F);
  shape.lineTo(widthPx, 0.0F);
  shape.lineTo(0.0F, heightPx);
  shape.lineTo(-widthPx, 0.0F);
  shape.lineTo(0.0F, -heightPx);
  return shape;
}

// Everything of frame `index` after its bitmap: the shape filled with it and its placement.
void appendFrameShape(SwfMovie& movie, int index, float widthPx, float heightPx,
                      const FramePlacement& placement) {
  const SwfShape shape = frameShape(index, widthPx, heightPx);
  movie.addCharacter(&shape, shape.depth(), false);
  placeBitmapFrame(movie, index, placement);
}

}  // namespace

bool appendBitmapFrame(SwfMovie& movie, int index, float widthPx, float heightPx,
                       const SwfCharacter& bitmap, const FramePlacement& placement) {
  if (!validIndex(index) || !validPlacement(placement)) return false;
  if (bitmap.tagSize() == 0 || bitmap.id() != frameBitmapId(index)) return false;
  movie.addCharacter(&bitmap, 0, false);
  appendFrameShape(movie, index, widthPx, heightPx, placement);
  return true;
}

bool appendBitmapFrame(SwfMovie& movie, int index, float widthPx, float heightPx,
                       std::span<const std::uint8_t> jpeg, const FramePlacement& placement) {
  if (!validIndex(index) || !validPlacement(placement)) return false;
  if (jpegBitmapTagHead(frameBitmapId(index), jpeg.size()).empty()) return false;
  movie.addJpegBitmap(frameBitmapId(index), jpeg);
  appendFrameShape(movie, index, widthPx, heightPx, placement);
  return true;
}

bool placeBitmapFrame(SwfMovie& movie, int index, const FramePlacement& placement) {
  if (!validIndex(index) || !validPlacement(placement)) return false;
  if (placement.removeIndex >= 0) movie.removeDepth(frameDepth(placement.removeIndex));
  // Placing needs only the id and depth of the shape, not its edges.
  const SwfShape shape(frameShapeId(index), 0.0F, 0.0F, 0.0F, 0.0F, frameDepth(index));
  movie.placeCharacter(&shape, shape.depth(), true);
  for (int frame = 1; frame <= placement.showFrames; ++frame) {
    if (placement.stop && frame == placement.showFrames) {
      SwfActionList stop;
      stop.stop();
      movie.addActions(&stop);
    }
    movie.showFrame();
  }
  return true;
}

}  // namespace swf
