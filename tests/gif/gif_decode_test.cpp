// Decoding GIF files into coalesced full-canvas frames: the test files against their expected
// frames and giflib, and the streaming decoder's order, early stop and thread-count independence on
// an animation longer than its look-ahead window.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "common/test_gif.h"
#include "gif/gif_test_files.h"
#include "image/gif/gif_parser.h"
#include "image/gif/gif_stream_decoder.h"
#include "image/gif_codec.h"
#include "image/image_sequence.h"

namespace {

using image::ImageError;

class GifFileTest : public testing::TestWithParam<gif_test::TestFile> {};

// The expected frames, alike for any thread count; and our LZW indices equal giflib's, except
// in short_stream.gif, whose early end code giflib reports as an error.
TEST_P(GifFileTest, FramesMatchTheExpectedFramesAndIndicesMatchGiflib) {
  const gif_test::TestFile& file = GetParam();
  const auto bytes = gif_test::readData(std::string("gif/") + file.name + ".gif");
  const auto expected = gif_test::readData(std::string("gif/") + file.name + ".rgba");
  const std::size_t frameBytes = static_cast<std::size_t>(file.width * file.height * 4);
  ASSERT_EQ(expected.size(), frameBytes * static_cast<std::size_t>(file.frames));

  image::GifCodec codec;
  image::ImageSequence frames;
  ASSERT_TRUE(codec.LoadMemory(bytes, frames));
  ASSERT_EQ(frames.Count(), file.frames);
  std::vector<std::vector<uint8_t>> rgba;
  for (int i = 0; i < file.frames; ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    ASSERT_EQ(frames.At(i)->BitsPerPixel(), 32);
    rgba.push_back(gif_test::toRgba(*frames.At(i)));
    EXPECT_TRUE(gif_test::samePixels(
        rgba.back(),
        std::span(expected).subspan(frameBytes * static_cast<std::size_t>(i), frameBytes),
        file.width));
  }
  EXPECT_TRUE(gif_test::decodeAll(bytes, 1) == rgba);
  EXPECT_TRUE(gif_test::decodeAll(bytes, 4) == rgba);
  if (std::string(file.name) != "short_stream") gif_test::expectSameIndicesAsGiflib(bytes);
}

INSTANTIATE_TEST_SUITE_P(Files, GifFileTest, testing::ValuesIn(gif_test::kFiles),
                         gif_test::fileName);

// A file cut inside its third frame keeps the two complete frames of photo.gif.
TEST(GifDecode, TruncatedFileKeepsCompleteFrames) {
  const auto expected = gif_test::readData("gif/photo.rgba");
  image::GifCodec codec;
  image::ImageSequence frames;
  ASSERT_TRUE(codec.LoadMemory(gif_test::readData("gif/truncated.gif"), frames));
  ASSERT_EQ(frames.Count(), 2);
  const std::size_t frameBytes = 61 * 47 * 4;
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(gif_test::samePixels(
        gif_test::toRgba(*frames.At(i)),
        std::span(expected).subspan(frameBytes * static_cast<std::size_t>(i), frameBytes), 61));
  }
}

// A frame reaching past the right edge from a left offset is cut at the edge: exactly its first
// two columns show, and nothing spills into the rows above it (stored after it in memory).
TEST(GifDecode, AFrameCrossingTheRightEdgeIsCutAtTheEdge) {
  const std::vector<uint8_t> bytes = testutil::makeGif(
      6, 4, {testutil::filledFrame(6, 4, 1), {4, 2, 4, 2, {10, 11, 12, 13, 20, 21, 22, 23}}});
  const auto frames = gif_test::decodeAll(bytes, 0);
  ASSERT_EQ(frames.size(), 2u);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) {
      const int index = x < 4 || y < 2 ? 1 : 10 * (y - 1) + x - 4;
      const std::array<uint8_t, 3> colour = testutil::testPaletteColour(index);
      const std::ptrdiff_t at = 4 * (6 * y + x);
      EXPECT_EQ((std::vector<uint8_t>(frames[1].begin() + at, frames[1].begin() + at + 3)),
                (std::vector<uint8_t>(colour.begin(), colour.end())))
          << "pixel " << x << "," << y;
    }
  }
}

// offsets.gif (frames moved about, partly and wholly off the screen, restored to the
// background) with its frames repeated `times` times: longer than any look-ahead window, so the
// decoder's ring of buffers wraps many times.
std::vector<uint8_t> longAnimation(int times) {
  const auto bytes = gif_test::readData("gif/offsets.gif");
  image::GifFile file;
  EXPECT_TRUE(image::parseGif(bytes, &file));
  const uint8_t control[] = {0x21, 0xF9, 0x04};  // the first frame's graphic control extension
  const auto first = std::search(
      bytes.begin() + static_cast<std::ptrdiff_t>(file.paletteOffset) + 3 * file.paletteSize,
      bytes.end(), control, control + 3);
  std::vector<uint8_t> out(bytes.begin(), first);
  for (int i = 0; i < times; ++i) out.insert(out.end(), first, bytes.end() - 1);
  out.push_back(0x3B);
  return out;
}

TEST(GifStream, FramesArriveInOrderOnTheCallingThreadAlikeForAnyThreadCountUntilTheSinkStops) {
  const auto bytes = longAnimation(7);
  const auto reference = gif_test::decodeAll(bytes, 0);
  ASSERT_EQ(reference.size(), 42u);
  const std::thread::id caller = std::this_thread::get_id();
  for (int threads : {0, 1, 2, 3, 8}) {
    SCOPED_TRACE(std::to_string(threads) + " threads");
    std::vector<std::vector<uint8_t>> frames;
    int count = 0;
    ASSERT_TRUE(image::decodeGifFrames(
        bytes, threads,
        [&](int index, const image::ImageBuffer& frame) {
          EXPECT_EQ(index, static_cast<int>(frames.size()));
          EXPECT_EQ(std::this_thread::get_id(), caller);
          frames.push_back(gif_test::toRgba(frame));
          return true;
        },
        &count));
    EXPECT_EQ(count, 42);
    EXPECT_TRUE(frames == reference);

    int calls = 0;  // a sink returning false stops the decode after that frame
    EXPECT_TRUE(image::decodeGifFrames(
        bytes, threads,
        [&](int index, const image::ImageBuffer&) {
          ++calls;
          return index < 4;
        },
        &count));
    EXPECT_EQ(calls, 5);
    EXPECT_EQ(count, 5);
  }

  image::GifInfo info;
  ASSERT_TRUE(image::readGifInfo(bytes, &info));
  EXPECT_EQ(info.width, 4);
  EXPECT_EQ(info.height, 3);
  EXPECT_EQ(info.frameCount, 42);
}

// A corrupt frame deep in the animation, while workers run ahead of it: the frames before it
// arrive, then the decode fails without hanging.
TEST(GifStream, CorruptFrameAfterManyFramesFailsCleanly) {
  auto bytes = longAnimation(4);
  image::GifFile file;
  ASSERT_TRUE(image::parseGif(bytes, &file));
  ASSERT_EQ(file.frames[13].minCodeSize, 2);
  bytes[file.frames[13].dataOffset + 1] = 0xFF;  // first code 7: beyond the next entry, 6
  for (int threads : {0, 1, 4}) {
    ImageError error = ImageError::None;
    EXPECT_EQ(gif_test::decodeAll(bytes, threads, &error).size(), 13u);
    EXPECT_EQ(error, ImageError::Corrupt);
  }
}

}  // namespace
