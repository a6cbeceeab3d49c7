// Decoding the files of tests/data/gif into coalesced frames, compared with the frames
// written next to them (hand-typed pixel grids, or Pillow's frames for the larger files).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gif/gif_test_files.h"
#include "image/gif_codec.h"
#include "image/image_codec_factory.h"
#include "image/image_sequence.h"

namespace {

struct DecodeCase {
  const char* name;
  int width;
  int height;
  int frames;
};

// Screen sizes and frame counts as scripts/make-test-gifs.py writes them.
const DecodeCase kCases[] = {
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
    {"two_colours", 33, 17, 1},
};

class GifDecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(GifDecodeTest, CodecFramesMatchExpectedFrames) {
  const DecodeCase& c = GetParam();
  const std::vector<uint8_t> bytes = gif_test::ReadData(std::string("gif/") + c.name + ".gif");
  const std::vector<uint8_t> expected = gif_test::ReadData(std::string("gif/") + c.name + ".rgba");
  const std::size_t frameBytes = static_cast<std::size_t>(c.width * c.height * 4);
  ASSERT_FALSE(bytes.empty());
  ASSERT_EQ(expected.size(), frameBytes * static_cast<std::size_t>(c.frames));

  image::GifCodec codec;
  image::ImageSequence frames;
  ASSERT_TRUE(codec.LoadMemory(bytes, frames)) << image::ToString(codec.LastError());
  ASSERT_EQ(frames.Count(), c.frames);
  for (int i = 0; i < c.frames; ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    const image::ImageBuffer* frame = frames.At(i);
    ASSERT_EQ(frame->Width(), c.width);
    ASSERT_EQ(frame->Height(), c.height);
    ASSERT_EQ(frame->BitsPerPixel(), 32);
    EXPECT_EQ(gif_test::CompareRgba(gif_test::ToRgba(*frame),
                                    expected.data() + frameBytes * static_cast<std::size_t>(i),
                                    c.width, c.height),
              "");
  }
}

TEST_P(GifDecodeTest, SameFramesForEveryThreadCount) {
  const DecodeCase& c = GetParam();
  const std::vector<uint8_t> bytes = gif_test::ReadData(std::string("gif/") + c.name + ".gif");
  const auto inline_ = gif_test::DecodeAll(bytes, 0);
  ASSERT_EQ(inline_.size(), static_cast<std::size_t>(c.frames));
  EXPECT_EQ(gif_test::DecodeAll(bytes, 1), inline_);
  EXPECT_EQ(gif_test::DecodeAll(bytes, 4), inline_);
}

INSTANTIATE_TEST_SUITE_P(Files, GifDecodeTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<DecodeCase>& param) {
                           return std::string(param.param.name);
                         });

// A file cut inside its third frame keeps the two complete frames, equal to the whole
// file's first two.
TEST(GifDecode, TruncatedFileKeepsCompleteFrames) {
  const auto bytes = gif_test::ReadData("gif/truncated.gif");
  const auto expected = gif_test::ReadData("gif/photo.rgba");
  image::GifCodec codec;
  image::ImageSequence frames;
  ASSERT_TRUE(codec.LoadMemory(bytes, frames));
  ASSERT_EQ(frames.Count(), 2);
  const std::size_t frameBytes = 61 * 47 * 4;
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(
        gif_test::CompareRgba(gif_test::ToRgba(*frames.At(i)),
                              expected.data() + frameBytes * static_cast<std::size_t>(i), 61, 47),
        "");
  }
}

TEST(GifDecode, FactoryLoadsGifFilesAndAppends) {
  const std::string path = std::string(QUORVEX_TEST_DATA_DIR) + "/gif/disposal_keep.gif";
  EXPECT_EQ(image::ImageCodecFactory::Instance().TypeOf("ANIM.GIF"), image::ImageType::Gif);
  ASSERT_NE(image::ImageCodecFactory::Instance().CreateCodec(image::ImageType::Gif), nullptr);
  image::ImageSequence frames;
  ASSERT_TRUE(frames.Load(path));
  ASSERT_TRUE(frames.Load(path));
  EXPECT_EQ(frames.Count(), 6);

  image::ImageBuffer first;
  ASSERT_TRUE(first.LoadFirstFrame(path));
  EXPECT_EQ(first.Width(), 4);
  EXPECT_EQ(first.Height(), 4);
}

}  // namespace
