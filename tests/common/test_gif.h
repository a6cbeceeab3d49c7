#pragma once

// GIF files built in memory for tests: a 256-entry global palette and images written without
// compression, so any frame layout can be had in a few lines and the pixel colours are known.

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <vector>

namespace testutil {

// One image of a test GIF: its rectangle on the screen and one palette index per pixel.
struct GifFrame {
  int left = 0;
  int top = 0;
  int width = 1;
  int height = 1;
  std::vector<uint8_t> indices;  // width * height, row by row
  int delay = 10;                // hundredths of a second
};

// A width x height image at (0, 0) of one palette index.
inline GifFrame filledFrame(int width, int height, uint8_t index) {
  return {0, 0, width, height,
          std::vector<uint8_t>(static_cast<std::size_t>(width * height), index)};
}

// Palette entry i as red, green, blue: (i, 255 - i, 7i mod 256).
inline std::array<uint8_t, 3> testPaletteColour(int index) {
  return {static_cast<uint8_t>(index), static_cast<uint8_t>(255 - index),
          static_cast<uint8_t>((index * 7) & 0xFF)};
}

// A GIF89a of `frames` (each kept on the screen: disposal 1, no transparency). Every pixel is
// its own 9-bit LZW code and a clear code follows every 250, so the code size never grows.
// `trailer` false leaves the final 0x3B off.
inline std::vector<uint8_t> makeGif(int width, int height, const std::vector<GifFrame>& frames,
                                    bool trailer = true) {
  std::vector<uint8_t> out{'G', 'I', 'F', '8', '9', 'a'};
  const auto word = [&out](int value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
  };
  word(width);
  word(height);
  out.insert(out.end(), {0xF7, 0, 0});  // global table of 256 entries
  for (int i = 0; i < 256; ++i) {
    const std::array<uint8_t, 3> colour = testPaletteColour(i);
    out.insert(out.end(), colour.begin(), colour.end());
  }
  for (const GifFrame& frame : frames) {
    out.insert(out.end(), {0x21, 0xF9, 0x04, 0x04, static_cast<uint8_t>(frame.delay & 0xFF),
                           static_cast<uint8_t>(frame.delay >> 8), 0x00, 0x00, 0x2C});
    word(frame.left);
    word(frame.top);
    word(frame.width);
    word(frame.height);
    out.push_back(0);  // no local table, not interlaced
    std::vector<int> codes{256};
    for (std::size_t i = 0; i < frame.indices.size(); ++i) {
      if (i > 0 && i % 250 == 0) codes.push_back(256);
      codes.push_back(frame.indices[i]);
    }
    codes.push_back(257);
    std::vector<uint8_t> packed;
    uint32_t buffer = 0;
    int bits = 0;
    for (const int code : codes) {
      buffer |= static_cast<uint32_t>(code) << bits;
      for (bits += 9; bits >= 8; bits -= 8, buffer >>= 8) {
        packed.push_back(static_cast<uint8_t>(buffer & 0xFF));
      }
    }
    if (bits > 0) packed.push_back(static_cast<uint8_t>(buffer & 0xFF));
    out.push_back(8);  // minimum code size
    for (std::size_t at = 0; at < packed.size(); at += 255) {
      const std::size_t count = std::min<std::size_t>(255, packed.size() - at);
      out.push_back(static_cast<uint8_t>(count));
      out.insert(out.end(), packed.begin() + static_cast<std::ptrdiff_t>(at),
                 packed.begin() + static_cast<std::ptrdiff_t>(at + count));
    }
    out.push_back(0);
  }
  if (trailer) out.push_back(0x3B);
  return out;
}

// `gif` (made by MakeGif) with a NETSCAPE2.0 loop extension of `loopCount` before its first
// frame.
inline std::vector<uint8_t> withLoopCount(std::vector<uint8_t> gif, int loopCount) {
  // Extension introducer, application label, block of 11: "NETSCAPE2.0"; sub-block of 3: id 1
  // and the count, low byte first; terminator.
  const std::array<uint8_t, 19> extension = {0x21,
                                             0xFF,
                                             11,
                                             'N',
                                             'E',
                                             'T',
                                             'S',
                                             'C',
                                             'A',
                                             'P',
                                             'E',
                                             '2',
                                             '.',
                                             '0',
                                             3,
                                             1,
                                             static_cast<uint8_t>(loopCount & 0xFF),
                                             static_cast<uint8_t>(loopCount >> 8),
                                             0};
  constexpr std::ptrdiff_t kFirstFrame = 13 + 3 * 256;  // after the header and global table
  gif.insert(gif.begin() + kFirstFrame, extension.begin(), extension.end());
  return gif;
}

}  // namespace testutil
