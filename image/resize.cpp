#include "image/image_buffer.h"

namespace image {

void ImageBuffer::Resize(int newWidth, int newHeight) {
  if (!IsValid() || newWidth < 1 || newHeight < 1 || BitsPerPixel() < 16) {
    return;
  }
  if (newWidth == Width() && newHeight == Height()) {
    return;
  }
}

}  // namespace image
