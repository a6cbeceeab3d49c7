#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "image/image_buffer.h"
#include "image/image_error.h"

namespace image {

// What a caller may want to know before decoding pixels.
struct GifInfo {
  int width = 0;  // logical screen, pixels
  int height = 0;
  int frameCount = 0;  // complete frames
};

// Fills `*info` from the container in `bytes` without decoding pixels (one pass over the
// blocks). False, `*info` unchanged, with `*error` (when given) set as ParseGif does.
bool ReadGifInfo(std::span<const uint8_t> bytes, GifInfo* info, ImageError* error = nullptr);

// Receives frame `index` (0-based, in file order) as the full logical-screen canvas, 32 bpp
// B,G,R,A, alpha 0 where nothing is drawn. The image is valid only during the call. Returning
// false stops the decode.
using GifFrameSink = std::function<bool(int index, const ImageBuffer& frame)>;

// Decodes every frame of the GIF in `bytes` and hands each composited frame to `sink` on the
// calling thread, in frame order. With `threads` >= 1 that many worker threads (at most 64)
// decode the LZW data of the frames ahead, at most 2 * threads frames ahead of the sink, so
// memory does not grow with the frame count; with `threads` <= 0 everything runs on the
// calling thread. The frames are the same for any thread count.
// Returns true when every frame was delivered or the sink stopped the decode; `*frameCount`
// (when given) is the number of frames the sink received either way. False with `*error`
// (when given): the ParseGif errors, Corrupt for an invalid LZW code (the frames before it
// have been delivered), OutOfMemory.
bool DecodeGifFrames(std::span<const uint8_t> bytes, int threads, const GifFrameSink& sink,
                     ImageError* error, int* frameCount);

}  // namespace image
