#include "image/image_buffer.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "image/image_sequence.h"
#include "image_test_util.h"

namespace image {
namespace {

using test::Hex;
using test::SameBytes;

struct StrideRow {
  const char* name;
  int width;
  int bitsPerPixel;
  int stride;
};

TEST(ImageBufferTest, StridePadsRowsToFourBytes) {
  const StrideRow rows[] = {
      {"1 px at 1 bpp", 1, 1, 4},    {"32 px at 1 bpp", 32, 1, 4},  {"33 px at 1 bpp", 33, 1, 8},
      {"9 px at 4 bpp", 9, 4, 8},    {"3 px at 8 bpp", 3, 8, 4},    {"5 px at 8 bpp", 5, 8, 8},
      {"3 px at 16 bpp", 3, 16, 8},  {"1 px at 24 bpp", 1, 24, 4},  {"3 px at 24 bpp", 3, 24, 12},
      {"4 px at 24 bpp", 4, 24, 12}, {"3 px at 32 bpp", 3, 32, 12},
  };
  for (const StrideRow& row : rows) {
    SCOPED_TRACE(row.name);
    ImageBuffer picture;
    ASSERT_TRUE(picture.Create(row.width, 2, row.bitsPerPixel));
    EXPECT_EQ(picture.Stride(), row.stride);
    EXPECT_EQ(picture.PixelBytes(), static_cast<std::size_t>(row.stride) * 2);
  }
}

TEST(ImageBufferTest, FreshImageIsEmptyAndInvalid) {
  ImageBuffer picture;
  EXPECT_FALSE(picture.IsValid());
  EXPECT_EQ(picture.Width(), 0);
  EXPECT_EQ(picture.Height(), 0);
  EXPECT_EQ(picture.Pixels(), nullptr);
  EXPECT_EQ(picture.RowPointer(0), nullptr);
  EXPECT_TRUE(picture.BitmapInfo().empty());
}

TEST(ImageBufferTest, CreateZeroFillsAndSetsHeader) {
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(3, 2, 24));
  const BitmapInfoHeader& header = picture.Header();
  EXPECT_EQ(header.biSize, 40u);
  EXPECT_EQ(header.biWidth, 3);
  EXPECT_EQ(header.biHeight, 2);
  EXPECT_EQ(header.biPlanes, 1);
  EXPECT_EQ(header.biBitCount, 24);
  EXPECT_EQ(header.biCompression, 0u);
  EXPECT_EQ(header.biSizeImage, 0u);
  for (std::size_t i = 0; i < picture.PixelBytes(); ++i) {
    ASSERT_EQ(picture.Pixels()[i], 0) << "byte " << i;
  }
}

TEST(ImageBufferTest, RowTableRunsFromTheTopOverBottomUpStorage) {
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(3, 4, 24));
  // Stride 12: the top row is the last one stored.
  EXPECT_EQ(picture.RowPointer(0), picture.Pixels() + 36);
  EXPECT_EQ(picture.RowPointer(1), picture.Pixels() + 24);
  EXPECT_EQ(picture.RowPointer(3), picture.Pixels());
  EXPECT_EQ(picture.RowPointer(-1), nullptr);
  EXPECT_EQ(picture.RowPointer(4), nullptr);
}

TEST(ImageBufferTest, PixelAddressStepsByPixelSize) {
  const std::array<std::array<int, 2>, 4> depthAndStep{{{8, 1}, {16, 2}, {24, 3}, {32, 4}}};
  for (const auto& [depth, step] : depthAndStep) {
    SCOPED_TRACE(depth);
    ImageBuffer picture;
    ASSERT_TRUE(picture.Create(5, 3, depth));
    EXPECT_EQ(picture.PixelAddress(2, 1), picture.RowPointer(1) + 2 * step);
    EXPECT_EQ(picture.PixelAddress(4, 2), picture.Pixels() + 4 * step);
    EXPECT_EQ(picture.PixelAddress(5, 0), nullptr);
    EXPECT_EQ(picture.PixelAddress(-1, 0), nullptr);
    EXPECT_EQ(picture.PixelAddress(0, 3), nullptr);
  }
}

