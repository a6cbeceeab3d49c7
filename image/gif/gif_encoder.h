#pragma once

#include <cstdint>
#include <vector>

#include "image/image_buffer.h"
#include "image/image_error.h"

namespace image {

// Encodes `picture` as a single-image GIF89a into `out` (replacing its contents). A palette
// image (1, 4 or 8 bpp) is written with its own palette, 2^bpp entries; a 16, 24 or 32-bit
// image is quantised to at most 256 colours with libimagequant. At 32 bpp a pixel with alpha
// 0 becomes the one transparent palette entry, announced in a graphic control extension, and
// every other pixel is written opaque; an image whose alpha bytes are all 0 carries no alpha
// (as in 32-bit BMP files) and is written opaque. The output is the same for the same image.
// Fails, `out` unchanged: InvalidImage for an invalid picture, Library when libimagequant or
// giflib fails, OutOfMemory.
ImageResult encodeGif(const ImageBuffer& picture, std::vector<uint8_t>& out);

}  // namespace image
