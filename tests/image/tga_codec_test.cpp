#include "image/tga_codec.h"

#include <gtest/gtest.h>

#include "image_test_util.h"

namespace image {
namespace {

using test::Hex;
using test::SameBytes;

// "VavOd -- TGA"
constexpr const char* kIdHex = "56 61 76 4F 64 20 2D 2D 20 54 47 41";

std::vector<uint8_t> Encode(const ImageBuffer& picture) {
  TgaCodec codec;
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(codec.SaveMemory({&picture}, ImageOptions{}, bytes)) << ToString(codec.LastError());
  return bytes;
}

const ImageBuffer* Decode(const std::vector<uint8_t>& bytes, ImageSequence& frames) {
  TgaCodec codec;
  EXPECT_TRUE(codec.LoadMemory(bytes, frames)) << ToString(codec.LastError());
  return frames.At(frames.Count() - 1);
}

TEST(TgaCodecTest, TwentyFourBitFileByteForByte) {
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(3, 2, 24));
  test::FillPattern(picture);
  std::vector<uint8_t> expected = Hex("0C 00 02 00 00 00 01 18 00 00 00 00 03 00 02 00 18 20");
  const std::vector<uint8_t> id = Hex(kIdHex);
  expected.insert(expected.end(), id.begin(), id.end());
  // Rows from the top, 9 bytes each, no padding.
  for (int y = 0; y < 2; ++y) {
    const std::vector<uint8_t> row = test::RowBytes(picture, y);
    expected.insert(expected.end(), row.begin(), row.end());
  }
  const std::vector<uint8_t> bytes = Encode(picture);
  ASSERT_EQ(bytes.size(), 48u);
  EXPECT_TRUE(SameBytes(bytes, expected));
}

TEST(TgaCodecTest, EightBitFileHasAColourMapOfThreeByteEntries) {
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(2, 1, 8));
  picture.Pixels()[0] = 0xAB;
  picture.Pixels()[1] = 0xCD;
  const RgbQuad entry{0x10, 0x20, 0x30, 0x40};
  ASSERT_TRUE(picture.SetPalette(2, 1, &entry));
  const std::vector<uint8_t> bytes = Encode(picture);
  ASSERT_EQ(bytes.size(), 800u);
  EXPECT_TRUE(SameBytes(std::span(bytes).first(18),
                        Hex("0C 01 01 00 00 00 01 18 00 00 00 00 02 00 01 00 08 20")));
  EXPECT_TRUE(SameBytes(std::span(bytes).subspan(18, 12), Hex(kIdHex)));
  EXPECT_TRUE(SameBytes(std::span(bytes).subspan(30, 9), Hex("00 00 00 01 01 01 10 20 30")));
  EXPECT_TRUE(SameBytes(std::span(bytes).subspan(30 + 3 * 255, 3), Hex("FF FF FF")));
  EXPECT_TRUE(SameBytes(std::span(bytes).subspan(798), Hex("AB CD")));
}

TEST(TgaCodecTest, TrueColourFilesStillDeclareTheColourMapSize) {
  struct Row {
    int depth;
    const char* header;
  };
  const Row rows[] = {
      {16, "0C 00 02 00 00 00 01 18 00 00 00 00 01 00 01 00 10 20"},
      {32, "0C 00 02 00 00 00 01 18 00 00 00 00 01 00 01 00 20 20"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.depth);
    ImageBuffer picture;
    ASSERT_TRUE(picture.Create(1, 1, row.depth));
    test::FillPattern(picture);
    const std::vector<uint8_t> bytes = Encode(picture);
    ASSERT_EQ(bytes.size(), 30u + static_cast<std::size_t>(row.depth / 8));
    EXPECT_TRUE(SameBytes(std::span(bytes).first(18), Hex(row.header)));
    EXPECT_TRUE(SameBytes(std::span(bytes).subspan(30), test::RowBytes(picture, 0)));
  }
}

TEST(TgaCodecTest, RoundTripEveryDepthAtWidthsOneThreeAndFour) {
  for (int depth : {8, 16, 24, 32}) {
    for (int width : {1, 3, 4}) {
      SCOPED_TRACE("depth " + std::to_string(depth) + ", width " + std::to_string(width));
      ImageBuffer original;
      ASSERT_TRUE(original.Create(width, 3, depth));
      test::FillPattern(original, static_cast<uint8_t>(depth + width));
      if (depth == 8) {
        const RgbQuad entry{9, 8, 7, 0};
        original.SetPalette(200, 1, &entry);
      }
      ImageSequence frames;
      const ImageBuffer* loaded = Decode(Encode(original), frames);
      ASSERT_NE(loaded, nullptr);
      EXPECT_EQ(loaded->Width(), width);
      EXPECT_EQ(loaded->Height(), 3);
      EXPECT_EQ(loaded->BitsPerPixel(), depth);
      for (int y = 0; y < 3; ++y) {
        EXPECT_TRUE(SameBytes(test::RowBytes(*loaded, y), test::RowBytes(original, y)));
      }
      if (depth == 8) {
        EXPECT_TRUE(SameBytes(loaded->BitmapInfo(), original.BitmapInfo()));
      }
    }
  }
}

TEST(TgaCodecTest, BottomUpFileFillsRowsFromTheBottom) {
  // 24 bpp, 1 x 2, no ID, descriptor 0: the first stored row is the bottom one.
  const std::vector<uint8_t> bytes =
      Hex("00 00 02 00 00 00 00 00 00 00 00 00 01 00 02 00 18 00"
          "01 02 03"
          "04 05 06");
  ImageSequence frames;
  const ImageBuffer* loaded = Decode(bytes, frames);
  ASSERT_NE(loaded, nullptr);
  EXPECT_TRUE(SameBytes(test::RowBytes(*loaded, 0), Hex("04 05 06")));
  EXPECT_TRUE(SameBytes(test::RowBytes(*loaded, 1), Hex("01 02 03")));
}

