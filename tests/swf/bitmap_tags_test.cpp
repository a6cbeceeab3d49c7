// DefineBitsLossless, DefineBitsLossless2 and DefineBitsJPEG3 tags of tiny pictures: the bytes
// before the zlib stream typed by hand, the stream inflated and compared with the data it holds.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/hex_compare.h"
#include "swf/swf_jpeg_bitmap.h"
#include "swf/swf_lossless_bitmap.h"

namespace {

using swf::SwfLosslessBitmap;
using testutil::hex;
using testutil::sameBytes;

// Pixels given top row first as B, G, R, A.
swf::BgraPixels bgraPixels(const std::vector<uint8_t>& bgra, int width, int height) {
  return {bgra.data(), 4 * width, width, height};
}

std::vector<uint8_t> inflated(std::span<const uint8_t> stream, std::size_t size) {
  std::vector<uint8_t> out(size + 16);
  uLongf length = static_cast<uLongf>(out.size());
  EXPECT_EQ(uncompress(out.data(), &length, stream.data(), static_cast<uLong>(stream.size())),
            Z_OK);
  out.resize(length);
  return out;
}

// Checks a tag of the form <head><zlib stream>: the head's bytes, the tag's length field, and
// the inflated stream.
void expectTag(std::span<const uint8_t> tag, const std::string& head, const std::string& data) {
  const std::vector<uint8_t> expectedHead = hex(head);
  ASSERT_GT(tag.size(), expectedHead.size());
  const std::vector<uint8_t> actualHead(
      tag.begin(), tag.begin() + static_cast<std::ptrdiff_t>(expectedHead.size()));
  // The length field (bytes 2..5) is checked against the tag's size instead.
  std::vector<uint8_t> expected = expectedHead;
  std::copy(actualHead.begin() + 2, actualHead.begin() + 6, expected.begin() + 2);
  EXPECT_TRUE(sameBytes(actualHead, expected));
  const uint32_t length =
      uint32_t{tag[2]} | uint32_t{tag[3]} << 8 | uint32_t{tag[4]} << 16 | uint32_t{tag[5]} << 24;
  EXPECT_EQ(length, tag.size() - 6);
  const std::vector<uint8_t> expectedData = hex(data);
  EXPECT_TRUE(
      sameBytes(inflated(tag.subspan(expectedHead.size()), expectedData.size()), expectedData));
}

TEST(BitmapTags, TinyPicturesTable) {
  // Red, green / red, blue, opaque.
  const std::vector<uint8_t> palette2x2 = {0x00, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0xFF,
                                           0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF};
  // Opaque (30, 20, 10) beside (200, 100, 50) at alpha 128, and a transparent pixel.
  const std::vector<uint8_t> alpha3x1 = {10, 20, 30, 255, 50, 100, 200, 128, 7, 7, 7, 0};
  struct Row {
    const char* name;
    std::vector<uint8_t> pixels;
    int width;
    int height;
    swf::LosslessAlpha alpha;
    const char* head;
    const char* data;
  };
  const Row rows[] = {
      {"2x2 of 3 colours, colour mapped", palette2x2, 2, 2, swf::LosslessAlpha::Ignore,
       // code 20 | id 7 | format 3 | 2 x 2 | 3 colours
       "3F 05 00 00 00 00  07 00  03  02 00  02 00  02",
       // red, green, blue | row 0: 0 1 + padding | row 1: 0 2 + padding
       "FF 00 00  00 FF 00  00 00 FF  00 01 00 00  00 02 00 00"},
      {"alpha ignored: every colour opaque", alpha3x1, 3, 1, swf::LosslessAlpha::Ignore,
       "3F 05 00 00 00 00  07 00  03  03 00  01 00  02",
       "1E 14 0A  C8 64 32  07 07 07  00 01 02 00"},
      {"alpha kept: premultiplied table", alpha3x1, 3, 1, swf::LosslessAlpha::Keep,
       // code 36
       "3F 09 00 00 00 00  07 00  03  03 00  01 00  02",
       // (200, 100, 50) x 128 / 255 rounded = (100, 50, 25); transparent is 0 0 0 0
       "1E 14 0A FF  64 32 19 80  00 00 00 00  00 01 02 00"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const SwfLosslessBitmap bitmap(7, bgraPixels(row.pixels, row.width, row.height), row.alpha,
                                   swf::ZlibEffort::Fast);
    ASSERT_TRUE(bitmap.isValid());
    EXPECT_EQ(bitmap.format(), 3);
    expectTag(bitmap.tagBytes(), row.head, row.data);
  }
}

TEST(BitmapTags, MoreThan256ColoursAre32BitPixels) {
  for (const int colours : {256, 257}) {
    SCOPED_TRACE(colours);
    std::vector<uint8_t> pixels;
    for (int i = 0; i < colours; ++i) {
      pixels.insert(pixels.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8), 9, 255});
    }
    for (const auto alpha : {swf::LosslessAlpha::Ignore, swf::LosslessAlpha::Keep}) {
      const SwfLosslessBitmap bitmap(1, bgraPixels(pixels, colours, 1), alpha,
                                     swf::ZlibEffort::Fast);
      ASSERT_TRUE(bitmap.isValid());
      EXPECT_EQ(bitmap.format(), colours <= 256 ? 3 : 5);
    }
  }
  // 257 colours: code 20 | id 1 | format 5 | 257 x 1, then 00 R G B per pixel (A R G B with
  // alpha).
  std::vector<uint8_t> pixels;
  for (int i = 0; i < 257; ++i) {
    pixels.insert(pixels.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8), 9, 255});
  }
  const SwfLosslessBitmap plain(1, bgraPixels(pixels, 257, 1), swf::LosslessAlpha::Ignore,
                                swf::ZlibEffort::Small);
  std::string data;
  for (int i = 0; i < 257; ++i) {
    char pixel[16];
    std::snprintf(pixel, sizeof pixel, "00 09 %02X %02X ", i >> 8, i & 0xFF);
    data += pixel;
  }
  expectTag(plain.tagBytes(), "3F 05 00 00 00 00  01 00  05  01 01  01 00", data);
  const SwfLosslessBitmap kept(1, bgraPixels(pixels, 257, 1), swf::LosslessAlpha::Keep,
                               swf::ZlibEffort::Small);
  for (std::size_t i = 0; i < data.size(); i += 12) data.replace(i, 2, "FF");
  expectTag(kept.tagBytes(), "3F 09 00 00 00 00  01 00  05  01 01  01 00", data);
}

