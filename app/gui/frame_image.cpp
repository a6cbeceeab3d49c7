#include "app/gui/frame_image.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/pixel_rows.h"

namespace gui {
namespace {

// The 8-bit value of the channel that `mask` selects from a 16-bit pixel, scaled up
// from the mask's width.
uint8_t MaskedChannel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  const uint32_t value = (pixel & mask) >> shift;
  const uint32_t maximum = (uint32_t{1} << bits) - 1;
  return static_cast<uint8_t>((value * 255 + maximum / 2) / maximum);
}

QImage FromMasked16(const image::ImageBuffer& frame) {
  QImage out(frame.Width(), frame.Height(), QImage::Format_RGB32);
  const uint32_t* masks = frame.Masks();
  for (int y = 0; y < frame.Height(); ++y) {
    const uint8_t* row = frame.RowPointer(y);
    auto* target = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < frame.Width(); ++x) {
      const uint8_t* bytes = row + ptrdiff_t{2} * x;
      const uint32_t pixel = uint32_t{bytes[0]} | (uint32_t{bytes[1]} << 8);
      target[x] = qRgb(MaskedChannel(pixel, masks[0]), MaskedChannel(pixel, masks[1]),
                       MaskedChannel(pixel, masks[2]));
    }
  }
  return out;
}

QImage FromPalette(const image::ImageBuffer& frame) {
  const int bits = frame.BitsPerPixel();
  const int entries = 1 << bits;
  std::vector<image::RgbQuad> palette(static_cast<size_t>(entries));
  if (!frame.GetPalette(0, entries, palette.data())) return QImage();
  QList<QRgb> colours;
  colours.reserve(entries);
  for (const image::RgbQuad& entry : palette) {
    colours.push_back(qRgb(entry.red, entry.green, entry.blue));
  }
  QImage out(frame.Width(), frame.Height(), QImage::Format_Indexed8);
  out.setColorTable(colours);
  const int perByte = 8 / bits;
  const auto mask = static_cast<uint8_t>((1 << bits) - 1);
  for (int y = 0; y < frame.Height(); ++y) {
    const uint8_t* row = frame.RowPointer(y);
    uchar* target = out.scanLine(y);
    for (int x = 0; x < frame.Width(); ++x) {
      // Packed indexes are stored most significant bits first.
      const int shift = 8 - bits * (x % perByte + 1);
      target[x] = static_cast<uchar>((row[x / perByte] >> shift) & mask);
    }
  }
  return out;
}

// Pixels are composited over white by their alpha, as the movie's JPEG frames are, so the
// preview shows what the movie will show.
QImage FromBgra(const image::ImageBuffer& frame) {
  QImage out(frame.Width(), frame.Height(), QImage::Format_RGB32);
  for (int y = 0; y < frame.Height(); ++y) {
    const uint8_t* row = frame.RowPointer(y);
    auto* target = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < frame.Width(); ++x) {
      const uint8_t* bytes = row + ptrdiff_t{4} * x;
      target[x] = qRgb(image::OverWhite(bytes[2], bytes[3]), image::OverWhite(bytes[1], bytes[3]),
                       image::OverWhite(bytes[0], bytes[3]));
    }
  }
  return out;
}

QImage CopyRows(const image::ImageBuffer& frame, QImage::Format format, int bytesPerPixel) {
  QImage out(frame.Width(), frame.Height(), format);
  const auto rowBytes = static_cast<size_t>(frame.Width()) * static_cast<size_t>(bytesPerPixel);
  for (int y = 0; y < frame.Height(); ++y) {
    std::memcpy(out.scanLine(y), frame.RowPointer(y), rowBytes);
  }
  return out;
}

}  // namespace

QImage ToQImage(const image::ImageBuffer& frame) {
  if (!frame.IsValid()) return QImage();
  switch (frame.BitsPerPixel()) {
    case 32:
      return FromBgra(frame);
    case 24:
      return CopyRows(frame, QImage::Format_BGR888, 3);
    case 16:
      return FromMasked16(frame);
    case 8:
    case 4:
    case 1:
      return FromPalette(frame);
    default:
      return QImage();
  }
}

}  // namespace gui
