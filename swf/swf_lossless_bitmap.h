#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "swf/bitmap_pixels.h"
#include "swf/swf_character.h"
#include "swf/zlib_data.h"

namespace swf {

// Whether a lossless bitmap keeps the picture's alpha (DefineBitsLossless2) or ignores it (every
// pixel opaque, DefineBitsLossless).
enum class LosslessAlpha { Ignore, Keep };

// The pixels of a lossless bitmap as its tag stores them before compression: colour mapped
// (format 3: the colour table, then rows of index bytes padded to 4) when the picture has at most
// 256 colours, else 32-bit pixels (format 5).
struct LosslessData {
  // The most colours a colour-mapped picture holds.
  static constexpr int kMaxTableColors = 256;

  int widthPx = 0;
  int heightPx = 0;
  LosslessAlpha alpha = LosslessAlpha::Ignore;
  std::uint8_t format = 0;  // 3 or 5; 0 for no picture
  int colorCount = 0;       // format 3: entries of the table
  std::size_t tableBytes = 0;
  std::size_t rowBytes = 0;
  std::vector<std::uint8_t> bytes;  // the table, then the rows

  bool isValid() const { return format != 0; }
};

// `data` becomes the data of `pixels` (colours premultiplied by their alpha when it is kept),
// reusing its memory. Invalid for a picture with a side of 0 or above 65535 pixels, or no pixel
// memory.
void prepareLosslessData(const BgraPixels& pixels, LosslessAlpha alpha, LosslessData& data);

// About how many bytes the compressed lossless data of `pixels` takes with `effort`, from one row
// in `sampleEvery` prepared and compressed on their own: a guess at a fraction of the work, a
// little high for pictures whose rows repeat.
std::size_t estimateLosslessSize(const BgraPixels& pixels, LosslessAlpha alpha, int sampleEvery,
                                 ZlibEffort effort);

// A DefineBitsLossless character, or with alpha kept a DefineBitsLossless2 one: a picture's pixels
// exactly, zlib-compressed.
class SwfLosslessBitmap : public SwfCharacter {
 public:
  // Builds the tag from prepared data compressed with `effort` (see appendZlib). Invalid data
  // leaves the bitmap invalid: tagSize() 0 and an empty tag.
  SwfLosslessBitmap(std::uint16_t id, const LosslessData& data, ZlibEffort effort);

  // PrepareLosslessData of `pixels`, then the tag.
  SwfLosslessBitmap(std::uint16_t id, const BgraPixels& pixels, LosslessAlpha alpha,
                    ZlibEffort effort);

  bool isValid() const { return !m_tag.empty(); }
  // 3 (colour mapped) or 5 (32-bit); 0 when invalid.
  std::uint8_t format() const { return m_format; }

  std::span<const std::uint8_t> tagBytes() const override { return m_tag; }
  std::uint32_t tagSize() const override { return static_cast<std::uint32_t>(m_tag.size()); }

 private:
  void build(const LosslessData& data, ZlibEffort effort);

  std::vector<std::uint8_t> m_tag;
  std::uint8_t m_format = 0;
};

}  // namespace swf
