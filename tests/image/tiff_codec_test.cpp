#include "image/tiff_codec.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "image/image_buffer.h"
#include "image/image_sequence.h"
#include "image/pixel_rows.h"
#include "image_test_util.h"

namespace image {
namespace {

// Files written by another encoder (Pillow).
// Two pages of 2 x 2 RGB: (1,2,3) (4,5,6) / (7,8,9) (10,11,12), then all (200,100,50).
const char* const kTwoPages =
    "49 49 2A 00 08 00 00 00 0A 00 00 01 04 00 01 00 00 00 02 00 00 00 01 01 04 00 01 00 00 00 "
    "02 00 00 00 02 01 03 00 03 00 00 00 86 00 00 00 03 01 03 00 01 00 00 00 01 00 00 00 06 01 "
    "03 00 01 00 00 00 02 00 00 00 11 01 04 00 01 00 00 00 8C 00 00 00 15 01 03 00 01 00 00 00 "
    "03 00 00 00 16 01 04 00 01 00 00 00 02 00 00 00 17 01 04 00 01 00 00 00 0C 00 00 00 1C 01 "
    "03 00 01 00 00 00 01 00 00 00 A8 00 00 00 08 00 08 00 08 00 01 02 03 04 05 06 07 08 09 0A "
    "0B 0C 00 00 00 00 00 00 00 00 49 49 2A 00 08 00 00 00 0A 00 00 01 04 00 01 00 00 00 02 00 "
    "00 00 01 01 04 00 01 00 00 00 02 00 00 00 02 01 03 00 03 00 00 00 26 01 00 00 03 01 03 00 "
    "01 00 00 00 01 00 00 00 06 01 03 00 01 00 00 00 02 00 00 00 11 01 04 00 01 00 00 00 2C 01 "
    "00 00 15 01 03 00 01 00 00 00 03 00 00 00 16 01 04 00 01 00 00 00 02 00 00 00 17 01 04 00 "
    "01 00 00 00 0C 00 00 00 1C 01 03 00 01 00 00 00 01 00 00 00 00 00 00 00 08 00 08 00 08 00 "
    "C8 64 32 C8 64 32 C8 64 32 C8 64 32 00 00 00 00 00 00 00 00";
// 2 x 2 grey, 8 bits: 0, 85 / 170, 255 (read through the RGBA path).
const char* const kGrey2x2 =
    "49 49 2A 00 08 00 00 00 09 00 00 01 04 00 01 00 00 00 02 00 00 00 01 01 04 00 01 00 00 00 "
    "02 00 00 00 02 01 03 00 01 00 00 00 08 00 00 00 03 01 03 00 01 00 00 00 01 00 00 00 06 01 "
    "03 00 01 00 00 00 01 00 00 00 11 01 04 00 01 00 00 00 7A 00 00 00 16 01 04 00 01 00 00 00 "
    "02 00 00 00 17 01 04 00 01 00 00 00 04 00 00 00 1C 01 03 00 01 00 00 00 01 00 00 00 00 00 "
    "00 00 00 55 AA FF";
// 2 x 1 RGBA with unassociated alpha: red opaque, blue at alpha 64.
const char* const kRgba2x1 =
    "49 49 2A 00 08 00 00 00 0B 00 00 01 04 00 01 00 00 00 02 00 00 00 01 01 04 00 01 00 00 00 "
    "01 00 00 00 02 01 03 00 04 00 00 00 92 00 00 00 03 01 03 00 01 00 00 00 01 00 00 00 06 01 "
    "03 00 01 00 00 00 02 00 00 00 11 01 04 00 01 00 00 00 9A 00 00 00 15 01 03 00 01 00 00 00 "
    "04 00 00 00 16 01 04 00 01 00 00 00 01 00 00 00 17 01 04 00 01 00 00 00 08 00 00 00 1C 01 "
    "03 00 01 00 00 00 01 00 00 00 52 01 03 00 01 00 00 00 02 00 00 00 00 00 00 00 08 00 08 00 "
    "08 00 08 00 FF 00 00 FF 00 00 FF 40";

std::vector<uint8_t> Pixel(const ImageBuffer& picture, int x, int y) {
  const uint8_t* at = picture.PixelAddress(x, y);
  return {at, at + picture.BitsPerPixel() / 8};
}

TEST(TiffCodecTest, DecodesEveryPageOfAnotherEncodersFile) {
  TiffCodec codec;
  ImageSequence frames;
  ASSERT_TRUE(codec.LoadMemory(test::Hex(kTwoPages), frames)) << ToString(codec.LastError());
  ASSERT_EQ(frames.Count(), 2);
  const ImageBuffer& first = *frames.At(0);
  ASSERT_EQ(first.BitsPerPixel(), 24);
  EXPECT_EQ(Pixel(first, 0, 0), (std::vector<uint8_t>{3, 2, 1}));
  EXPECT_EQ(Pixel(first, 1, 0), (std::vector<uint8_t>{6, 5, 4}));
  EXPECT_EQ(Pixel(first, 0, 1), (std::vector<uint8_t>{9, 8, 7}));
  EXPECT_EQ(Pixel(first, 1, 1), (std::vector<uint8_t>{12, 11, 10}));
  EXPECT_EQ(Pixel(*frames.At(1), 1, 1), (std::vector<uint8_t>{50, 100, 200}));
}

TEST(TiffCodecTest, DecodesGreyThroughTheRgbaReaderAndKeepsUnassociatedAlpha) {
  TiffCodec codec;
  ImageSequence frames;
  ASSERT_TRUE(codec.LoadMemory(test::Hex(kGrey2x2), frames)) << ToString(codec.LastError());
  ASSERT_EQ(frames.Count(), 1);
  ASSERT_EQ(frames.At(0)->BitsPerPixel(), 24);
  EXPECT_EQ(Pixel(*frames.At(0), 1, 0), (std::vector<uint8_t>{85, 85, 85}));
  EXPECT_EQ(Pixel(*frames.At(0), 0, 1), (std::vector<uint8_t>{170, 170, 170}));

  ASSERT_TRUE(codec.LoadMemory(test::Hex(kRgba2x1), frames)) << ToString(codec.LastError());
  ASSERT_EQ(frames.Count(), 2);
  ASSERT_EQ(frames.At(1)->BitsPerPixel(), 32);
  EXPECT_EQ(Pixel(*frames.At(1), 0, 0), (std::vector<uint8_t>{0, 0, 255, 255}));
  EXPECT_EQ(Pixel(*frames.At(1), 1, 0), (std::vector<uint8_t>{255, 0, 0, 64}));
}

std::vector<uint8_t> AsBgra(const ImageBuffer& picture) {
  std::vector<uint8_t> pixels(static_cast<std::size_t>(picture.Width()) * 4);
  std::vector<uint8_t> all;
  const RowConverter rows(picture);
  for (int y = 0; y < picture.Height(); ++y) {
    rows.ToBgra(y, pixels.data());
    all.insert(all.end(), pixels.begin(), pixels.end());
  }
  return all;
}

TEST(TiffCodecTest, RoundTripsEveryDepthAtWidthsThatExercisePadding) {
  for (int width : {1, 3, 4}) {
    for (int depth : {1, 4, 8, 16, 24, 32}) {
      SCOPED_TRACE(testing::Message() << "width " << width << ", depth " << depth);
      ImageBuffer picture;
      if (depth == 16) {
        BitmapInfoHeader header;
        header.biWidth = width;
        header.biHeight = 3;
        header.biBitCount = 16;
        ASSERT_TRUE(picture.CreateFromHeader(header));  // 5-5-5
      } else {
        ASSERT_TRUE(picture.Create(width, 3, depth));
      }
      test::FillPattern(picture, static_cast<uint8_t>(width * depth));
      if (depth <= 8) {
        std::array<RgbQuad, 256> palette{};
        for (std::size_t i = 0; i < palette.size(); ++i) {
          palette[i] = RgbQuad{static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 3),
                               static_cast<uint8_t>(i), 0};
        }
        ASSERT_TRUE(picture.SetPalette(0, 256, palette.data()));
      }
      TiffCodec codec;
      std::vector<uint8_t> tiff;
      ASSERT_TRUE(codec.SaveMemory({&picture}, ImageOptions{}, tiff));
      ImageSequence frames;
      ASSERT_TRUE(codec.LoadMemory(tiff, frames)) << ToString(codec.LastError());
      ASSERT_EQ(frames.Count(), 1);
      const ImageBuffer& decoded = *frames.At(0);
      ASSERT_EQ(decoded.Width(), width);
      ASSERT_EQ(decoded.Height(), 3);
      EXPECT_EQ(decoded.BitsPerPixel(), depth == 32 ? 32 : 24);
      EXPECT_EQ(AsBgra(decoded), AsBgra(picture));
    }
  }
}

TEST(TiffCodecTest, EncodingIsRepeatableAndFileSaveUsesTheExtension) {
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(7, 5, 24));
  test::FillPattern(picture);
  TiffCodec codec;
  std::vector<uint8_t> first;
  std::vector<uint8_t> second;
  ASSERT_TRUE(codec.SaveMemory({&picture}, ImageOptions{}, first));
  ASSERT_TRUE(codec.SaveMemory({&picture}, ImageOptions{}, second));
  EXPECT_TRUE(test::SameBytes(second, first));

