// The container parser: fields of the test files and of hand-written byte strings.
#include "image/gif/gif_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gif/gif_test_files.h"

namespace {

using image::GifDisposal;
using image::GifFile;
using image::ImageError;

GifFile Parse(const std::vector<uint8_t>& bytes) {
  GifFile file;
  ImageError error = ImageError::None;
  EXPECT_TRUE(image::ParseGif(bytes, &file, &error)) << image::ToString(error);
  return file;
}

std::vector<uint8_t> Join(const std::vector<std::vector<uint8_t>>& parts) {
  std::vector<uint8_t> out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// A 2 x 1 screen with a 2-entry global table (black, white).
const std::vector<uint8_t> kScreen = {'G',  'I', 'F', '8', '9', 'a', 2,   0,   1,  0,
                                      0x80, 0,   0,   0,   0,   0,   255, 255, 255};
// Image descriptor 2 x 1 at (0, 0) and LZW data for pixels 0, 1: clear, 0, 1, end in
// 3-bit codes.
const std::vector<uint8_t> kImage = {0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0, 2, 2, 0x44, 0x0A, 0};
const std::vector<uint8_t> kTrailer = {0x3B};

std::vector<uint8_t> Control(uint8_t packed, uint8_t delayLow, uint8_t delayHigh,
                             uint8_t transparent) {
  return {0x21, 0xF9, 4, packed, delayLow, delayHigh, transparent, 0};
}

TEST(GifParser, ReadsScreenAndFrameFieldsOfTestFiles) {
  const GifFile offsets = Parse(gif_test::ReadData("gif/offsets.gif"));
  EXPECT_EQ(offsets.width, 4);
  EXPECT_EQ(offsets.height, 3);
  EXPECT_EQ(offsets.paletteSize, 4);
  EXPECT_FALSE(offsets.truncated);
  ASSERT_EQ(offsets.frames.size(), 6u);
  EXPECT_EQ(offsets.frames[1].left, 2);
  EXPECT_EQ(offsets.frames[1].top, 1);
  EXPECT_EQ(offsets.frames[1].width, 4);
  EXPECT_EQ(offsets.frames[1].height, 4);
  EXPECT_EQ(offsets.frames[2].left, 10);
  EXPECT_EQ(offsets.frames[2].top, 20);
  EXPECT_EQ(offsets.frames[4].disposal, GifDisposal::Background);
  EXPECT_EQ(offsets.frames[0].delayCentiseconds, 10);

  const GifFile previous = Parse(gif_test::ReadData("gif/disposal_previous.gif"));
  ASSERT_EQ(previous.frames.size(), 5u);
  EXPECT_EQ(previous.frames[0].disposal, GifDisposal::Previous);
  EXPECT_EQ(previous.frames[1].disposal, GifDisposal::Keep);

  const GifFile local = Parse(gif_test::ReadData("gif/local_only.gif"));
  EXPECT_EQ(local.paletteSize, 0);
  ASSERT_EQ(local.frames.size(), 2u);
  EXPECT_EQ(local.frames[0].paletteSize, 2);

  const GifFile interlaced = Parse(gif_test::ReadData("gif/interlaced.gif"));
  EXPECT_TRUE(interlaced.frames[0].interlaced);

  const GifFile transparency = Parse(gif_test::ReadData("gif/transparency.gif"));
  EXPECT_EQ(transparency.frames[0].transparentIndex, 3);
  EXPECT_EQ(transparency.frames[1].transparentIndex, 0);

  const GifFile range = Parse(gif_test::ReadData("gif/index_out_of_range.gif"));
  EXPECT_EQ(range.frames[1].minCodeSize, 3);
}

TEST(GifParser, GraphicControlAppliesToTheNextImageOnly) {
  const GifFile file =
      Parse(Join({kScreen, Control(0x09, 0x02, 0x01, 1), kImage, kImage, kTrailer}));
  ASSERT_EQ(file.frames.size(), 2u);
  EXPECT_EQ(file.frames[0].disposal, GifDisposal::Background);
  EXPECT_EQ(file.frames[0].transparentIndex, 1);
  EXPECT_EQ(file.frames[0].delayCentiseconds, 258);
  EXPECT_EQ(file.frames[1].disposal, GifDisposal::Keep);
  EXPECT_EQ(file.frames[1].transparentIndex, -1);
  EXPECT_EQ(file.frames[1].delayCentiseconds, 0);
}

TEST(GifParser, TransparentIndexNeedsItsFlag) {
  const GifFile file = Parse(Join({kScreen, Control(0x04, 0, 0, 1), kImage, kTrailer}));
  EXPECT_EQ(file.frames[0].transparentIndex, -1);
  EXPECT_EQ(file.frames[0].disposal, GifDisposal::Keep);
}

TEST(GifParser, ReservedDisposalValuesKeepTheCanvas) {
  for (uint8_t method = 4; method < 8; ++method) {
    const auto bytes =
        Join({kScreen, Control(static_cast<uint8_t>(method << 2), 0, 0, 0), kImage, kTrailer});
    EXPECT_EQ(Parse(bytes).frames[0].disposal, GifDisposal::Keep) << int{method};
  }
}

TEST(GifParser, SkipsOtherExtensionsAndShortControlBlocks) {
  const std::vector<uint8_t> comment = {0x21, 0xFE, 3, 'a', 'b', 'c', 2, 'd', 'e', 0};
  const std::vector<uint8_t> shortControl = {0x21, 0xF9, 2, 0x09, 0x05, 0};
  const GifFile file = Parse(Join({kScreen, comment, shortControl, kImage, kTrailer}));
  ASSERT_EQ(file.frames.size(), 1u);
  EXPECT_EQ(file.frames[0].disposal, GifDisposal::Keep);
  EXPECT_EQ(file.frames[0].dataSize, 2u);
}

TEST(GifParser, MissingTrailerKeepsFramesAndSaysTruncated) {
  const GifFile file = Parse(Join({kScreen, kImage, kImage}));
  EXPECT_EQ(file.frames.size(), 2u);
  EXPECT_TRUE(file.truncated);
}

TEST(GifParser, UnknownBlockAfterFramesEndsTheFile) {
  const GifFile file = Parse(Join({kScreen, kImage, {0x99}, kImage, kTrailer}));
  EXPECT_EQ(file.frames.size(), 1u);
}

TEST(GifParser, AcceptsBothVersionsAndSixteenThousandPixelSides) {
  auto bytes = Join({kScreen, kImage, kTrailer});
  bytes[4] = '7';
  bytes[6] = 0x00;
  bytes[7] = 0x40;  // width 16384
  const GifFile file = Parse(bytes);
  EXPECT_EQ(file.width, 16384);
}

TEST(GifParser, FailureLeavesTheFileUnchanged) {
  GifFile file;
  file.width = 7;
  ImageError error = ImageError::None;
  const auto bytes = Join({kScreen, kTrailer});
  EXPECT_FALSE(image::ParseGif(bytes, &file, &error));
  EXPECT_EQ(error, ImageError::NoFrames);
  EXPECT_EQ(file.width, 7);
  EXPECT_FALSE(image::ParseGif({}, &file, nullptr));
}

TEST(GifParser, CutSignatureIsTruncatedAndWrongSignatureIsBad) {
  GifFile file;
  ImageError error = ImageError::None;
  const std::vector<uint8_t> cut = {'G', 'I', 'F', '8'};
  EXPECT_FALSE(image::ParseGif(cut, &file, &error));
  EXPECT_EQ(error, ImageError::Truncated);
  const std::vector<uint8_t> wrong = {'G', 'I', 'X'};
  EXPECT_FALSE(image::ParseGif(wrong, &file, &error));
  EXPECT_EQ(error, ImageError::BadSignature);
}

}  // namespace
