#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace core::testing {

// One image of a test GIF: its rectangle on the screen and one palette index per pixel.
struct TestFrame {
  int left = 0;
  int top = 0;
  int width = 1;
  int height = 1;
  std::vector<uint8_t> indices;  // width * height, row by row
};

// A GIF89a with a 256-entry global palette (entry i = `palette(i)`), written without
// compression: every pixel is its own 9-bit LZW code and a clear code follows every 250 codes,
// so the code size never grows. `trailer` false leaves the final 0x3B off.
std::vector<uint8_t> MakeGif(int width, int height, const std::vector<TestFrame>& frames,
                             bool trailer = true);

// The palette MakeGif writes: entry i is (i, 255 - i, (i * 7) & 0xFF) as red, green, blue.
std::array<uint8_t, 3> TestPaletteColour(int index);

// Writes `bytes` to `path`; false when the file cannot be written.
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace core::testing
