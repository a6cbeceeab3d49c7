#include "image/image_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <tuple>

#include "image/image_sequence.h"
#include "image_test_util.h"

namespace image {
namespace {

using test::hex;
using test::sameBytes;

TEST(ImageBufferTest, CreateZeroFillsAndRowsRunFromTheTopOverBottomUpStorage) {
  ImageBuffer picture;
  EXPECT_FALSE(picture.IsValid());
  EXPECT_TRUE(picture.BitmapInfo().empty());
  ASSERT_TRUE(picture.Create(3, 4, 24));
  EXPECT_TRUE(sameBytes(std::span<const uint8_t>(picture.BitmapInfo()).first(40),
                        hex("28000000 03000000 04000000 0100 1800 00000000 00000000"
                            "00000000 00000000 00000000 00000000")));
  EXPECT_EQ(std::count(picture.pixels(), picture.pixels() + picture.pixelBytes(), 0), 48);
  // Stride 12: the top row is the last one stored.
  EXPECT_EQ(picture.RowPointer(0), picture.pixels() + 36);
  EXPECT_EQ(picture.RowPointer(3), picture.pixels());
  EXPECT_EQ(picture.PixelAddress(2, 1), picture.pixels() + 24 + 6);
  for (const auto& [x, y] : {std::pair{3, 0}, {-1, 0}, {0, 4}, {0, -1}}) {
    EXPECT_EQ(picture.PixelAddress(x, y), nullptr) << x << "," << y;
    EXPECT_EQ(picture.RowPointer(y), y == 0 ? picture.pixels() + 36 : nullptr);
  }
  picture.Destroy();
  EXPECT_FALSE(picture.IsValid());
  EXPECT_EQ(picture.RowPointer(0), nullptr);

  // Rows are padded to 4 bytes: width, depth, stride.
  for (const auto& [width, depth, stride] : {std::tuple{1, 1, 4},
                                             {32, 1, 4},
                                             {33, 1, 8},
                                             {9, 4, 8},
                                             {5, 8, 8},
                                             {3, 16, 8},
                                             {1, 24, 4}}) {
    ASSERT_TRUE(picture.Create(width, 2, depth));
    EXPECT_EQ(picture.pixelBytes(), 2u * std::size_t(stride))
        << width << " px, " << depth << " bpp";
  }
}

// BitmapInfo is the header followed by the palette below 16 bits, else by the three masks.
TEST(ImageBufferTest, DefaultPaletteIsAGreyRampAndMasksAreFiveFiveFive) {
  for (const auto& [depth, first, expected] : {std::tuple{1, 0, "00 00 00 00 FF FF FF 00"},
                                               {4, 0, "00 00 00 00 11 11 11 00"},
                                               {4, 14, "EE EE EE 00 FF FF FF 00"},
                                               {8, 199, "C7 C7 C7 00 C8 C8 C8 00"},
                                               {24, 0, "007C0000 E0030000 1F000000"}}) {
    SCOPED_TRACE(depth);
    const std::vector<uint8_t> info = test::picture(1, 1, depth).BitmapInfo();
    ASSERT_EQ(info.size(), depth < 16 ? 40u + (4u << depth) : 52u);
    EXPECT_TRUE(sameBytes(std::span<const uint8_t>(info)
                              .subspan(std::size_t(40 + 4 * first))
                              .first(hex(expected).size()),
                          hex(expected)));
  }
  // Given masks count only with bitfields at 16 bits.
  EXPECT_EQ(test::picture(1, 1, 16, {}, kBiBitfields).masks()[1], 0x07E0u);
  const ImageBuffer wide = test::picture(1, 1, 32, {}, kBiBitfields);
  EXPECT_EQ(wide.header().biCompression, kBiRgb);
  EXPECT_EQ(wide.masks()[1], 0x03E0u);
}

TEST(ImageBufferTest, CreateFromHeaderRejectsAndLeavesTheImageAlone) {
  constexpr int32_t kHuge = std::numeric_limits<int32_t>::max();
  const std::tuple<const char*, BitmapInfoHeader, ImageError> rows[] = {
      {"zero width", test::header(0, 2, 24), ImageError::BadDimensions},
      {"negative (top-down) height", test::header(2, -2, 24), ImageError::BadDimensions},
      {"depth 2", test::header(2, 2, 2), ImageError::UnsupportedDepth},
      {"depth 0", test::header(2, 2, 0), ImageError::UnsupportedDepth},
      {"run-length compression", test::header(2, 2, 8, 1), ImageError::UnsupportedDepth},
      {"overflowing size", test::header(kHuge, kHuge, 32), ImageError::TooLarge},
  };
  const ImageBuffer before = test::makePicture(3, 1, 24);
  for (const auto& [name, header, error] : rows) {
    SCOPED_TRACE(name);
    ImageBuffer picture = test::makePicture(3, 1, 24);
    EXPECT_EQ(picture.CreateFromHeader(header).code(), error);
    EXPECT_TRUE(sameBytes(picture.BitmapInfo(), before.BitmapInfo()));
    EXPECT_TRUE(sameBytes(test::block(picture), test::block(before)));
  }
}

TEST(ImageBufferTest, CopyFromMakesADeepCopyOfPixelsPaletteMasksAndResolution) {
  for (int depth : {8, 16}) {
    SCOPED_TRACE(depth);
    BitmapInfoHeader header = test::header(3, 2, depth, depth == 16 ? kBiBitfields : kBiRgb);
    header.biYPelsPerMeter = 100;
    ImageBuffer source = test::makePicture(header);
    const std::vector<uint8_t> info = source.BitmapInfo();
    const std::vector<uint8_t> pixels(test::block(source).begin(), test::block(source).end());
    ImageBuffer copy;
    copy.CopyFrom(source);
    EXPECT_EQ(copy.RowPointer(0), copy.pixels() + copy.Stride()) << "rows in its own block";
    source.pixels()[0] ^= 0xFF;
    const RgbQuad blue{255, 0, 0, 0};
    source.SetPalette(0, 1, &blue);
    copy.CopyFrom(ImageBuffer{});
    copy.CopyFrom(copy);  // an invalid source or itself: no change
    EXPECT_TRUE(sameBytes(copy.BitmapInfo(), info));
    EXPECT_TRUE(sameBytes(test::block(copy), pixels));
  }
}

TEST(ImageBufferTest, PaletteAccessRefusesBadRequestsAndSkipsIndexesPastTheTable) {
  RgbQuad entries[3] = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 9, 9, 9}};
  const ImageBuffer trueColour = test::picture(1, 1, 24);
  EXPECT_FALSE(trueColour.GetPalette(0, 1, entries));
  EXPECT_FALSE(ImageBuffer{}.GetPalette(0, 1, entries));
  ImageBuffer mapped = test::picture(1, 1, 1);
  EXPECT_FALSE(mapped.GetPalette(-1, 1, entries));
  EXPECT_FALSE(mapped.GetPalette(0, 1, nullptr));
  EXPECT_FALSE(mapped.SetPalette(0, 1, nullptr));
  // Index 2 does not exist at 1 bpp: neither set nor read.
  ASSERT_TRUE(mapped.SetPalette(1, 3, entries));
  entries[2] = {0xEE, 0xEE, 0xEE, 0xEE};
  ASSERT_TRUE(mapped.GetPalette(0, 3, entries));
  EXPECT_TRUE(sameBytes(test::paletteBytes(mapped, 0, 2), hex("00 00 00 00 01 02 03 04")));
  EXPECT_EQ(entries[2].blue, 0xEE);
}

