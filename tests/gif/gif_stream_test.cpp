// The streaming decoder: frame order, early stop, info, and identical results for any
// number of worker threads on an animation longer than the look-ahead window.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "gif/gif_test_files.h"
#include "image/gif/gif_parser.h"
#include "image/gif/gif_stream_decoder.h"

namespace {

using image::ImageError;

int WriteToVector(GifFileType* gif, const GifByteType* data, int length) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), data, data + length);
  return length;
}

// A 24 x 16 animation of `count` frames written with giflib: varying offsets, sizes,
// disposal methods, transparency and interlacing, so every path of the compositor runs
// while the pipeline's ring of buffers wraps many times.
std::vector<uint8_t> MakeAnimation(int count) {
  std::vector<uint8_t> out;
  int status = 0;
  GifFileType* gif = EGifOpen(&out, &WriteToVector, &status);
  GifColorType colors[16];
  for (int i = 0; i < 16; ++i) {
    colors[i] = {static_cast<GifByteType>(i * 16), static_cast<GifByteType>(255 - i * 9),
                 static_cast<GifByteType>(i * i)};
  }
  ColorMapObject* map = GifMakeMapObject(16, colors);
  EGifSetGifVersion(gif, true);
  EGifPutScreenDesc(gif, 24, 16, 4, 0, map);
  for (int n = 0; n < count; ++n) {
    const int left = n % 7;
    const int top = n % 5;
    const int width = 8 + n % 17;  // some frames reach past the right edge
    const int height = 4 + n % 13;
    GraphicsControlBlock control{};
    control.DisposalMode = n % 4;
    control.TransparentColor = n % 3 == 0 ? n % 16 : NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
    EGifPutImageDesc(gif, left, top, width, height, n % 5 == 2, nullptr);
    std::vector<GifPixelType> line(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        line[static_cast<std::size_t>(x)] = static_cast<GifPixelType>((x * 3 + y * 5 + n) % 16);
      }
      EGifPutLine(gif, line.data(), width);
    }
  }
  EGifCloseFile(gif, &status);
  GifFreeMapObject(map);
  return out;
}

TEST(GifStream, AnyThreadCountGivesTheSameFrames) {
  const auto bytes = MakeAnimation(40);
  const auto reference = gif_test::DecodeAll(bytes, 0);
  ASSERT_EQ(reference.size(), 40u);
  for (int threads : {1, 2, 3, 8}) {
    EXPECT_EQ(gif_test::DecodeAll(bytes, threads), reference) << threads << " threads";
  }
}

TEST(GifStream, SinkGetsFramesInOrderOnTheCallingThread) {
  const auto bytes = MakeAnimation(12);
  std::vector<int> seen;
  const auto caller = std::this_thread::get_id();
  bool sameThread = true;
  int count = 0;
  ImageError error = ImageError::Corrupt;
  ASSERT_TRUE(image::DecodeGifFrames(
      bytes, 3,
      [&](int index, const image::ImageBuffer& frame) {
        seen.push_back(index);
        sameThread = sameThread && std::this_thread::get_id() == caller;
        EXPECT_EQ(frame.Width(), 24);
        EXPECT_EQ(frame.Height(), 16);
        EXPECT_EQ(frame.BitsPerPixel(), 32);
        return true;
      },
      &error, &count));
  EXPECT_EQ(error, ImageError::None);
  EXPECT_EQ(count, 12);
  EXPECT_TRUE(sameThread);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(seen[static_cast<std::size_t>(i)], i);
}

TEST(GifStream, SinkReturningFalseStopsEarly) {
  const auto bytes = MakeAnimation(30);
  for (int threads : {0, 2}) {
    int calls = 0;
    int count = 0;
    EXPECT_TRUE(image::DecodeGifFrames(
        bytes, threads,
        [&](int index, const image::ImageBuffer&) {
          ++calls;
          return index < 4;
        },
        nullptr, &count));
    EXPECT_EQ(calls, 5);
    EXPECT_EQ(count, 5);
  }
}

TEST(GifStream, ReadGifInfoCountsFramesWithoutDecoding) {
  image::GifInfo info;
  ASSERT_TRUE(image::ReadGifInfo(MakeAnimation(9), &info));
  EXPECT_EQ(info.width, 24);
  EXPECT_EQ(info.height, 16);
  EXPECT_EQ(info.frameCount, 9);

  image::GifInfo untouched;
  untouched.frameCount = 77;
  ImageError error = ImageError::None;
  const std::vector<uint8_t> bad = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 1, 0, 0, 0, 0};
  EXPECT_FALSE(image::ReadGifInfo(bad, &untouched, &error));
  EXPECT_EQ(error, ImageError::BadDimensions);
  EXPECT_EQ(untouched.frameCount, 77);
}

// A corrupt frame deep in the animation, while workers run ahead of it: the frames before
// it arrive, then the decode fails without hanging.
TEST(GifStream, CorruptFrameAfterManyFramesFailsCleanly) {
  auto bytes = MakeAnimation(20);
  image::GifFile file;
  ASSERT_TRUE(image::ParseGif(bytes, &file, nullptr));
  const image::GifFrame& victim = file.frames[13];
  // First data byte of frame 13: clear code then the highest code of its width.
  bytes[victim.dataOffset + 1] = 0xF0;  // 5-bit codes: 16 (clear), then 0b11111 | ...
  bytes[victim.dataOffset + 2] = 0xFF;
  for (int threads : {0, 1, 4}) {
    int count = 0;
    ImageError error = ImageError::None;
    EXPECT_FALSE(image::DecodeGifFrames(
        bytes, threads, [](int, const image::ImageBuffer&) { return true; }, &error, &count));
    EXPECT_EQ(error, ImageError::Corrupt);
    EXPECT_EQ(count, 13);
  }
}

}  // namespace
