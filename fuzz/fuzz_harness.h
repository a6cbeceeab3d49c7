#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "image/image_codec.h"
#include "image/image_sequence.h"

namespace image::fuzz {

// Decodes `data` with `codec` and, when that succeeds, encodes every frame again with the same
// codec. Re-encoding is skipped for pictures above 64 MiB: a 16384-pixel-wide BMP header is a
// valid file, and writing it out would spend the time budget without reaching new code.
template <typename Codec>
void decodeAndReencode(const uint8_t* data, std::size_t size) {
  constexpr std::size_t kMaxReencodeBytes = std::size_t{64} << 20;
  Codec codec;
  ImageSequence frames;
  if (!codec.LoadMemory(std::span<const uint8_t>(data, size), frames)) {
    return;
  }
  for (int i = 0; i < frames.Count(); ++i) {
    const ImageBuffer* frame = frames.At(i);
    if (frame->pixelBytes() > kMaxReencodeBytes) {
      continue;
    }
    std::vector<uint8_t> encoded;
    // Refusing to encode is an answer too; only a crash or a sanitizer report fails.
    static_cast<void>(codec.saveMemory({frame}, ImageOptions{}, encoded));
  }
}

}  // namespace image::fuzz
