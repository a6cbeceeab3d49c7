#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "image/image_error.h"

namespace core {

// What a conversion needs to know about a GIF before decoding any pixel.
struct GifSummary {
  int width = 0;  // logical screen, pixels
  int height = 0;
  int frameCount = 0;      // complete frames
  bool truncated = false;  // the data ends before the trailer; frameCount counts what is whole
};

// Walks the blocks of the GIF in `bytes` without decoding pixels. False, with a sentence in
// `error` (when given), for empty data, data that is not a GIF, ends before its first frame is
// complete, holds no frame, or has a screen side of 0 or above image::kMaxDimension.
bool SummarizeGif(std::span<const uint8_t> bytes, GifSummary& summary, std::string* error);

// A sentence for a GIF decoding failure reported by the image layer.
std::string GifErrorText(image::ImageError error);

}  // namespace core
