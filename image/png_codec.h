#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "image/image_codec.h"

namespace image {

// PNG files through libpng. Decoding gives one frame: 32-bit B,G,R,A when the file has an
// alpha channel or a transparency chunk, otherwise 24-bit B,G,R (palette, grey-scale and
// 16-bit samples are expanded or scaled to 8-bit colour; gamma chunks are not applied).
// Encoding writes palette images at 1, 4 and 8 bits with their palette (all entries opaque),
// 24-bit as RGB, 32-bit as RGBA and 16-bit through its masks as RGB.
class PngCodec final : public ImageCodec {
 private:
  ImageResult OnLoadMemory(std::span<const uint8_t> bytes, ImageSequence& decoded) override;
  ImageResult OnEncode(const ImageBuffer& picture, const ImageOptions& options,
                       std::vector<uint8_t>& out) override;
};

// True when `bytes` starts with the 8-byte PNG signature.
bool hasPngSignature(std::span<const uint8_t> bytes);

}  // namespace image
