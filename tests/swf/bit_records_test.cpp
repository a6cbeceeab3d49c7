// Field widths, the bit writer and the RECT, MATRIX and CXFORMWITHALPHA records, against bytes
// typed by hand.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "common/hex_compare.h"
#include "swf/bit_width.h"
#include "swf/bit_writer.h"
#include "swf/swf_color_transform.h"
#include "swf/swf_matrix.h"
#include "swf/swf_rect.h"
#include "swf/units.h"

namespace {

using testutil::hex;
using testutil::sameBytes;

TEST(BitWidth, SignedCountsMagnitudeWithOneSignBitAndUnsignedFitsTheCount) {
  struct Row {
    const char* name;
    std::initializer_list<std::int32_t> values;
    unsigned expected;
  };
  const Row rows[] = {
      {"no values", {}, 1},
      {"zeros", {0, 0, 0}, 1},
      {"minus one", {-1}, 2},
      {"two", {2}, 3},
      {"minus four takes four bits, not three", {-4}, 4},
      {"1023", {1023}, 11},
      {"1024", {1024}, 12},
      {"minus 1024", {-1024}, 12},
      {"-3000..0", {-3000, 0}, 13},
      {"largest of a group", {5, -70000, 3}, 18},
      {"int32 max", {std::numeric_limits<std::int32_t>::max()}, 32},
      {"int32 min", {std::numeric_limits<std::int32_t>::min()}, 33},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(swf::signedWidth(row.values), row.expected);
  }
  const std::pair<std::uint32_t, unsigned> counts[] = {{0, 0},   {1, 1},   {2, 2},
                                                       {255, 8}, {256, 9}, {65535, 16}};
  for (const auto& [count, expected] : counts) {
    SCOPED_TRACE(count);
    EXPECT_EQ(swf::unsignedWidth(count), expected);
  }
}

// Truncation toward zero shows in the record rows below; these are values no row reaches.
TEST(Units, SaturateAndMapNotANumberToZero) {
  EXPECT_EQ(swf::twipsFromPixels(-1e12F), -swf::kMaxFieldMagnitude);
  EXPECT_EQ(swf::twipsFromPixels(std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(swf::twipsFromPixels(std::numeric_limits<float>::infinity()), swf::kMaxFieldMagnitude);
  EXPECT_EQ(swf::fixed16FromFloat(1e9F), swf::kMaxFieldMagnitude);
  EXPECT_EQ(swf::colorAddFromFloat(-12.9F), -12);
}

std::vector<std::uint8_t> rect(float x0, float y0, float x1, float y1) {
  swf::SwfRect record;
  record.set(x0, y0, x1, y1);
  return record.encode();
}

std::vector<std::uint8_t> matrix(float scale, float rotate0, float rotate1, float translateX) {
  swf::SwfMatrix record;
  record.set(scale, scale, rotate0, rotate1, translateX, 0);
  return record.encode();
}

TEST(Records, EncodeTable) {
  std::vector<std::uint8_t> bits;
  {
    swf::BitWriter writer(bits);
    writer.align();                    // nothing yet: adds nothing
    writer.writeUBits(3, 5);           // 101
    writer.writeSBits(4, -4);          // 1100
    writer.writeBit(true);             // 1
    writer.writeUBits(9, 0x1FF);       // 111111111
    writer.writeUBits(0, 0xFF);        // nothing
    writer.writeUBits(4, 0xFFF3);      // low bits only: 0011
    writer.writeSBits(4, 0x7FFFFFF5);  // 0101
    writer.align();                    // pads with zeros
    writer.align();                    // on a boundary: adds nothing
    writer.writeSBits(32, -1);
    writer.writeSBits(2, 1);  // 01, then zero padding when the writer goes
  }
  swf::SwfRect stage;
  stage.setFromOriginAndSize(-150, 0, 150, 0);
  std::vector<std::uint8_t> appended = {0xAA};
  stage.appendTo(appended);
  swf::SwfMatrix kept;
  kept.set(2, 2, 0, 0, -0.2F, 0);
  kept.set(0, 0, 0, 0, 0, 0);  // a pair of zeros keeps the earlier component

  struct Row {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* hex;
  };
  const Row table[] = {
      {"bit writer: MSB first, low bits only, zero padding", bits, "B9 FF 9A 80 FF FF FF FF 40"},
      {"RECT 550 x 400 stage", rect(0, 0, 550, 400), "78 00 05 5F 00 00 0F A0 00"},
      {"RECT 100 x 50 stage", rect(0, 0, 100, 50), "60 00 3E 80 00 1F 40"},
      {"RECT all zero", rect(0, 0, 0, 0), "08 00"},
      {"RECT 0..20 twips: width 6", rect(0, 0, 1, 0), "30 0A 00 00"},
      {"RECT 1020 twips: width 11", rect(0, 0, 51, 0), "58 00 7F 80 00 00 00"},
      {"RECT 1024 twips: width 12", rect(0, 0, 51.2F, 0), "60 00 20 00 00 00 00"},
      {"RECT -3000..0 twips: width 13", rect(-150, 0, 0, 0), "6D 12 00 00 00 00 00 00"},
      {"RECT -4 twips: width 4", rect(-0.2F, 0, 0, 0), "26 00 00"},
      {"RECT 2000 x 1000 px, beyond 16-bit twips: width 17", rect(0, 0, 2000, 1000),
       "88 00 01 38 80 00 00 27 10 00"},
      {"RECT huge value saturates at width 31", rect(0, 0, 1e9F, 0),
       "F8 00 00 00 07 FF FF FF E0 00 00 00 00 00 00 00 00"},
      {"new RECT is 0..100 twips: width 8", swf::SwfRect().encode(), "40 03 20 03 20"},
      {"RECT from origin and size, appended", appended, "AA 6D 12 00 00 00 00 00 00"},
      {"MATRIX identity", matrix(0, 0, 0, 0), "00"},
      {"new MATRIX is the identity", swf::SwfMatrix().encode(), "00"},
      {"MATRIX scale 20.0: width 22", matrix(20, 0, 0, 0), "D9 40 00 05 00 00 00"},
      {"MATRIX scale 1.0: width 18", matrix(1, 0, 0, 0), "C9 00 00 40 00 00"},
      {"MATRIX scale -1.0: width 18, not 17", matrix(-1, 0, 0, 0), "CB 00 00 C0 00 00"},
      {"MATRIX scale 0.5: width 17", matrix(0.5F, 0, 0, 0), "C5 00 00 80 00 00"},
      {"MATRIX rotate only", matrix(0, 1, -1, 0), "64 80 00 60 00 00"},
      {"MATRIX translation (0.01, 0): present, width 1", matrix(0, 0, 0, 0.01F), "02 00"},
      {"MATRIX translation -4 twips: width 4", matrix(0, 0, 0, -0.2F), "09 80"},
      {"MATRIX huge scale saturates at width 31", matrix(1e6F, 0, 0, 0),
       "FD FF FF FF FB FF FF FF F0 00"},
      {"MATRIX zeros keep scale 2.0 (width 19) and -4 twips", kept.encode(),
       "CD 00 00 20 00 01 30 00"},
      {"CXFORMWITHALPHA zero", swf::SwfColorTransform().encode(), "C4 00"},
      {"CXFORMWITHALPHA identity", swf::SwfColorTransform(1, 1, 1, 1, 0, 0, 0, 0).encode(),
       "E9 00 40 10 04 00 00 00 00 00 00"},
  };
  for (const Row& row : table) {
    SCOPED_TRACE(row.name);
    EXPECT_TRUE(sameBytes(row.bytes, hex(row.hex)));
  }
  EXPECT_EQ(kept.get(), (std::array<float, 6>{}));
  EXPECT_EQ(stage.get(), (std::array<float, 4>{-150, 0, 0, 0}));
}

TEST(SwfColorTransform, SaturatesSoTheWidthFitsFourBits) {
  const std::vector<std::uint8_t> bytes =
      swf::SwfColorTransform(1000, 0, 0, 0, 0, 0, 0, -1e6F).encode();
  ASSERT_EQ(bytes.size(), 16U);  // 6 + 8 x 15 bits
  EXPECT_EQ(bytes[0], 0xFD);     // 1, 1, width 15, first bits of 16383
}

}  // namespace
