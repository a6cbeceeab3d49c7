#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "image/gif/gif_parser.h"

namespace image {

// How one frame's LZW stream ended.
enum class LzwStatus {
  Complete,  // every pixel of the frame was decoded
  Short,     // the stream ended (end code or no more data) before the last pixel
  Corrupt,   // a code that is neither a literal, a control code nor a defined entry
};

// One frame's colour indices in stream order: row r of `indices` is image row r of the
// frame, or for an interlaced frame the r-th row sent (see GifCompositor).
struct GifIndexBuffer {
  std::vector<uint8_t> indices;   // width * height values plus LzwDecoder::kOutputSlack
  std::size_t decodedPixels = 0;  // leading pixels the stream delivered; the rest are unset
  LzwStatus status = LzwStatus::Complete;
};

// Decodes GIF LZW streams. An object keeps its code table and input scratch between frames,
// so a decoder per thread allocates nothing once its buffers have grown. Not thread-safe;
// distinct objects are independent.
class LzwDecoder {
 public:
  // Bytes past width * height that Decode may scribble on: strings are copied in 16-byte
  // chunks.
  static constexpr std::size_t kOutputSlack = 16;

  // Decodes the LZW data of `frame` (offsets into `file`, as ParseGif found them) into
  // `out`: indices resized to width * height + kOutputSlack, decodedPixels and status set.
  // A stream that ends early leaves the remaining pixels unset (browsers show them as
  // transparent and keep the frame); data after the last pixel is ignored. Never reads or
  // writes outside `file` or `out`. Throws only std::bad_alloc.
  void decode(std::span<const uint8_t> file, const GifFrame& frame, GifIndexBuffer& out);

  // The same on a bare LZW code stream (sub-block payload joined) for `pixelCount` pixels.
  void decodeStream(std::span<const uint8_t> stream, int minCodeSize, std::size_t pixelCount,
                    GifIndexBuffer& out);

 private:
  void gather(std::span<const uint8_t> file, const GifFrame& frame);
  void run(int minCodeSize, std::size_t pixelCount, GifIndexBuffer& out);

  std::vector<uint8_t> m_input;  // joined payload plus 8 zero bytes for whole-word reads
  std::size_t m_inputBytes = 0;
  // Entry k above the end code is a string of the output written so far: m_length[k] bytes
  // at m_offset[k]. Every such entry is the previous code's string plus the first byte of the
  // next one, and both lie next to each other in the output, so no separate string storage is
  // needed. Literal codes are one byte at offset k of a constant alphabet; the clear and end
  // codes have length 0.
  std::array<uint32_t, 4096> m_offset{};
  std::array<uint16_t, 4096> m_length{};
};

}  // namespace image
