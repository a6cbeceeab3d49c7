#include "image/jpeg_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "image/image_buffer.h"
#include "image/image_sequence.h"
#include "image_test_util.h"

namespace image {
namespace {

// The markers of a JPEG stream up to its first scan: code -> payload (without the length).
std::multimap<int, std::vector<uint8_t>> Segments(const std::vector<uint8_t>& jpeg) {
  std::multimap<int, std::vector<uint8_t>> segments;
  std::size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
    const int code = jpeg[at + 1];
    const std::size_t length = (std::size_t{jpeg[at + 2]} << 8) | jpeg[at + 3];
    if (length < 2 || at + 2 + length > jpeg.size()) {
      break;
    }
    segments.emplace(code, std::vector<uint8_t>(jpeg.begin() + static_cast<long>(at) + 4,
                                                jpeg.begin() + static_cast<long>(at + 2 + length)));
    if (code == 0xDA) {
      break;
    }
    at += 2 + length;
  }
  return segments;
}

// The 64 values of quantisation table 0 in natural (row-major) order.
std::array<int, 64> LuminanceTable(const std::vector<uint8_t>& jpeg) {
  // Position in natural order of the k-th value in zig-zag order.
  static constexpr std::array<int, 64> kZigZag = {
      0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
      41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
      30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
  std::array<int, 64> table{};
  const auto segments = Segments(jpeg);
  for (auto [it, end] = segments.equal_range(0xDB); it != end; ++it) {
    const std::vector<uint8_t>& body = it->second;
    // Each table: precision/id byte, then 64 one-byte values.
    for (std::size_t at = 0; at + 65 <= body.size(); at += 65) {
      if (body[at] == 0x00) {
        for (std::size_t k = 0; k < 64; ++k) {
          table[static_cast<std::size_t>(kZigZag[k])] = body[at + 1 + k];
        }
      }
    }
  }
  return table;
}

// The luminance table of the JPEG standard (Annex K, table K.1) scaled to `quality` the way
// the IJG library does, limited to 1..255 for baseline files.
std::array<int, 64> ExpectedLuminanceTable(int quality) {
  static constexpr std::array<int, 64> kBase = {
      16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
      14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
      18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
      49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
  const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
  std::array<int, 64> table{};
  for (std::size_t i = 0; i < 64; ++i) {
    table[i] = std::clamp((kBase[i] * scale + 50) / 100, 1, 255);
  }
  return table;
}

ImageBuffer Gradient(int width, int height, int bitsPerPixel) {
  ImageBuffer picture;
  EXPECT_TRUE(picture.Create(width, height, bitsPerPixel));
  test::FillPattern(picture);
  return picture;
}

ImageOptions FlagOptions(const std::string& flag) {
  ImageOptions options;
  options.Set(kSaveFlag, flag);
  return options;
}

TEST(JpegQualityTest, OptionsMapToQuality) {
  struct Row {
    const char* name;
    const char* flag;  // null: kSaveFlag absent
    const char* tag;   // null: kJpegQualityTag absent
    int quality;
  };
  const Row rows[] = {
      {"no options", nullptr, nullptr, 80},
      {"default flag", "-1", nullptr, 80},
      {"empty flag", "", nullptr, 80},
      {"above range", "150", nullptr, 100},
      {"zero", "0", nullptr, 1},
      {"negative", "-5", nullptr, 1},
      {"not a number", "abc", nullptr, 1},
      {"number then text", "42x", nullptr, 42},
      {"plain", "55", nullptr, 55},
      {"huge", "99999999999999999999", nullptr, 100},
      {"tag when flag empty", "", "75", 75},
      {"tag when flag absent", nullptr, "30", 30},
      {"flag wins over tag", "42", "75", 42},
      {"default flag ignores tag", "-1", "75", 80},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ImageOptions options;
    if (row.flag != nullptr) {
      options.Set(kSaveFlag, row.flag);
    }
    if (row.tag != nullptr) {
      options.Set(kJpegQualityTag, row.tag);
    }
    EXPECT_EQ(JpegQualityFromOptions(options), row.quality);
  }
}

TEST(JpegCodecTest, SaveFlagReachesTheQuantisationTable) {
  const ImageBuffer picture = Gradient(16, 16, 24);
  struct Row {
    const char* flag;
    int quality;
  };
  for (const Row& row :
       {Row{"-1", 80}, Row{"150", 100}, Row{"0", 1}, Row{"abc", 1}, Row{"50", 50}, Row{"25", 25}}) {
    SCOPED_TRACE(row.flag);
    JpegCodec codec;
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(codec.SaveMemory({&picture}, FlagOptions(row.flag), jpeg));
    EXPECT_EQ(LuminanceTable(jpeg), ExpectedLuminanceTable(row.quality));
  }
}

TEST(JpegCodecTest, WritesBaselineWithChromaHalvedBothWays) {
  for (int depth : {24, 32}) {
    SCOPED_TRACE(depth);
    const ImageBuffer picture = Gradient(33, 17, depth);
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(EncodeJpeg(picture, 80, jpeg, nullptr));
    const auto segments = Segments(jpeg);
    EXPECT_EQ(segments.count(0xC2), 0U) << "progressive frame";
    ASSERT_EQ(segments.count(0xC0), 1U) << "no baseline frame";
    const std::vector<uint8_t>& frame = segments.find(0xC0)->second;
    // precision, height, width, components, then id / sampling / table per component.
    ASSERT_EQ(frame.size(), 6U + 3U * 3U);
    EXPECT_EQ(frame[0], 8);
    EXPECT_EQ((frame[1] << 8) | frame[2], 17);
    EXPECT_EQ((frame[3] << 8) | frame[4], 33);
    EXPECT_EQ(frame[5], 3);
    EXPECT_EQ(frame[7], 0x22) << "luma sampling";
    EXPECT_EQ(frame[10], 0x11) << "Cb sampling";
    EXPECT_EQ(frame[13], 0x11) << "Cr sampling";
  }
}

TEST(JpegCodecTest, SaveWithDefaultFlagWritesQuality80BytesThroughUpperCaseExtension) {
  test::TempDir dir;
  const ImageBuffer picture = Gradient(20, 10, 24);
  ASSERT_TRUE(picture.Save(dir.File("frame.JPG"), -1));
  std::vector<uint8_t> expected;
  ASSERT_TRUE(EncodeJpeg(picture, 80, expected, nullptr));
  EXPECT_TRUE(test::SameBytes(test::ReadFile(dir.File("frame.JPG")), expected));
  EXPECT_EQ(dir.Entries().size(), 1U);
}

TEST(JpegCodecTest, EqualInputGivesEqualBytes) {
  const ImageBuffer picture = Gradient(64, 48, 32);
  std::vector<uint8_t> first;
  std::vector<uint8_t> second;
  ASSERT_TRUE(EncodeJpeg(picture, 80, first, nullptr));
  ASSERT_TRUE(EncodeJpeg(picture, 80, second, nullptr));
  EXPECT_TRUE(test::SameBytes(second, first));
}

std::vector<uint8_t> DecodedPixel(const std::vector<uint8_t>& jpeg, int x, int y) {
  JpegCodec codec;
  ImageSequence frames;
  EXPECT_TRUE(codec.LoadMemory(jpeg, frames));
  if (frames.Count() != 1) {
    return {};
  }
  const uint8_t* pixel = frames.At(0)->PixelAddress(x, y);
  return {pixel[0], pixel[1], pixel[2]};
}

void ExpectNear(const std::vector<uint8_t>& actual, std::array<int, 3> bgr, int tolerance) {
  ASSERT_EQ(actual.size(), 3U);
  for (std::size_t c = 0; c < 3; ++c) {
    EXPECT_NEAR(actual[c], bgr[c], tolerance) << "channel " << c;
  }
}

TEST(JpegCodecTest, OpaqueThirtyTwoBitEncodesLikeTwentyFourBit) {
  const ImageBuffer opaque = Gradient(21, 13, 24);
  ImageBuffer withAlpha;
  ASSERT_TRUE(withAlpha.Create(21, 13, 32));
  for (int y = 0; y < 13; ++y) {
    for (int x = 0; x < 21; ++x) {
      std::copy_n(opaque.PixelAddress(x, y), 3, withAlpha.PixelAddress(x, y));
      withAlpha.PixelAddress(x, y)[3] = 255;
    }
  }
  std::vector<uint8_t> expected;
  std::vector<uint8_t> actual;
  ASSERT_TRUE(EncodeJpeg(opaque, 80, expected, nullptr));
  ASSERT_TRUE(EncodeJpeg(withAlpha, 80, actual, nullptr));
  EXPECT_TRUE(test::SameBytes(actual, expected));
}

TEST(JpegCodecTest, TransparentPixelsComeOutWhite) {
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(16, 16, 32));  // zeroed: black, alpha 0
  for (int y = 8; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      uint8_t* pixel = picture.PixelAddress(x, y);
      pixel[3] = 128;  // black at half alpha over white
    }
  }
  std::vector<uint8_t> jpeg;
  ASSERT_TRUE(EncodeJpeg(picture, 90, jpeg, nullptr));
  ExpectNear(DecodedPixel(jpeg, 4, 2), {255, 255, 255}, 3);
  ExpectNear(DecodedPixel(jpeg, 4, 13), {127, 127, 127}, 3);
}

TEST(JpegCodecTest, PaletteAndSixteenBitPixelsAreExpanded) {
  ImageBuffer palette;
  ASSERT_TRUE(palette.Create(16, 16, 8));
  const RgbQuad red{0, 0, 255, 0};
  ASSERT_TRUE(palette.SetPalette(0, 1, &red));
  std::vector<uint8_t> jpeg;
  ASSERT_TRUE(EncodeJpeg(palette, 95, jpeg, nullptr));
  ExpectNear(DecodedPixel(jpeg, 8, 8), {0, 0, 255}, 4);

  BitmapInfoHeader header;
  header.biWidth = 16;
  header.biHeight = 16;
  header.biBitCount = 16;
  header.biCompression = kBiBitfields;
  const uint32_t masks565[3] = {0xF800, 0x07E0, 0x001F};
  ImageBuffer sixteen;
  ASSERT_TRUE(sixteen.CreateFromHeader(header, masks565));
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      sixteen.PixelAddress(x, y)[0] = 0xE0;  // 0x07E0: full green
      sixteen.PixelAddress(x, y)[1] = 0x07;
    }
  }
  ASSERT_TRUE(EncodeJpeg(sixteen, 95, jpeg, nullptr));
  ExpectNear(DecodedPixel(jpeg, 8, 8), {0, 255, 0}, 4);
}

