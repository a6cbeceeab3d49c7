// DefineShape3 tags against bytes typed by hand, the limits of the style lists, the splitting of
// edges longer than a record holds, and the placement matrix.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/hex_compare.h"
#include "swf/swf_constants.h"
#include "swf/swf_shape.h"

namespace {

using testutil::hex;
using testutil::sameBytes;

std::vector<std::uint8_t> tagOf(const swf::SwfShape& shape) {
  const std::span<const std::uint8_t> bytes = shape.tagBytes();
  EXPECT_EQ(shape.tagSize(), bytes.size());
  return {bytes.begin(), bytes.end()};
}

// Shape id 1, bounds 0..0 (RECT 08 00), no styles (counts 00 00, bits 00), end record 00.
constexpr const char* kEmptyShapeHex = "3F 08 08 00 00 00 01 00 08 00 00 00 00 00";

// The 52-byte shape of a converted frame is checked in the whole-movie test.
TEST(SwfShape, EncodesTable) {
  struct Row {
    const char* name;
    void (*build)(swf::SwfShape&);
    const char* hex;
  };
  const Row rows[] = {
      {"empty shape", [](swf::SwfShape&) {}, kEmptyShapeHex},
      {"zero-length edge: width 2", [](swf::SwfShape& s) { s.lineTo(0, 0); },
       "3F 08 0A 00 00 00 01 00 08 00 00 00 00 C2 00 00"},
      {"edge (12, 0): width 9, 25 bits", [](swf::SwfShape& s) { s.lineTo(12, 0); },
       "3F 08 0B 00 00 00 01 00 08 00 00 00 00 DE F0 00 00"},
      {"edge of 65535 twips: one record of width 17",
       [](swf::SwfShape& s) { s.lineTo(3276.75F, 0); },
       "3F 08 0D 00 00 00 01 00 08 00 00 00 00 FE FF FF 00 00 00"},
      {"edge of 70000 twips: two edges of 35000", [](swf::SwfShape& s) { s.lineTo(3500, 0); },
       "3F 08 12 00 00 00 01 00 08 00 00 00 00 FE 88 B8 00 00 7F 44 5C 00 00 00"},
      {"curve (1, 1, 1, -1): width 6", [](swf::SwfShape& s) { s.curveTo(1, 1, 1, -1); },
       "3F 08 0C 00 00 00 01 00 08 00 00 00 00 91 45 14 B0 00"},
      {"style change without move, no styles", [](swf::SwfShape& s) { s.changeStyle(0, 0, 0); },
       "3F 08 09 00 00 00 01 00 08 00 00 00 00 38 00"},
      {"two fills and one line: bits byte 21",
       [](swf::SwfShape& s) {
         s.addSolidFill({1, 2, 3, 4});
         s.addSolidFill({5, 6, 7, 8});
         s.addLineStyle(1, {9, 10, 11, 12});
       },
       "3F 08 18 00 00 00 01 00 08 00 02 00 01 02 03 04 00 05 06 07 08 01 14 00 09 0A 0B 0C 21 "
       "00"},
      {"line widths saturate at 0..65535 twips",
       [](swf::SwfShape& s) {
         s.addLineStyle(4000, {});
         s.addLineStyle(-3, {});
       },
       "3F 08 14 00 00 00 01 00 08 00 00 02 FF FF 00 00 00 FF 00 00 00 00 00 FF 02 00"},
      {"linear gradient over 0..100 x 0..50",
       [](swf::SwfShape& s) {
         const swf::SwfGradientRecord stops[] = {{0, {0xFF, 0, 0, 0xFF}},
                                                 {255, {0, 0, 0xFF, 0xFF}}};
         EXPECT_TRUE(s.addGradientFill(swf::kFillLinearGradient, 0, 0, 100, 50, stops));
       },
       "3F 08 1D 00 00 00 01 00 08 00 01 10 C4 1F 40 07 D0 2D F4 1F 40 02 00 FF 00 00 FF FF 00 00 "
       "FF FF 00 10 00"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    swf::SwfShape shape(1, 0, 0, 0, 0, 1);
    ASSERT_TRUE(sameBytes(tagOf(shape), hex(kEmptyShapeHex)));  // built before the edits
    row.build(shape);
    EXPECT_TRUE(sameBytes(tagOf(shape), hex(row.hex)));
  }
}

TEST(SwfShape, StyleCountsFrom255UseTheEscape) {
  for (const std::size_t count : {254U, 255U}) {
    SCOPED_TRACE(count);
    swf::SwfShape shape(1, 0, 0, 0, 0, 1);
    for (std::size_t i = 0; i < count; ++i) ASSERT_TRUE(shape.addSolidFill({1, 2, 3, 4}));
    const std::vector<std::uint8_t> tag = tagOf(shape);
    const std::size_t countBytes = count < 255 ? 1 : 3;
    ASSERT_EQ(tag.size(), 10 + countBytes + 5 * count + 3);
    EXPECT_TRUE(sameBytes(std::span(tag).subspan(10, countBytes + 5),
                          hex(count < 255 ? "FE 00 01 02 03 04" : "FF FF 00 00 01 02 03 04")));
    // Line count 00, NumFillBits 8 / NumLineBits 0, end record.
    EXPECT_TRUE(sameBytes(std::span(tag).last(3), hex("00 80 00")));
  }
}

TEST(SwfShape, RefusedStylesAddNothing) {
  swf::SwfShape shape(1, 0, 0, 0, 0, 1);
  const swf::SwfGradientRecord stop{0, {0, 0, 0, 255}};
  const std::vector<swf::SwfGradientRecord> tooMany(256, stop);
  EXPECT_FALSE(shape.addBitmapFill(1, 0x44, 0, 0, 1, 1, 0, 0, 1, 1));
  EXPECT_FALSE(shape.addBitmapFill(1, 0x3F, 0, 0, 1, 1, 0, 0, 1, 1));
  EXPECT_FALSE(shape.addBitmapFill(1, swf::kFillClippedBitmap, 5, 0, 5, 1, 0, 0, 1, 1));
  EXPECT_FALSE(shape.addBitmapFill(1, swf::kFillClippedBitmap, 0, 3, 1, 3, 0, 0, 1, 1));
  EXPECT_FALSE(shape.addGradientFill(0x11, 0, 0, 1, 1, std::span(&stop, 1)));
  EXPECT_FALSE(shape.addGradientFill(swf::kFillRadialGradient, 0, 0, 1, 1, {}));
  EXPECT_FALSE(shape.addGradientFill(swf::kFillRadialGradient, 0, 0, 1, 1, tooMany));
  EXPECT_TRUE(sameBytes(tagOf(shape), hex(kEmptyShapeHex)));

  for (std::uint8_t type = 0x40; type <= 0x43; ++type) {
    EXPECT_TRUE(shape.addBitmapFill(3, type, 0, 0, 10, 10, 0, 0, 10, 10));
  }
  EXPECT_TRUE(shape.addGradientFill(swf::kFillRadialGradient, 0, 0, 1, 1, std::span(&stop, 1)));
  // Indices up to kMaxStyles fit the 4-bit widths; one more style is refused.
  for (int i = 5; i < swf::SwfShape::kMaxStyles; ++i) ASSERT_TRUE(shape.addSolidFill({}));
  for (int i = 0; i < swf::SwfShape::kMaxStyles; ++i) ASSERT_TRUE(shape.addLineStyle(1, {}));
  EXPECT_FALSE(shape.addSolidFill({}));
  EXPECT_FALSE(shape.addLineStyle(1, {}));
  const std::vector<std::uint8_t> tag = tagOf(shape);
  EXPECT_TRUE(sameBytes(std::span(tag).last(2), hex("FF 00")));  // NumFillBits, NumLineBits 15
}

// Where the edge records of a tag from a shape with no styles and bounds 0..0 take the pen, in
// twips. Every record must be straight or curved as asked, and at most 17 bits wide.
std::pair<std::int64_t, std::int64_t> penAfterEdges(const std::vector<std::uint8_t>& tag,
                                                    bool straight) {
  std::size_t bit = std::size_t{13} * 8;  // header 6, id 2, RECT 2, counts 2, bits byte 1
  auto read = [&](unsigned width) {
    std::int64_t value = 0;
    for (unsigned i = 0; i < width; ++i, ++bit) {
      value = value * 2 + ((tag[bit / 8] >> (7 - bit % 8)) & 1);
    }
    return value;
  };
  auto readSigned = [&](unsigned width) {
    const std::int64_t raw = read(width);
    return raw >= (std::int64_t{1} << (width - 1)) ? raw - (std::int64_t{1} << width) : raw;
  };
  std::pair<std::int64_t, std::int64_t> pen;
  while (read(1) == 1) {
    EXPECT_EQ(read(1), straight ? 1 : 0);
    const unsigned width = static_cast<unsigned>(read(4)) + 2;
    EXPECT_LE(width, 17U);
    if (straight) {
      EXPECT_EQ(read(1), 1);  // general line
    }
    for (int i = 0; i < (straight ? 1 : 2); ++i) {  // control then anchor deltas for curves
      pen.first += readSigned(width);
      pen.second += readSigned(width);
    }
  }
  EXPECT_EQ(read(5), 0);  // rest of the end record
  EXPECT_EQ(tag.size(), (bit + 7) / 8);
  return pen;
}

TEST(SwfShape, LongEdgesSplitIntoPiecesThatEndAtTheSamePoint) {
  auto twips = [](float px) { return static_cast<std::int64_t>(std::trunc(px * 20.0F)); };
  const std::vector<float> rows[] = {
      {3276.8F, -5},      {-10000.35F, 7000.1F},         {5e7F, -5e7F},
      {5000, 0, 0, 5000}, {-4000.55F, 100, 9000, -3000}, {3e7F, 0, -3e7F, 2e7F}};
  for (const std::vector<float>& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row));
    const bool straight = row.size() == 2;
    swf::SwfShape shape(1, 0, 0, 0, 0, 1);
    if (straight) {
      shape.lineTo(row[0], row[1]);
    } else {
      shape.curveTo(row[0], row[1], row[2], row[3]);
    }
    const std::pair<std::int64_t, std::int64_t> expected =
        straight ? std::pair{twips(row[0]), twips(row[1])}
                 : std::pair{twips(row[0]) + twips(row[2]), twips(row[1]) + twips(row[3])};
    EXPECT_EQ(penAfterEdges(tagOf(shape), straight), expected);
  }
}

