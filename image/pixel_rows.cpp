#include "image/pixel_rows.h"

#include <bit>
#include <cstring>

namespace image {
namespace {

// x / 255 rounded to nearest, exact for 0 <= x <= 255 * 255.
uint32_t divide255(uint32_t x) { return (x + 128 + ((x + 128) >> 8)) >> 8; }

}  // namespace

MaskField::MaskField(uint32_t mask) : m_mask(mask & 0xFFFF) {
  if (m_mask != 0) {
    m_shift = std::countr_zero(m_mask);
    m_max = m_mask >> m_shift;
  }
}

uint8_t MaskField::expand(uint32_t word) const {
  if (m_max == 0) {
    return 0;
  }
  const uint32_t field = (word & m_mask) >> m_shift;
  return static_cast<uint8_t>((field * 255 + m_max / 2) / m_max);
}

uint32_t MaskField::pack(uint8_t value) const {
  return (((value * m_max + 127) / 255) << m_shift) & m_mask;
}

RowConverter::RowConverter(const ImageBuffer& image)
    : m_image(image),
      m_depth(image.BitsPerPixel()),
      m_red(image.masks()[0]),
      m_green(image.masks()[1]),
      m_blue(image.masks()[2]) {
  if (m_depth <= 8) {
    image.GetPalette(0, 1 << m_depth, m_palette.data());
  }
}

std::array<uint8_t, 4> RowConverter::bgraAt(const uint8_t* row, int x) const {
  const auto index = static_cast<std::size_t>(x);
  switch (m_depth) {
    case 32:
      return {row[4 * index], row[4 * index + 1], row[4 * index + 2], row[4 * index + 3]};
    case 24:
      return {row[3 * index], row[3 * index + 1], row[3 * index + 2], 255};
    case 16: {
      const uint32_t word = row[2 * index] | (static_cast<uint32_t>(row[2 * index + 1]) << 8);
      return {m_blue.expand(word), m_green.expand(word), m_red.expand(word), 255};
    }
    default: {
      const RgbQuad& colour = m_palette[indexAt(row, x)];
      return {colour.blue, colour.green, colour.red, 255};
    }
  }
}

std::size_t RowConverter::indexAt(const uint8_t* row, int x) const {
  const auto bitOffset = static_cast<std::size_t>(x) * static_cast<std::size_t>(m_depth);
  const int shift = 8 - m_depth - static_cast<int>(bitOffset % 8);
  return static_cast<std::size_t>((row[bitOffset / 8] >> shift) & ((1 << m_depth) - 1));
}

void RowConverter::toIndexes(int y, uint8_t* out) const {
  const uint8_t* row = m_image.RowPointer(y);
  for (int x = 0; x < m_image.Width(); ++x) out[x] = static_cast<uint8_t>(indexAt(row, x));
}

std::span<const RgbQuad> RowConverter::palette() const {
  if (m_depth > 8) return {};
  return std::span(m_palette).first(std::size_t{1} << m_depth);
}

void RowConverter::toBgr(int y, uint8_t* out) const {
  const uint8_t* row = m_image.RowPointer(y);
  const int width = m_image.Width();
  if (m_depth == 24) {
    std::memcpy(out, row, 3 * static_cast<std::size_t>(width));
    return;
  }
  if (m_depth == 32) {
    for (int x = 0; x < width; ++x, row += 4, out += 3) {
      out[0] = overWhite(row[0], row[3]);
      out[1] = overWhite(row[1], row[3]);
      out[2] = overWhite(row[2], row[3]);
    }
    return;
  }
  for (int x = 0; x < width; ++x, out += 3) {
    const std::array<uint8_t, 4> pixel = bgraAt(row, x);
    std::memcpy(out, pixel.data(), 3);
  }
}

void RowConverter::toBgra(int y, uint8_t* out) const {
  const uint8_t* row = m_image.RowPointer(y);
  const int width = m_image.Width();
  if (m_depth == 32) {
    std::memcpy(out, row, 4 * static_cast<std::size_t>(width));
    return;
  }
  for (int x = 0; x < width; ++x, out += 4) {
    const std::array<uint8_t, 4> pixel = bgraAt(row, x);
    std::memcpy(out, pixel.data(), 4);
  }
}

bool isOpaque(const ImageBuffer& image) {
  if (!image.IsValid()) {
    return false;
  }
  if (image.BitsPerPixel() != 32) {
    return true;
  }
  // Whole pixels ANDed together keep the loop free of byte shuffles, so the compiler
  // vectorises it; the alpha byte is the last in memory, whichever end of the word that is.
  constexpr uint32_t kAlpha = std::endian::native == std::endian::little ? 0xFF000000U : 0xFFU;
  const auto width = static_cast<std::size_t>(image.Width());
  for (int y = 0; y < image.Height(); ++y) {
    const uint8_t* row = image.RowPointer(y);
    uint32_t all = kAlpha;
    for (std::size_t x = 0; x < width; ++x) {
      uint32_t pixel = 0;
      std::memcpy(&pixel, row + 4 * x, 4);
      all &= pixel;
    }
    if ((all & kAlpha) != kAlpha) {
      return false;
    }
  }
  return true;
}

uint8_t overWhite(uint8_t value, uint8_t alpha) { return overColor(value, alpha, 255); }

uint8_t overColor(uint8_t value, uint8_t alpha, uint8_t background) {
  return static_cast<uint8_t>(divide255(value * alpha + background * (255U - alpha)));
}

bool compositeOver(const ImageBuffer& source, const RgbQuad& background, ImageBuffer& out) {
  if (!source.IsValid()) {
    out.Destroy();
    return false;
  }
  const int width = source.Width();
  const int height = source.Height();
  if (!out.IsValid() || out.Width() != width || out.Height() != height ||
      out.BitsPerPixel() != 32) {
    if (!out.Create(width, height, 32)) return false;
  }
  const RowConverter rows(source);
  const std::array<uint8_t, 3> under = {background.blue, background.green, background.red};
  for (int y = 0; y < height; ++y) {
    uint8_t* pixel = out.RowPointer(y);
    rows.toBgra(y, pixel);
    for (int x = 0; x < width; ++x, pixel += 4) {
      for (std::size_t c = 0; c < 3; ++c) pixel[c] = overColor(pixel[c], pixel[3], under[c]);
      pixel[3] = 255;
    }
  }
  return true;
}

bool alphaPlane(const ImageBuffer& source, std::vector<uint8_t>& out) {
  if (!source.IsValid()) return false;
  const auto width = static_cast<std::size_t>(source.Width());
  try {
    out.assign(width * static_cast<std::size_t>(source.Height()), 255);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (source.BitsPerPixel() != 32) return true;
  for (int y = 0; y < source.Height(); ++y) {
    const uint8_t* pixel = source.RowPointer(y);
    uint8_t* alpha = out.data() + width * static_cast<std::size_t>(y);
    for (std::size_t x = 0; x < width; ++x) alpha[x] = pixel[4 * x + 3];
  }
  return true;
}

}  // namespace image
