#include "gif/gif_test_files.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "image/gif/gif_stream_decoder.h"

namespace gif_test {

std::vector<uint8_t> ReadData(const std::string& relative) {
  std::ifstream in(std::string(QUORVEX_TEST_DATA_DIR) + "/" + relative, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> ToRgba(const image::ImageBuffer& canvas) {
  std::vector<uint8_t> rgba(static_cast<std::size_t>(canvas.Width()) *
                            static_cast<std::size_t>(canvas.Height()) * 4);
  uint8_t* out = rgba.data();
  for (int y = 0; y < canvas.Height(); ++y) {
    const uint8_t* p = canvas.RowPointer(y);
    for (int x = 0; x < canvas.Width(); ++x, p += 4, out += 4) {
      out[0] = p[2];
      out[1] = p[1];
      out[2] = p[0];
      out[3] = p[3];
    }
  }
  return rgba;
}

std::string CompareRgba(const std::vector<uint8_t>& actual, const uint8_t* expected, int width,
                        int height) {
  const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  if (actual.size() != size) {
    return "size " + std::to_string(actual.size()) + " instead of " + std::to_string(size);
  }
  for (std::size_t i = 0; i < size; i += 4) {
    for (std::size_t c = 0; c < 4; ++c) {
      if (actual[i + c] != expected[i + c]) {
        char text[160];
        std::snprintf(
            text, sizeof text, "pixel (%zu, %zu): RGBA %02x%02x%02x%02x, expected %02x%02x%02x%02x",
            (i / 4) % static_cast<std::size_t>(width), (i / 4) / static_cast<std::size_t>(width),
            actual[i], actual[i + 1], actual[i + 2], actual[i + 3], expected[i], expected[i + 1],
            expected[i + 2], expected[i + 3]);
        return text;
      }
    }
  }
  return {};
}

std::vector<std::vector<uint8_t>> DecodeAll(const std::vector<uint8_t>& bytes, int threads) {
  std::vector<std::vector<uint8_t>> frames;
  image::ImageError error = image::ImageError::None;
  int count = 0;
  image::DecodeGifFrames(
      bytes, threads,
      [&](int, const image::ImageBuffer& frame) {
        frames.push_back(ToRgba(frame));
        return true;
      },
      &error, &count);
  return frames;
}

namespace {

int ReadMemory(GifFileType* gif, GifByteType* buffer, int length) {
  auto* source = static_cast<GiflibSource*>(gif->UserData);
  const std::size_t count =
      std::min(source->bytes->size() - source->position, static_cast<std::size_t>(length));
  std::memcpy(buffer, source->bytes->data() + source->position, count);
  source->position += count;
  return static_cast<int>(count);
}

}  // namespace

GifFileType* OpenWithGiflib(GiflibSource& source) {
  int status = 0;
  return DGifOpen(&source, &ReadMemory, &status);
}

}  // namespace gif_test
