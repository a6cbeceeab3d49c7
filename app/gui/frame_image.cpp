#include "app/gui/frame_image.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/pixel_rows.h"

namespace gui {
namespace {

// Through the image layer's converter: 16-bit words by their masks, palette indexes as they
// are, with the palette as the colour table.
QImage fromMasked16(const image::ImageBuffer& frame) {
  QImage out(frame.Width(), frame.Height(), QImage::Format_RGB32);
  const image::RowConverter rows(frame);
  std::vector<uint8_t> bgra(4 * static_cast<std::size_t>(frame.Width()));
  for (int y = 0; y < frame.Height(); ++y) {
    rows.toBgra(y, bgra.data());
    auto* target = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (std::size_t x = 0; x < static_cast<std::size_t>(frame.Width()); ++x) {
      target[x] = qRgb(bgra[4 * x + 2], bgra[4 * x + 1], bgra[4 * x]);
    }
  }
  return out;
}

QImage fromPalette(const image::ImageBuffer& frame) {
  const image::RowConverter rows(frame);
  QList<QRgb> colours;
  for (const image::RgbQuad& entry : rows.palette()) {
    colours.push_back(qRgb(entry.red, entry.green, entry.blue));
  }
  QImage out(frame.Width(), frame.Height(), QImage::Format_Indexed8);
  out.setColorTable(colours);
  for (int y = 0; y < frame.Height(); ++y) rows.toIndexes(y, out.scanLine(y));
  return out;
}

// Pixels are composited over white by their alpha, as the movie's JPEG frames are, so the
// preview shows what the movie will show.
QImage fromBgra(const image::ImageBuffer& frame) {
  QImage out(frame.Width(), frame.Height(), QImage::Format_RGB32);
  for (int y = 0; y < frame.Height(); ++y) {
    const uint8_t* row = frame.RowPointer(y);
    auto* target = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < frame.Width(); ++x) {
      const uint8_t* bytes = row + ptrdiff_t{4} * x;
      target[x] = qRgb(image::overWhite(bytes[2], bytes[3]), image::overWhite(bytes[1], bytes[3]),
                       image::overWhite(bytes[0], bytes[3]));
    }
  }
  return out;
}

QImage copyRows(const image::ImageBuffer& frame, QImage::Format format, int bytesPerPixel) {
  QImage out(frame.Width(), frame.Height(), format);
  const auto rowBytes = static_cast<size_t>(frame.Width()) * static_cast<size_t>(bytesPerPixel);
  for (int y = 0; y < frame.Height(); ++y) {
    std::memcpy(out.scanLine(y), frame.RowPointer(y), rowBytes);
  }
  return out;
}

}  // namespace

QImage toQImage(const image::ImageBuffer& frame) {
  if (!frame.IsValid()) return QImage();
  switch (frame.BitsPerPixel()) {
    case 32:
      return fromBgra(frame);
    case 24:
      return copyRows(frame, QImage::Format_BGR888, 3);
    case 16:
      return fromMasked16(frame);
    case 8:
    case 4:
    case 1:
      return fromPalette(frame);
    default:
      return QImage();
  }
}

}  // namespace gui
