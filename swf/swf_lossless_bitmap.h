#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "swf/bitmap_pixels.h"
#include "swf/swf_character.h"

namespace swf {

// A DefineBitsLossless character, or with transparency kept a DefineBitsLossless2 one: a
// picture's pixels exactly, zlib-compressed. A picture of at most 256 colours is stored colour
// mapped (format 3), any other as 32-bit pixels (format 5).
class SwfLosslessBitmap : public SwfCharacter {
 public:
  // Whether the picture's alpha is kept (DefineBitsLossless2) or ignored (every pixel opaque).
  enum class Alpha { kIgnore, kKeep };

  // The most colours a colour-mapped picture holds.
  static constexpr int kMaxTableColors = 256;

  // Builds the tag from `pixels` at zlib level `zlibLevel` (see appendZlib). A picture with a
  // side of 0 or above 65535 pixels, or no pixel memory, leaves the bitmap invalid: tagSize() 0
  // and an empty tag.
  SwfLosslessBitmap(std::uint16_t id, const BgraPixels& pixels, Alpha alpha, int zlibLevel);

  bool isValid() const { return !tag_.empty(); }
  // 3 (colour mapped) or 5 (32-bit); 0 when invalid.
  std::uint8_t format() const { return format_; }

  std::span<const std::uint8_t> tagBytes() const override { return tag_; }
  std::uint32_t tagSize() const override { return static_cast<std::uint32_t>(tag_.size()); }

 private:
  std::vector<std::uint8_t> tag_;
  std::uint8_t format_ = 0;
};

}  // namespace swf
