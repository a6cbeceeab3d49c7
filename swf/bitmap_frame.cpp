#include "swf/bitmap_frame.h"

#include "swf/swf_constants.h"
#include "swf/swf_shape.h"

namespace swf {

bool appendBitmapFrame(SwfMovie& movie, int index, float widthPx, float heightPx,
                       const SwfJpegBitmap& bitmap) {
  if (index < 0 || index >= kMaxBitmapFrames) return false;
  if (!bitmap.isValid() || bitmap.id() != frameBitmapId(index)) return false;

  SwfShape shape(frameShapeId(index), 0.0F, 0.0F, widthPx, heightPx, frameDepth(index));
  shape.addLineStyle(0, SwfColor{0x00, 0x00, 0x00, 0xFF});
  shape.addBitmapFill(bitmap.id(), kFillClippedBitmap, 0.0F, 0.0F, widthPx, heightPx, 0.0F, 0.0F,
                      widthPx, heightPx);
  shape.changeStyle(1, 1, 0, 0.0F, 0.0F);
  shape.lineTo(widthPx, 0.0F);
  shape.lineTo(0.0F, heightPx);
  shape.lineTo(-widthPx, 0.0F);
  shape.lineTo(0.0F, -heightPx);

  movie.addCharacter(&bitmap, 0, false);
  movie.addCharacter(&shape, shape.depth(), true);
  movie.showFrame();
  return true;
}

bool appendBitmapFrame(SwfMovie& movie, int index, float widthPx, float heightPx,
                       std::span<const std::uint8_t> jpeg) {
  if (index < 0 || index >= kMaxBitmapFrames) return false;
  const SwfJpegBitmap bitmap(frameBitmapId(index), jpeg);
  return appendBitmapFrame(movie, index, widthPx, heightPx, bitmap);
}

}  // namespace swf
