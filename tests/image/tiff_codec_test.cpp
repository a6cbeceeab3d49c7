#include "image/tiff_codec.h"

#include <gtest/gtest.h>

#include "image_test_util.h"

namespace image {
namespace {

using Bytes = std::vector<uint8_t>;

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

TEST(TiffCodecTest, DecodesEveryPageGreyAndUnassociatedAlphaOfAnotherEncoder) {
  TiffCodec codec;
  ImageSequence frames;
  ASSERT_TRUE(codec.LoadMemory(test::hex(kTwoPages), frames));
  ASSERT_EQ(frames.Count(), 2);
  ASSERT_EQ(frames.At(0)->BitsPerPixel(), 24);
  EXPECT_TRUE(test::sameBytes(test::rowBytes(*frames.At(0), 0), test::hex("03 02 01 06 05 04")));
  EXPECT_TRUE(test::sameBytes(test::rowBytes(*frames.At(0), 1), test::hex("09 08 07 0C 0B 0A")));
  EXPECT_EQ(test::pixel(*frames.At(1), 1, 1), (Bytes{50, 100, 200}));

  const ImageBuffer grey = test::decodeOne(codec, test::hex(kGrey2x2));
  ASSERT_EQ(grey.BitsPerPixel(), 24);
  EXPECT_TRUE(test::sameBytes(test::rowBytes(grey, 0), test::hex("00 00 00 55 55 55")));
  EXPECT_TRUE(test::sameBytes(test::rowBytes(grey, 1), test::hex("AA AA AA FF FF FF")));

  const ImageBuffer rgba = test::decodeOne(codec, test::hex(kRgba2x1));
  ASSERT_EQ(rgba.BitsPerPixel(), 32);
  EXPECT_TRUE(test::sameBytes(test::rowBytes(rgba, 0), test::hex("00 00 FF FF  FF 00 00 40")));
}

TEST(TiffCodecTest, RoundTripsEveryDepthAtWidthsOneThreeAndFour) {
  for (int depth : {1, 4, 8, 16, 24, 32}) {
    for (int width : {1, 3, 4}) {
      SCOPED_TRACE(testing::Message() << "depth " << depth << ", width " << width);
      TiffCodec codec;
      test::expectSameColoursAfterRoundTrip(
          codec, test::makePicture(width, 3, depth, static_cast<uint8_t>(width * depth)));
    }
  }
  // Encoding is repeatable, and Save through the extension replaces a file with the same bytes.
  test::TempDir dir;
  testutil::writeFile(dir.file("page.Tif"), test::Bytes{1, 2, 3});
  const ImageBuffer picture = test::makePicture(7, 5, 24);
  TiffCodec codec;
  ASSERT_TRUE(picture.Save(dir.file("page.Tif"), -1));
  EXPECT_TRUE(test::sameBytes(test::readFile(dir.file("page.Tif")), test::encode(codec, picture)));
  EXPECT_EQ(dir.entries().size(), 1U);
}

TEST(TiffCodecTest, MalformedFilesFailWithTheirError) {
  const Bytes good = test::hex(kGrey2x2);
  using test::withByte;
  TiffCodec codec;
  test::expectEachFails(
      codec, {{"three bytes", test::hex("49 49 2A"), ImageError::Truncated},
              {"wrong signature", withByte(good, 2, 0x2C), ImageError::BadSignature},
              {"header only", test::hex("49 49 2A 00 08 00 00 00"), ImageError::Corrupt},
              {"directory past the end", withByte(good, 4, 0xF0), ImageError::Corrupt},
              // The first entry is the width: its value sits at offset 18. libtiff refuses a
              // directory without width itself.
              {"zero width", withByte(good, 18, 0x00), ImageError::Corrupt},
              {"width 16385", withByte(withByte(good, 18, 0x01), 19, 0x40), ImageError::TooLarge},
              // Bits per sample (value at offset 42) of 3 is not a layout libtiff can read.
              {"three bits per sample", withByte(good, 42, 3), ImageError::UnsupportedDepth}});
}

}  // namespace
}  // namespace image
