#pragma once

#include "image/image_codec.h"

namespace image {

// Windows bitmap files: uncompressed bottom-up DIBs of 1, 4, 8, 16 (5-5-5 or with bit-field
// masks), 24 and 32 bits per pixel, one frame per file.
class BmpCodec final : public ImageCodec {
 private:
  ImageResult OnLoadMemory(std::span<const uint8_t> bytes, ImageSequence& decoded) override;
  ImageResult OnEncode(const ImageBuffer& picture, const ImageOptions& options,
                       std::vector<uint8_t>& out) override;
};

}  // namespace image
