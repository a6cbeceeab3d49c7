// The LZW decoder on hand-built code streams. Its agreement with giflib on every test file is
// checked in gif_decode_test.cpp.
#include "image/gif/lzw_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "gif/gif_test_files.h"

namespace {

using image::GifIndexBuffer;
using image::LzwDecoder;
using enum image::LzwStatus;

// Packs "code/width" pairs ("4/3 0/3") least significant bit first, as GIF streams are.
std::vector<uint8_t> pack(const char* codes) {
  std::vector<uint8_t> out;
  uint32_t accumulator = 0;
  int bits = 0;
  unsigned code = 0;
  int width = 0;
  int used = 0;
  for (const char* p = codes; std::sscanf(p, "%u/%d%n", &code, &width, &used) == 2; p += used) {
    accumulator |= code << bits;
    for (bits += width; bits >= 8; bits -= 8, accumulator >>= 8) {
      out.push_back(static_cast<uint8_t>(accumulator & 0xFF));
    }
  }
  if (bits > 0) out.push_back(static_cast<uint8_t>(accumulator));
  return out;
}

struct StreamCase {
  const char* name;
  int minCodeSize;
  const char* codes;
  std::size_t pixelCount;
  image::LzwStatus status;
  std::vector<uint8_t> pixels;  // the decoded pixels
};

// Code size 2: literals 0..3, clear 4, end 5, first entry 6, 3-bit codes until entry 8.
const StreamCase kStreams[] = {
    {"Literals", 2, "4/3 0/3 3/3 2/3 5/3", 3, Complete, {0, 3, 2}},
    {"NoLeadingClear", 2, "1/3 2/3 5/3", 2, Complete, {1, 2}},
    // 6 is the entry this very code defines: previous string "1" plus its first byte.
    {"CodeDefinedByItself", 2, "4/3 1/3 6/3 5/3", 3, Complete, {1, 1, 1}},
    // After 1 and 6 the table holds 6 = "01", 7 = "10"; entry 8 needs a fourth bit, and
    // code 8 (at 4 bits) is again the entry being defined: "01" + "0".
    {"WidthGrowsAtEight", 2, "4/3 0/3 1/3 6/3 8/4 5/4", 7, Complete, {0, 1, 0, 1, 0, 1, 0}},
    // The decoder is reused from row to row: 7, defined by the row above, is unknown here.
    {"CodeBeyondNextEntry", 2, "4/3 1/3 7/3 5/3", 4, Corrupt, {1}},
    // Before the clear 6 is "31"; after it, 6 is defined anew by the code itself: "22".
    {"ClearResetsTable", 2, "4/3 3/3 1/3 4/3 2/3 6/3 5/3", 5, Complete, {3, 1, 2, 2, 2}},
    {"EntryCodeRightAfterClear", 2, "4/3 6/3 5/3", 4, Corrupt, {}},
    {"EntryCodeAfterMidClear", 2, "4/3 1/3 4/3 6/3", 4, Corrupt, {1}},
    {"EndCodeBeforeLastPixel", 2, "4/3 1/3 1/3 5/3", 5, Short, {1, 1}},
    // Code size 3 (4-bit codes) so that the data ends on a byte boundary: no padding bits
    // that would read as more codes.
    {"DataEndsWithoutEndCode", 3, "8/4 2/4 2/4 3/4", 5, Short, {2, 2, 3}},
    {"EmptyStream", 2, "", 4, Short, {}},
    {"PixelsPastTheEndIgnored", 2, "4/3 1/3 2/3 6/3 3/3", 3, Complete, {1, 2, 1}},
    {"StringCutAtTheEnd", 2, "4/3 1/3 6/3 6/3", 4, Complete, {1, 1, 1, 1}},
    {"SelfDefinedCutAtTheEnd", 2, "4/3 1/3 6/3", 2, Complete, {1, 1}},
    // Code size 8: literal 255, clear 256, end 257.
    {"EightBitLiterals", 8, "256/9 255/9 0/9 258/9 257/9", 4, Complete, {255, 0, 255, 0}},
    // Code size 1: clear 2, end 3, and entry 4 already needs 3 bits after the first code
    // (giflib reads the stream the same way; see GiflibAgreesOnCodeSizeOne).
    {"CodeSizeOne", 1, "2/2 1/2 0/3 4/3 3/3", 4, Complete, {1, 0, 1, 0}},
    {"ZeroPixels", 2, "4/3 1/3", 0, Complete, {}},
    // Minimum code sizes outside 1..8 decode nothing.
    {"MinCodeSize0", 0, "0/3", 4, Corrupt, {}},
    {"MinCodeSize9", 9, "0/3", 4, Corrupt, {}},
    {"MinCodeSize12", 12, "0/3", 4, Corrupt, {}},
};

TEST(LzwDecoder, DecodesHandBuiltStreamsWithOneDecoderReusedFromStreamToStream) {
  LzwDecoder decoder;
  GifIndexBuffer out;
  for (const StreamCase& c : kStreams) {
    SCOPED_TRACE(c.name);
    decoder.decodeStream(pack(c.codes), c.minCodeSize, c.pixelCount, out);
    EXPECT_EQ(out.status, c.status);
    EXPECT_EQ(
        std::vector<uint8_t>(out.indices.begin(),
                             out.indices.begin() + static_cast<std::ptrdiff_t>(out.decodedPixels)),
        c.pixels);
    EXPECT_EQ(out.indices.size(), c.pixelCount + LzwDecoder::kOutputSlack);
  }
}

// The "deferred clear": the table fills to 4096 entries and the stream goes on with 12-bit codes,
// adding nothing, until a clear code. Code size 2: after the clear, literal j (value j % 4) is read
// at the width the table has reached, bit_width(5 + j) up to 12; from the second literal on each
// defines an entry (the previous literal and its own value), so literal 4090 defines entry 4095
// = {4089 % 4, 4090 % 4} = {1, 2} and fills the table.
TEST(LzwDecoder, FullTableGoesOnWithTwelveBitCodesUntilTheNextClear) {
  std::ostringstream codes;
  codes << "4/3";
  std::vector<uint8_t> expected;
  for (unsigned j = 0; j <= 4090; ++j) {
    codes << ' ' << j % 4 << '/' << std::min(static_cast<int>(std::bit_width(5 + j)), 12);
    expected.push_back(static_cast<uint8_t>(j % 4));
  }
  // The last entry, a literal that may define nothing, the last entry again, then a clear: the
  // table starts over at 3 bits and 6 is defined anew.
  codes << " 4095/12 3/12 4095/12 4/12 0/3 1/3 6/3 5/3";
  expected.insert(expected.end(), {1, 2, 3, 1, 2, 0, 1, 0, 1});
  LzwDecoder decoder;
  GifIndexBuffer out;
  decoder.decodeStream(pack(codes.str().c_str()), 2, expected.size(), out);
  EXPECT_EQ(out.status, Complete);
  ASSERT_EQ(out.decodedPixels, expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), out.indices.begin()));
}

// A one-frame 4 x 1 GIF around the code size 1 stream above, decoded by giflib.
TEST(LzwDecoder, GiflibAgreesOnCodeSizeOne) {
  std::vector<uint8_t> gif = {
      'G',  'I', 'F', '8', '9', 'a', 4,   0,   1, 0, 0x80,
      0,    0,   0,   0,   0,   255, 255, 255,  // global table: black, white
      0x2C, 0,   0,   0,   0,   4,   0,   1,   0, 0, 1};
  const auto stream = pack("2/2 1/2 0/3 4/3 3/3");
  gif.push_back(static_cast<uint8_t>(stream.size()));
  gif.insert(gif.end(), stream.begin(), stream.end());
  gif.insert(gif.end(), {0, 0x3B});
  gif_test::expectSameIndicesAsGiflib(gif);
}

}  // namespace
