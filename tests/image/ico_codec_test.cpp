#include "image/ico_codec.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include "image_test_util.h"

namespace image {
namespace {

using test::Bytes;
using test::hex;

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// An icon file holding `entries` one after the other behind the directory (type 1, 16-byte
// entries: size bytes, 0, planes 1, 32 bits, byte count, offset).
Bytes iconFile(const std::vector<Bytes>& entries) {
  Bytes file = {0, 0, 1, 0, uint8_t(entries.size()), 0};
  std::size_t offset = 6 + 16 * entries.size();
  for (const Bytes& entry : entries) {
    file.insert(file.end(), {0, 0, 0, 0, 1, 0, 32, 0});
    for (std::size_t value : {entry.size(), offset}) {
      for (int shift = 0; shift < 32; shift += 8) file.push_back(uint8_t(value >> shift));
    }
    offset += entry.size();
  }
  for (const Bytes& entry : entries) file.insert(file.end(), entry.begin(), entry.end());
  return file;
}

// A BITMAPINFOHEADER for an icon picture (width, colour and mask rows, depth, colours used) and
// the entry's data.
Bytes dib(const char* sizeAndDepth, const char* coloursUsed, const char* data) {
  return concat({hex("28000000"), hex(sizeAndDepth), hex("00000000 00000000 00000000 00000000"),
                 hex(coloursUsed), hex("00000000"), hex(data)});
}

// 2 x 2, 32 bits with alpha. Rows bottom-up: (1,2,3,255) (4,5,6,128) / (7,8,9,0) (10,11,12,255).
const Bytes kDib32WithAlpha = dib("02000000 04000000 0100 2000", "00000000",
                                  "01 02 03 FF 04 05 06 80  07 08 09 00 0A 0B 0C FF"
                                  "00 00 00 00  00 00 00 00");
// 2 x 2, 8 bits, two palette entries (red, blue), AND mask making one pixel per row
// transparent. Rows bottom-up: indexes 1 0 / 0 1; mask rows 01000000 / 10000000.
const Bytes kDib8WithMask = dib("02000000 04000000 0100 0800", "02000000",
                                "00 00 FF 00  FF 00 00 00  01 00 00 00  00 01 00 00"
                                "40 00 00 00  80 00 00 00");
// 3 x 1, 24 bits (row padded to 12 bytes), all alpha from the mask: middle pixel transparent.
const Bytes kDib24ThreeWide = dib("03000000 02000000 0100 1800", "00000000",
                                  "01 02 03 04 05 06 07 08 09 00 00 00  40 00 00 00");
// 1 x 1, 32 bits whose alpha bytes are all 0, as in icons made before alpha: the AND mask (bit
// clear) makes it opaque.
const Bytes kDib32WithoutAlpha =
    dib("01000000 02000000 0100 2000", "00000000", "11 22 33 00  00 00 00 00");
// 1 x 1, 24 bits, ending right after its colour rows: no mask, opaque.
const Bytes kDib24WithoutMask = dib("01000000 02000000 0100 1800", "00000000", "01 02 03 00");

// Every entry becomes one 32-bit frame, in order; rows from the top as B,G,R,A.
TEST(IcoCodecTest, EveryEntryBecomesOneFrameInOrder) {
  const Bytes file = iconFile({kDib32WithAlpha, hex(test::kPngRgba2x2), kDib8WithMask,
                               kDib24ThreeWide, kDib32WithoutAlpha, kDib24WithoutMask});
  const std::vector<std::vector<const char*>> expected = {
      {"07 08 09 00  0A 0B 0C FF", "01 02 03 FF  04 05 06 80"},
      {"00 00 FF FF  00 FF 00 80", "FF 00 00 00  1E 14 0A FF"},
      {"00 00 FF 00  FF 00 00 FF", "FF 00 00 FF  00 00 FF 00"},
      {"01 02 03 FF  04 05 06 00  07 08 09 FF"},
      {"11 22 33 FF"},
      {"01 02 03 FF"},
  };
  IcoCodec codec;
  ImageSequence frames;
  ASSERT_TRUE(codec.LoadMemory(file, frames));
  ASSERT_EQ(frames.Count(), static_cast<int>(expected.size()));
  for (int i = 0; i < frames.Count(); ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    const ImageBuffer& frame = *frames.At(i);
    const std::vector<const char*>& rows = expected[static_cast<std::size_t>(i)];
    ASSERT_EQ(frame.BitsPerPixel(), 32);
    ASSERT_EQ(frame.Height(), static_cast<int>(rows.size()));
    for (int y = 0; y < frame.Height(); ++y) {
      EXPECT_TRUE(test::sameBytes(test::rowBytes(frame, y), hex(rows[std::size_t(y)])));
    }
  }
}

// Cases beyond those of the malformed corpus.
TEST(IcoCodecTest, MalformedFilesFailWithTheirError) {
  // Offsets in `one`: directory 0..5, entry 6..21 (size at 14), DIB from 22.
  const Bytes one = iconFile({kDib8WithMask});
  using test::withByte;
  IcoCodec codec;
  test::expectEachFails(
      codec, {{"reserved not zero", withByte(one, 0, 1), ImageError::BadSignature},
              {"entry size zero", withByte(withByte(one, 14, 0), 15, 0), ImageError::Corrupt},
              {"header larger than the entry", withByte(one, 23, 1), ImageError::Truncated},
              {"zero width", withByte(one, 26, 0), ImageError::BadDimensions},
              {"height below two", withByte(one, 30, 1), ImageError::BadDimensions},
              {"negative height", withByte(one, 33, 0xFF), ImageError::BadDimensions},
              {"depth 2", withByte(one, 36, 2), ImageError::UnsupportedDepth},
              {"run-length compression", withByte(one, 38, 1), ImageError::UnsupportedDepth}});
}

}  // namespace
}  // namespace image
