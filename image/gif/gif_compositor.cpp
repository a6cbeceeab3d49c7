#include "image/gif/gif_compositor.h"

#include <algorithm>
#include <cstring>

namespace image {
namespace {

// Canvas pixels are 4 bytes B,G,R,A in memory; rows of ImageBuffer have no alignment
// guarantee beyond bytes, so they are read and written through memcpy.
inline uint32_t packPixel(uint8_t red, uint8_t green, uint8_t blue) {
  const uint8_t bytes[4] = {blue, green, red, 255};
  uint32_t pixel = 0;
  std::memcpy(&pixel, bytes, sizeof pixel);
  return pixel;
}

// Image rows in the order an interlaced frame sends them: every 8th row from 0, every 8th
// from 4, every 4th from 2, every 2nd from 1.
struct InterlacePass {
  int start;
  int step;
};
constexpr InterlacePass kInterlacePasses[] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};

}  // namespace

ImageResult GifCompositor::start(const GifFile& file) {
  if (ImageResult created = m_canvas.Create(file.width, file.height, 32); !created) {
    return created;
  }
  m_globalPaletteOffset = file.paletteOffset;
  m_globalPaletteSize = file.paletteSize;
  m_pendingDisposal = GifDisposal::Keep;
  m_pendingArea = Area{};
  m_saved.clear();
  return {};
}

GifCompositor::Area GifCompositor::clip(const GifFrame& frame) const {
  Area area;
  area.left = frame.left;
  area.top = frame.top;
  area.width = std::min(frame.left + frame.width, m_canvas.Width()) - frame.left;
  area.height = std::min(frame.top + frame.height, m_canvas.Height()) - frame.top;
  // A frame beside or below the screen has a side of 0 or less; its area is empty in both
  // directions so that no loop touches rows outside the canvas.
  if (area.width <= 0 || area.height <= 0) {
    return Area{};
  }
  return area;
}

void GifCompositor::buildPalette(std::span<const uint8_t> bytes, const GifFrame& frame) {
  m_palette.fill(0);
  std::size_t offset = m_globalPaletteOffset;
  int size = m_globalPaletteSize;
  if (frame.paletteSize > 0) {
    offset = frame.paletteOffset;
    size = frame.paletteSize;
  }
  if (offset > bytes.size() || static_cast<std::size_t>(size) * 3 > bytes.size() - offset) {
    return;
  }
  const uint8_t* entry = bytes.data() + offset;
  for (int i = 0; i < size; ++i, entry += 3) {
    m_palette[static_cast<std::size_t>(i)] = packPixel(entry[0], entry[1], entry[2]);
  }
  if (frame.transparentIndex >= 0) {
    m_palette[static_cast<std::size_t>(frame.transparentIndex)] = 0;
  }
}

void GifCompositor::dispose() {
  const Area& area = m_pendingArea;
  const std::size_t rowBytes = static_cast<std::size_t>(area.width) * 4;
  if (m_pendingDisposal == GifDisposal::Background) {
    for (int y = 0; y < area.height; ++y) {
      std::memset(m_canvas.PixelAddress(area.left, area.top + y), 0, rowBytes);
    }
  } else if (m_pendingDisposal == GifDisposal::Previous) {
    for (int y = 0; y < area.height; ++y) {
      std::memcpy(
          m_canvas.PixelAddress(area.left, area.top + y),
          m_saved.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(area.width),
          rowBytes);
    }
  }
}

void GifCompositor::compose(std::span<const uint8_t> bytes, const GifFrame& frame,
                            const GifIndexBuffer& indices) {
  dispose();
  const Area area = clip(frame);
  if (frame.disposal == GifDisposal::Previous) {
    const std::size_t rowPixels = static_cast<std::size_t>(area.width);
    m_saved.resize(rowPixels * static_cast<std::size_t>(area.height));
    for (int y = 0; y < area.height; ++y) {
      std::memcpy(m_saved.data() + static_cast<std::size_t>(y) * rowPixels,
                  m_canvas.PixelAddress(area.left, area.top + y), rowPixels * 4);
    }
  }
  m_pendingDisposal = frame.disposal;
  m_pendingArea = area;
  if (area.width == 0 || area.height == 0) {
    return;
  }
  buildPalette(bytes, frame);
  draw(frame, indices);
}

void GifCompositor::draw(const GifFrame& frame, const GifIndexBuffer& indices) {
  const Area area = clip(frame);
  const std::size_t frameWidth = static_cast<std::size_t>(frame.width);
  const std::size_t available = std::min(indices.decodedPixels, indices.indices.size());
  const std::size_t sentRows = (available + frameWidth - 1) / frameWidth;
  const uint32_t* const palette = m_palette.data();

  auto drawRow = [&](std::size_t streamRow, int imageRow) {
    if (imageRow >= area.height) {
      return;
    }
    const std::size_t begin = streamRow * frameWidth;
    const std::size_t count = std::min(static_cast<std::size_t>(area.width), available - begin);
    const uint8_t* source = indices.indices.data() + begin;
    uint8_t* target = m_canvas.PixelAddress(area.left, area.top + imageRow);
    for (std::size_t x = 0; x < count; ++x, target += 4) {
      const uint32_t pixel = palette[source[x]];
      if (pixel != 0) {
        std::memcpy(target, &pixel, 4);
      }
    }
  };

  if (!frame.interlaced) {
    for (std::size_t row = 0; row < sentRows; ++row) {
      drawRow(row, static_cast<int>(row));
    }
    return;
  }
  std::size_t streamRow = 0;
  for (const InterlacePass& pass : kInterlacePasses) {
    for (int row = pass.start; row < frame.height && streamRow < sentRows; row += pass.step) {
      drawRow(streamRow++, row);
    }
  }
}

}  // namespace image
