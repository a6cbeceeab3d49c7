#include "swf/swf_lossless_bitmap.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>

#include "support/byte_io.h"
#include "swf/swf_constants.h"
#include "swf/tag_header.h"
#include "swf/zlib_data.h"

namespace swf {
namespace {

// The alpha byte of a pixel read as a 32-bit word: the last in memory, whichever end of the word
// that is.
constexpr std::uint32_t kAlphaMask =
    std::endian::native == std::endian::little ? 0xFF000000U : 0x000000FFU;

// A pixel as a 32-bit word of its B, G, R, A bytes in memory order, with alpha forced to 255 when
// it is ignored and the colours premultiplied by it when it is kept: equal words are equal
// stored colours.
template <LosslessAlpha kAlpha>
std::uint32_t pixelWord(const std::uint8_t* bgra) {
  std::uint32_t word = 0;
  std::memcpy(&word, bgra, 4);
  if (kAlpha == LosslessAlpha::kIgnore) return word | kAlphaMask;
  if ((word & kAlphaMask) == kAlphaMask) return word;
  const std::uint32_t a = bgra[3];
  const auto premultiply = [a](std::uint32_t c) {
    return static_cast<std::uint8_t>((c * a + 127) / 255);
  };
  const std::uint8_t stored[4] = {premultiply(bgra[0]), premultiply(bgra[1]), premultiply(bgra[2]),
                                  bgra[3]};
  std::memcpy(&word, stored, 4);
  return word;
}

// The R, G, B (and A) bytes of a pixel word, as the tag stores them.
void appendStoredColor(std::uint32_t word, std::size_t channels, std::uint8_t* out) {
  std::uint8_t bgra[4];
  std::memcpy(bgra, &word, 4);
  out[0] = bgra[2];
  out[1] = bgra[1];
  out[2] = bgra[0];
  if (channels == 4) out[3] = bgra[3];
}

// The colours of a picture in order of first appearance, while they are at most 256, and each
// colour's index among them: an open-addressed table sixteen times the colours it can hold, small
// enough to stay in the first-level cache, so nearly every pixel is answered at the first slot.
class ColorTable {
 public:
  // The index of `color`, added when new; -1 once a 257th colour appears.
  int indexOf(std::uint32_t color) {
    std::size_t slot = (color * 2654435761U) >> (32 - kSlotBits);
    while (indices_[slot] != 0) {
      if (keys_[slot] == color) return indices_[slot] - 1;
      slot = (slot + 1) & (kSlots - 1);
    }
    if (colors_.size() == LosslessData::kMaxTableColors) return -1;
    keys_[slot] = color;
    colors_.push_back(color);
    indices_[slot] = static_cast<std::uint16_t>(colors_.size());
    return indices_[slot] - 1;
  }

  const std::vector<std::uint32_t>& colors() const { return colors_; }

 private:
  static constexpr unsigned kSlotBits = 12;
  static constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;

