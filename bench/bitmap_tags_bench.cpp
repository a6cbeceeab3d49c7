#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "swf/bitmap_pixels.h"
#include "swf/swf_lossless_bitmap.h"

namespace {

// A frame as GIFs hold them: at most 256 colours (3-3-2 bits of a photo-like picture with some
// noise, so neighbours often differ) or, with `flat`, large areas of a few colours. B, G, R, A
// rows from the top.
std::vector<uint8_t> gifLikeFrame(int width, int height, bool flat) {
  std::vector<uint8_t> pixels(4 * static_cast<std::size_t>(width) *
                              static_cast<std::size_t>(height));
  uint32_t seed = 12345;
  uint8_t* pixel = pixels.data();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x, pixel += 4) {
      seed = seed * 1664525U + 1013904223U;
      const int noise = flat ? 0 : static_cast<int>(seed >> 27) - 16;
      const int band = flat ? (x / 40 + y / 30) % 4 * 60 : 0;
      pixel[0] = static_cast<uint8_t>((255 * x / width + noise + band) & 0xC0);
      pixel[1] = static_cast<uint8_t>((255 * y / height + noise) & 0xE0);
      pixel[2] = static_cast<uint8_t>((255 * (x + y) / (width + height) - noise) & 0xE0);
      pixel[3] = 255;
    }
  }
  return pixels;
}

// A lossless frame of 1000 x 800 pixels; arguments: compression effort (0 fast, 1 small), flat
// (1) or photo-like (0) content.
void losslessFrame(benchmark::State& state) {
  const swf::ZlibEffort effort =
      state.range(0) == 0 ? swf::ZlibEffort::Fast : swf::ZlibEffort::Small;
  const std::vector<uint8_t> pixels = gifLikeFrame(1000, 800, state.range(1) == 1);
  const swf::BgraPixels view{pixels.data(), 4000, 1000, 800};
  std::uint32_t bytes = 0;
  for (auto _ : state) {
    const swf::SwfLosslessBitmap bitmap(1, view, swf::LosslessAlpha::Ignore, effort);
    bytes = bitmap.tagSize();
    benchmark::DoNotOptimize(bitmap.tagBytes().data());
  }
  state.counters["bytes"] = bytes;
  state.counters["MP/s"] = benchmark::Counter(0.8, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(losslessFrame)->ArgsProduct({{1, 2, 4, 6}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace
