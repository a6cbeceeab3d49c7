#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "image/image_codec.h"

namespace image {

// TIFF files through libtiff, read and written in memory. Decoding gives one frame per
// directory (page), in file order: 32-bit B,G,R,A when the page has extra (alpha) samples,
// otherwise 24-bit B,G,R. 8-bit RGB strips are read exactly; every other layout goes through
// libtiff's RGBA reader, whose premultiplied colours are divided back by alpha. Encoding
// writes one LZW-compressed page: palette images at 1, 4 and 8 bits with their colour map,
// 24-bit as RGB, 32-bit as RGB with unassociated alpha and 16-bit through its masks as RGB.
class TiffCodec final : public ImageCodec {
 private:
  ImageResult OnLoadMemory(std::span<const uint8_t> bytes, ImageSequence& decoded) override;
  ImageResult OnEncode(const ImageBuffer& picture, const ImageOptions& options,
                       std::vector<uint8_t>& out) override;
};

}  // namespace image
