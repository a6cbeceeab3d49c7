#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "swf/swf_character.h"
#include "swf/zlib_data.h"

namespace swf {

// A DefineBitsJPEG2 character carrying one JPEG file's bytes unchanged, or with an alpha plane a
// DefineBitsJPEG3 one. The image is neither decoded nor checked; whoever fills a shape with it
// supplies the geometry.
class SwfJpegBitmap : public SwfCharacter {
 public:
  // Reads the whole file at `path` and builds the tag. A file that cannot be opened or that
  // yields fewer bytes than its length leaves the bitmap invalid: tagSize() 0 and an empty tag,
  // so adding it to a movie appends nothing.
  SwfJpegBitmap(std::uint16_t id, const std::string& path);

  // Builds the tag from JPEG bytes held in memory; the same bytes as a file give the same tag.
  SwfJpegBitmap(std::uint16_t id, std::span<const std::uint8_t> jpeg);

  // Builds a DefineBitsJPEG3 tag: the JPEG, whose colours must be premultiplied by the alpha,
  // and its alpha plane (one byte per pixel, rows top first, as many as the JPEG has pixels)
  // compressed with `effort` (see appendZlib).
  SwfJpegBitmap(std::uint16_t id, std::span<const std::uint8_t> jpeg,
                std::span<const std::uint8_t> alphaPlane, ZlibEffort effort);

  // True when the tag was built.
  bool isValid() const { return m_valid; }

  std::span<const std::uint8_t> tagBytes() const override { return m_tag; }
  std::uint32_t tagSize() const override { return static_cast<std::uint32_t>(m_tag.size()); }

 private:
  void build(std::span<const std::uint8_t> jpeg);
  void buildWithAlpha(std::span<const std::uint8_t> jpeg, std::span<const std::uint8_t> alphaPlane,
                      ZlibEffort effort);

  std::vector<std::uint8_t> m_tag;
  bool m_valid = false;
};

// The bytes of a DefineBitsJPEG2 tag of character `id` that come before a JPEG file of
// `jpegSize` bytes (tag header, id, FF D9 FF D8); kJpegSuffix follows the file. Empty when the
// tag's 32-bit length cannot hold the file.
std::vector<std::uint8_t> jpegBitmapTagHead(std::uint16_t id, std::size_t jpegSize);

}  // namespace swf