  std::array<std::uint32_t, kSlots> keys_{};
  std::array<std::uint16_t, kSlots> indices_{};  // index + 1; 0 for a free slot
  std::vector<std::uint32_t> colors_;
};

// Index bytes of every row of `pixels` into rows `rowBytes` apart from `target`, the colours
// gathered in `table`. False at the 257th colour.
template <LosslessAlpha kAlpha>
bool mapRows(const BgraPixels& pixels, std::size_t rowBytes, std::uint8_t* target,
             ColorTable& table) {
  const auto width = static_cast<std::size_t>(pixels.widthPx);
  for (int y = 0; y < pixels.heightPx; ++y, target += rowBytes) {
    const std::uint8_t* source = pixels.row(y);
    // Every pixel goes to the table: checking for runs first costs more in mispredicted
    // branches on dithered pictures than it saves on flat ones.
    for (std::size_t x = 0; x < width; ++x, source += 4) {
      const int index = table.indexOf(pixelWord<kAlpha>(source));
      if (index < 0) return false;
      target[x] = static_cast<std::uint8_t>(index);
    }
    std::fill(target + width, target + rowBytes, std::uint8_t{0});
  }
  return true;
}

// Format 3 data: the colour table, then rows of index bytes padded to 4. The rows are written
// behind room for the largest table, and the table, known at the end, is put just before them.
// False when the picture has more colours than a table holds.
bool colorMappedData(const BgraPixels& pixels, LosslessData& data) {
  const auto width = static_cast<std::size_t>(pixels.widthPx);
  const std::size_t paddedWidth = (width + 3) & ~std::size_t{3};
  const std::size_t channels = data.alpha == LosslessAlpha::kKeep ? 4 : 3;
  const std::size_t room = LosslessData::kMaxTableColors * channels;
  data.bytes.resize(room + paddedWidth * static_cast<std::size_t>(pixels.heightPx));
  ColorTable table;
  const bool mapped =
      data.alpha == LosslessAlpha::kKeep
          ? mapRows<LosslessAlpha::kKeep>(pixels, paddedWidth, data.bytes.data() + room, table)
          : mapRows<LosslessAlpha::kIgnore>(pixels, paddedWidth, data.bytes.data() + room, table);
  if (!mapped) return false;
  data.format = kLosslessColorMapped;
  data.colorCount = static_cast<int>(table.colors().size());
  data.tableBytes = table.colors().size() * channels;
  data.rowBytes = paddedWidth;
  std::uint8_t* entry = data.bytes.data() + room - data.tableBytes;
  for (const std::uint32_t color : table.colors()) {
    appendStoredColor(color, channels, entry);
    entry += channels;
  }
  data.bytes.erase(data.bytes.begin(),
                   data.bytes.begin() + static_cast<std::ptrdiff_t>(room - data.tableBytes));
  return true;
}

// Format 5 data: A R G B per pixel (the first byte 0 when alpha is ignored).
void directData(const BgraPixels& pixels, LosslessData& data) {
  const auto width = static_cast<std::size_t>(pixels.widthPx);
  data.format = kLosslessDirect32;
  data.rowBytes = 4 * width;
  data.bytes.resize(data.rowBytes * static_cast<std::size_t>(pixels.heightPx));
  std::uint8_t* target = data.bytes.data();
  for (int y = 0; y < pixels.heightPx; ++y) {
    const std::uint8_t* source = pixels.row(y);
    for (std::size_t x = 0; x < width; ++x, source += 4, target += 4) {
      std::uint8_t stored[4];
      appendStoredColor(data.alpha == LosslessAlpha::kKeep
                            ? pixelWord<LosslessAlpha::kKeep>(source)
                            : pixelWord<LosslessAlpha::kIgnore>(source),
                        4, stored);
      target[0] = data.alpha == LosslessAlpha::kKeep ? stored[3] : kLosslessPix24Reserved;
      std::memcpy(target + 1, stored, 3);
    }
  }
}

}  // namespace

void PrepareLosslessData(const BgraPixels& pixels, LosslessAlpha alpha, LosslessData& data) {
  data.format = 0;
  constexpr int kMaxSide = std::numeric_limits<std::uint16_t>::max();
  if (pixels.topRow == nullptr || pixels.widthPx < 1 || pixels.heightPx < 1 ||
      pixels.widthPx > kMaxSide || pixels.heightPx > kMaxSide) {
    return;
  }
  data.widthPx = pixels.widthPx;
  data.heightPx = pixels.heightPx;
  data.alpha = alpha;
  data.colorCount = 0;
  data.tableBytes = 0;
  if (!colorMappedData(pixels, data)) directData(pixels, data);
}

std::size_t EstimateLosslessSize(const BgraPixels& pixels, LosslessAlpha alpha, int sampleEvery,
                                 ZlibEffort effort) {
  const int every = std::max(sampleEvery, 1);
  const BgraPixels sample{pixels.topRow, pixels.rowStride * every, pixels.widthPx,
                          (pixels.heightPx + every - 1) / every};
  LosslessData data;
  PrepareLosslessData(sample, alpha, data);
  std::vector<std::uint8_t> compressed;
  if (!data.isValid() || !appendZlib(compressed, data.bytes, effort)) return 0;
  return compressed.size() * static_cast<std::size_t>(pixels.heightPx) /
         static_cast<std::size_t>(sample.heightPx);
}

// DefineBitsLossless (code 20) and DefineBitsLossless2 (code 36), long header:
//   u16 CharacterId | u8 BitmapFormat | u16 BitmapWidth | u16 BitmapHeight
//   | u8 colours - 1                                       (format 3 only)
//   | zlib stream of
//       format 3: colours x (R G B), or x (R G B A) for Lossless2,
//                 then per row the width's index bytes, padded with zeros to a multiple of 4
//       format 5: per pixel 00 R G B, or A R G B for Lossless2
// Lossless2 colours are premultiplied by their alpha.
SwfLosslessBitmap::SwfLosslessBitmap(std::uint16_t id, const LosslessData& data, ZlibEffort effort)
    : SwfCharacter(CharacterKind::kBitmap, id, 0) {
  build(data, effort);
}

SwfLosslessBitmap::SwfLosslessBitmap(std::uint16_t id, const BgraPixels& pixels,
                                     LosslessAlpha alpha, ZlibEffort effort)
    : SwfCharacter(CharacterKind::kBitmap, id, 0) {
  LosslessData data;
  PrepareLosslessData(pixels, alpha, data);
  build(data, effort);
}

void SwfLosslessBitmap::build(const LosslessData& data, ZlibEffort effort) {
  if (!data.isValid()) return;
  // The header goes first with a length of 0, completed once the stream is written, so the
  // compressed bytes are written once, in place.
  const TagCode code = data.alpha == LosslessAlpha::kKeep ? TagCode::kDefineBitsLossless2
                                                          : TagCode::kDefineBitsLossless;
  writeTagHeader(tag_, code, 0);
  support::appendLe16(tag_, id());
  tag_.push_back(data.format);
  support::appendLe16(tag_, static_cast<std::uint16_t>(data.widthPx));
  support::appendLe16(tag_, static_cast<std::uint16_t>(data.heightPx));
  if (data.format == kLosslessColorMapped) {
    tag_.push_back(static_cast<std::uint8_t>(data.colorCount - 1));
  }
  const std::size_t bodyLength = tag_.size() - kLongTagHeaderBytes;
  if (!appendZlib(tag_, data.bytes, effort) ||
      tag_.size() - kLongTagHeaderBytes > std::numeric_limits<std::uint32_t>::max() ||
      tag_.size() - kLongTagHeaderBytes <= bodyLength) {
    tag_.clear();
    return;
  }
  std::vector<std::uint8_t> length;
  support::appendLe32(length, static_cast<std::uint32_t>(tag_.size() - kLongTagHeaderBytes));
  std::copy(length.begin(), length.end(), tag_.begin() + 2);
  format_ = data.format;
}

}  // namespace swf
