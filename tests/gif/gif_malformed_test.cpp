// Malformed and cut-off files fail cleanly with the right error, or keep their complete
// frames; all of it under AddressSanitizer and UndefinedBehaviorSanitizer.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gif/gif_test_files.h"
#include "image/gif/gif_stream_decoder.h"
#include "image/gif_codec.h"
#include "image/image_sequence.h"

namespace {

using image::ImageError;

struct MalformedCase {
  const char* name;
  ImageError error;
};

// Files of tests/data/malformed/gif (made by scripts/make-test-gifs.py).
const MalformedCase kMalformed[] = {
    {"bad_signature", ImageError::BadSignature},
    {"not_gif", ImageError::BadSignature},
    {"only_signature", ImageError::Truncated},
    {"zero_width", ImageError::BadDimensions},
    {"zero_height", ImageError::BadDimensions},
    {"huge_screen", ImageError::TooLarge},
    {"huge_frame", ImageError::TooLarge},
    {"min_code_size_0", ImageError::Corrupt},
    {"min_code_size_9", ImageError::Corrupt},
    {"min_code_size_12", ImageError::Corrupt},
    {"code_out_of_range", ImageError::Corrupt},
    {"code_undefined_first", ImageError::Corrupt},
    {"code_out_of_range_second_frame", ImageError::Corrupt},
    {"trailer_only", ImageError::NoFrames},
    {"unknown_block", ImageError::Corrupt},
    {"cut_in_global_table", ImageError::Truncated},
    {"cut_in_descriptor", ImageError::Truncated},
    {"cut_in_lzw_data", ImageError::Truncated},
    {"cut_before_terminator", ImageError::Truncated},
};

class GifMalformedTest : public testing::TestWithParam<MalformedCase> {};

TEST_P(GifMalformedTest, LoadFailsWithErrorAndLeavesFramesAlone) {
  const auto bytes = gif_test::ReadData(std::string("malformed/gif/") + GetParam().name + ".gif");
  ASSERT_FALSE(bytes.empty());
  image::ImageSequence frames;
  frames.Append(std::make_unique<image::ImageBuffer>());
  image::GifCodec codec;
  EXPECT_FALSE(codec.LoadMemory(bytes, frames));
  EXPECT_EQ(codec.LastError(), GetParam().error) << image::ToString(codec.LastError());
  EXPECT_EQ(frames.Count(), 1);
}

TEST_P(GifMalformedTest, StreamingDecodeFailsWithTheSameError) {
  const auto bytes = gif_test::ReadData(std::string("malformed/gif/") + GetParam().name + ".gif");
  for (int threads : {0, 2}) {
    ImageError error = ImageError::None;
    int count = -1;
    EXPECT_FALSE(image::DecodeGifFrames(
        bytes, threads, [](int, const image::ImageBuffer&) { return true; }, &error, &count));
    EXPECT_EQ(error, GetParam().error) << threads;
    // Only the file with a bad second frame delivers a frame before failing.
    EXPECT_EQ(count, std::string(GetParam().name) == "code_out_of_range_second_frame" ? 1 : 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Files, GifMalformedTest, testing::ValuesIn(kMalformed),
                         [](const testing::TestParamInfo<MalformedCase>& param) {
                           return std::string(param.param.name);
                         });

// Prefixes of a valid file either fail with a cut-off error or yield a leading run of the
// whole file's frames, pixel for pixel. Every prefix up to `denseUpTo` bytes, then every
// `stride`-th one (only to keep the sanitizer build quick).
void CheckPrefixes(const std::string& name, std::size_t denseUpTo, std::size_t stride) {
  const auto bytes = gif_test::ReadData("gif/" + name);
  ASSERT_FALSE(bytes.empty());
  const auto whole = gif_test::DecodeAll(bytes, 0);
  for (std::size_t size = 0; size < bytes.size(); size += size < denseUpTo ? 1 : stride) {
    const std::vector<uint8_t> prefix(bytes.begin(),
                                      bytes.begin() + static_cast<std::ptrdiff_t>(size));
    ImageError error = ImageError::None;
    int count = 0;
    std::vector<std::vector<uint8_t>> frames;
    const bool ok = image::DecodeGifFrames(
        prefix, 0,
        [&](int, const image::ImageBuffer& frame) {
          frames.push_back(gif_test::ToRgba(frame));
          return true;
        },
        &error, &count);
    if (!ok) {
      ASSERT_EQ(error, ImageError::Truncated) << "prefix " << size;
      continue;
    }
    ASSERT_LE(frames.size(), whole.size()) << "prefix " << size;
    for (std::size_t i = 0; i < frames.size(); ++i) {
      ASSERT_EQ(frames[i], whole[i]) << "prefix " << size << " frame " << i;
    }
  }
}

TEST(GifMalformed, PrefixesOfAnAnimationFailCleanlyOrKeepCompleteFrames) {
  CheckPrefixes("photo.gif", 1200, 5);
  CheckPrefixes("disposal_previous.gif", SIZE_MAX, 1);
  CheckPrefixes("interlaced.gif", SIZE_MAX, 1);
}

TEST(GifMalformed, RefusesAnimationsTooLargeToHoldInMemory) {
  // A 16384 x 16384 screen with five 1 x 1 frames would decode to 5 GiB.
  std::vector<uint8_t> bytes = {'G',  'I', 'F', '8', '9', 'a', 0x00, 0x40, 0x00, 0x40,
                                0x80, 0,   0,   0,   0,   0,   255,  255,  255};
  const std::vector<uint8_t> frame = {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0};
  for (int i = 0; i < 5; ++i) bytes.insert(bytes.end(), frame.begin(), frame.end());
  bytes.push_back(0x3B);
  image::GifInfo info;
  ASSERT_TRUE(image::ReadGifInfo(bytes, &info));
  EXPECT_EQ(info.frameCount, 5);
  image::GifCodec codec;
  image::ImageSequence frames;
  EXPECT_FALSE(codec.LoadMemory(bytes, frames));
  EXPECT_EQ(codec.LastError(), ImageError::TooLarge);
}

}  // namespace