TEST(ImageBufferTest, DefaultPaletteIsAGreyRamp) {
  RgbQuad entries[256];
  ImageBuffer mono;
  ASSERT_TRUE(mono.Create(1, 1, 1));
  ASSERT_TRUE(mono.GetPalette(0, 2, entries));
  EXPECT_EQ(entries[0].red, 0);
  EXPECT_EQ(entries[1].blue, 255);
  EXPECT_EQ(entries[1].green, 255);
  EXPECT_EQ(entries[1].red, 255);
  EXPECT_EQ(entries[1].reserved, 0);

  ImageBuffer nibble;
  ASSERT_TRUE(nibble.Create(1, 1, 4));
  ASSERT_TRUE(nibble.GetPalette(0, 16, entries));
  EXPECT_EQ(entries[1].green, 17);
  EXPECT_EQ(entries[15].red, 255);

  ImageBuffer byte;
  ASSERT_TRUE(byte.Create(1, 1, 8));
  ASSERT_TRUE(byte.GetPalette(0, 256, entries));
  EXPECT_EQ(entries[200].blue, 200);
  EXPECT_EQ(entries[255].red, 255);
}

TEST(ImageBufferTest, SixteenBitMasksDefaultToFiveFiveFive) {
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(2, 2, 16));
  EXPECT_EQ(picture.Masks()[0], 0x7C00u);
  EXPECT_EQ(picture.Masks()[1], 0x03E0u);
  EXPECT_EQ(picture.Masks()[2], 0x001Fu);
}

TEST(ImageBufferTest, BitfieldsKeepTheGivenMasksOnlyAtSixteenBits) {
  const uint32_t masks565[3] = {0xF800, 0x07E0, 0x001F};
  BitmapInfoHeader header;
  header.biWidth = 2;
  header.biHeight = 2;
  header.biBitCount = 16;
  header.biCompression = kBiBitfields;
  header.biXPelsPerMeter = 2835;
  ImageBuffer picture;
  ASSERT_TRUE(picture.CreateFromHeader(header, masks565));
  EXPECT_EQ(picture.Header().biCompression, 3u);
  EXPECT_EQ(picture.Header().biXPelsPerMeter, 2835);
  EXPECT_EQ(picture.Masks()[0], 0xF800u);
  EXPECT_EQ(picture.Masks()[1], 0x07E0u);

  header.biBitCount = 32;
  ASSERT_TRUE(picture.CreateFromHeader(header, masks565));
  EXPECT_EQ(picture.Header().biCompression, 0u);
  EXPECT_EQ(picture.Masks()[0], 0x7C00u);
}

TEST(ImageBufferTest, CreateFromHeaderRejectsAndLeavesTheImageAlone) {
  struct Row {
    const char* name;
    int32_t width;
    int32_t height;
    uint16_t depth;
    uint32_t compression;
    ImageError error;
  };
  const Row rows[] = {
      {"zero width", 0, 2, 24, 0, ImageError::BadDimensions},
      {"negative (top-down) height", 2, -2, 24, 0, ImageError::BadDimensions},
      {"depth 2", 2, 2, 2, 0, ImageError::UnsupportedDepth},
      {"depth 0", 2, 2, 0, 0, ImageError::UnsupportedDepth},
      {"run-length compression", 2, 2, 8, 1, ImageError::UnsupportedDepth},
      {"overflowing size", std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(),
       32, 0, ImageError::TooLarge},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ImageBuffer picture;
    ASSERT_TRUE(picture.Create(3, 1, 24));
    picture.Pixels()[0] = 0x5A;
    BitmapInfoHeader header;
    header.biWidth = row.width;
    header.biHeight = row.height;
    header.biBitCount = row.depth;
    header.biCompression = row.compression;
    EXPECT_FALSE(picture.CreateFromHeader(header));
    EXPECT_EQ(picture.LastError(), row.error);
    ASSERT_TRUE(picture.IsValid());
    EXPECT_EQ(picture.Width(), 3);
    EXPECT_EQ(picture.BitsPerPixel(), 24);
    EXPECT_EQ(picture.Pixels()[0], 0x5A);
  }
}

TEST(ImageBufferTest, RecreatingReplacesSizeAndDepth) {
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(3, 1, 24));
  ASSERT_TRUE(picture.Create(7, 5, 8));
  EXPECT_EQ(picture.Width(), 7);
  EXPECT_EQ(picture.Height(), 5);
  EXPECT_EQ(picture.Stride(), 8);
  picture.Destroy();
  EXPECT_FALSE(picture.IsValid());
  EXPECT_EQ(picture.Stride(), 0);
}

