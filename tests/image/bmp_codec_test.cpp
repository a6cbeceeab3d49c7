#include "image/bmp_codec.h"

#include <gtest/gtest.h>

#include "image_test_util.h"

namespace image {
namespace {

using test::hex;
using test::sameBytes;

struct LayoutRow {
  const char* name;
  ImageBuffer picture;
  std::size_t size;
  std::vector<test::Piece> pieces;
};

// bfOffBits is 54 plus the palette (4 bytes an entry, 2/16/256 entries) or the three masks of a
// bitfields file; rows are stored bottom first and padded to 4 bytes.
TEST(BmpCodecTest, FileLayoutPerDepth) {
  const char* const kInfo = "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00";
  const LayoutRow rows[] = {
      {"24 bpp",
       test::picture(3, 2, 24, {"01 02 03 04 05 06 07 08 09", "0A 0B 0C 0D 0E 0F 10 11 12"}),
       78,
       {{0, "42 4D 4E 00 00 00 00 00 00 00 36 00 00 00"},
        {14, "28 00 00 00 03 00 00 00 02 00 00 00 01 00 18 00 00 00 00 00"},
        {54, "0A 0B 0C 0D 0E 0F 10 11 12 00 00 00 01 02 03 04 05 06 07 08 09 00 00 00"}}},
      {"8 bpp",
       test::picture(1, 1, 8, {"C8"}),
       1082,
       {{0, "42 4D 3A 04 00 00 00 00 00 00 36 04 00 00"},
        {14, "28 00 00 00 01 00 00 00 01 00 00 00 01 00 08 00 00 00 00 00"},
        {54, "00 00 00 00 01 01 01 00 02 02 02 00"},
        {54 + 4 * 255, "FF FF FF 00 C8 00 00 00"}}},
      {"1 bpp",
       test::picture(3, 1, 1, {"A0"}),
       66,
       {{0, "42 4D 42 00 00 00 00 00 00 00 3E 00 00 00"},
        {14, "28 00 00 00 03 00 00 00 01 00 00 00 01 00 01 00 00 00 00 00"},
        {54, "00 00 00 00 FF FF FF 00 A0 00 00 00"}}},
      {"4 bpp",
       test::picture(1, 1, 4),
       122,
       {{10, "76 00 00 00"}, {28, "04 00"}, {54 + 4 * 15, "FF FF FF 00 00 00 00 00"}}},
      {"16 bpp bitfields",
       test::picture(1, 1, 16, {"34 12"}, kBiBitfields),
       70,
       {{0, "42 4D 46 00 00 00 00 00 00 00 42 00 00 00"},
        {14, "28 00 00 00 01 00 00 00 01 00 00 00 01 00 10 00 03 00 00 00"},
        {54, "00 F8 00 00 E0 07 00 00 1F 00 00 00 34 12 00 00"}}},
      {"16 bpp 5-5-5", test::picture(1, 1, 16), 58, {{10, "36 00 00 00"}, {28, "10 00 00 00"}}},
      {"32 bpp",
       test::picture(1, 1, 32, {"01 02 03 80"}),
       58,
       {{10, "36 00 00 00"}, {28, "20 00 00 00"}, {54, "01 02 03 80"}}},
  };
  for (const LayoutRow& row : rows) {
    SCOPED_TRACE(row.name);
    BmpCodec codec;
    std::vector<test::Piece> pieces = row.pieces;
    pieces.push_back({34, kInfo});  // image size, resolution and colour counts all 0
    test::expectLayout(test::encode(codec, row.picture), row.size, pieces);
  }
}

TEST(BmpCodecTest, RoundTripEveryDepthAtWidthsOneThreeAndFour) {
  const std::pair<int, uint32_t> depths[] = {{1, kBiRgb},  {4, kBiRgb},        {8, kBiRgb},
                                             {16, kBiRgb}, {16, kBiBitfields}, {24, kBiRgb},
                                             {32, kBiRgb}};
  for (const auto& [depth, compression] : depths) {
    for (int width : {1, 3, 4}) {
      SCOPED_TRACE(testing::Message()
                   << depth << " bpp, compression " << compression << ", width " << width);
      BitmapInfoHeader header = test::header(width, 3, depth, compression);
      header.biXPelsPerMeter = 3780;
      const ImageBuffer original = test::makePicture(header, static_cast<uint8_t>(width));
      BmpCodec codec;
      const ImageBuffer loaded = test::decodeOne(codec, test::encode(codec, original));
      // Header (size, depth, compression, resolution), palette or masks, then the pixels.
      EXPECT_TRUE(sameBytes(loaded.BitmapInfo(), original.BitmapInfo()));
      EXPECT_TRUE(sameBytes(test::block(loaded), test::block(original)));
    }
  }
}

// Reads stay inside the data: short pixel data loads with the missing bytes zero, a short
// palette keeps the grey ramp for the missing entries.
TEST(BmpCodecTest, ShortDataLoadsWhatIsThere) {
  BmpCodec codec;
  test::Bytes bytes = test::encode(codec, test::picture(1, 2, 24, {"01 02 03", "04 05 06"}));
  bytes.resize(bytes.size() - 2);  // the top row (stored last) loses two bytes
  EXPECT_TRUE(
      sameBytes(test::block(test::decodeOne(codec, bytes)), hex("04 05 06 00  01 02 00 00")));

  // 8 bpp, 1 x 1, biClrUsed 2, then the pixel: bfOffBits 62. Entry 2 is the pixel row.
  const ImageBuffer loaded = test::decodeOne(
      codec, hex("42 4D 42 00 00 00 00 00 00 00 3E 00 00 00 28 00 00 00 01 00 00 00 01 00 00 00"
                 "01 00 08 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 02 00 00 00 00 00"
                 "00 00  10 20 30 00 40 50 60 00  01 00 00 00"));
  EXPECT_TRUE(sameBytes(test::paletteBytes(loaded, 0, 5),
                        hex("10 20 30 00 40 50 60 00 01 00 00 00 03 03 03 00 04 04 04 00")));
  EXPECT_EQ(loaded.pixels()[0], 1);
}

}  // namespace
}  // namespace image
