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
  if (kAlpha == LosslessAlpha::Ignore) return word | kAlphaMask;
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
    while (m_indices[slot] != 0) {
      if (m_keys[slot] == color) return m_indices[slot] - 1;
      slot = (slot + 1) & (kSlots - 1);
    }
    if (m_colors.size() == LosslessData::kMaxTableColors) return -1;
    m_keys[slot] = color;
    m_colors.push_back(color);
    m_indices[slot] = static_cast<std::uint16_t>(m_colors.size());
    return m_indices[slot] - 1;
  }

  const std::vector<std::uint32_t>& colors() const { return m_colors; }

 private:
  static constexpr unsigned kSlotBits = 12;
  static constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;

  std::array<std::uint32_t, kSlots> m_keys{};
  std::array<std::uint16_t, kSlots> m_indices{};  // index + 1; 0 for a free slot
  std::vector<std::uint32_t> m_colors;
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
  const std::size_t channels = data.alpha == LosslessAlpha::Keep ? 4 : 3;
  const std::size_t room = LosslessData::kMaxTableColors * channels;
  data.bytes.resize(room + paddedWidth * static_cast<std::size_t>(pixels.heightPx));
  ColorTable table;
  const bool mapped =
      data.alpha == LosslessAlpha::Keep
          ? mapRows<LosslessAlpha::Keep>(pixels, paddedWidth, data.bytes.data() + room, table)
          : mapRows<LosslessAlpha::Ignore>(pixels, paddedWidth, data.bytes.data() + room, table);
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
      appendStoredColor(data.alpha == LosslessAlpha::Keep
                            ? pixelWord<LosslessAlpha::Keep>(source)
                            : pixelWord<LosslessAlpha::Ignore>(source),
                        4, stored);
      target[0] = data.alpha == LosslessAlpha::Keep ? stored[3] : kLosslessPix24Reserved;
      std::memcpy(target + 1, stored, 3);
    }
  }
}

}  // namespace

void prepareLosslessData(const BgraPixels& pixels, LosslessAlpha alpha, LosslessData& data) {
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

std::size_t estimateLosslessSize(const BgraPixels& pixels, LosslessAlpha alpha, int sampleEvery,
                                 ZlibEffort effort) {
  const int every = std::max(sampleEvery, 1);
  const BgraPixels sample{pixels.topRow, pixels.rowStride * every, pixels.widthPx,
                          (pixels.heightPx + every - 1) / every};
  LosslessData data;
  prepareLosslessData(sample, alpha, data);
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
    : SwfCharacter(CharacterKind::Bitmap, id, 0) {
  build(data, effort);
}

SwfLosslessBitmap::SwfLosslessBitmap(std::uint16_t id, const BgraPixels& pixels,
                                     LosslessAlpha alpha, ZlibEffort effort)
    : SwfCharacter(CharacterKind::Bitmap, id, 0) {
  LosslessData data;
  prepareLosslessData(pixels, alpha, data);
  build(data, effort);
}

void SwfLosslessBitmap::build(const LosslessData& data, ZlibEffort effort) {
  if (!data.isValid()) return;
  // The header goes first with a length of 0, completed once the stream is written, so the
  // compressed bytes are written once, in place.
  const TagCode code = data.alpha == LosslessAlpha::Keep ? TagCode::DefineBitsLossless2
                                                         : TagCode::DefineBitsLossless;
  writeTagHeader(m_tag, code, 0);
  support::appendLe16(m_tag, id());
  m_tag.push_back(data.format);
  support::appendLe16(m_tag, static_cast<std::uint16_t>(data.widthPx));
  support::appendLe16(m_tag, static_cast<std::uint16_t>(data.heightPx));
  if (data.format == kLosslessColorMapped) {
    m_tag.push_back(static_cast<std::uint8_t>(data.colorCount - 1));
  }
  const std::size_t bodyLength = m_tag.size() - kLongTagHeaderBytes;
  if (!appendZlib(m_tag, data.bytes, effort) ||
      m_tag.size() - kLongTagHeaderBytes > std::numeric_limits<std::uint32_t>::max() ||
      m_tag.size() - kLongTagHeaderBytes <= bodyLength) {
    m_tag.clear();
    return;
  }
  std::vector<std::uint8_t> length;
  support::appendLe32(length, static_cast<std::uint32_t>(m_tag.size() - kLongTagHeaderBytes));
  std::copy(length.begin(), length.end(), m_tag.begin() + 2);
  m_format = data.format;
}

}  // namespace swf
