// GIF decoding speed: giflib's DGifSlurp against our LZW decoder and streaming decoder, on a
// 500 x 400, 120-frame animation of photo-like content written with giflib. Every benchmark
// reports the time per frame.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "image/gif/gif_parser.h"
#include "image/gif/gif_stream_decoder.h"
#include "image/gif/lzw_decoder.h"

namespace {

constexpr int kWidth = 500;
constexpr int kHeight = 400;
constexpr int kFrames = 120;

int writeToVector(GifFileType* gif, const GifByteType* data, int length) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), data, data + length);
  return length;
}

// Smooth gradients and a moving wave plus seeded noise, mapped onto a 6 x 7 x 6 colour cube
// and four greys (256 colours): the noise flips neighbouring pixels between cube cells the
// way dithering does in GIFs made from photographs. Full frames, no transparency.
std::vector<uint8_t> makeAnimation() {
  std::vector<GifColorType> colors;
  for (int r = 0; r < 6; ++r) {
    for (int g = 0; g < 7; ++g) {
      for (int b = 0; b < 6; ++b) {
        colors.push_back({static_cast<GifByteType>(r * 51), static_cast<GifByteType>(g * 42),
                          static_cast<GifByteType>(b * 51)});
      }
    }
  }
  for (int grey = 0; grey < 4; ++grey) {
    const auto level = static_cast<GifByteType>(40 + grey * 60);
    colors.push_back({level, level, level});
  }

  std::vector<uint8_t> out;
  int status = 0;
  GifFileType* gif = EGifOpen(&out, &writeToVector, &status);
  ColorMapObject* map = GifMakeMapObject(256, colors.data());
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, map);
  std::vector<GifPixelType> line(kWidth);
  uint32_t seed = 2024;
  for (int frame = 0; frame < kFrames; ++frame) {
    GraphicsControlBlock control{};
    control.DelayTime = 4;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
    EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        seed = seed * 1664525U + 1013904223U;
        const int noise = static_cast<int>(seed >> 26) - 32;
        const double u = static_cast<double>(x) / kWidth;
        const double v = static_cast<double>(y) / kHeight;
        const double wave = std::sin(6.0 * u + 4.0 * v + 0.05 * frame);
        const int red = std::clamp(static_cast<int>(255.0 * u) + noise, 0, 255);
        const int green = std::clamp(static_cast<int>(127.5 + 120.0 * wave) + noise, 0, 255);
        const int blue = std::clamp(static_cast<int>(255.0 * v) - noise, 0, 255);
        line[static_cast<std::size_t>(x)] = static_cast<GifPixelType>(
            (red * 6 / 256) * 42 + (green * 7 / 256) * 6 + blue * 6 / 256);
      }
      EGifPutLine(gif, line.data(), kWidth);
    }
  }
  EGifCloseFile(gif, &status);
  GifFreeMapObject(map);
  return out;
}

const std::vector<uint8_t>& animation() {
  static const std::vector<uint8_t> bytes = makeAnimation();
  return bytes;
}

// "time/frame" is printed in seconds with a unit prefix (e.g. 1.45m = 1.45 ms); it follows
// the CPU time unless the benchmark uses real time.
void setFrameTime(benchmark::State& state) {
  state.counters["time/frame"] = benchmark::Counter(
      kFrames, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["KiB/frame"] =
      static_cast<double>(animation().size()) / 1024.0 / static_cast<double>(kFrames);
}

struct MemorySource {
  const std::vector<uint8_t>* bytes;
  std::size_t position;
};

int readMemory(GifFileType* gif, GifByteType* buffer, int length) {
  auto* source = static_cast<MemorySource*>(gif->UserData);
  const std::size_t count =
      std::min(source->bytes->size() - source->position, static_cast<std::size_t>(length));
  std::memcpy(buffer, source->bytes->data() + source->position, count);
  source->position += count;
  return static_cast<int>(count);
}

// giflib: every frame's indices, de-interlaced, in its SavedImages.
void giflibSlurp(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = animation();
  for (auto _ : state) {
    MemorySource source{&bytes, 0};
    int status = 0;
    GifFileType* gif = DGifOpen(&source, &readMemory, &status);
    if (DGifSlurp(gif) != GIF_OK || gif->ImageCount != kFrames) {
      state.SkipWithError("giflib failed");
    }
    benchmark::DoNotOptimize(gif->SavedImages[kFrames - 1].RasterBits[0]);
    DGifCloseFile(gif, &status);
  }
  setFrameTime(state);
}
BENCHMARK(giflibSlurp)->Unit(benchmark::kMillisecond);

// Our LZW decoder alone, one thread, every frame into the same index buffer.
void ourLzw(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = animation();
  image::GifFile file;
  if (!image::parseGif(bytes, &file)) {
    state.SkipWithError("parse failed");
    return;
  }
  image::LzwDecoder decoder;
  image::GifIndexBuffer indices;
  for (auto _ : state) {
    for (const image::GifFrame& frame : file.frames) {
      decoder.decode(bytes, frame, indices);
      benchmark::DoNotOptimize(indices.indices.data());
    }
  }
  setFrameTime(state);
}
BENCHMARK(ourLzw)->Unit(benchmark::kMillisecond);

// The whole streaming decode (parse, LZW, compositing into 32-bit canvases) with the given
// number of worker threads; 0 decodes on the calling thread.
void ourStream(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = animation();
  const int threads = static_cast<int>(state.range(0));
  for (auto _ : state) {
    int count = 0;
    const image::ImageResult decoded = image::decodeGifFrames(
        bytes, threads,
        [](int, const image::ImageBuffer& frame) {
          benchmark::DoNotOptimize(frame.pixels());
          return true;
        },
        &count);
    if (!decoded || count != kFrames) {
      state.SkipWithError("decode failed");
    }
  }
  setFrameTime(state);
}
BENCHMARK(ourStream)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
