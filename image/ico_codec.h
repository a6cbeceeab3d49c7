#pragma once

#include <cstdint>
#include <span>

#include "image/image_codec.h"

namespace image {

// Windows icon files, decode only. Each directory entry becomes one 32-bit B,G,R,A frame, in
// directory order. An entry is either a PNG stream (decoded by PngCodec) or a DIB without
// file header whose height counts the colour rows and the 1-bit AND mask together (decoded by
// BmpCodec from a bitmap file built in memory). A 32-bit DIB keeps its alpha channel unless
// every alpha byte is 0, as in icons made before alpha existed; then, as for every other
// depth, the AND mask gives the alpha: a set bit is transparent.
class IcoCodec final : public ImageCodec {
 private:
  ImageResult OnLoadMemory(std::span<const uint8_t> bytes, ImageSequence& decoded) override;
};

}  // namespace image
