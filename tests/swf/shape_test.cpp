#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "byte_match.h"
#include "swf/swf_constants.h"
#include "swf/swf_shape.h"

namespace {

using swftest::bytesMatch;

std::vector<std::uint8_t> tagOf(const swf::SwfShape& shape) {
  const std::span<const std::uint8_t> bytes = shape.tagBytes();
  EXPECT_EQ(shape.tagSize(), bytes.size());
  return {bytes.begin(), bytes.end()};
}

// The shape that a converted 100 x 50 frame 0 gets.
swf::SwfShape conversionShape() {
  swf::SwfShape shape(0, 0, 0, 100, 50, 1);
  shape.addLineStyle(0, {0x00, 0x00, 0x00, 0xFF});
  shape.addBitmapFill(1, swf::kFillClippedBitmap, 0, 0, 100, 50, 0, 0, 100, 50);
  shape.changeStyle(1, 1, 0, 0, 0);
  shape.lineTo(100, 0);
  shape.lineTo(0, 50);
  shape.lineTo(-100, 0);
  shape.lineTo(0, -50);
  return shape;
}

constexpr const char* kConversionShapeHex =
    "3F 08 2E 00 00 00 00 00 60 00 3E 80 00 1F 40 01 41 01 00 D9 40 00 05 00 00 00 01 00 00 00 "
    "00 00 FF 11 3C 25 EA FA 00 01 CC 00 3E 8E B0 60 00 1C C0 04 18 00";

TEST(SwfShape, ConversionFrameShapeIsTheKnown52Bytes) {
  const swf::SwfShape shape = conversionShape();
  EXPECT_TRUE(bytesMatch(tagOf(shape), kConversionShapeHex));
  EXPECT_EQ(shape.kind(), swf::CharacterKind::kShape);
  EXPECT_EQ(shape.id(), 0);
  EXPECT_EQ(shape.depth(), 1);
}

TEST(SwfShape, TagIsTheSameWhenAskedTwice) {
  const swf::SwfShape shape = conversionShape();
  const std::vector<std::uint8_t> first = tagOf(shape);
  EXPECT_TRUE(bytesMatch(tagOf(shape), first));
  EXPECT_EQ(shape.tagSize(), 52U);
}

TEST(SwfShape, EditingAfterTheTagRebuildsIt) {
  swf::SwfShape shape(1, 0, 0, 0, 0, 1);
  EXPECT_TRUE(bytesMatch(tagOf(shape), "3F 08 08 00 00 00 01 00 08 00 00 00 00 00"));
  shape.lineTo(0, 0);
  EXPECT_TRUE(bytesMatch(tagOf(shape), "3F 08 0A 00 00 00 01 00 08 00 00 00 00 C2 00 00"));
}

struct ShapeRow {
  const char* name;
  void (*build)(swf::SwfShape&);
  const char* hex;
};

TEST(SwfShape, EncodesTable) {
  // Every row starts from shape id 1 with bounds 0..0 (RECT 08 00).
  const ShapeRow rows[] = {
      {"no styles, no records: counts 00 00, bits 00, end record 00", [](swf::SwfShape&) {},
       "3F 08 08 00 00 00 01 00 08 00 00 00 00 00"},
      {"zero-length edge: width 2", [](swf::SwfShape& s) { s.lineTo(0, 0); },
       "3F 08 0A 00 00 00 01 00 08 00 00 00 00 C2 00 00"},
      {"edge (12, 0): width 9, 25 bits", [](swf::SwfShape& s) { s.lineTo(12, 0); },
       "3F 08 0B 00 00 00 01 00 08 00 00 00 00 DE F0 00 00"},
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
      {"linear gradient over 0..100 x 0..50",
       [](swf::SwfShape& s) {
         const swf::SwfGradientRecord stops[] = {{0, {0xFF, 0, 0, 0xFF}},
                                                 {255, {0, 0, 0xFF, 0xFF}}};
         EXPECT_TRUE(s.addGradientFill(swf::kFillLinearGradient, 0, 0, 100, 50, stops));
       },
       "3F 08 1D 00 00 00 01 00 08 00 01 10 C4 1F 40 07 D0 2D F4 1F 40 02 00 FF 00 00 FF FF 00 00 "
       "FF FF 00 10 00"},
      {"edge of 70000 twips: two edges of 35000", [](swf::SwfShape& s) { s.lineTo(3500, 0); },
       "3F 08 12 00 00 00 01 00 08 00 00 00 00 FE 88 B8 00 00 7F 44 5C 00 00 00"},
  };
  for (const ShapeRow& row : rows) {
    SCOPED_TRACE(row.name);
    swf::SwfShape shape(1, 0, 0, 0, 0, 1);
    row.build(shape);
    EXPECT_TRUE(bytesMatch(tagOf(shape), row.hex));
  }
}

TEST(SwfShape, StyleCountsFrom255UseTheEscape) {
  for (const int count : {254, 255}) {
    SCOPED_TRACE(count);
    swf::SwfShape shape(1, 0, 0, 0, 0, 1);
    for (int i = 0; i < count; ++i) ASSERT_TRUE(shape.addSolidFill({1, 2, 3, 4}));
    const std::vector<std::uint8_t> tag = tagOf(shape);
    const std::size_t countBytes = count < 255 ? 1 : 3;
    ASSERT_EQ(tag.size(), 10 + countBytes + 5 * static_cast<std::size_t>(count) + 3);
    const std::string expectedCount = count < 255 ? "FE" : "FF FF 00";
    EXPECT_TRUE(bytesMatch(std::span(tag).subspan(10, countBytes), expectedCount));
    EXPECT_TRUE(bytesMatch(std::span(tag).subspan(10 + countBytes, 5), "00 01 02 03 04"));
    // Line count 00, NumFillBits 8 / NumLineBits 0, end record.
    EXPECT_TRUE(bytesMatch(std::span(tag).last(3), "00 80 00"));
  }
}

TEST(SwfShape, RejectedFillsAddNothing) {
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
  EXPECT_TRUE(bytesMatch(tagOf(shape), "3F 08 08 00 00 00 01 00 08 00 00 00 00 00"));
}

TEST(SwfShape, AcceptsEveryBitmapFillTypeAndRadialGradient) {
  swf::SwfShape shape(1, 0, 0, 0, 0, 1);
  for (std::uint8_t type = 0x40; type <= 0x43; ++type) {
    EXPECT_TRUE(shape.addBitmapFill(3, type, 0, 0, 10, 10, 0, 0, 10, 10));
  }
  const swf::SwfGradientRecord stop{0, {0, 0, 0, 255}};
  EXPECT_TRUE(shape.addGradientFill(swf::kFillRadialGradient, 0, 0, 1, 1, std::span(&stop, 1)));
}

TEST(SwfShape, StyleListsStopAtTheLargestIndexTheFourBitWidthsAllow) {
  swf::SwfShape shape(1, 0, 0, 0, 0, 1);
  for (int i = 0; i < swf::SwfShape::kMaxStyles; ++i) {
    ASSERT_TRUE(shape.addSolidFill({}));
    ASSERT_TRUE(shape.addLineStyle(1, {}));
  }
  EXPECT_FALSE(shape.addSolidFill({}));
  EXPECT_FALSE(shape.addLineStyle(1, {}));
  const std::vector<std::uint8_t> tag = tagOf(shape);
  EXPECT_EQ(tag[tag.size() - 2], 0xFF);  // NumFillBits 15, NumLineBits 15
}

TEST(SwfShape, LineWidthSaturatesAtSixteenBits) {
  swf::SwfShape shape(1, 0, 0, 0, 0, 1);
  shape.addLineStyle(4000, {});
  shape.addLineStyle(-3, {});
  EXPECT_TRUE(
      bytesMatch(tagOf(shape),
                 "3F 08 14 00 00 00 01 00 08 00 00 02 FF FF 00 00 00 FF 00 00 00 00 00 FF 02 00"));
}

// Reads the edge records of a tag built from a shape with no styles and bounds 0..0.
struct DecodedEdge {
  bool straight = false;
  unsigned width = 0;
  std::vector<std::int64_t> values;
};

std::vector<DecodedEdge> decodeEdges(const std::vector<std::uint8_t>& tag) {
  std::size_t bit = std::size_t{13} * 8;  // header 6, id 2, RECT 2, counts 2, bits byte 1
  auto read = [&](unsigned width) {
    std::uint64_t value = 0;
    for (unsigned i = 0; i < width; ++i, ++bit) {
      value = (value << 1) | ((tag[bit / 8] >> (7 - bit % 8)) & 1U);
    }
    return value;
  };
  auto readSigned = [&](unsigned width) {
    const std::uint64_t raw = read(width);
    const bool negative = (raw >> (width - 1)) & 1U;
    return negative ? static_cast<std::int64_t>(raw) - (std::int64_t{1} << width)
                    : static_cast<std::int64_t>(raw);
  };
  std::vector<DecodedEdge> edges;
  while (read(1) == 1) {
    DecodedEdge edge;
    edge.straight = read(1) == 1;
    edge.width = static_cast<unsigned>(read(4)) + 2;
    if (edge.straight) {
      EXPECT_EQ(read(1), 1U);  // general line
    }
    for (int i = 0; i < (edge.straight ? 2 : 4); ++i) edge.values.push_back(readSigned(edge.width));
    edges.push_back(edge);
  }
  EXPECT_EQ(read(5), 0U);  // rest of the end record
  EXPECT_EQ(tag.size(), (bit + 7) / 8);
  return edges;
}

TEST(SwfShape, LongStraightEdgesSplitIntoPiecesThatAddUp) {
  const std::pair<float, float> rows[] = {
      {3276.75F, 0}, {3276.8F, -5}, {-10000.35F, 7000.1F}, {5e7F, -5e7F}};
  for (const auto& [dx, dy] : rows) {
    SCOPED_TRACE(std::to_string(dx) + ", " + std::to_string(dy));
    swf::SwfShape shape(1, 0, 0, 0, 0, 1);
    shape.lineTo(dx, dy);
    std::int64_t sumX = 0;
    std::int64_t sumY = 0;
    const std::vector<DecodedEdge> edges = decodeEdges(tagOf(shape));
    for (const DecodedEdge& edge : edges) {
      EXPECT_TRUE(edge.straight);
      EXPECT_LE(edge.width, 17U);
      sumX += edge.values[0];
      sumY += edge.values[1];
    }
    EXPECT_EQ(sumX, static_cast<std::int64_t>(std::trunc(static_cast<double>(dx * 20.0F))));
    EXPECT_EQ(sumY, static_cast<std::int64_t>(std::trunc(static_cast<double>(dy * 20.0F))));
  }
}

TEST(SwfShape, StraightEdgeOfExactly65535TwipsStaysWhole) {
  swf::SwfShape shape(1, 0, 0, 0, 0, 1);
  shape.lineTo(3276.75F, 0);  // 65535 twips
  const std::vector<DecodedEdge> edges = decodeEdges(tagOf(shape));
  ASSERT_EQ(edges.size(), 1U);
  EXPECT_EQ(edges[0].width, 17U);
  EXPECT_EQ(edges[0].values[0], 65535);
}

TEST(SwfShape, LongCurvesSplitIntoPiecesThatEndAtTheSamePoint) {
  const std::array<float, 4> rows[] = {
      {5000, 0, 0, 5000}, {-4000.55F, 100, 9000, -3000}, {1, 1, 1, -1}, {3e7F, 0, -3e7F, 2e7F}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row[0]) + " " + std::to_string(row[2]));
    swf::SwfShape shape(1, 0, 0, 0, 0, 1);
    shape.curveTo(row[0], row[1], row[2], row[3]);
    std::int64_t endX = 0;
    std::int64_t endY = 0;
    for (const DecodedEdge& edge : decodeEdges(tagOf(shape))) {
      EXPECT_FALSE(edge.straight);
      EXPECT_LE(edge.width, 17U);
      endX += edge.values[0] + edge.values[2];
      endY += edge.values[1] + edge.values[3];
    }
    auto twips = [](float px) { return static_cast<std::int64_t>(std::trunc(px * 20.0F)); };
    EXPECT_EQ(endX, twips(row[0]) + twips(row[2]));
    EXPECT_EQ(endY, twips(row[1]) + twips(row[3]));
  }
}