TEST(TgaCodecTest, TopLeftFileFillsRowsFromTheTop) {
  const std::vector<uint8_t> bytes =
      Hex("02 00 02 00 00 00 00 00 00 00 00 00 01 00 02 00 18 20"
          "EE EE"  // a two-byte image ID
          "01 02 03"
          "04 05 06");
  ImageSequence frames;
  const ImageBuffer* loaded = Decode(bytes, frames);
  ASSERT_NE(loaded, nullptr);
  EXPECT_TRUE(SameBytes(test::RowBytes(*loaded, 0), Hex("01 02 03")));
  EXPECT_TRUE(SameBytes(test::RowBytes(*loaded, 1), Hex("04 05 06")));
}

TEST(TgaCodecTest, RunLengthTrueColourRowsOfRunsAndLiterals) {
  // Type 10, 24 bpp, 3 x 2, top-left. Row 0: a run of 3. Row 1: one literal then a run of 2.
  const std::vector<uint8_t> bytes =
      Hex("00 00 0A 00 00 00 00 00 00 00 00 00 03 00 02 00 18 20"
          "82 11 22 33"
          "00 44 55 66 81 77 88 99");
  ImageSequence frames;
  const ImageBuffer* loaded = Decode(bytes, frames);
  ASSERT_NE(loaded, nullptr);
  EXPECT_TRUE(SameBytes(test::RowBytes(*loaded, 0), Hex("11 22 33 11 22 33 11 22 33")));
  EXPECT_TRUE(SameBytes(test::RowBytes(*loaded, 1), Hex("44 55 66 77 88 99 77 88 99")));
}

TEST(TgaCodecTest, RunLengthPacketPastTheRowIsClipped) {
  // Type 10, 16 bpp, 2 x 2, bottom-up. The first packet (a run of 4) covers only row 0's two
  // pixels; the literal packet of 3 gives row 1 two pixels and its third one is skipped.
  const std::vector<uint8_t> bytes =
      Hex("00 00 0A 00 00 00 00 00 00 00 00 00 02 00 02 00 10 00"
          "83 34 12"
          "02 01 00 02 00 03 00");
  ImageSequence frames;
  const ImageBuffer* loaded = Decode(bytes, frames);
  ASSERT_NE(loaded, nullptr);
  EXPECT_TRUE(SameBytes(test::RowBytes(*loaded, 1), Hex("34 12 34 12")));
  EXPECT_TRUE(SameBytes(test::RowBytes(*loaded, 0), Hex("01 00 02 00")));
}

TEST(TgaCodecTest, RunLengthColourMappedWithPartialThirtyTwoBitMap) {
  // Type 9, colour map of 2 entries starting at index 2, 32-bit entries; 8 bpp, 3 x 1.
  const std::vector<uint8_t> bytes =
      Hex("00 01 09 02 00 02 00 20 00 00 00 00 03 00 01 00 08 20"
          "10 20 30 40 50 60 70 80"
          "00 03 81 02");
  ImageSequence frames;
  const ImageBuffer* loaded = Decode(bytes, frames);
  ASSERT_NE(loaded, nullptr);
  EXPECT_TRUE(SameBytes(test::RowBytes(*loaded, 0), Hex("03 02 02")));
  RgbQuad entries[4];
  ASSERT_TRUE(loaded->GetPalette(0, 4, entries));
  EXPECT_EQ(entries[1].red, 0);  // entries outside the map are zero
  EXPECT_EQ(entries[2].blue, 0x10);
  EXPECT_EQ(entries[2].reserved, 0x40);
  EXPECT_EQ(entries[3].red, 0x70);
}

TEST(TgaCodecTest, RunLengthGreyKeepsTheGreyRamp) {
  // Type 11, 8 bpp, 2 x 1, no colour map.
  const std::vector<uint8_t> bytes =
      Hex("00 00 0B 00 00 00 00 00 00 00 00 00 02 00 01 00 08 20"
          "81 7F");
  ImageSequence frames;
  const ImageBuffer* loaded = Decode(bytes, frames);
  ASSERT_NE(loaded, nullptr);
  EXPECT_TRUE(SameBytes(test::RowBytes(*loaded, 0), Hex("7F 7F")));
  RgbQuad entry;
  ASSERT_TRUE(loaded->GetPalette(0x7F, 1, &entry));
  EXPECT_EQ(entry.green, 0x7F);
}

TEST(TgaCodecTest, FifteenBitDepthReadsAsSixteen) {
  const std::vector<uint8_t> bytes =
      Hex("00 00 02 00 00 00 00 00 00 00 00 00 01 00 01 00 0F 20"
          "1F 7C");
  ImageSequence frames;
  const ImageBuffer* loaded = Decode(bytes, frames);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->BitsPerPixel(), 16);
  EXPECT_TRUE(SameBytes(test::RowBytes(*loaded, 0), Hex("1F 7C")));
}

TEST(TgaCodecTest, OneAndFourBitImagesCannotBeWritten) {
  for (int depth : {1, 4}) {
    SCOPED_TRACE(depth);
    ImageBuffer picture;
    ASSERT_TRUE(picture.Create(2, 2, depth));
    TgaCodec codec;
    std::vector<uint8_t> bytes{1, 2};
    EXPECT_FALSE(codec.SaveMemory({&picture}, ImageOptions{}, bytes));
    EXPECT_EQ(codec.LastError(), ImageError::UnsupportedDepth);
    EXPECT_EQ(bytes.size(), 2u);
  }
}

}  // namespace
}  // namespace image
