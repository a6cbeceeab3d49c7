#pragma once

// What the GIF tests share: the files of tests/data/gif, frames as R,G,B,A bytes with a
// comparison that names the first differing pixel, and giflib reading from memory as an
// independent reference decoder of our LZW indices.

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "common/hex_compare.h"
#include "common/temp_dir.h"
#include "image/gif/gif_parser.h"
#include "image/gif/gif_stream_decoder.h"
#include "image/gif/lzw_decoder.h"
#include "image/image_buffer.h"

namespace gif_test {

// A file of tests/data/gif: screen size and frame count as scripts/make-test-gifs.py writes
// them. Next to each lies <name>.rgba, its coalesced frames (hand-typed pixel grids, or
// Pillow's frames for the larger files).
struct TestFile {
  const char* name;
  int width;
  int height;
  int frames;
};

inline constexpr TestFile kFiles[] = {
    {"disposal_keep", 4, 4, 3},
    {"disposal_background", 4, 4, 4},
    {"disposal_previous", 4, 4, 5},
    {"transparency", 4, 3, 3},
    {"offsets", 4, 3, 6},
    {"offscreen_disposal", 4, 2, 4},
    {"local_palette", 3, 2, 3},
    {"local_only", 2, 2, 2},
    {"index_out_of_range", 4, 1, 2},
    {"interlaced", 3, 10, 2},
    {"short_stream", 3, 2, 2},
    {"tiny_blocks", 4, 4, 1},
    {"photo", 61, 47, 3},
    {"photo_interlaced", 61, 47, 2},
    {"table_full_clear", 120, 90, 1},
    {"table_full_deferred", 120, 90, 1},
    {"table_full_reused", 120, 90, 1},
    {"two_colours", 33, 17, 1},
};

// Names parameterised tests after the file, and prints the parameter as that name.
inline std::string fileName(const ::testing::TestParamInfo<TestFile>& info) {
  return info.param.name;
}
inline void PrintTo(const TestFile& file, std::ostream* out) { *out << file.name; }

// Whole contents of a file under tests/data (`relative` like "gif/photo.gif"); empty when it
// cannot be read.
inline std::vector<uint8_t> readData(const std::string& relative) {
  return testutil::readFile(std::string(QUORVEX_TEST_DATA_DIR) + "/" + relative);
}

// A 32-bit canvas as R,G,B,A bytes, rows from the top (the layout of the .rgba files).
inline std::vector<uint8_t> toRgba(const image::ImageBuffer& canvas) {
  std::vector<uint8_t> rgba;
  rgba.reserve(static_cast<std::size_t>(canvas.Width()) *
               static_cast<std::size_t>(canvas.Height()) * 4);
  for (int y = 0; y < canvas.Height(); ++y) {
    const uint8_t* p = canvas.RowPointer(y);
    for (int x = 0; x < canvas.Width(); ++x, p += 4)
      rgba.insert(rgba.end(), {p[2], p[1], p[0], p[3]});
  }
  return rgba;
}

// Succeeds when both R,G,B,A pictures `width` pixels wide are equal; otherwise names the first
// differing pixel and both values.
inline ::testing::AssertionResult samePixels(std::span<const uint8_t> actual,
                                             std::span<const uint8_t> expected, int width) {
  if (actual.size() != expected.size()) {
    return ::testing::AssertionFailure()
           << actual.size() << " bytes instead of " << expected.size();
  }
  const std::size_t at = static_cast<std::size_t>(
      std::mismatch(actual.begin(), actual.end(), expected.begin()).first - actual.begin());
  if (at == actual.size()) return ::testing::AssertionSuccess();
  const std::size_t pixel = at / 4;
  return ::testing::AssertionFailure()
         << "pixel (" << pixel % static_cast<std::size_t>(width) << ", "
         << pixel / static_cast<std::size_t>(width) << "): RGBA "
         << testutil::hexString(actual.subspan(pixel * 4, 4)) << ", expected "
         << testutil::hexString(expected.subspan(pixel * 4, 4));
}

// Every frame of `bytes` through DecodeGifFrames with `threads`, as R,G,B,A: all of them, or
// those delivered before a failure, whose reason goes to `error` (None after a success).
inline std::vector<std::vector<uint8_t>> decodeAll(std::span<const uint8_t> bytes, int threads,
                                                   image::ImageError* error = nullptr) {
  std::vector<std::vector<uint8_t>> frames;
  int count = 0;
  const auto sink = [&](int, const image::ImageBuffer& frame) {
    frames.push_back(toRgba(frame));
    return true;
  };
  const image::ImageResult decoded = image::decodeGifFrames(bytes, threads, sink, &count);
  EXPECT_EQ(count, static_cast<int>(frames.size()));
  if (error != nullptr) *error = decoded.code();
  return frames;
}

struct GiflibCloser {
  void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};
using GiflibPtr = std::unique_ptr<GifFileType, GiflibCloser>;

// giflib's DGifSlurp of `bytes`; null when giflib cannot open the data or read every image.
inline GiflibPtr slurpWithGiflib(std::span<const uint8_t> bytes) {
  struct Source {
    std::span<const uint8_t> rest;
    static int read(GifFileType* file, GifByteType* buffer, int length) {
      auto& source = *static_cast<Source*>(file->UserData);
      const std::size_t count = std::min(source.rest.size(), static_cast<std::size_t>(length));
      std::memcpy(buffer, source.rest.data(), count);
      source.rest = source.rest.subspan(count);
      return static_cast<int>(count);
    }
  } source{bytes};
  int status = 0;
  GiflibPtr gif(DGifOpen(&source, &Source::read, &status));
  if (gif == nullptr || DGifSlurp(gif.get()) != GIF_OK) return nullptr;
  gif->UserData = nullptr;  // everything is read; `source` goes now
  return gif;
}

// Our LZW indices for every frame of `bytes` equal those of giflib's DGifSlurp. Ours come in
// the order the rows are sent, giflib's top to bottom.
inline void expectSameIndicesAsGiflib(std::span<const uint8_t> bytes) {
  image::GifFile file;
  ASSERT_TRUE(image::parseGif(bytes, &file, nullptr));
  const GiflibPtr reference = slurpWithGiflib(bytes);
  ASSERT_NE(reference, nullptr);
  ASSERT_EQ(reference->ImageCount, static_cast<int>(file.frames.size()));
  image::LzwDecoder decoder;
  image::GifIndexBuffer out;
  for (std::size_t i = 0; i < file.frames.size(); ++i) {
    const image::GifFrame& frame = file.frames[i];
    decoder.decode(bytes, frame, out);
    EXPECT_EQ(out.status, image::LzwStatus::Complete) << "frame " << i;
    const std::vector<std::pair<int, int>> passes =
        frame.interlaced ? std::vector<std::pair<int, int>>{{0, 8}, {4, 8}, {2, 4}, {1, 2}}
                         : std::vector<std::pair<int, int>>{{0, 1}};
    auto ours = out.indices.begin();
    for (const auto& [start, step] : passes) {
      for (int y = start; y < frame.height; y += step, ours += frame.width) {
        ASSERT_TRUE(std::equal(ours, ours + frame.width,
                               reference->SavedImages[i].RasterBits + y * frame.width))
            << "frame " << i << " row " << y;
      }
    }
  }
}

}  // namespace gif_test