TEST(SwfShape, PlacementSettersReplaceOnePairAndRotationNudgesRightAngles) {
  swf::SwfShape shape(1, 0, 0, 0, 0, 1);
  EXPECT_TRUE(sameBytes(shape.placementMatrix().encode(), hex("00")));
  shape.setScale(2, 2);
  shape.setTranslation(-0.2F, 0);
  EXPECT_TRUE(sameBytes(shape.placementMatrix().encode(), hex("CD 00 00 20 00 01 30 00")));
  shape.setSkew(1, -1);
  EXPECT_EQ(shape.placementMatrix().get(), (std::array<float, 6>{2, 2, 1, -1, -0.2F, 0}));
  shape.setScale(0, 0);  // leaves the scale field as it was
  EXPECT_EQ(shape.placementMatrix().get(), (std::array<float, 6>{0, 0, 1, -1, -0.2F, 0}));

  // Whole-degree parts that are multiples of 90 get 0.05 degrees more: (0, 0) would be absent.
  constexpr double kRadiansPerDegree = 0.017453292222222222;
  shape.setTranslation(3, 4);
  for (const auto& [degrees, nudged] : {std::pair{-180.7F, -180.65}, std::pair{89.9F, 89.9}}) {
    SCOPED_TRACE(degrees);
    shape.setRotation(degrees);
    const auto cosine = static_cast<float>(std::cos(nudged * kRadiansPerDegree));
    const auto sine = static_cast<float>(std::sin(nudged * kRadiansPerDegree));
    const std::array<float, 6> m = shape.placementMatrix().get();
    EXPECT_NEAR(m[0], cosine, 1e-6F);
    EXPECT_NEAR(m[1], cosine, 1e-6F);
    EXPECT_NEAR(m[2], sine, 1e-6F);
    EXPECT_NEAR(m[3], -sine, 1e-6F);
    EXPECT_EQ(m[4], 3.0F);
    EXPECT_EQ(m[5], 4.0F);
  }
}

}  // namespace