  test::TempDir dir;
  ASSERT_TRUE(picture.Save(dir.File("page.Tif"), -1));
  EXPECT_TRUE(test::SameBytes(test::ReadFile(dir.File("page.Tif")), first));
}

TEST(TiffCodecTest, MalformedFilesFailWithTheirError) {
  const std::vector<uint8_t> good = test::Hex(kGrey2x2);
  auto withByte = [&](std::size_t offset, uint8_t value) {
    std::vector<uint8_t> bytes = good;
    bytes[offset] = value;
    return bytes;
  };
  struct Row {
    const char* name;
    std::vector<uint8_t> bytes;
    ImageError error;
  };
  const Row rows[] = {
      {"three bytes", test::Hex("49 49 2A"), ImageError::Truncated},
      {"wrong signature", withByte(2, 0x2C), ImageError::BadSignature},
      {"header only", test::Hex("49 49 2A 00 08 00 00 00"), ImageError::Corrupt},
      {"directory past the end", withByte(4, 0xF0), ImageError::Corrupt},
      // The first entry is the width: its value sits at offset 18. libtiff refuses a
      // directory without width itself.
      {"zero width", withByte(18, 0x00), ImageError::Corrupt},
      {"width 16385",
       [&] {
         std::vector<uint8_t> bytes = good;
         bytes[18] = 0x01;
         bytes[19] = 0x40;
         return bytes;
       }(),
       ImageError::TooLarge},
      // Bits per sample (value at offset 42) of 3 is not a layout libtiff can read.
      {"three bits per sample", withByte(42, 3), ImageError::UnsupportedDepth},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TiffCodec codec;
    ImageSequence frames;
    frames.Append(std::make_unique<ImageBuffer>());
    EXPECT_FALSE(codec.LoadMemory(row.bytes, frames));
    EXPECT_EQ(codec.LastError(), row.error) << ToString(codec.LastError());
    EXPECT_EQ(frames.Count(), 1);
  }
}

}  // namespace
}  // namespace image