TEST(SwfShape, PlacementMatrixSettersReplaceOnePairEach) {
  swf::SwfShape shape(1, 0, 0, 0, 0, 1);
  EXPECT_TRUE(bytesMatch(shape.placementMatrix().encode(), "00"));
  shape.setScale(2, 2);
  shape.setTranslation(-0.2F, 0);
  EXPECT_TRUE(bytesMatch(shape.placementMatrix().encode(), "CD 00 00 20 00 01 30 00"));
  shape.setSkew(1, -1);
  EXPECT_EQ(shape.placementMatrix().get(), (std::array<float, 6>{2, 2, 1, -1, -0.2F, 0}));
  shape.setScale(0, 0);  // leaves the scale field as it was
  EXPECT_EQ(shape.placementMatrix().get(), (std::array<float, 6>{0, 0, 1, -1, -0.2F, 0}));
}

TEST(SwfShape, RotationNudgesRightAnglesAndKeepsTheTranslation) {
  // Whole-degree parts that are multiples of 90 (0, 90, -180) get 0.05 degrees more.
  constexpr double kRadiansPerDegree = 0.017453292222222222;
  const std::pair<float, double> rows[] = {
      {0.0F, 0.05 * kRadiansPerDegree},
      {90.0F, 90.05 * kRadiansPerDegree},
      {-180.7F, (static_cast<double>(-180.7F) + 0.05) * kRadiansPerDegree},
      {45.0F, 45.0 * kRadiansPerDegree},
      {89.9F, static_cast<double>(89.9F) * kRadiansPerDegree},
  };
  for (const auto& [degrees, radians] : rows) {
    SCOPED_TRACE(degrees);
    swf::SwfShape shape(1, 0, 0, 0, 0, 1);
    shape.setTranslation(3, 4);
    shape.setRotation(degrees);
    const std::array<float, 6> m = shape.placementMatrix().get();
    EXPECT_FLOAT_EQ(m[0], static_cast<float>(std::cos(radians)));
    EXPECT_FLOAT_EQ(m[1], static_cast<float>(std::cos(radians)));
    EXPECT_FLOAT_EQ(m[2], static_cast<float>(std::sin(radians)));
    EXPECT_FLOAT_EQ(m[3], -static_cast<float>(std::sin(radians)));
    EXPECT_EQ(m[4], 3.0F);
    EXPECT_EQ(m[5], 4.0F);
  }
}

}  // namespace
