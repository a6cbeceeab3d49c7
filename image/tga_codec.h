#pragma once

#include "image/image_codec.h"

namespace image {

// Truevision TGA files: writes uncompressed 8-bit colour-mapped and 16/24/32-bit true-colour
// files; reads those plus run-length encoded ones (image types 9, 10, 11), either row order.
class TgaCodec final : public ImageCodec {
 private:
  ImageResult OnLoadMemory(std::span<const uint8_t> bytes, ImageSequence& decoded) override;
  ImageResult OnEncode(const ImageBuffer& picture, const ImageOptions& options,
                       std::vector<uint8_t>& out) override;
};

}  // namespace image
