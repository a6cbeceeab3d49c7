#include "image/tga_codec.h"

#include <gtest/gtest.h>

#include "image_test_util.h"

namespace image {
namespace {

using test::hex;
using test::sameBytes;

// "VavOd -- TGA", the image ID of every file written.
constexpr const char* kId = "56 61 76 4F 64 20 2D 2D 20 54 47 41";

// The 18-byte header always has ID length 12, a colour map of 256 entries of 24 bits (bytes
// 5-7) and descriptor 0x20 (rows from the top); the map is present (type 1) only at 8 bits.
TEST(TgaCodecTest, FileLayoutPerDepth) {
  struct Row {
    ImageBuffer picture;
    std::size_t size;
    std::vector<test::Piece> pieces;
  };
  const Row rows[] = {
      {test::picture(2, 1, 8, {"AB CD"}),
       800,
       {{0, "0C 01 01 00 00 00 01 18 00 00 00 00 02 00 01 00 08 20"},
        {30, "00 00 00 01 01 01 02 02 02"},
        {30 + 3 * 255, "FF FF FF AB CD"}}},
      {test::picture(3, 2, 24, {"01 02 03 04 05 06 07 08 09", "0A 0B 0C 0D 0E 0F 10 11 12"}),
       48,
       {{0, "0C 00 02 00 00 00 01 18 00 00 00 00 03 00 02 00 18 20"},
        {30, "01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12"}}},
      {test::picture(1, 1, 16, {"81 82"}),
       32,
       {{0, "0C 00 02 00 00 00 01 18 00 00 00 00 01 00 01 00 10 20"}, {30, "81 82"}}},
      {test::picture(1, 1, 32, {"81 82 83 84"}),
       34,
       {{0, "0C 00 02 00 00 00 01 18 00 00 00 00 01 00 01 00 20 20"}, {30, "81 82 83 84"}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.picture.BitsPerPixel());
    TgaCodec codec;
    std::vector<test::Piece> pieces = row.pieces;
    pieces.push_back({18, kId});
    test::expectLayout(test::encode(codec, row.picture), row.size, pieces);
  }
}

TEST(TgaCodecTest, RoundTripEveryDepthAtWidthsOneThreeAndFour) {
  for (int depth : {8, 16, 24, 32}) {
    for (int width : {1, 3, 4}) {
      SCOPED_TRACE(testing::Message() << depth << " bpp, width " << width);
      // 16 bits as 5-5-5, the layout a TGA file holds.
      const ImageBuffer original =
          test::makePicture(test::header(width, 3, depth), static_cast<uint8_t>(depth + width));
      TgaCodec codec;
      const ImageBuffer loaded = test::decodeOne(codec, test::encode(codec, original));
      EXPECT_TRUE(sameBytes(loaded.BitmapInfo(), original.BitmapInfo()));
      for (int y = 0; y < 3; ++y) {
        EXPECT_TRUE(sameBytes(test::rowBytes(loaded, y), test::rowBytes(original, y)));
      }
    }
  }
}

// Files made by hand, each with the depth and rows (from the top) it must load to and, for
// colour-mapped files, palette entries from `first` as B,G,R,reserved bytes.
TEST(TgaCodecTest, LoadsEveryOrientationAndPacking) {
  struct Row {
    const char* name;
    const char* file;
    int depth;
    std::vector<const char*> rows;
    int first = 0;
    const char* palette = nullptr;
  };
  const Row rows[] = {
      {"bottom-up, descriptor 0",
       "00 00 02 00 00 00 00 00 00 00 00 00 01 00 02 00 18 00  01 02 03  04 05 06",
       24,
       {"04 05 06", "01 02 03"}},
      {"top-left after a two-byte ID",
       "02 00 02 00 00 00 00 00 00 00 00 00 01 00 02 00 18 20  EE EE  01 02 03  04 05 06",
       24,
       {"01 02 03", "04 05 06"}},
      {"RLE true colour: a run of 3; a literal then a run of 2",
       "00 00 0A 00 00 00 00 00 00 00 00 00 03 00 02 00 18 20  82 11 22 33  00 44 55 66"
       "81 77 88 99",
       24,
       {"11 22 33 11 22 33 11 22 33", "44 55 66 77 88 99 77 88 99"}},
      // Bottom-up: a run of 4 fills only the bottom row's two pixels; of the literal packet of
      // 3 the top row takes two and the third is skipped.
      {"RLE packets past the row are clipped",
       "00 00 0A 00 00 00 00 00 00 00 00 00 02 00 02 00 10 00  83 34 12  02 01 00 02 00 03 00",
       16,
       {"01 00 02 00", "34 12 34 12"}},
      {"RLE colour-mapped, 2 entries of 32 bits from index 2; the others zero",
       "00 01 09 02 00 02 00 20 00 00 00 00 03 00 01 00 08 20  10 20 30 40 50 60 70 80"
       "00 03  81 02",
       8,
       {"03 02 02"},
       1,
       "00 00 00 00  10 20 30 40  50 60 70 80  00 00 00 00"},
      {"RLE grey keeps the grey ramp",
       "00 00 0B 00 00 00 00 00 00 00 00 00 02 00 01 00 08 20  81 7F",
       8,
       {"7F 7F"},
       0x7F,
       "7F 7F 7F 00"},
      {"15 bits load as 16",
       "00 00 02 00 00 00 00 00 00 00 00 00 01 00 01 00 0F 20  1F 7C",
       16,
       {"1F 7C"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TgaCodec codec;
    const ImageBuffer loaded = test::decodeOne(codec, hex(row.file));
    EXPECT_EQ(loaded.BitsPerPixel(), row.depth);
    ASSERT_EQ(loaded.Height(), static_cast<int>(row.rows.size()));
    for (int y = 0; y < loaded.Height(); ++y) {
      EXPECT_TRUE(sameBytes(test::rowBytes(loaded, y), hex(row.rows[std::size_t(y)]))) << y;
    }
    if (row.palette != nullptr) {
      const test::Bytes expected = hex(row.palette);
      EXPECT_TRUE(sameBytes(test::paletteBytes(loaded, row.first, expected.size() / 4), expected));
    }
  }
}

}  // namespace
}  // namespace image
