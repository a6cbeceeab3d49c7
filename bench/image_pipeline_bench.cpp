#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "image/image_buffer.h"
#include "image/jpeg_codec.h"

namespace {

// A photo-like frame: smooth colour gradients with some seeded noise, so the encoder and the
// resampler see neither flat areas nor pure noise. 32 bpp, opaque.
image::ImageBuffer photoFrame(int width, int height) {
  image::ImageBuffer frame;
  if (!frame.Create(width, height, 32)) return frame;
  uint32_t seed = 12345;
  for (int y = 0; y < height; ++y) {
    uint8_t* pixel = frame.RowPointer(y);
    for (int x = 0; x < width; ++x, pixel += 4) {
      seed = seed * 1664525U + 1013904223U;
      const int noise = static_cast<int>(seed >> 28) - 8;
      const double u = static_cast<double>(x) / width;
      const double v = static_cast<double>(y) / height;
      const double wave = std::sin(6.0 * u + 4.0 * v);
      pixel[0] = static_cast<uint8_t>(std::clamp(static_cast<int>(255.0 * u) + noise, 0, 255));
      pixel[1] =
          static_cast<uint8_t>(std::clamp(static_cast<int>(127.5 + 120.0 * wave) + noise, 0, 255));
      pixel[2] = static_cast<uint8_t>(std::clamp(static_cast<int>(255.0 * v) + noise, 0, 255));
      pixel[3] = 255;
    }
  }
  return frame;
}

void setPixelRate(benchmark::State& state, int width, int height) {
  state.counters["MP/s"] = benchmark::Counter(static_cast<double>(width) * height / 1e6,
                                              benchmark::Counter::kIsIterationInvariantRate);
}

// The capture step's resize: a 500 x 400 frame to twice its size. Argument 1 gives the frame
// transparent pixels, which take the premultiplied 16-bit path.
void resizeDouble(benchmark::State& state) {
  image::ImageBuffer source = photoFrame(500, 400);
  if (state.range(0) == 1) {
    for (int y = 0; y < 400; y += 2) {
      source.PixelAddress(y, y)[3] = 0;
    }
  }
  image::ImageBuffer frame;
  for (auto _ : state) {
    frame.CopyFrom(source);
    frame.Resize(1000, 800);
    benchmark::DoNotOptimize(frame.pixels());
  }
  setPixelRate(state, 1000, 800);
}
BENCHMARK(resizeDouble)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The capture step's JPEG frame file at quality 80; arguments: width, height, bits per pixel.
void jpegEncode(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  image::ImageBuffer frame = photoFrame(width, height);
  if (state.range(2) == 24) {
    image::ImageBuffer opaque;
    if (!opaque.Create(width, height, 24)) {
      state.SkipWithError("out of memory");
      return;
    }
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const uint8_t* from = frame.PixelAddress(x, y);
        std::copy(from, from + 3, opaque.PixelAddress(x, y));
      }
    }
    frame = std::move(opaque);
  }
  std::vector<uint8_t> jpeg;
  for (auto _ : state) {
    if (!image::encodeJpeg(frame, 80, jpeg)) state.SkipWithError("encoding failed");
    benchmark::DoNotOptimize(jpeg.data());
  }
  setPixelRate(state, width, height);
  state.counters["bytes"] = static_cast<double>(jpeg.size());
}
BENCHMARK(jpegEncode)
    ->Args({500, 400, 32})
    ->Args({1000, 800, 32})
    ->Args({500, 400, 24})
    ->Args({1000, 800, 24})
    ->Unit(benchmark::kMillisecond);

// The converter's frame encoding: a 500 x 400 frame to a 1000 x 800 JPEG at quality 80 in one
// step (Y, Cb, Cr planes resampled at their own sizes); compare ResizeDouble + JpegEncode.
void encodeResizedDouble(benchmark::State& state) {
  const image::ImageBuffer frame = photoFrame(500, 400);
  std::vector<uint8_t> jpeg;
  for (auto _ : state) {
    if (!image::encodeResizedJpeg(frame, 1000, 800, 80, jpeg)) {
      state.SkipWithError("encoding failed");
    }
    benchmark::DoNotOptimize(jpeg.data());
  }
  setPixelRate(state, 1000, 800);
}
BENCHMARK(encodeResizedDouble)->Unit(benchmark::kMillisecond);

}  // namespace
