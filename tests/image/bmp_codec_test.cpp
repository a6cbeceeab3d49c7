#include "image/bmp_codec.h"

#include <gtest/gtest.h>

#include "image_test_util.h"

namespace image {
namespace {

using test::Hex;
using test::SameBytes;

std::vector<uint8_t> Encode(const ImageBuffer& picture) {
  BmpCodec codec;
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(codec.SaveMemory({&picture}, ImageOptions{}, bytes)) << ToString(codec.LastError());
  return bytes;
}

void SetPixel24(ImageBuffer& picture, int x, int y, uint8_t b, uint8_t g, uint8_t r) {
  uint8_t* pixel = picture.PixelAddress(x, y);
  pixel[0] = b;
  pixel[1] = g;
  pixel[2] = r;
}

TEST(BmpCodecTest, TwentyFourBitFileByteForByte) {
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(3, 2, 24));
  SetPixel24(picture, 0, 0, 0x01, 0x02, 0x03);
  SetPixel24(picture, 1, 0, 0x04, 0x05, 0x06);
  SetPixel24(picture, 2, 0, 0x07, 0x08, 0x09);
  SetPixel24(picture, 0, 1, 0x0A, 0x0B, 0x0C);
  SetPixel24(picture, 1, 1, 0x0D, 0x0E, 0x0F);
  SetPixel24(picture, 2, 1, 0x10, 0x11, 0x12);
  const std::vector<uint8_t> expected =
      Hex("42 4D 4E 00 00 00 00 00 00 00 36 00 00 00"        // file header: 78 bytes, pixels at 54
          "28 00 00 00 03 00 00 00 02 00 00 00 01 00 18 00"  // 40-byte header, 3 x 2, 24 bpp
          "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
          "0A 0B 0C 0D 0E 0F 10 11 12 00 00 00"  // bottom row first, padded to 12 bytes
          "01 02 03 04 05 06 07 08 09 00 00 00");
  EXPECT_TRUE(SameBytes(Encode(picture), expected));
}

TEST(BmpCodecTest, EightBitFileCarriesTheWholePalette) {
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(1, 1, 8));
  picture.Pixels()[0] = 0xC8;
  const RgbQuad entry{0x10, 0x20, 0x30, 0x40};
  ASSERT_TRUE(picture.SetPalette(255, 1, &entry));
  const std::vector<uint8_t> bytes = Encode(picture);
  ASSERT_EQ(bytes.size(), 1082u);
  EXPECT_TRUE(
      SameBytes(std::span(bytes).first(54),
                Hex("42 4D 3A 04 00 00 00 00 00 00 36 04 00 00"
                    "28 00 00 00 01 00 00 00 01 00 00 00 01 00 08 00"
                    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00")));
  EXPECT_TRUE(
      SameBytes(std::span(bytes).subspan(54, 12), Hex("00 00 00 00 01 01 01 00 02 02 02 00")));
  EXPECT_TRUE(SameBytes(std::span(bytes).subspan(54 + 4 * 255, 4), Hex("10 20 30 40")));
  EXPECT_TRUE(SameBytes(std::span(bytes).subspan(1078), Hex("C8 00 00 00")));
}

TEST(BmpCodecTest, OneAndFourBitFilesCarryTwoAndSixteenEntries) {
  ImageBuffer mono;
  ASSERT_TRUE(mono.Create(3, 1, 1));
  mono.Pixels()[0] = 0xA0;
  EXPECT_TRUE(SameBytes(Encode(mono), Hex("42 4D 42 00 00 00 00 00 00 00 3E 00 00 00"
                                          "28 00 00 00 03 00 00 00 01 00 00 00 01 00 01 00"
                                          "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
                                          "00 00 00 00 00 00 00 00"
                                          "00 00 00 00 FF FF FF 00"
                                          "A0 00 00 00")));
  ImageBuffer nibble;
  ASSERT_TRUE(nibble.Create(1, 1, 4));
  const std::vector<uint8_t> bytes = Encode(nibble);
  ASSERT_EQ(bytes.size(), 122u);
  EXPECT_TRUE(SameBytes(std::span(bytes).subspan(10, 4), Hex("76 00 00 00")));
  EXPECT_TRUE(SameBytes(std::span(bytes).subspan(54 + 4 * 15, 4), Hex("FF FF FF 00")));
}

TEST(BmpCodecTest, SixteenBitMasksOnlyWithBitfields) {
  const uint32_t masks565[3] = {0xF800, 0x07E0, 0x001F};
  BitmapInfoHeader header;
  header.biWidth = 1;
  header.biHeight = 1;
  header.biBitCount = 16;
  header.biCompression = kBiBitfields;
  ImageBuffer bitfields;
  ASSERT_TRUE(bitfields.CreateFromHeader(header, masks565));
  bitfields.Pixels()[0] = 0x34;
  bitfields.Pixels()[1] = 0x12;
  EXPECT_TRUE(SameBytes(Encode(bitfields), Hex("42 4D 46 00 00 00 00 00 00 00 42 00 00 00"
                                               "28 00 00 00 01 00 00 00 01 00 00 00 01 00 10 00"
                                               "03 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
                                               "00 00 00 00 00 00 00 00"
                                               "00 F8 00 00 E0 07 00 00 1F 00 00 00"
                                               "34 12 00 00")));
  ImageBuffer plain;
  ASSERT_TRUE(plain.Create(1, 1, 16));
  const std::vector<uint8_t> bytes = Encode(plain);
  ASSERT_EQ(bytes.size(), 58u);
  EXPECT_TRUE(SameBytes(std::span(bytes).subspan(10, 4), Hex("36 00 00 00")));
}

TEST(BmpCodecTest, ThirtyTwoBitKeepsAlpha) {
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(1, 1, 32));
  picture.Pixels()[3] = 0x80;
  const std::vector<uint8_t> bytes = Encode(picture);
  ASSERT_EQ(bytes.size(), 58u);
  EXPECT_TRUE(SameBytes(std::span(bytes).subspan(10, 4), Hex("36 00 00 00")));
  EXPECT_TRUE(SameBytes(std::span(bytes).subspan(54), Hex("00 00 00 80")));
}

struct DepthCase {
  const char* name;
  int depth;
  uint32_t compression;
};

TEST(BmpCodecTest, RoundTripEveryDepthAtWidthsOneThreeAndFour) {
  const DepthCase cases[] = {{"1 bpp", 1, 0},         {"4 bpp", 4, 0},         {"8 bpp", 8, 0},
                             {"16 bpp 5-5-5", 16, 0}, {"16 bpp masks", 16, 3}, {"24 bpp", 24, 0},
                             {"32 bpp", 32, 0}};
  const uint32_t masks565[3] = {0xF800, 0x07E0, 0x001F};
  for (const DepthCase& depthCase : cases) {
    for (int width : {1, 3, 4}) {
      SCOPED_TRACE(std::string(depthCase.name) + ", width " + std::to_string(width));
      BitmapInfoHeader header;
      header.biWidth = width;
      header.biHeight = 3;
      header.biBitCount = static_cast<uint16_t>(depthCase.depth);
      header.biCompression = depthCase.compression;
      header.biXPelsPerMeter = 3780;
      ImageBuffer original;
      ASSERT_TRUE(original.CreateFromHeader(header, masks565));
      test::FillPattern(original, static_cast<uint8_t>(width));
      if (depthCase.depth <= 8) {
        const RgbQuad entry{1, 2, 3, 4};
        original.SetPalette(1, 1, &entry);
      }
      BmpCodec codec;
      ImageSequence frames;
      ASSERT_TRUE(codec.LoadMemory(Encode(original), frames)) << ToString(codec.LastError());
      ASSERT_EQ(frames.Count(), 1);
      const ImageBuffer& loaded = *frames.At(0);
      EXPECT_EQ(loaded.Width(), width);
      EXPECT_EQ(loaded.Height(), 3);
      EXPECT_EQ(loaded.BitsPerPixel(), depthCase.depth);
      EXPECT_EQ(loaded.Header().biCompression, depthCase.compression);
      EXPECT_EQ(loaded.Header().biXPelsPerMeter, 3780);
      EXPECT_EQ(loaded.Masks()[1], original.Masks()[1]);
      EXPECT_TRUE(SameBytes({loaded.Pixels(), loaded.PixelBytes()},
                            {original.Pixels(), original.PixelBytes()}));
      EXPECT_TRUE(SameBytes(loaded.BitmapInfo(), original.BitmapInfo()));
    }
  }
}

TEST(BmpCodecTest, ShortPixelDataLoadsWithMissingRowsZero) {
  ImageBuffer original;
  ASSERT_TRUE(original.Create(1, 2, 24));
  test::FillPattern(original);
  std::vector<uint8_t> bytes = Encode(original);
  bytes.resize(bytes.size() - 2);  // the top row (stored last) loses its last two bytes
  BmpCodec codec;
  ImageSequence frames;
  ASSERT_TRUE(codec.LoadMemory(bytes, frames));
  const ImageBuffer& loaded = *frames.At(0);
  EXPECT_TRUE(SameBytes(test::RowBytes(loaded, 1), test::RowBytes(original, 1)));
  EXPECT_EQ(loaded.RowPointer(0)[0], original.RowPointer(0)[0]);
  EXPECT_EQ(loaded.RowPointer(0)[1], original.RowPointer(0)[1]);
  EXPECT_NE(original.RowPointer(0)[2], 0);
  EXPECT_EQ(loaded.RowPointer(0)[2], 0);
}

TEST(BmpCodecTest, ShortPaletteKeepsTheGreyRampForMissingEntries) {
  // 8 bpp, 1 x 1, two palette entries, then the pixel: bfOffBits 62.
  const std::vector<uint8_t> bytes =
      Hex("42 4D 42 00 00 00 00 00 00 00 3E 00 00 00"
          "28 00 00 00 01 00 00 00 01 00 00 00 01 00 08 00"
          "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 02 00 00 00 00 00 00 00"
          "10 20 30 00 40 50 60 00"
          "01 00 00 00");
  BmpCodec codec;
  ImageSequence frames;
  ASSERT_TRUE(codec.LoadMemory(bytes, frames));
  RgbQuad entries[5];
  ASSERT_TRUE(frames.At(0)->GetPalette(0, 5, entries));
  EXPECT_EQ(entries[1].red, 0x60);
  EXPECT_EQ(entries[2].blue, 0x01);  // the 4-byte pixel row is read as entry 2
  EXPECT_EQ(entries[3].red, 3);      // past the data: grey ramp
  EXPECT_EQ(entries[4].red, 4);
  EXPECT_EQ(frames.At(0)->Pixels()[0], 1);
}

}  // namespace
}  // namespace image
