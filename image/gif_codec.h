#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

#include "image/gif/gif_parser.h"
#include "image/image_codec.h"

namespace image {

// GIF files. Loading decodes every frame of an animation into a full logical-screen 32-bit
// B,G,R,A image (alpha 0 where the animation is transparent), composited as browsers show
// it, with the LZW data of the frames decoded on all hardware threads. Saving writes the
// first image as a single-frame GIF89a (see EncodeGif).
class GifCodec final : public ImageCodec {
 public:
  // Loading refuses animations whose decoded frames would take more bytes than this
  // (TooLarge): a few kilobytes of GIF can describe thousands of screen-sized frames.
  static constexpr std::uint64_t kMaxDecodedBytes = std::uint64_t{4} << 30;

 private:
  ImageResult OnLoadMemory(std::span<const uint8_t> bytes, ImageSequence& decoded) override;
  ImageResult OnEncode(const ImageBuffer& picture, const ImageOptions& options,
                       std::vector<uint8_t>& out) override;
};

// Decodes every frame of the GIF `file` parsed from `bytes` (ParseGif) as GifCodec's loading
// does and appends them to `decoded`. `cancelled` (may be null) is read before each frame is
// kept; once it is true the decode stops. Fails, `decoded` unchanged, when cancelled
// (Cancelled) or when the frames do not decode (Corrupt, TooLarge, OutOfMemory).
ImageResult decodeGifSequence(std::span<const uint8_t> bytes, const GifFile& file,
                              ImageSequence& decoded, const std::atomic<bool>* cancelled);

}  // namespace image
