#include "swf/bitmap_frame.h"

#include "swf/swf_constants.h"
#include "swf/swf_shape.h"

namespace swf {

namespace {

// Everything of frame `index` after its bitmap: the shape filled with it, its placement and the
// ShowFrame.
void appendFrameShape(SwfMovie& movie, int index, float widthPx, float heightPx) {
  SwfShape shape(frameShapeId(index), 0.0F, 0.0F, widthPx, heightPx, frameDepth(index));
  shape.addLineStyle(0, SwfColor{0x00, 0x00, 0x00, 0xFF});
  shape.addBitmapFill(frameBitmapId(index), kFillClippedBitmap, 0.0F, 0.0F, widthPx, heightPx, 0.0F,
                      0.0F, widthPx, heightPx);
  shape.changeStyle(1, 1, 0, 0.0F, 0.0F);
  shape.lineTo(widthPx, 0.0F);
  shape.lineTo(0.0F, heightPx);
  shape.lineTo(-widthPx, 0.0F);
  shape.lineTo(0.0F, -heightPx);
  movie.addCharacter(&shape, shape.depth(), true);
  movie.showFrame();
}

}  // namespace

bool appendBitmapFrame(SwfMovie& movie, int index, float widthPx, float heightPx,
                       const SwfJpegBitmap& bitmap) {
  if (index < 0 || index >= kMaxBitmapFrames) return false;
  if (!bitmap.isValid() || bitmap.id() != frameBitmapId(index)) return false;
  movie.addCharacter(&bitmap, 0, false);
  appendFrameShape(movie, index, widthPx, heightPx);
  return true;
}

bool appendBitmapFrame(SwfMovie& movie, int index, float widthPx, float heightPx,
                       std::span<const std::uint8_t> jpeg) {
  if (index < 0 || index >= kMaxBitmapFrames) return false;
  if (jpegBitmapTagHead(frameBitmapId(index), jpeg.size()).empty()) return false;
  movie.addJpegBitmap(frameBitmapId(index), jpeg);
  appendFrameShape(movie, index, widthPx, heightPx);
  return true;
}

}  // namespace swf
