#include "image/png_codec.h"

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

// Files written by another encoder (Pillow), so decoding is checked against an oracle that is
// not our own writer.
// 2 x 2 RGBA: red, green at alpha 128 / blue at alpha 0, (10, 20, 30).
const char* const kRgba2x2 =
    "89 50 4E 47 0D 0A 1A 0A 00 00 00 0D 49 48 44 52 00 00 00 02 00 00 00 02 08 06 00 00 00 72 "
    "B6 0D 24 00 00 00 1A 49 44 41 54 78 9C 63 F8 CF C0 F0 9F E1 3F 43 03 03 03 C3 7F 06 2E 11 "
    "B9 FF 00 37 80 05 B8 70 4C 3D 7F 00 00 00 00 49 45 4E 44 AE 42 60 82";
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

std::unique_ptr<ImageBuffer> DecodeOne(const std::vector<uint8_t>& bytes) {
  PngCodec codec;
  ImageSequence frames;
  EXPECT_TRUE(codec.LoadMemory(bytes, frames)) << ToString(codec.LastError());
  if (frames.Count() != 1) {
    return std::make_unique<ImageBuffer>();
  }
  auto frame = std::make_unique<ImageBuffer>();
  frame->CopyFrom(*frames.At(0));
  return frame;
}

std::vector<uint8_t> Pixel(const ImageBuffer& picture, int x, int y) {
  const uint8_t* at = picture.PixelAddress(x, y);
  return {at, at + picture.BitsPerPixel() / 8};
}

TEST(PngCodecTest, DecodesFilesOfAnotherEncoder) {
  const auto rgba = DecodeOne(test::Hex(kRgba2x2));
  ASSERT_EQ(rgba->BitsPerPixel(), 32);
  EXPECT_EQ(Pixel(*rgba, 0, 0), (std::vector<uint8_t>{0, 0, 255, 255}));
  EXPECT_EQ(Pixel(*rgba, 1, 0), (std::vector<uint8_t>{0, 255, 0, 128}));
  EXPECT_EQ(Pixel(*rgba, 0, 1), (std::vector<uint8_t>{255, 0, 0, 0}));
  EXPECT_EQ(Pixel(*rgba, 1, 1), (std::vector<uint8_t>{30, 20, 10, 255}));

  const auto palette = DecodeOne(test::Hex(kPalette1BitTransparent3x1));
  ASSERT_EQ(palette->BitsPerPixel(), 32) << "a transparency chunk gives alpha";
  EXPECT_EQ(palette->Width(), 3);
  EXPECT_EQ(Pixel(*palette, 0, 0), (std::vector<uint8_t>{0, 0, 255, 0}));
  EXPECT_EQ(Pixel(*palette, 1, 0), (std::vector<uint8_t>{255, 0, 0, 255}));
  EXPECT_EQ(Pixel(*palette, 2, 0), (std::vector<uint8_t>{255, 0, 0, 255}));

  const auto grey = DecodeOne(test::Hex(kGrey16Bit2x1));
  ASSERT_EQ(grey->BitsPerPixel(), 24) << "no alpha gives 24 bits";
  EXPECT_EQ(Pixel(*grey, 0, 0), (std::vector<uint8_t>{0, 0, 0}));
  EXPECT_EQ(Pixel(*grey, 1, 0), (std::vector<uint8_t>{255, 255, 255}));
}

ImageBuffer SixteenBit(int width, int height, const std::array<uint32_t, 3>& masks) {
  BitmapInfoHeader header;
  header.biWidth = width;
  header.biHeight = height;
  header.biBitCount = 16;
  header.biCompression = kBiBitfields;
  ImageBuffer picture;
  EXPECT_TRUE(picture.CreateFromHeader(header, masks.data()));
  test::FillPattern(picture);
  return picture;
}

// The picture as 8-bit B,G,R,A rows, the form every depth decodes to.
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

