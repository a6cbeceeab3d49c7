#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "image/gif/gif_parser.h"
#include "image/gif/lzw_decoder.h"
#include "image/image_buffer.h"
#include "image/image_error.h"

namespace image {

// Builds the frames of an animation the way browsers show them: a logical-screen canvas of
// 32-bit B,G,R,A pixels that starts fully transparent (the background colour index is
// ignored, as browsers do), on which each frame is drawn at its offset, clipped to the
// screen, after the previous frame's disposal has been applied:
//   Keep        the canvas stays as drawn
//   Background  the frame's rectangle becomes transparent (alpha 0, all bytes 0)
//   Previous    the frame's rectangle goes back to what it was before the frame was drawn
// A frame's transparent index and indices beyond its colour table leave the canvas pixel as
// it is; so does every pixel a short LZW stream did not deliver. A frame with neither a local
// nor a global colour table draws nothing.
class GifCompositor {
 public:
  // Starts a new animation for `file` with a transparent screen-sized canvas. Fails
  // (OutOfMemory, TooLarge) when the canvas cannot be made.
  ImageResult start(const GifFile& file);

  // Disposes of the previous frame, then draws `frame` from `indices` (its LzwDecoder output);
  // `bytes` is the file `frame` and the GifFile given to Start were parsed from. Throws only
  // std::bad_alloc (saving a rectangle for Previous disposal).
  void compose(std::span<const uint8_t> bytes, const GifFrame& frame,
               const GifIndexBuffer& indices);

  // The canvas after the last Compose: Width() x Height() of the screen, 32 bpp.
  const ImageBuffer& canvas() const { return m_canvas; }

 private:
  // A frame's rectangle clipped to the screen; all 0 when nothing of it is on the screen.
  struct Area {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
  };

  Area clip(const GifFrame& frame) const;
  void buildPalette(std::span<const uint8_t> bytes, const GifFrame& frame);
  void dispose();
  void draw(const GifFrame& frame, const GifIndexBuffer& indices);

  ImageBuffer m_canvas;
  std::size_t m_globalPaletteOffset = 0;
  int m_globalPaletteSize = 0;
  // The frame's colours as canvas pixels in memory order; 0 (alpha 0) marks indices that
  // leave the canvas alone. Opaque colours always have alpha 255, so no colour is 0.
  std::array<uint32_t, 256> m_palette{};
  GifDisposal m_pendingDisposal = GifDisposal::Keep;
  Area m_pendingArea;
  std::vector<uint32_t> m_saved;  // m_pendingArea's pixels, row by row, for Previous
};

}  // namespace image
