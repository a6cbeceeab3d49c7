#include "image/jpeg_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <tuple>

#include "image_test_util.h"

namespace image {
namespace {

using test::Bytes;

// The payload of the first marker segment `code` before the scan; empty when there is none.
Bytes segment(const Bytes& jpeg, int code) {
  for (std::size_t at = 2; at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA;) {
    const std::size_t end = at + 2 + ((std::size_t{jpeg[at + 2]} << 8) | jpeg[at + 3]);
    if (end > jpeg.size()) break;
    if (jpeg[at + 1] == code) return {jpeg.begin() + long(at) + 4, jpeg.begin() + long(end)};
    at = end;
  }
  return {};
}

// Table id 0 and the luminance table of the JPEG standard (Annex K, table K.1, in zig-zag order)
// scaled to `quality` the way the IJG library does, limited to 1..255 for baseline files.
Bytes expectedLuminanceTable(int quality) {
  static constexpr std::array<int, 64> kZigZagBase = {
      16, 11, 12,  14,  12,  10, 16, 14,  13,  14,  18,  17,  16, 19,  24,  40,
      26, 24, 22,  22,  24,  49, 35, 37,  29,  40,  58,  51,  61, 60,  57,  51,
      56, 55, 64,  72,  92,  78, 64, 68,  87,  69,  55,  56,  80, 109, 81,  87,
      95, 98, 103, 104, 103, 62, 77, 113, 121, 112, 100, 120, 92, 101, 103, 99};
  const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
  Bytes table = {0};
  for (int base : kZigZagBase)
    table.push_back(uint8_t(std::clamp((base * scale + 50) / 100, 1, 255)));
  return table;
}

Bytes encodedJpeg(const ImageBuffer& picture, int quality) {
  Bytes jpeg;
  EXPECT_TRUE(encodeJpeg(picture, quality, jpeg));
  return jpeg;
}

// Quality comes from the save flag, else the quality tag, else 80; it reaches the file's
// luminance quantisation table.
TEST(JpegCodecTest, OptionsMapToTheQuantisationTable) {
  const ImageBuffer picture = test::makePicture(16, 16, 24);
  const std::tuple<const char*, const char*, int> rows[] = {
      // flag, tag (null: absent)
      {nullptr, nullptr, 80}, {"-1", nullptr, 80},
      {"", nullptr, 80},      {"150", nullptr, 100},
      {"0", nullptr, 1},      {"-5", nullptr, 1},
      {"abc", nullptr, 1},    {"42x", nullptr, 42},
      {"55", nullptr, 55},    {"", "75", 75},
      {nullptr, "30", 30},    {"42", "75", 42},
      {"-1", "75", 80},       {"99999999999999999999", nullptr, 100}};
  for (const auto& [flag, tag, quality] : rows) {
    SCOPED_TRACE(testing::Message() << (flag ? flag : "no flag") << ", " << (tag ? tag : "no tag"));
    ImageOptions options;
    if (flag != nullptr) options.set(kSaveFlag, flag);
    if (tag != nullptr) options.set(kJpegQualityTag, tag);
    EXPECT_EQ(jpegQualityFromOptions(options), quality);
    JpegCodec codec;
    Bytes jpeg;
    ASSERT_TRUE(codec.saveMemory({&picture}, options, jpeg));
    const Bytes tables = segment(jpeg, 0xDB);
    ASSERT_GE(tables.size(), 65U);
    EXPECT_TRUE(test::sameBytes(std::span(tables).first(65), expectedLuminanceTable(quality)));
  }
}

TEST(JpegCodecTest, WritesBaselineWithChromaHalvedBothWays) {
  for (int depth : {24, 32}) {
    SCOPED_TRACE(depth);
    const Bytes jpeg = encodedJpeg(test::makePicture(33, 17, depth), 80);
    EXPECT_TRUE(segment(jpeg, 0xC2).empty()) << "progressive frame";
    // Precision 8, height 17, width 33, 3 components: Y sampled 2x2, Cb and Cr 1x1.
    EXPECT_TRUE(test::sameBytes(segment(jpeg, 0xC0),
                                test::hex("08 0011 0021 03  01 22 00  02 11 01  03 11 01")));
  }
}

// Save(path, -1) writes exactly EncodeJpeg at quality 80; opaque 32-bit pixels encode as the
// same 24-bit ones.
TEST(JpegCodecTest, SaveWithDefaultFlagWritesQuality80ThroughAnUpperCaseExtension) {
  test::TempDir dir;
  const ImageBuffer picture = test::makePicture(20, 10, 24);
  ASSERT_TRUE(picture.Save(dir.file("frame.JPG"), -1));
  EXPECT_TRUE(test::sameBytes(test::readFile(dir.file("frame.JPG")), encodedJpeg(picture, 80)));
  ImageBuffer opaque = test::picture(20, 10, 32);
  for (int i = 0; i < 200; ++i) {
    std::copy_n(picture.PixelAddress(i % 20, i / 20), 3, opaque.PixelAddress(i % 20, i / 20));
    opaque.PixelAddress(i % 20, i / 20)[3] = 255;
  }
  EXPECT_TRUE(test::sameBytes(encodedJpeg(opaque, 80), encodedJpeg(picture, 80)));
}

// Each depth decodes at its size to its colours: palette entries, 16-bit fields through the
// masks, 32-bit pixels over white (transparent top rows, half-transparent bottom rows).
TEST(JpegCodecTest, EveryDepthDecodesToItsColours) {
  const RgbQuad red{0, 0, 255, 0};
  ImageBuffer palette = test::picture(16, 16, 8);
  ASSERT_TRUE(palette.SetPalette(0, 1, &red));
  ImageBuffer green = test::picture(16, 16, 16, {}, kBiBitfields);
  ImageBuffer halfBlack = test::picture(16, 16, 32);  // black; top half alpha 0, bottom 128
  for (int i = 0; i < 16 * 16; ++i) {
    std::copy_n(test::hex("E0 07").begin(), 2, green.PixelAddress(i % 16, i / 16));  // green
    halfBlack.PixelAddress(i % 16, i / 16)[3] = i < 128 ? 0 : 128;
  }
  const std::tuple<const char*, const ImageBuffer&, int, int, int, std::array<int, 3>, int> rows[] =
      {{"palette", palette, 95, 8, 8, {0, 0, 255}, 4},
       {"16-bit 5-6-5", green, 95, 8, 8, {0, 255, 0}, 4},
       {"transparent over white", halfBlack, 90, 4, 2, {255, 255, 255}, 3},
       {"half alpha over white", halfBlack, 90, 4, 13, {127, 127, 127}, 3}};
  for (const auto& [name, picture, quality, x, y, bgr, tolerance] : rows) {
    SCOPED_TRACE(name);
    JpegCodec codec;
    const ImageBuffer decoded = test::decodeOne(codec, encodedJpeg(picture, quality));
    ASSERT_EQ(decoded.BitsPerPixel(), 24);
    ASSERT_EQ(decoded.Width(), picture.Width());
    ASSERT_EQ(decoded.Height(), picture.Height());
    for (std::size_t c = 0; c < 3; ++c) {
      EXPECT_NEAR(test::pixel(decoded, x, y)[c], bgr[c], tolerance) << "channel " << c;
    }
  }
}

TEST(JpegCodecTest, RejectsDataThatIsNotJpegAndDecodesDataCutInsideTheScan) {
  const Bytes good = encodedJpeg(test::makePicture(64, 64, 24), 80);
  const std::array<uint8_t, 2> kStartOfFrame = {0xFF, 0xC0};
  const auto frame =
      std::search(good.begin(), good.end(), kStartOfFrame.begin(), kStartOfFrame.end());
  JpegCodec codec;
  test::expectEachFails(
      codec,
      {{"wrong signature", test::hex("89 50 4E 47 0D 0A 1A 0A"), ImageError::BadSignature},
       {"one byte", test::hex("FF"), ImageError::BadSignature},
       // Without a frame header the library reports no size at all.
       {"start marker only", test::hex("FF D8"), ImageError::BadDimensions},
       {"cut inside the tables", Bytes(good.begin(), good.begin() + 40), ImageError::BadDimensions},
       {"sample precision 12", test::withByte(good, std::size_t(frame - good.begin()) + 4, 12),
        ImageError::Corrupt}});

  const ImageBuffer cut =
      test::decodeOne(codec, Bytes(good.begin(), good.begin() + long(good.size() * 2 / 3)));
  EXPECT_EQ(cut.Width(), 64);
  EXPECT_EQ(cut.Height(), 64);

  Bytes out = {1, 2, 3};
  EXPECT_EQ(encodeJpeg(ImageBuffer{}, 80, out).code(), ImageError::InvalidImage);
  EXPECT_EQ(out, (Bytes{1, 2, 3}));
}

}  // namespace
}  // namespace image
