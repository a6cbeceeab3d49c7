#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "byte_match.h"
#include "swf/bit_width.h"
#include "swf/bit_writer.h"
#include "swf/swf_color_transform.h"
#include "swf/swf_matrix.h"
#include "swf/swf_rect.h"
#include "swf/units.h"

namespace {

using swftest::bytesMatch;

TEST(SignedWidth, CountsMagnitudeWithOneSignBit) {
  struct Row {
    const char* name;
    std::initializer_list<std::int32_t> values;
    unsigned expected;
  };
  const Row rows[] = {
      {"zero", {0}, 1},
      {"no values", {}, 1},
      {"group of zeros", {0, 0, 0, 0}, 1},
      {"one", {1}, 2},
      {"minus one", {-1}, 2},
      {"two", {2}, 3},
      {"minus two", {-2}, 3},
      {"three", {3}, 3},
      {"four", {4}, 4},
      {"minus four takes four bits, not three", {-4}, 4},
      {"1023", {1023}, 11},
      {"1024 one more than 1023", {1024}, 12},
      {"minus 1024", {-1024}, 12},
      {"0 and 2000", {0, 2000}, 12},
      {"0 and 11000", {0, 11000}, 15},
      {"minus 3000", {-3000, 0}, 13},
      {"largest of group", {5, -70000, 3}, 18},
      {"int32 max", {std::numeric_limits<std::int32_t>::max()}, 32},
      {"int32 min", {std::numeric_limits<std::int32_t>::min()}, 33},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(swf::signedWidth(row.values), row.expected);
  }
}

TEST(UnsignedWidth, FitsStyleIndicesUpToTheCount) {
  const std::pair<std::uint32_t, unsigned> rows[] = {{0, 0},   {1, 1},   {2, 2},      {3, 2},
                                                     {4, 3},   {7, 3},   {8, 4},      {254, 8},
                                                     {255, 8}, {256, 9}, {32767, 15}, {65535, 16}};
  for (const auto& [count, expected] : rows) {
    SCOPED_TRACE(count);
    EXPECT_EQ(swf::unsignedWidth(count), expected);
  }
}

TEST(BitWriter, PacksMostSignificantBitFirstAndPadsWithZeros) {
  std::vector<std::uint8_t> out;
  {
    swf::BitWriter bits(out);
    bits.writeUBits(3, 5);      // 101
    bits.writeSBits(4, -4);     // 1100
    bits.writeBit(true);        // 1
    bits.writeUBits(9, 0x1FF);  // 111111111
    bits.writeUBits(0, 0xFF);   // nothing
  }
  EXPECT_TRUE(bytesMatch(out, "B9 FF 80"));
}

TEST(BitWriter, AlignOnABoundaryAddsNothing) {
  std::vector<std::uint8_t> out;
  swf::BitWriter bits(out);
  bits.align();
  EXPECT_TRUE(out.empty());
  bits.writeUBits(8, 0xA5);
  bits.align();
  bits.writeUBits(1, 1);
  bits.align();
  bits.align();
  EXPECT_TRUE(bytesMatch(out, "A5 80"));
}

TEST(BitWriter, WritesOnlyTheLowBitsOfAValue) {
  std::vector<std::uint8_t> out;
  {
    swf::BitWriter bits(out);
    bits.writeUBits(4, 0xFFF3);
    bits.writeSBits(4, 0x7FFFFFF5);
    bits.writeSBits(32, -1);
    bits.writeSBits(2, 1);
  }
  EXPECT_TRUE(bytesMatch(out, "35 FF FF FF FF 40"));
}

TEST(Units, TruncateTowardZeroAndSaturate) {
  EXPECT_EQ(swf::twipsFromPixels(0.01F), 0);
  EXPECT_EQ(swf::twipsFromPixels(-0.04F), 0);
  EXPECT_EQ(swf::twipsFromPixels(-0.2F), -4);
  EXPECT_EQ(swf::twipsFromPixels(1.99F), 39);
  EXPECT_EQ(swf::twipsFromPixels(-1.99F), -39);
  EXPECT_EQ(swf::twipsFromPixels(1e12F), swf::kMaxFieldMagnitude);
  EXPECT_EQ(swf::twipsFromPixels(-1e12F), -swf::kMaxFieldMagnitude);
  EXPECT_EQ(swf::twipsFromPixels(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(swf::twipsFromPixels(std::numeric_limits<float>::infinity()), swf::kMaxFieldMagnitude);
  EXPECT_EQ(swf::fixed16FromFloat(1.0F), 65536);
  EXPECT_EQ(swf::fixed16FromFloat(-0.5F), -32768);
  EXPECT_EQ(swf::fixed16FromFloat(1e9F), swf::kMaxFieldMagnitude);
  EXPECT_EQ(swf::fixed8FromFloat(1.0F), 256);
  EXPECT_EQ(swf::fixed8FromFloat(-1000.0F), -swf::kMaxColorTermMagnitude);
  EXPECT_EQ(swf::colorAddFromFloat(-12.9F), -12);
}

struct RectRow {
  const char* name;
  float x0, y0, x1, y1;
  const char* hex;
};

TEST(SwfRect, EncodesTable) {
  const RectRow rows[] = {
      {"550 x 400 stage", 0, 0, 550, 400, "78 00 05 5F 00 00 0F A0 00"},
      {"100 x 50 stage", 0, 0, 100, 50, "60 00 3E 80 00 1F 40"},
      {"all zero", 0, 0, 0, 0, "08 00"},
      {"0..20 twips wide: width 6", 0, 0, 1, 0, "30 0A 00 00"},
      {"1020 twips: width 11", 0, 0, 51, 0, "58 00 7F 80 00 00 00"},
      {"1024 twips: width 12", 0, 0, 51.2F, 0, "60 00 20 00 00 00 00"},
      {"-3000..0 twips: width 13", -150, 0, 0, 0, "6D 12 00 00 00 00 00 00"},
      {"-4 twips: width 4", -0.2F, 0, 0, 0, "26 00 00"},
      {"2000 x 1000 px, beyond 16-bit twips: width 17", 0, 0, 2000, 1000,
       "88 00 01 38 80 00 00 27 10 00"},
      {"huge value saturates at width 31", 0, 0, 1e9F, 0,
       "F8 00 00 00 07 FF FF FF E0 00 00 00 00 00 00 00 00"},
  };
  for (const RectRow& row : rows) {
    SCOPED_TRACE(row.name);
    swf::SwfRect rect;
    rect.set(row.x0, row.y0, row.x1, row.y1);
    EXPECT_TRUE(bytesMatch(rect.encode(), row.hex));
  }
}

TEST(SwfRect, DefaultIsFivePixelsSquare) {
  // 0, 100, 0, 100 twips: width 8.
  EXPECT_TRUE(bytesMatch(swf::SwfRect().encode(), "40 03 20 03 20"));
}

TEST(SwfRect, OriginAndSizeAddInFloatAndGetReturnsInputs) {
  swf::SwfRect rect;
  rect.setFromOriginAndSize(-150, 0, 150, 0);
  EXPECT_TRUE(bytesMatch(rect.encode(), "6D 12 00 00 00 00 00 00"));
  EXPECT_EQ(rect.get(), (std::array<float, 4>{-150, 0, 0, 0}));
}

TEST(SwfRect, AppendToKeepsEarlierBytes) {
  swf::SwfRect rect;
  rect.set(0, 0, 0, 0);
  std::vector<std::uint8_t> out = {0xAA};
  rect.appendTo(out);
  EXPECT_TRUE(bytesMatch(out, "AA 08 00"));
}

struct MatrixRow {
  const char* name;
  std::array<float, 6> inputs;
  const char* hex;
};

TEST(SwfMatrix, EncodesTable) {
  const MatrixRow rows[] = {
      {"identity", {0, 0, 0, 0, 0, 0}, "00"},
      {"scale 20.0: width 22", {20, 20, 0, 0, 0, 0}, "D9 40 00 05 00 00 00"},
      {"scale 1.0: width 18", {1, 1, 0, 0, 0, 0}, "C9 00 00 40 00 00"},
      {"scale -1.0: width 18, not 17", {-1, -1, 0, 0, 0, 0}, "CB 00 00 C0 00 00"},
      {"scale 0.5: width 17", {0.5F, 0.5F, 0, 0, 0, 0}, "C5 00 00 80 00 00"},
      {"scale 2.0: width 19", {2, 2, 0, 0, 0, 0}, "CD 00 00 20 00 00 00"},
      {"rotate only", {0, 0, 1, -1, 0, 0}, "64 80 00 60 00 00"},
      {"translation (0.01, 0): present, width 1", {0, 0, 0, 0, 0.01F, 0}, "02 00"},
      {"translation -4 twips: width 4", {0, 0, 0, 0, -0.2F, 0}, "09 80"},
      {"huge scale saturates at width 31", {1e6F, 0, 0, 0, 0, 0}, "FD FF FF FF F8 00 00 00 00 00"},
  };
  for (const MatrixRow& row : rows) {
    SCOPED_TRACE(row.name);
    swf::SwfMatrix matrix;
    const auto& in = row.inputs;
    matrix.set(in[0], in[1], in[2], in[3], in[4], in[5]);
    EXPECT_TRUE(bytesMatch(matrix.encode(), row.hex));
    EXPECT_EQ(matrix.get(), row.inputs);
  }
}

TEST(SwfMatrix, NewMatrixIsTheIdentityByte) {
  EXPECT_TRUE(bytesMatch(swf::SwfMatrix().encode(), "00"));
}

TEST(SwfMatrix, ZeroPairKeepsTheEarlierComponent) {
  swf::SwfMatrix matrix;
  matrix.set(2, 2, 0, 0, -0.2F, 0);
  matrix.set(0, 0, 0, 0, 0, 0);
  EXPECT_EQ(matrix.get(), (std::array<float, 6>{}));
  // Scale 2.0 (width 19) and translation -4 twips (width 4) stay.
  EXPECT_TRUE(bytesMatch(matrix.encode(), "CD 00 00 20 00 01 30 00"));
}

TEST(SwfColorTransform, EncodesTable) {
  EXPECT_TRUE(bytesMatch(swf::SwfColorTransform().encode(), "C4 00"));
  EXPECT_TRUE(bytesMatch(swf::SwfColorTransform(1, 1, 1, 1, 0, 0, 0, 0).encode(),
                         "E9 00 40 10 04 00 00 00 00 00 00"));
}

TEST(SwfColorTransform, SaturatesSoTheWidthFitsFourBits) {
  const std::vector<std::uint8_t> bytes =
      swf::SwfColorTransform(1000, 0, 0, 0, 0, 0, 0, -1e6F).encode();
  ASSERT_EQ(bytes.size(), 16U);  // 6 + 8 x 15 bits
  EXPECT_EQ(bytes[0], 0xFD);     // 1, 1, width 15, first bits of 16383
}

}  // namespace