TEST(PngCodecTest, RoundTripsEveryDepthAtWidthsThatExercisePadding) {
  for (int width : {1, 3, 4}) {
    for (int depth : {1, 4, 8, 16, 24, 32}) {
      SCOPED_TRACE(testing::Message() << "width " << width << ", depth " << depth);
      ImageBuffer picture;
      if (depth == 16) {
        picture = SixteenBit(width, 3, {0xF800, 0x07E0, 0x001F});
      } else {
        ASSERT_TRUE(picture.Create(width, 3, depth));
        test::FillPattern(picture, static_cast<uint8_t>(width + depth));
      }
      if (depth <= 8) {
        std::array<RgbQuad, 256> palette{};
        for (std::size_t i = 0; i < palette.size(); ++i) {
          palette[i] = RgbQuad{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                               static_cast<uint8_t>(i * 7), 0};
        }
        ASSERT_TRUE(picture.SetPalette(0, 256, palette.data()));
      }
      PngCodec codec;
      std::vector<uint8_t> png;
      ASSERT_TRUE(codec.SaveMemory({&picture}, ImageOptions{}, png));
      // IHDR: bit depth at 24, colour type at 25 (3 palette, 2 RGB, 6 RGBA).
      ASSERT_GT(png.size(), 26U);
      EXPECT_EQ(png[24], depth <= 8 ? depth : 8);
      EXPECT_EQ(png[25], depth <= 8 ? 3 : (depth == 32 ? 6 : 2));

      const auto decoded = DecodeOne(png);
      ASSERT_EQ(decoded->Width(), width);
      ASSERT_EQ(decoded->Height(), 3);
      EXPECT_EQ(decoded->BitsPerPixel(), depth == 32 ? 32 : 24);
      EXPECT_EQ(AsBgra(*decoded), AsBgra(picture));
    }
  }
}

TEST(PngCodecTest, FileSaveGoesThroughTheExtension) {
  test::TempDir dir;
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(5, 2, 32));
  test::FillPattern(picture);
  ASSERT_TRUE(picture.Save(dir.File("still.PNG"), -1));
  ImageBuffer loaded;
  ASSERT_TRUE(loaded.LoadFirstFrame(dir.File("still.PNG")));
  EXPECT_EQ(AsBgra(loaded), AsBgra(picture));
}

TEST(PngCodecTest, MalformedFilesFailWithTheirError) {
  const std::vector<uint8_t> good = test::Hex(kRgba2x2);
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
      {"wrong signature", withByte(1, 'Q'), ImageError::BadSignature},
      {"signature only", std::vector<uint8_t>(good.begin(), good.begin() + 8),
       ImageError::Truncated},
      {"cut inside IHDR", std::vector<uint8_t>(good.begin(), good.begin() + 20),
       ImageError::Truncated},
      {"first chunk not IHDR", withByte(12, 'J'), ImageError::Corrupt},
      {"zero width", withByte(19, 0), ImageError::BadDimensions},
      {"width 16385",
       [&] {
         std::vector<uint8_t> bytes = good;
         bytes[17] = 0x00;
         bytes[18] = 0x40;
         bytes[19] = 0x01;
         return bytes;
       }(),
       ImageError::TooLarge},
      {"width 2^31", withByte(16, 0x80), ImageError::TooLarge},
      {"damaged IHDR checksum", withByte(29, 0x00), ImageError::Corrupt},
      {"cut inside IDAT", std::vector<uint8_t>(good.begin(), good.begin() + 50),
       ImageError::Truncated},
      {"damaged compressed data", withByte(45, 0xFF), ImageError::Corrupt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PngCodec codec;
    ImageSequence frames;
    frames.Append(std::make_unique<ImageBuffer>());
    EXPECT_FALSE(codec.LoadMemory(row.bytes, frames));
    EXPECT_EQ(codec.LastError(), row.error) << ToString(codec.LastError());
    EXPECT_EQ(frames.Count(), 1);
  }
}

}  // namespace
}  // namespace image
