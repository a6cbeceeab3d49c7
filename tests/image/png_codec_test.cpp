#include "image/png_codec.h"

#include <gtest/gtest.h>

#include "image_test_util.h"

namespace image {
namespace {

using Bytes = std::vector<uint8_t>;

// Files written by another encoder (Pillow), so decoding is checked against an oracle that is
// not our own writer.
// 3 x 1, 1-bit palette (red, blue) with tRNS making entry 0 transparent: indexes 0, 1, 1.
const char* const kPalette1BitTransparent3x1 =
    "89 50 4E 47 0D 0A 1A 0A 00 00 00 0D 49 48 44 52 00 00 00 03 00 00 00 01 01 03 00 00 00 21 "
    "2E 86 F7 00 00 00 06 50 4C 54 45 FF 00 00 00 00 FF 6C A1 FD 8E 00 00 00 01 74 52 4E 53 00 "
    "40 E6 D8 66 00 00 00 0A 49 44 41 54 78 9C 63 48 00 00 00 62 00 61 B1 98 79 F2 00 00 00 00 "
    "49 45 4E 44 AE 42 60 82";
// 2 x 1, 16-bit grey: 0 and 65535.
const char* const kGrey16Bit2x1 =
    "89 50 4E 47 0D 0A 1A 0A 00 00 00 0D 49 48 44 52 00 00 00 02 00 00 00 01 10 00 00 00 00 81 "
    "D9 FC 15 00 00 00 0D 49 44 41 54 78 9C 63 60 60 F8 FF 1F 00 03 02 01 FF E6 77 0B AE 00 00 "
    "00 00 49 45 4E 44 AE 42 60 82";

// Alpha (a transparency chunk counts) decodes to 32 bits, everything else to 24.
TEST(PngCodecTest, DecodesFilesOfAnotherEncoder) {
  PngCodec codec;
  const ImageBuffer rgba = test::decodeOne(codec, test::hex(test::kPngRgba2x2));
  ASSERT_EQ(rgba.BitsPerPixel(), 32);
  ASSERT_EQ(rgba.Width(), 2);
  EXPECT_TRUE(test::sameBytes(test::block(rgba), test::hex("FF 00 00 00  1E 14 0A FF"
                                                           "00 00 FF FF  00 FF 00 80")));
  const ImageBuffer palette = test::decodeOne(codec, test::hex(kPalette1BitTransparent3x1));
  ASSERT_EQ(palette.BitsPerPixel(), 32);
  EXPECT_TRUE(test::sameBytes(test::rowBytes(palette, 0),
                              test::hex("00 00 FF 00  FF 00 00 FF  FF 00 00 FF")));
  const ImageBuffer grey = test::decodeOne(codec, test::hex(kGrey16Bit2x1));
  ASSERT_EQ(grey.BitsPerPixel(), 24);
  EXPECT_TRUE(test::sameBytes(test::rowBytes(grey, 0), test::hex("00 00 00  FF FF FF")));
}

TEST(PngCodecTest, RoundTripsEveryDepthAtWidthsOneThreeAndFour) {
  for (int depth : {1, 4, 8, 16, 24, 32}) {
    for (int width : {1, 3, 4}) {
      SCOPED_TRACE(testing::Message() << "depth " << depth << ", width " << width);
      PngCodec codec;
      const Bytes png = test::expectSameColoursAfterRoundTrip(
          codec, test::makePicture(width, 3, depth, static_cast<uint8_t>(width + depth)));
      // IHDR: bit depth at 24, colour type at 25 (3 palette, 2 RGB, 6 RGBA).
      ASSERT_GT(png.size(), 26U);
      EXPECT_EQ(png[24], depth <= 8 ? depth : 8);
      EXPECT_EQ(png[25], depth <= 8 ? 3 : (depth == 32 ? 6 : 2));
    }
  }
}

TEST(PngCodecTest, MalformedFilesFailWithTheirError) {
  const Bytes good = test::hex(test::kPngRgba2x2);
  using test::withByte;
  PngCodec codec;
  test::expectEachFails(
      codec, {{"wrong signature", withByte(good, 1, 'Q'), ImageError::BadSignature},
              {"signature only", Bytes(good.begin(), good.begin() + 8), ImageError::Truncated},
              {"cut inside IHDR", Bytes(good.begin(), good.begin() + 20), ImageError::Truncated},
              {"first chunk not IHDR", withByte(good, 12, 'J'), ImageError::Corrupt},
              {"zero width", withByte(good, 19, 0), ImageError::BadDimensions},
              {"width 16385", withByte(withByte(withByte(good, 17, 0), 18, 0x40), 19, 1),
               ImageError::TooLarge},
              {"width 2^31", withByte(good, 16, 0x80), ImageError::TooLarge},
              {"damaged IHDR checksum", withByte(good, 29, 0x00), ImageError::Corrupt},
              {"cut inside IDAT", Bytes(good.begin(), good.begin() + 50), ImageError::Truncated},
              {"damaged compressed data", withByte(good, 45, 0xFF), ImageError::Corrupt}});
}

}  // namespace
}  // namespace image