TEST(ImageBufferTest, CopyFromMakesADeepCopy) {
  ImageBuffer source;
  ASSERT_TRUE(source.Create(3, 2, 8));
  test::FillPattern(source);
  const RgbQuad red{0, 0, 255, 7};
  ASSERT_TRUE(source.SetPalette(9, 1, &red));

  ImageBuffer copy;
  copy.CopyFrom(source);
  ASSERT_TRUE(copy.IsValid());
  EXPECT_NE(copy.Pixels(), source.Pixels());
  EXPECT_TRUE(
      SameBytes({copy.Pixels(), copy.PixelBytes()}, {source.Pixels(), source.PixelBytes()}));
  RgbQuad entry;
  ASSERT_TRUE(copy.GetPalette(9, 1, &entry));
  EXPECT_EQ(entry.red, 255);
  EXPECT_EQ(entry.reserved, 7);

  source.Pixels()[0] ^= 0xFF;
  const RgbQuad blue{255, 0, 0, 0};
  source.SetPalette(9, 1, &blue);
  EXPECT_NE(copy.Pixels()[0], source.Pixels()[0]);
  copy.GetPalette(9, 1, &entry);
  EXPECT_EQ(entry.red, 255);
  // The copy's row table points into its own block.
  EXPECT_EQ(copy.RowPointer(0), copy.Pixels() + copy.Stride());
}

TEST(ImageBufferTest, CopyFromKeepsMasksAndResolution) {
  const uint32_t masks565[3] = {0xF800, 0x07E0, 0x001F};
  BitmapInfoHeader header;
  header.biWidth = 1;
  header.biHeight = 1;
  header.biBitCount = 16;
  header.biCompression = kBiBitfields;
  header.biYPelsPerMeter = 100;
  ImageBuffer source;
  ASSERT_TRUE(source.CreateFromHeader(header, masks565));
  ImageBuffer copy;
  copy.CopyFrom(source);
  EXPECT_EQ(copy.Header().biCompression, 3u);
  EXPECT_EQ(copy.Header().biYPelsPerMeter, 100);
  EXPECT_EQ(copy.Masks()[1], 0x07E0u);
}

TEST(ImageBufferTest, CopyFromInvalidOrSelfChangesNothing) {
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(2, 2, 32));
  picture.Pixels()[3] = 9;
  ImageBuffer empty;
  picture.CopyFrom(empty);
  ASSERT_TRUE(picture.IsValid());
  EXPECT_EQ(picture.Pixels()[3], 9);
  picture.CopyFrom(picture);
  EXPECT_EQ(picture.Width(), 2);
  EXPECT_EQ(picture.Pixels()[3], 9);
}

TEST(ImageBufferTest, PaletteAccessRefusesBadRequests) {
  RgbQuad entries[4];
  ImageBuffer empty;
  EXPECT_FALSE(empty.GetPalette(0, 1, entries));
  ImageBuffer trueColour;
  ASSERT_TRUE(trueColour.Create(1, 1, 24));
  EXPECT_FALSE(trueColour.GetPalette(0, 1, entries));
  EXPECT_FALSE(trueColour.SetPalette(0, 1, entries));
  ImageBuffer mapped;
  ASSERT_TRUE(mapped.Create(1, 1, 1));
  EXPECT_FALSE(mapped.GetPalette(-1, 1, entries));
  EXPECT_FALSE(mapped.GetPalette(0, 1, nullptr));
  EXPECT_FALSE(mapped.SetPalette(0, 1, nullptr));
}

TEST(ImageBufferTest, PaletteAccessSkipsIndexesPastTheTable) {
  ImageBuffer mapped;
  ASSERT_TRUE(mapped.Create(1, 1, 1));
  const RgbQuad set[3] = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 9, 9, 9}};
  ASSERT_TRUE(mapped.SetPalette(1, 3, set));
  RgbQuad got[3] = {{}, {}, {0xEE, 0xEE, 0xEE, 0xEE}};
  ASSERT_TRUE(mapped.GetPalette(0, 3, got));
  EXPECT_EQ(got[0].red, 0);
  EXPECT_EQ(got[1].blue, 1);
  EXPECT_EQ(got[1].reserved, 4);
  EXPECT_EQ(got[2].blue, 0xEE);  // index 2 does not exist at 1 bpp
}

