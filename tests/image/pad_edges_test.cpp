#include <gtest/gtest.h>

#include <cstring>

#include "image/image_buffer.h"
#include "image_test_util.h"

namespace image {
namespace {

// Writes one distinct value per pixel: every byte of pixel (x, y) is 16 * y + x + 1.
void MarkPixels(ImageBuffer& picture) {
  const int pixelBytes = picture.BitsPerPixel() / 8;
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      std::memset(picture.PixelAddress(x, y), 16 * y + x + 1, static_cast<std::size_t>(pixelBytes));
    }
  }
}

uint8_t Mark(const ImageBuffer& picture, int x, int y) { return *picture.PixelAddress(x, y); }

TEST(PadEdgesTest, EdgesAndCornersRepeatTheBorderPixels) {
  for (int depth : {8, 16, 24, 32}) {
    SCOPED_TRACE(depth);
    ImageBuffer picture;
    ASSERT_TRUE(picture.Create(3, 2, depth));
    MarkPixels(picture);
    picture.PadEdges(2);
    ASSERT_EQ(picture.Width(), 7);
    ASSERT_EQ(picture.Height(), 6);
    ASSERT_EQ(picture.BitsPerPixel(), depth);
    // Expected marks by row from the top, typed out: source rows are 01 02 03 / 11 12 13.
    const uint8_t expected[6][7] = {
        {0x01, 0x01, 0x01, 0x02, 0x03, 0x03, 0x03}, {0x01, 0x01, 0x01, 0x02, 0x03, 0x03, 0x03},
        {0x01, 0x01, 0x01, 0x02, 0x03, 0x03, 0x03}, {0x11, 0x11, 0x11, 0x12, 0x13, 0x13, 0x13},
        {0x11, 0x11, 0x11, 0x12, 0x13, 0x13, 0x13}, {0x11, 0x11, 0x11, 0x12, 0x13, 0x13, 0x13},
    };
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 7; ++x) {
        ASSERT_EQ(Mark(picture, x, y), expected[y][x]) << "x " << x << ", y " << y;
      }
    }
    // Every byte of a pixel is carried, not only the first.
    const int last = depth / 8 - 1;
    EXPECT_EQ(picture.PixelAddress(6, 5)[last], 0x13);
  }
}

TEST(PadEdgesTest, KeepsPaletteMasksAndRowPadding) {
  const uint32_t masks565[3] = {0xF800, 0x07E0, 0x001F};
  BitmapInfoHeader header;
  header.biWidth = 1;
  header.biHeight = 1;
  header.biBitCount = 16;
  header.biCompression = kBiBitfields;
  ImageBuffer sixteen;
  ASSERT_TRUE(sixteen.CreateFromHeader(header, masks565));
  sixteen.PadEdges(1);
  EXPECT_EQ(sixteen.Header().biCompression, 3u);
  EXPECT_EQ(sixteen.Masks()[0], 0xF800u);
  EXPECT_EQ(sixteen.Stride(), 8);

  ImageBuffer mapped;
  ASSERT_TRUE(mapped.Create(1, 1, 8));
  const RgbQuad entry{1, 2, 3, 4};
  ASSERT_TRUE(mapped.SetPalette(5, 1, &entry));
  mapped.PadEdges(10);
  ASSERT_EQ(mapped.Width(), 21);
  RgbQuad got;
  ASSERT_TRUE(mapped.GetPalette(5, 1, &got));
  EXPECT_EQ(got.red, 3);
  for (int y = 0; y < mapped.Height(); ++y) {
    // Padding bytes beyond the 21 pixels stay zero.
    EXPECT_EQ(mapped.RowPointer(y)[21], 0);
  }
}

TEST(PadEdgesTest, NothingBelowEightBitsOrForNoMargin) {
  ImageBuffer nibble;
  ASSERT_TRUE(nibble.Create(3, 2, 4));
  test::FillPattern(nibble);
  const std::vector<uint8_t> before(nibble.Pixels(), nibble.Pixels() + nibble.PixelBytes());
  nibble.PadEdges(10);
  EXPECT_EQ(nibble.Width(), 3);
  EXPECT_TRUE(test::SameBytes({nibble.Pixels(), nibble.PixelBytes()}, before));

  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(3, 2, 24));
  picture.PadEdges(0);
  picture.PadEdges(-4);
  EXPECT_EQ(picture.Width(), 3);
  ImageBuffer empty;
  empty.PadEdges(10);
  EXPECT_FALSE(empty.IsValid());
}

}  // namespace
}  // namespace image
