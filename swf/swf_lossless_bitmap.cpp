#include "swf/swf_lossless_bitmap.h"

#include <array>
#include <limits>

#include "swf/byte_writer.h"
#include "swf/swf_constants.h"
#include "swf/tag_header.h"
#include "swf/zlib_data.h"

namespace swf {
namespace {

// A pixel as the tag stores it, packed R | G << 8 | B << 16 | A << 24: premultiplied by its alpha
// when alpha is kept, opaque otherwise.
std::uint32_t storedColor(const std::uint8_t* bgra, SwfLosslessBitmap::Alpha alpha) {
  const std::uint32_t blue = bgra[0];
  const std::uint32_t green = bgra[1];
  const std::uint32_t red = bgra[2];
  if (alpha == SwfLosslessBitmap::Alpha::kIgnore)
    return red | green << 8 | blue << 16 | 0xFFU << 24;
  const std::uint32_t a = bgra[3];
  if (a == 255) return red | green << 8 | blue << 16 | a << 24;
  const auto premultiply = [a](std::uint32_t c) { return (c * a + 127) / 255; };
  return premultiply(red) | premultiply(green) << 8 | premultiply(blue) << 16 | a << 24;
}

// The colours of a picture in order of first appearance, while they are at most 256, and each
// pixel's index into them: an open-addressed table of twice that size, with the last colour kept
// aside because pictures repeat colours in runs.
class ColorTable {
 public:
  // The index of `color`, added when new; -1 once a 257th colour appears.
  int indexOf(std::uint32_t color) {
    if (color == lastColor_ && lastIndex_ >= 0) return lastIndex_;
    std::size_t slot = (color * 2654435761U) >> (32 - kSlotBits);
    while (used_[slot]) {
      if (keys_[slot] == color) return remember(color, indices_[slot]);
      slot = (slot + 1) & (kSlots - 1);
    }
    if (colors_.size() == SwfLosslessBitmap::kMaxTableColors) return -1;
    used_[slot] = true;
    keys_[slot] = color;
    indices_[slot] = static_cast<std::uint8_t>(colors_.size());
    colors_.push_back(color);
    return remember(color, indices_[slot]);
  }

  const std::vector<std::uint32_t>& colors() const { return colors_; }

 private:
  static constexpr unsigned kSlotBits = 9;
  static constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;

  int remember(std::uint32_t color, std::uint8_t index) {
    lastColor_ = color;
    lastIndex_ = index;
    return index;
  }

  std::array<std::uint32_t, kSlots> keys_{};
  std::array<std::uint8_t, kSlots> indices_{};
  std::array<bool, kSlots> used_{};
  std::vector<std::uint32_t> colors_;
  std::uint32_t lastColor_ = 0;
  int lastIndex_ = -1;
};

// Format 3 data: the colour table, then rows of index bytes padded to 4. False when the picture
// has more colours than a table holds.
bool colorMappedData(const BgraPixels& pixels, SwfLosslessBitmap::Alpha alpha,
                     std::vector<std::uint8_t>& data, int& colorCount) {
  const auto width = static_cast<std::size_t>(pixels.widthPx);
  const std::size_t paddedWidth = (width + 3) & ~std::size_t{3};
  std::vector<std::uint8_t> indices(paddedWidth * static_cast<std::size_t>(pixels.heightPx));
  ColorTable table;
  for (int y = 0; y < pixels.heightPx; ++y) {
    const std::uint8_t* source = pixels.row(y);
    std::uint8_t* target = indices.data() + static_cast<std::size_t>(y) * paddedWidth;
    for (std::size_t x = 0; x < width; ++x, source += 4) {
      const int index = table.indexOf(storedColor(source, alpha));
      if (index < 0) return false;
      target[x] = static_cast<std::uint8_t>(index);
    }
  }
  const std::size_t channels = alpha == SwfLosslessBitmap::Alpha::kKeep ? 4 : 3;
  data.clear();
  data.reserve(table.colors().size() * channels + indices.size());
  for (const std::uint32_t color : table.colors()) {
    for (std::size_t c = 0; c < channels; ++c)
      data.push_back(static_cast<std::uint8_t>(color >> (8 * c)));
  }
  data.insert(data.end(), indices.begin(), indices.end());
  colorCount = static_cast<int>(table.colors().size());
  return true;
}

// Format 5 data: A R G B per pixel (the first byte 0 when alpha is ignored).
void directData(const BgraPixels& pixels, SwfLosslessBitmap::Alpha alpha,
                std::vector<std::uint8_t>& data) {
  const auto width = static_cast<std::size_t>(pixels.widthPx);
  data.resize(4 * width * static_cast<std::size_t>(pixels.heightPx));
  std::uint8_t* target = data.data();
  for (int y = 0; y < pixels.heightPx; ++y) {
    const std::uint8_t* source = pixels.row(y);
    for (std::size_t x = 0; x < width; ++x, source += 4, target += 4) {
      const std::uint32_t color = storedColor(source, alpha);
      target[0] = alpha == SwfLosslessBitmap::Alpha::kKeep ? static_cast<std::uint8_t>(color >> 24)
                                                           : kLosslessPix24Reserved;
      target[1] = static_cast<std::uint8_t>(color);
      target[2] = static_cast<std::uint8_t>(color >> 8);
      target[3] = static_cast<std::uint8_t>(color >> 16);
    }
  }
}

}  // namespace

// DefineBitsLossless (code 20) and DefineBitsLossless2 (code 36), long header:
//   u16 CharacterId | u8 BitmapFormat | u16 BitmapWidth | u16 BitmapHeight
//   | u8 colours - 1                                       (format 3 only)
//   | zlib stream of
//       format 3: colours x (R G B), or x (R G B A) for Lossless2,
//                 then per row the width's index bytes, padded with zeros to a multiple of 4
//       format 5: per pixel 00 R G B, or A R G B for Lossless2
// Lossless2 colours are premultiplied by their alpha.
SwfLosslessBitmap::SwfLosslessBitmap(std::uint16_t id, const BgraPixels& pixels, Alpha alpha,
                                     int zlibLevel)
    : SwfCharacter(CharacterKind::kBitmap, id, 0) {
  constexpr int kMaxSide = std::numeric_limits<std::uint16_t>::max();
  if (pixels.topRow == nullptr || pixels.widthPx < 1 || pixels.heightPx < 1 ||
      pixels.widthPx > kMaxSide || pixels.heightPx > kMaxSide) {
    return;
  }
  std::vector<std::uint8_t> data;
  int colorCount = 0;
  const bool mapped = colorMappedData(pixels, alpha, data, colorCount);
  if (!mapped) directData(pixels, alpha, data);

  std::vector<std::uint8_t> body;
  appendU16(body, id);
  appendU8(body, mapped ? kLosslessColorMapped : kLosslessDirect32);
  appendU16(body, static_cast<std::uint16_t>(pixels.widthPx));
  appendU16(body, static_cast<std::uint16_t>(pixels.heightPx));
  if (mapped) appendU8(body, static_cast<std::uint8_t>(colorCount - 1));
  if (!appendZlib(body, data, zlibLevel)) return;
  const TagCode code =
      alpha == Alpha::kKeep ? TagCode::kDefineBitsLossless2 : TagCode::kDefineBitsLossless;
  if (!appendTag(tag_, code, body)) return;
  format_ = mapped ? kLosslessColorMapped : kLosslessDirect32;
}

}  // namespace swf
