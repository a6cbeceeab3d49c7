#include "core/test_gif.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace core::testing {
namespace {

void PutWord(std::vector<uint8_t>& out, int value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

// LZW data for `indices` at minimum code size 8 as GIF sub-blocks, ending with the 0 block.
void PutImageData(std::vector<uint8_t>& out, const std::vector<uint8_t>& indices) {
  constexpr int kClear = 256;
  constexpr int kEnd = 257;
  std::vector<int> codes{kClear};
  int sinceClear = 0;
  for (const uint8_t index : indices) {
    if (sinceClear == 250) {
      codes.push_back(kClear);
      sinceClear = 0;
    }
    codes.push_back(index);
    ++sinceClear;
  }
  codes.push_back(kEnd);

  std::vector<uint8_t> packed;
  uint32_t buffer = 0;
  int bits = 0;
  for (const int code : codes) {
    buffer |= static_cast<uint32_t>(code) << bits;
    bits += 9;
    while (bits >= 8) {
      packed.push_back(static_cast<uint8_t>(buffer & 0xFF));
      buffer >>= 8;
      bits -= 8;
    }
  }
  if (bits > 0) packed.push_back(static_cast<uint8_t>(buffer & 0xFF));

  out.push_back(8);
  for (std::size_t offset = 0; offset < packed.size(); offset += 255) {
    const std::size_t count = std::min<std::size_t>(255, packed.size() - offset);
    out.push_back(static_cast<uint8_t>(count));
    out.insert(out.end(), packed.begin() + static_cast<std::ptrdiff_t>(offset),
               packed.begin() + static_cast<std::ptrdiff_t>(offset + count));
  }
  out.push_back(0);
}

}  // namespace

std::array<uint8_t, 3> TestPaletteColour(int index) {
  return {static_cast<uint8_t>(index), static_cast<uint8_t>(255 - index),
          static_cast<uint8_t>((index * 7) & 0xFF)};
}

std::vector<uint8_t> MakeGif(int width, int height, const std::vector<TestFrame>& frames,
                             bool trailer) {
  std::vector<uint8_t> out{'G', 'I', 'F', '8', '9', 'a'};
  PutWord(out, width);
  PutWord(out, height);
  out.push_back(0xF7);  // global table of 256 entries, 8 bits per primary
  out.push_back(0);     // background index
  out.push_back(0);     // no aspect ratio
  for (int i = 0; i < 256; ++i) {
    const std::array<uint8_t, 3> colour = TestPaletteColour(i);
    out.insert(out.end(), colour.begin(), colour.end());
  }
  for (const TestFrame& frame : frames) {
    // Graphic control: disposal 1 (keep), 10 cs delay, no transparency.
    const uint8_t control[] = {0x21, 0xF9, 0x04, 0x04, 0x0A, 0x00, 0x00, 0x00};
    out.insert(out.end(), std::begin(control), std::end(control));
    out.push_back(0x2C);
    PutWord(out, frame.left);
    PutWord(out, frame.top);
    PutWord(out, frame.width);
    PutWord(out, frame.height);
    out.push_back(0);  // no local table, not interlaced
    PutImageData(out, frame.indices);
  }
  if (trailer) out.push_back(0x3B);
  return out;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

}  // namespace core::testing
