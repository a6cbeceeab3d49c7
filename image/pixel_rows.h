#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "image/image_buffer.h"

namespace image {

// One colour field of a 16-bit pixel word, described by its mask (for example 0x07E0 for the
// green of 5-6-5).
class MaskField {
 public:
  explicit MaskField(uint32_t mask);

  // The field of `word` scaled to 0..255, rounded to nearest; 0 for an empty mask.
  uint8_t expand(uint32_t word) const;
  // `value` (0..255) scaled to the field, rounded to nearest and shifted into place.
  uint32_t pack(uint8_t value) const;

 private:
  uint32_t m_mask = 0;
  int m_shift = 0;
  uint32_t m_max = 0;
};

// Reads the rows of one image as 8-bit B,G,R or B,G,R,A samples, whatever its depth: palette
// indexes go through the palette, 16-bit words through the masks. The one converter of the
// program's pixel formats: encoders of formats that store only true colour, the quantiser, the
// window's preview and the icon decoder all read pixels through it. The image must stay alive
// and unchanged while this is used.
class RowConverter {
 public:
  explicit RowConverter(const ImageBuffer& image);

  // Writes row y (from the top, 0..Height()-1) as Width() B,G,R triples to `out`. A 32-bit
  // pixel is composited over white with its alpha, the background a format without alpha is
  // shown on, so transparent areas come out white rather than black.
  void toBgr(int y, uint8_t* out) const;
  // Writes row y as Width() B,G,R,A quads to `out`; alpha is 255 below 32 bpp.
  void toBgra(int y, uint8_t* out) const;
  // Writes row y of a palette image (1, 4 or 8 bpp) as Width() palette indexes, one byte each.
  void toIndexes(int y, uint8_t* out) const;
  // The 2^bpp palette entries of a palette image; empty above 8 bpp.
  std::span<const RgbQuad> palette() const;

 private:
  // The B,G,R,A of pixel x of `row`.
  std::array<uint8_t, 4> bgraAt(const uint8_t* row, int x) const;
  // The palette index of pixel x of `row` (packed indexes, most significant bits first).
  std::size_t indexAt(const uint8_t* row, int x) const;

  const ImageBuffer& m_image;
  int m_depth = 0;
  std::array<RgbQuad, 256> m_palette{};
  MaskField m_red;
  MaskField m_green;
  MaskField m_blue;
};

// True when no pixel of `image` is transparent: always below 32 bpp, and at 32 bpp when every
// alpha byte is 255. False for an invalid image.
bool isOpaque(const ImageBuffer& image);

// Blends colour sample `value` with alpha `alpha` (both 0..255) over white, rounded.
uint8_t overWhite(uint8_t value, uint8_t alpha);

// Blends colour sample `value` with alpha `alpha` over the sample `background` (all 0..255),
// rounded. Over 0 this is the sample premultiplied by its alpha.
uint8_t overColor(uint8_t value, uint8_t alpha, uint8_t background);

// `out` becomes `source` composited over the opaque colour `background`: a 32-bit picture of the
// same size whose pixels are all opaque (reusing out's memory when it has the size already). With
// a black background the colours are those of `source` premultiplied by its alpha. False, `out`
// invalid, for an invalid source or when memory runs out.
bool compositeOver(const ImageBuffer& source, const RgbQuad& background, ImageBuffer& out);

// `out` becomes the alpha of `source`, one byte per pixel, rows from the top (255 throughout
// below 32 bpp). False for an invalid source or when memory runs out.
bool alphaPlane(const ImageBuffer& source, std::vector<uint8_t>& out);

}  // namespace image
