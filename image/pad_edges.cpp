#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

#include "image/image_buffer.h"

namespace image {

void ImageBuffer::PadEdges(int margin) {
  const int depth = BitsPerPixel();
  if (!IsValid() || depth < 8 || margin < 1) {
    return;
  }
  const int width = Width();
  const int height = Height();
  if (margin > (std::numeric_limits<int32_t>::max() - std::max(width, height)) / 2) {
    return;
  }
  BitmapInfoHeader header = m_header;
  header.biWidth = width + 2 * margin;
  header.biHeight = height + 2 * margin;
  ImageBuffer padded;
  if (!padded.CreateFromHeader(header, m_masks.data())) {
    return;
  }
  padded.m_palette = m_palette;

  const auto pixelBytes = static_cast<std::size_t>(depth / 8);
  const auto rowBytes = pixelBytes * static_cast<std::size_t>(width);
  const auto marginBytes = pixelBytes * static_cast<std::size_t>(margin);
  // Each padded row is the source row with its first and last pixel repeated outwards; the
  // margin rows above and below repeat the top and bottom source rows, corners included.
  for (int y = 0; y < padded.Height(); ++y) {
    const int sourceY = std::clamp(y - margin, 0, height - 1);
    const uint8_t* source = RowPointer(sourceY);
    uint8_t* target = padded.RowPointer(y);
    for (int x = 0; x < margin; ++x) {
      std::memcpy(target + pixelBytes * static_cast<std::size_t>(x), source, pixelBytes);
    }
    std::memcpy(target + marginBytes, source, rowBytes);
    const uint8_t* last = source + rowBytes - pixelBytes;
    uint8_t* right = target + marginBytes + rowBytes;
    for (int x = 0; x < margin; ++x) {
      std::memcpy(right + pixelBytes * static_cast<std::size_t>(x), last, pixelBytes);
    }
  }
  *this = std::move(padded);
}

}  // namespace image