TEST(ImageBufferTest, LoadFirstFrameAndSequenceLoad) {
  test::TempDir dir;
  const ImageBuffer original = test::makePicture(3, 2, 8);
  ASSERT_TRUE(original.Save(dir.file("first.tga"), -1));
  ImageBuffer loaded;
  ASSERT_TRUE(loaded.LoadFirstFrame(dir.file("first.tga")));
  EXPECT_EQ(loaded.LoadFirstFrame(dir.file("first.pcx")).code(), ImageError::NoCodec);
  EXPECT_EQ(test::asBgra(loaded), test::asBgra(original));

  ImageSequence frames;
  frames.append(nullptr);
  ASSERT_TRUE(frames.Load(dir.file("first.tga")));
  ASSERT_TRUE(frames.Load(dir.file("first.tga")));
  ASSERT_EQ(frames.Count(), 2);
  EXPECT_EQ(frames.Load(dir.file("first.xpm")).code(), ImageError::NoCodec);
  EXPECT_EQ(frames.Load(dir.file("absent.tga")).message(),
            "cannot open " + dir.file("absent.tga") + ": No such file or directory");
  EXPECT_EQ(frames.Count(), 2);
  EXPECT_NE(frames.At(1), nullptr);
  EXPECT_EQ(frames.At(-1), nullptr);
  EXPECT_EQ(frames.At(2), nullptr);
}

