#pragma once

#include <gif_lib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/image_buffer.h"

namespace gif_test {

// Whole contents of a file under tests/data (`relative` like "gif/photo.gif"); empty when
// it cannot be read.
std::vector<uint8_t> ReadData(const std::string& relative);

// A 32-bit canvas as R,G,B,A bytes, rows from the top (the layout of the .rgba files).
std::vector<uint8_t> ToRgba(const image::ImageBuffer& canvas);

// Empty when equal; otherwise where the first pixel differs and both values.
std::string CompareRgba(const std::vector<uint8_t>& actual, const uint8_t* expected, int width,
                        int height);

// Every frame of `bytes` through DecodeGifFrames with `threads`, as R,G,B,A.
std::vector<std::vector<uint8_t>> DecodeAll(const std::vector<uint8_t>& bytes, int threads);

// Bytes that giflib (the reference decoder) reads from memory.
struct GiflibSource {
  const std::vector<uint8_t>* bytes;
  std::size_t position = 0;
};

// Opens `source` with DGifOpen; null on failure. `source` and its bytes must outlive the
// handle, which the caller closes with DGifCloseFile.
GifFileType* OpenWithGiflib(GiflibSource& source);

}  // namespace gif_test
