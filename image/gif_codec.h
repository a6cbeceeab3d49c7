#pragma once

#include <cstdint>
#include <span>
#include <vector>

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
  bool OnLoadMemory(std::span<const uint8_t> bytes, ImageSequence& decoded) override;
  bool OnEncode(const ImageBuffer& picture, const ImageOptions& options,
                std::vector<uint8_t>& out) override;
};

}  // namespace image
