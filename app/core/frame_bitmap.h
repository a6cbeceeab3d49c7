#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/core/output_settings.h"
#include "image/image_buffer.h"
#include "support/result.h"
#include "swf/swf_character.h"
#include "swf/swf_lossless_bitmap.h"

namespace core {

// The bitmap of one movie frame: the bytes of a plain JPEG, written into the movie as a
// DefineBitsJPEG2 tag straight from this buffer, or else a bitmap character built whole
// (DefineBitsJPEG3, DefineBitsLossless, DefineBitsLossless2).
struct FrameBitmap {
  std::vector<uint8_t> jpeg;
  std::unique_ptr<swf::SwfCharacter> character;
};

// Turns full-canvas frames into the bitmaps of a movie's frames, as the settings ask:
//   - JPEG frames at settings.jpegQuality, composited over settings.background; the default
//     settings give exactly image::EncodeResizedJpeg at quality 80, today's movie;
//   - lossless frames, the scaled frame's pixels exactly (composited over the background);
//   - with keepTransparency, JPEG frames become DefineBitsJPEG3 (the colours premultiplied by
//     alpha, as players expect, and the alpha plane) and lossless ones DefineBitsLossless2;
//   - FrameFormat::Auto builds the JPEG form and, unless a sample shows the lossless form would
//     be clearly larger, the lossless one too, and keeps the smaller tag.
// Frames are scaled to settings.width x settings.height with settings.scaleFilter. One encoder
// serves one thread at a time; it keeps its scratch pictures from frame to frame.
class FrameBitmapEncoder {
 public:
  explicit FrameBitmapEncoder(const OutputSettings& settings) : m_settings(settings) {}

  // The bitmap of movie frame `index` (its id is swf::frameBitmapId(index)) from `frame`. Fails,
  // with the reason, when encoding fails or memory runs out.
  support::Status encode(const image::ImageBuffer& frame, int index, FrameBitmap& out);

  // The most working memory (bytes) one encoder asks for beyond image::ResizedJpegWorkingMemory,
  // for frames of sourceWidth x sourceHeight pixels: 0 for the default settings.
  static uint64_t extraWorkingMemory(const OutputSettings& settings, int sourceWidth,
                                     int sourceHeight);

 private:
  // The frame at the movie size; `frame` itself when it has it already.
  const image::ImageBuffer* atMovieSize(const image::ImageBuffer& frame);
  // `picture` over the opaque `background`; `picture` itself when it is opaque already.
  const image::ImageBuffer* over(const image::ImageBuffer& picture, const RgbColor& background);
  support::Status encodeJpeg(const image::ImageBuffer& frame, int index, FrameBitmap& out);
  // The lossless form, unless a sample of it says it would be well above `smallerThan` bytes
  // (SIZE_MAX: always); `out` is then left as it was.
  support::Status encodeLossless(const image::ImageBuffer& frame, int index,
                                 std::size_t smallerThan, FrameBitmap& out);

  const OutputSettings& m_settings;
  image::ImageBuffer m_scaled;
  image::ImageBuffer m_composited;
  std::vector<uint8_t> m_alpha;
  swf::LosslessData m_lossless;
};

}  // namespace core