TEST(ImageBufferTest, BitmapInfoHoldsHeaderAndPaletteOrMasks) {
  ImageBuffer mapped;
  ASSERT_TRUE(mapped.Create(3, 2, 4));
  const std::vector<uint8_t> info = mapped.BitmapInfo();
  ASSERT_EQ(info.size(), 40u + 64u);
  EXPECT_TRUE(SameBytes(std::span(info).first(40),
                        Hex("28000000 03000000 02000000 0100 0400 00000000 00000000"
                            "00000000 00000000 00000000 00000000")));
  EXPECT_TRUE(SameBytes(std::span(info).subspan(40, 8), Hex("00000000 11111100")));

  ImageBuffer trueColour;
  ASSERT_TRUE(trueColour.Create(1, 1, 24));
  const std::vector<uint8_t> masks = trueColour.BitmapInfo();
  ASSERT_EQ(masks.size(), 52u);
  EXPECT_TRUE(SameBytes(std::span(masks).subspan(40), Hex("007C0000 E0030000 1F000000")));
}

TEST(ImageBufferTest, SaveWithoutCodecFails) {
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(1, 1, 24));
  EXPECT_FALSE(picture.Save("picture.pcx", -1));
  EXPECT_EQ(picture.LastError(), ImageError::NoCodec);
  ImageBuffer empty;
  EXPECT_FALSE(empty.Save("picture.bmp", -1));
  EXPECT_EQ(empty.LastError(), ImageError::InvalidImage);
}

TEST(ImageBufferTest, LoadFirstFrameTakesTheDecodedPicture) {
  test::TempDir dir;
  ImageBuffer original;
  ASSERT_TRUE(original.Create(3, 2, 24));
  test::FillPattern(original);
  ASSERT_TRUE(original.Save(dir.File("first.bmp"), -1));

  ImageBuffer loaded;
  ASSERT_TRUE(loaded.LoadFirstFrame(dir.File("first.bmp")));
  EXPECT_EQ(loaded.Width(), 3);
  EXPECT_TRUE(SameBytes({loaded.Pixels(), loaded.PixelBytes()},
                        {original.Pixels(), original.PixelBytes()}));

  EXPECT_FALSE(loaded.LoadFirstFrame(dir.File("missing.bmp")));
  EXPECT_EQ(loaded.LastError(), ImageError::FileOpen);
  EXPECT_FALSE(loaded.LoadFirstFrame(dir.File("first.pcx")));
  EXPECT_EQ(loaded.LastError(), ImageError::NoCodec);
  EXPECT_EQ(loaded.Width(), 3);
}

TEST(ImageSequenceTest, AtOutsideTheFramesIsNull) {
  ImageSequence frames;
  EXPECT_EQ(frames.At(0), nullptr);
  frames.Append(std::make_unique<ImageBuffer>());
  frames.Append(nullptr);
  ASSERT_EQ(frames.Count(), 1);
  EXPECT_NE(frames.At(0), nullptr);
  EXPECT_EQ(frames.At(-1), nullptr);
  EXPECT_EQ(frames.At(frames.Count()), nullptr);
  frames.Clear();
  EXPECT_EQ(frames.Count(), 0);
}

TEST(ImageSequenceTest, LoadAppendsAfterFramesAlreadyHeld) {
  test::TempDir dir;
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(2, 2, 8));
  ASSERT_TRUE(picture.Save(dir.File("frame.tga"), -1));

  ImageSequence frames;
  ASSERT_TRUE(frames.Load(dir.File("frame.tga")));
  ASSERT_TRUE(frames.Load(dir.File("frame.tga")));
  EXPECT_EQ(frames.Count(), 2);
  EXPECT_EQ(frames.LastError(), ImageError::None);

  EXPECT_FALSE(frames.Load(dir.File("frame.xpm")));
  EXPECT_EQ(frames.LastError(), ImageError::NoCodec);
  EXPECT_FALSE(frames.Load(dir.File("absent.tga")));
  EXPECT_EQ(frames.LastError(), ImageError::FileOpen);
  EXPECT_EQ(frames.Count(), 2);
}

}  // namespace
}  // namespace image
