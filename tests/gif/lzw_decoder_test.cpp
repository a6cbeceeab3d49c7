// The LZW decoder on hand-built code streams, and against giflib on every test file.
#include "image/gif/lzw_decoder.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "gif/gif_test_files.h"
#include "image/gif/gif_parser.h"

namespace {

using image::GifIndexBuffer;
using image::LzwDecoder;
using image::LzwStatus;

// Packs (code, width in bits) pairs least significant bit first, as GIF streams are.
std::vector<uint8_t> Pack(const std::vector<std::pair<uint32_t, int>>& codes) {
  std::vector<uint8_t> out;
  uint32_t accumulator = 0;
  int bits = 0;
  for (const auto& [code, width] : codes) {
    accumulator |= code << bits;
    bits += width;
    while (bits >= 8) {
      out.push_back(static_cast<uint8_t>(accumulator & 0xFF));
      accumulator >>= 8;
      bits -= 8;
    }
  }
  if (bits > 0) {
    out.push_back(static_cast<uint8_t>(accumulator));
  }
  return out;
}

std::vector<uint8_t> Pixels(const GifIndexBuffer& buffer) {
  return std::vector<uint8_t>(
      buffer.indices.begin(),
      buffer.indices.begin() + static_cast<std::ptrdiff_t>(buffer.decodedPixels));
}

struct StreamCase {
  const char* name;
  int minCodeSize;
  std::vector<std::pair<uint32_t, int>> codes;
  std::size_t pixelCount;
  LzwStatus status;
  std::vector<uint8_t> pixels;  // the decoded pixels
};

// Code size 2: literals 0..3, clear 4, end 5, first entry 6, 3-bit codes until entry 8.
const StreamCase kStreams[] = {
    {"Literals", 2, {{4, 3}, {0, 3}, {3, 3}, {2, 3}, {5, 3}}, 3, LzwStatus::Complete, {0, 3, 2}},
    {"NoLeadingClear", 2, {{1, 3}, {2, 3}, {5, 3}}, 2, LzwStatus::Complete, {1, 2}},
    // 6 is the entry this very code defines: previous string "1" plus its first byte.
    {"CodeDefinedByItself", 2, {{4, 3}, {1, 3}, {6, 3}, {5, 3}}, 3, LzwStatus::Complete, {1, 1, 1}},
    // After 1 and 6 the table holds 6 = "01", 7 = "10"; entry 8 needs a fourth bit, and
    // code 8 (at 4 bits) is again the entry being defined: "01" + "0".
    {"WidthGrowsAtEight",
     2,
     {{4, 3}, {0, 3}, {1, 3}, {6, 3}, {8, 4}, {5, 4}},
     7,
     LzwStatus::Complete,
     {0, 1, 0, 1, 0, 1, 0}},
    // Before the clear 6 is "31"; after it, 6 is defined anew by the code itself: "22".
    {"ClearResetsTable",
     2,
     {{4, 3}, {3, 3}, {1, 3}, {4, 3}, {2, 3}, {6, 3}, {5, 3}},
     5,
     LzwStatus::Complete,
     {3, 1, 2, 2, 2}},
    {"EndCodeBeforeLastPixel", 2, {{4, 3}, {1, 3}, {1, 3}, {5, 3}}, 5, LzwStatus::Short, {1, 1}},
    // Code size 3 (4-bit codes) so that the data ends on a byte boundary: no padding bits
    // that would read as more codes.
    {"DataEndsWithoutEndCode", 3, {{8, 4}, {2, 4}, {2, 4}, {3, 4}}, 5, LzwStatus::Short, {2, 2, 3}},
    {"EmptyStream", 2, {}, 4, LzwStatus::Short, {}},
    {"PixelsPastTheEndIgnored",
     2,
     {{4, 3}, {1, 3}, {2, 3}, {6, 3}, {3, 3}},
     3,
     LzwStatus::Complete,
     {1, 2, 1}},
    {"StringCutAtTheEnd",
     2,
     {{4, 3}, {1, 3}, {6, 3}, {6, 3}},
     4,
     LzwStatus::Complete,
     {1, 1, 1, 1}},
    {"SelfDefinedCutAtTheEnd", 2, {{4, 3}, {1, 3}, {6, 3}}, 2, LzwStatus::Complete, {1, 1}},
    {"CodeBeyondNextEntry", 2, {{4, 3}, {1, 3}, {7, 3}, {5, 3}}, 4, LzwStatus::Corrupt, {1}},
    {"EntryCodeRightAfterClear", 2, {{4, 3}, {6, 3}, {5, 3}}, 4, LzwStatus::Corrupt, {}},
    {"EntryCodeAfterMidClear", 2, {{4, 3}, {1, 3}, {4, 3}, {6, 3}}, 4, LzwStatus::Corrupt, {1}},
    // Code size 8: literal 255, clear 256, end 257.
    {"EightBitLiterals",
     8,
     {{256, 9}, {255, 9}, {0, 9}, {258, 9}, {257, 9}},
     4,
     LzwStatus::Complete,
     {255, 0, 255, 0}},
    // Code size 1: clear 2, end 3, and entry 4 already needs 3 bits after the first code
    // (giflib reads the stream the same way; see GiflibAgreesOnCodeSizeOne).
    {"CodeSizeOne",
     1,
     {{2, 2}, {1, 2}, {0, 3}, {4, 3}, {3, 3}},
     4,
     LzwStatus::Complete,
     {1, 0, 1, 0}},
    {"ZeroPixels", 2, {{4, 3}, {1, 3}}, 0, LzwStatus::Complete, {}},
};

class LzwStreamTest : public testing::TestWithParam<StreamCase> {};

TEST_P(LzwStreamTest, DecodesHandBuiltStream) {
  const StreamCase& c = GetParam();
  LzwDecoder decoder;
  GifIndexBuffer out;
  decoder.DecodeStream(Pack(c.codes), c.minCodeSize, c.pixelCount, out);
  EXPECT_EQ(out.status, c.status);
  EXPECT_EQ(Pixels(out), c.pixels);
  EXPECT_EQ(out.indices.size(), c.pixelCount + LzwDecoder::kOutputSlack);
}

INSTANTIATE_TEST_SUITE_P(Streams, LzwStreamTest, testing::ValuesIn(kStreams),
                         [](const testing::TestParamInfo<StreamCase>& param) {
                           return std::string(param.param.name);
                         });

TEST(LzwDecoder, RejectsMinimumCodeSizeOutsideOneToEight) {
  LzwDecoder decoder;
  GifIndexBuffer out;
  for (int size : {0, 9, 12}) {
    decoder.DecodeStream(Pack({{0, 3}}), size, 4, out);
    EXPECT_EQ(out.status, LzwStatus::Corrupt) << size;
    EXPECT_EQ(out.decodedPixels, 0u);
  }
}

// A decoder reused for a shorter frame after a longer one starts from a clean table.
TEST(LzwDecoder, ReuseDoesNotLeakStateBetweenFrames) {
  LzwDecoder decoder;
  GifIndexBuffer out;
  decoder.DecodeStream(Pack({{4, 3}, {0, 3}, {1, 3}, {6, 3}, {8, 4}, {5, 4}}), 2, 7, out);
  ASSERT_EQ(out.status, LzwStatus::Complete);
  decoder.DecodeStream(Pack({{4, 3}, {2, 3}, {7, 3}}), 2, 4, out);
  EXPECT_EQ(out.status, LzwStatus::Corrupt);
  EXPECT_EQ(Pixels(out), (std::vector<uint8_t>{2}));
}

// Image rows in the order a frame sends them.
std::vector<int> SentRows(const image::GifFrame& frame) {
  std::vector<int> rows;
  if (!frame.interlaced) {
    for (int y = 0; y < frame.height; ++y) rows.push_back(y);
    return rows;
  }
  const int passes[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
  for (const auto& pass : passes) {
    for (int y = pass[0]; y < frame.height; y += pass[1]) rows.push_back(y);
  }
  return rows;
}

// Our indices for every frame equal those of giflib's DGifSlurp.
void ExpectSameIndicesAsGiflib(const std::vector<uint8_t>& bytes) {
  image::GifFile file;
  image::ImageError error = image::ImageError::None;
  ASSERT_TRUE(image::ParseGif(bytes, &file, &error));
  gif_test::GiflibSource source{&bytes};
  GifFileType* gif = gif_test::OpenWithGiflib(source);
  ASSERT_NE(gif, nullptr);
  ASSERT_EQ(DGifSlurp(gif), GIF_OK);
  ASSERT_EQ(gif->ImageCount, static_cast<int>(file.frames.size()));
  LzwDecoder decoder;
  GifIndexBuffer out;
  for (std::size_t i = 0; i < file.frames.size(); ++i) {
    const image::GifFrame& frame = file.frames[i];
    decoder.Decode(bytes, frame, out);
    EXPECT_EQ(out.status, LzwStatus::Complete) << "frame " << i;
    const std::vector<int> rows = SentRows(frame);
    const GifByteType* reference = gif->SavedImages[i].RasterBits;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      for (int x = 0; x < frame.width; ++x) {
        const std::size_t ours =
            r * static_cast<std::size_t>(frame.width) + static_cast<std::size_t>(x);
        const std::size_t theirs = static_cast<std::size_t>(rows[r] * frame.width + x);
        ASSERT_EQ(out.indices[ours], reference[theirs])
            << "frame " << i << " pixel (" << x << ", " << rows[r] << ")";
      }
    }
  }
  DGifCloseFile(gif, nullptr);
}

class GiflibCrossCheck : public testing::TestWithParam<const char*> {};

TEST_P(GiflibCrossCheck, SameIndicesAsGiflib) {
  const auto bytes = gif_test::ReadData(std::string("gif/") + GetParam() + ".gif");
  ASSERT_FALSE(bytes.empty());
  ExpectSameIndicesAsGiflib(bytes);
}

// Every valid file except short_stream, whose early end code giflib reports as an error.
INSTANTIATE_TEST_SUITE_P(Files, GiflibCrossCheck,
                         testing::Values("disposal_keep", "disposal_background",
                                         "disposal_previous", "transparency", "offsets",
                                         "offscreen_disposal", "local_palette", "local_only",
                                         "index_out_of_range", "interlaced", "tiny_blocks", "photo",
                                         "photo_interlaced", "table_full_clear",
                                         "table_full_deferred", "two_colours"));

// A one-frame GIF around a hand-built stream with code size 1, decoded by giflib.
TEST(LzwDecoder, GiflibAgreesOnCodeSizeOne) {
  std::vector<uint8_t> gif = {
      'G',  'I', 'F', '8', '9', 'a', 4,   0,   1, 0, 0x80,
      0,    0,   0,   0,   0,   255, 255, 255,  // global table: black, white
      0x2C, 0,   0,   0,   0,   4,   0,   1,   0, 0, 1};
  const auto stream = Pack({{2, 2}, {1, 2}, {0, 3}, {4, 3}, {3, 3}});
  gif.push_back(static_cast<uint8_t>(stream.size()));
  gif.insert(gif.end(), stream.begin(), stream.end());
  gif.insert(gif.end(), {0, 0x3B});
  ExpectSameIndicesAsGiflib(gif);
}

}  // namespace