TEST(BitmapTags, Jpeg3CarriesTheJpegAndItsAlphaPlane) {
  const std::vector<uint8_t> jpeg = hex("FF D8 01 02 FF D9");
  const std::vector<uint8_t> alpha = {0, 128, 255};
  const swf::SwfJpegBitmap bitmap(3, jpeg, alpha, swf::ZlibEffort::Small);
  ASSERT_TRUE(bitmap.isValid());
  // code 35 | id 3 | offset of the alpha data: 4 + 6 + 2 bytes | FF D9 FF D8, the JPEG, FF D9
  expectTag(bitmap.tagBytes(),
            "FF 08 00 00 00 00  03 00  0C 00 00 00  FF D9 FF D8 FF D8 01 02 FF D9 FF D9",
            "00 80 FF");
}

TEST(BitmapTags, PicturesWithoutPixelsAreRefused) {
  const std::vector<uint8_t> pixel = {1, 2, 3, 255};
  const swf::BgraPixels shapes[] = {{nullptr, 4, 1, 1},
                                    {pixel.data(), 4, 0, 1},
                                    {pixel.data(), 4, 1, 0},
                                    {pixel.data(), 4, 65536, 1}};
  for (const swf::BgraPixels& pixels : shapes) {
    const SwfLosslessBitmap bitmap(1, pixels, swf::LosslessAlpha::Keep, swf::ZlibEffort::Small);
    EXPECT_FALSE(bitmap.isValid());
    EXPECT_EQ(bitmap.tagSize(), 0u);
  }
}

}  // namespace