TEST(JpegCodecTest, DecodesToTwentyFourBitsOfTheSameSize) {
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(24, 10, 24));
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 24; ++x) {
      uint8_t* pixel = picture.PixelAddress(x, y);
      pixel[0] = static_cast<uint8_t>(x * 10);
      pixel[1] = 100;
      pixel[2] = static_cast<uint8_t>(y * 20);
    }
  }
  std::vector<uint8_t> jpeg;
  ASSERT_TRUE(EncodeJpeg(picture, 100, jpeg, nullptr));
  JpegCodec codec;
  ImageSequence frames;
  ASSERT_TRUE(codec.LoadMemory(jpeg, frames));
  ASSERT_EQ(frames.Count(), 1);
  const ImageBuffer& decoded = *frames.At(0);
  EXPECT_EQ(decoded.Width(), 24);
  EXPECT_EQ(decoded.Height(), 10);
  EXPECT_EQ(decoded.BitsPerPixel(), 24);
  // Top-left and bottom-right keep their place (rows are not flipped).
  ExpectNear(DecodedPixel(jpeg, 0, 0), {0, 100, 0}, 12);
  ExpectNear(DecodedPixel(jpeg, 23, 9), {230, 100, 180}, 12);
}

TEST(JpegCodecTest, RejectsDataThatIsNotJpeg) {
  static constexpr std::array<uint8_t, 2> kStartOfFrame = {0xFF, 0xC0};
  const ImageBuffer picture = Gradient(8, 8, 24);
  std::vector<uint8_t> jpeg;
  ASSERT_TRUE(EncodeJpeg(picture, 80, jpeg, nullptr));
  struct Row {
    const char* name;
    std::vector<uint8_t> bytes;
    ImageError error;
  };
  const Row rows[] = {
      {"wrong signature", test::Hex("89 50 4E 47 0D 0A 1A 0A"), ImageError::BadSignature},
      {"one byte", test::Hex("FF"), ImageError::BadSignature},
      // Without a frame header the library reports no size at all.
      {"start marker only", test::Hex("FF D8"), ImageError::BadDimensions},
      {"cut inside the tables", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 40),
       ImageError::BadDimensions},
      {"start of frame damaged",
       [&] {
         std::vector<uint8_t> bytes = jpeg;
         const auto frame =
             std::search(bytes.begin(), bytes.end(), kStartOfFrame.begin(), kStartOfFrame.end());
         frame[4] = 12;  // sample precision
         return bytes;
       }(),
       ImageError::Corrupt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    JpegCodec codec;
    ImageSequence frames;
    frames.Append(std::make_unique<ImageBuffer>());
    EXPECT_FALSE(codec.LoadMemory(row.bytes, frames));
    EXPECT_EQ(codec.LastError(), row.error) << ToString(codec.LastError());
    EXPECT_EQ(frames.Count(), 1);
  }
}

TEST(JpegCodecTest, DataEndingInsideTheScanStillGivesTheWholePicture) {
  const ImageBuffer picture = Gradient(64, 64, 24);
  std::vector<uint8_t> jpeg;
  ASSERT_TRUE(EncodeJpeg(picture, 80, jpeg, nullptr));
  jpeg.resize(jpeg.size() * 2 / 3);
  JpegCodec codec;
  ImageSequence frames;
  ASSERT_TRUE(codec.LoadMemory(jpeg, frames)) << ToString(codec.LastError());
  ASSERT_EQ(frames.Count(), 1);
  EXPECT_EQ(frames.At(0)->Width(), 64);
  EXPECT_EQ(frames.At(0)->Height(), 64);
}

TEST(JpegCodecTest, EncodeRefusesAnInvalidImageAndLeavesTheOutputAlone) {
  const ImageBuffer empty;
  std::vector<uint8_t> out = {1, 2, 3};
  ImageError error = ImageError::None;
  EXPECT_FALSE(EncodeJpeg(empty, 80, out, &error));
  EXPECT_EQ(error, ImageError::InvalidImage);
  EXPECT_EQ(out, (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace image