TEST(PadEdgesTest, EdgesAndCornersRepeatTheBorderPixels) {
  // Marks by row from the top after a margin of 2 around source rows 01 02 03 / 11 12 13.
  const char* const expected[6] = {"01 01 01 02 03 03 03", "01 01 01 02 03 03 03",
                                   "01 01 01 02 03 03 03", "11 11 11 12 13 13 13",
                                   "11 11 11 12 13 13 13", "11 11 11 12 13 13 13"};
  for (int depth : {8, 16, 24, 32}) {
    SCOPED_TRACE(depth);
    ImageBuffer picture = test::picture(3, 2, depth);
    for (int i = 0; i < 6; ++i) {  // every byte of pixel (x, y) is 16 * y + x + 1
      std::memset(picture.PixelAddress(i % 3, i / 3), 16 * (i / 3) + i % 3 + 1,
                  std::size_t(depth / 8));
    }
    picture.PadEdges(2);
    ASSERT_EQ(picture.Width(), 7);
    ASSERT_EQ(picture.Height(), 6);
    ASSERT_EQ(picture.BitsPerPixel(), depth);
    for (int y = 0; y < 6; ++y) {
      std::vector<uint8_t> marks;
      for (int x = 0; x < 7; ++x) marks.push_back(*picture.PixelAddress(x, y));
      EXPECT_TRUE(sameBytes(marks, hex(expected[y]))) << "row " << y;
    }
    EXPECT_EQ(picture.PixelAddress(6, 5)[depth / 8 - 1], 0x13) << "every byte of a pixel";
  }
}

TEST(PadEdgesTest, KeepsPaletteMasksAndZeroRowPaddingAndSkipsBelowEightBits) {
  ImageBuffer sixteen = test::makePicture(1, 1, 16);
  sixteen.PadEdges(1);
  EXPECT_TRUE(sameBytes(sixteen.BitmapInfo(), test::makePicture(3, 3, 16).BitmapInfo()));
  EXPECT_EQ(sixteen.Stride(), 8);

  ImageBuffer mapped = test::makePicture(1, 1, 8);
  mapped.PadEdges(10);
  ASSERT_EQ(mapped.Width(), 21);
  EXPECT_TRUE(sameBytes(mapped.BitmapInfo(), test::makePicture(21, 21, 8).BitmapInfo()));
  for (int y = 0; y < 21; ++y) EXPECT_EQ(mapped.RowPointer(y)[21], 0) << "row " << y;

  for (const auto& [depth, margin] : {std::pair{4, 10}, {1, 3}, {24, 0}, {24, -4}}) {
    SCOPED_TRACE(testing::Message() << depth << " bpp, margin " << margin);
    ImageBuffer picture = test::makePicture(3, 2, depth);
    picture.PadEdges(margin);
    EXPECT_TRUE(sameBytes(picture.BitmapInfo(), test::makePicture(3, 2, depth).BitmapInfo()));
    EXPECT_TRUE(sameBytes(test::block(picture), test::block(test::makePicture(3, 2, depth))));
  }
  ImageBuffer empty;
  empty.PadEdges(10);
  EXPECT_FALSE(empty.IsValid());
}

}  // namespace
}  // namespace image
