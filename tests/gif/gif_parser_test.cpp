// The container parser on hand-written byte strings, and malformed or cut-off files failing
// cleanly with the right error or keeping their complete frames (all of it under AddressSanitizer
// and UndefinedBehaviorSanitizer in the dev build).
#include "image/gif/gif_parser.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "common/malformed_corpus.h"
#include "gif/gif_test_files.h"
#include "image/gif/gif_stream_decoder.h"
#include "image/gif_codec.h"
#include "image/image_sequence.h"

namespace {

using image::GifDisposal;
using image::GifFile;
using image::ImageError;

std::vector<uint8_t> join(const std::vector<std::vector<uint8_t>>& parts) {
  std::vector<uint8_t> out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// A 2 x 1 screen with a 2-entry global table (black, white).
const std::vector<uint8_t> kScreen = {'G',  'I', 'F', '8', '9', 'a', 2,   0,   1,  0,
                                      0x80, 0,   0,   0,   0,   0,   255, 255, 255};
// Image descriptor 2 x 1 at (0, 0) and LZW data for pixels 0, 1: clear, 0, 1, end in 3-bit
// codes.
const std::vector<uint8_t> kImage = {0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0, 2, 2, 0x44, 0x0A, 0};
const std::vector<uint8_t> kTrailer = {0x3B};

GifFile parse(const std::vector<uint8_t>& bytes) {
  GifFile file;
  const image::ImageResult parsed = image::parseGif(bytes, &file);
  EXPECT_TRUE(parsed) << parsed.message();
  return file;
}

TEST(GifParser, GraphicControlAppliesToTheNextImageOnly) {
  struct Row {
    const char* name;
    uint8_t packed;
    GifDisposal disposal;
    int transparent;
  };
  const Row rows[] = {
      {"background, transparent 1", 0x09, GifDisposal::Background, 1},
      {"keep, index without its flag", 0x04, GifDisposal::Keep, -1},
      {"previous", 0x0C, GifDisposal::Previous, -1},
      {"reserved 4 keeps the canvas", 0x10, GifDisposal::Keep, -1},
      {"reserved 7 keeps the canvas", 0x1D, GifDisposal::Keep, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::vector<uint8_t> control = {0x21, 0xF9, 4, row.packed, 0x02, 0x01, 1, 0};
    const GifFile file = parse(join({kScreen, control, kImage, kImage, kTrailer}));
    ASSERT_EQ(file.frames.size(), 2u);
    EXPECT_EQ(file.frames[0].disposal, row.disposal);
    EXPECT_EQ(file.frames[0].transparentIndex, row.transparent);
    EXPECT_EQ(file.frames[0].delayCentiseconds, 258);
    EXPECT_EQ(file.frames[1].disposal, GifDisposal::Keep);
    EXPECT_EQ(file.frames[1].transparentIndex, -1);
    EXPECT_EQ(file.frames[1].delayCentiseconds, 0);
  }
}

TEST(GifParser, ReadsTheLoopCountOfTheLoopExtensions) {
  const auto application = [](const char* name, std::vector<uint8_t> data) {
    std::vector<uint8_t> block = {0x21, 0xFF, 11};
    block.insert(block.end(), name, name + 11);
    block.insert(block.end(), data.begin(), data.end());
    return block;
  };
  struct Row {
    const char* name;
    std::vector<uint8_t> blocks;  // after the first image
    int loopCount;
    bool trailer = true;
  };
  const Row rows[] = {
      {"none", {}, image::kNoLoopExtension},
      {"forever", application("NETSCAPE2.0", {3, 1, 0, 0, 0}), 0},
      {"three", application("NETSCAPE2.0", {3, 1, 3, 0, 0}), 3},
      {"the largest", application("NETSCAPE2.0", {3, 1, 0xFF, 0xFF, 0}), 65535},
      {"ANIMEXTS1.0, after a buffering sub-block",
       application("ANIMEXTS1.0", {5, 2, 0, 4, 0, 0, 3, 1, 7, 0, 0}), 7},
      {"another application", application("XMPDataXMP!", {3, 1, 5, 0, 0}), -1},
      {"a sub-block too short", application("NETSCAPE2.0", {2, 1, 5, 0}), -1},
      {"cut short", application("NETSCAPE2.0", {3, 1}), -1, false},
      {"the last one counts",
       join({application("NETSCAPE2.0", {3, 1, 2, 0, 0}),
             application("NETSCAPE2.0", {3, 1, 4, 0, 0})}),
       4},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const GifFile file =
        parse(join({kScreen, kImage, row.blocks, row.trailer ? kTrailer : std::vector<uint8_t>{}}));
    EXPECT_EQ(file.loopCount, row.loopCount);
  }
}

TEST(GifParser, SkipsOtherBlocksAndKeepsFramesBeforeAnEarlyEnd) {
  const std::vector<uint8_t> comment = {0x21, 0xFE, 3, 'a', 'b', 'c', 2, 'd', 'e', 0};
  const std::vector<uint8_t> shortControl = {0x21, 0xF9, 2, 0x09, 0x05, 0};
  const GifFile file = parse(join({kScreen, comment, shortControl, kImage, kTrailer}));
  ASSERT_EQ(file.frames.size(), 1u);
  EXPECT_EQ(file.frames[0].disposal, GifDisposal::Keep);
  EXPECT_EQ(file.frames[0].dataSize, 2u);
  EXPECT_FALSE(file.truncated);

  const GifFile cut = parse(join({kScreen, kImage, kImage}));  // no trailer
  EXPECT_EQ(cut.frames.size(), 2u);
  EXPECT_TRUE(cut.truncated);
  EXPECT_EQ(parse(join({kScreen, kImage, {0x99}, kImage, kTrailer})).frames.size(), 1u);

  auto bytes = join({kScreen, kImage, kTrailer});
  bytes[4] = '7';  // GIF87a
  bytes[6] = 0x00;
  bytes[7] = 0x40;  // width 16384, the largest side accepted
  EXPECT_EQ(parse(bytes).width, 16384);
}

TEST(GifParser, FailureLeavesTheResultUnchanged) {
  GifFile file;
  file.width = 7;
  image::GifInfo info;
  info.frameCount = 77;
  EXPECT_EQ(image::parseGif(join({kScreen, kTrailer}), &file).code(), ImageError::NoFrames);
  EXPECT_EQ(image::readGifInfo(std::vector<uint8_t>{'G', 'I', 'F', '8'}, &info).code(),
            ImageError::Truncated);
  EXPECT_FALSE(image::parseGif({}, &file));
  EXPECT_EQ(file.width, 7);
  EXPECT_EQ(info.frameCount, 77);
}

// The refused files of tests/data/malformed/gif.
std::vector<testutil::MalformedFile> refusedGifs() {
  std::vector<testutil::MalformedFile> rows = testutil::malformedFiles("gif");
  std::erase_if(rows,
                [](const testutil::MalformedFile& row) { return row.error == ImageError::None; });
  return rows;
}

class GifMalformedTest : public testing::TestWithParam<testutil::MalformedFile> {};

TEST_P(GifMalformedTest, LoadAndStreamingDecodeFailWithTheErrorAndLeaveFramesAlone) {
  const std::string name = std::filesystem::path(GetParam().path).stem();
  const auto bytes = testutil::readFile(testutil::malformedPath(GetParam()));
  ASSERT_FALSE(bytes.empty());
  image::ImageSequence frames;
  frames.append(std::make_unique<image::ImageBuffer>());
  image::GifCodec codec;
  EXPECT_EQ(codec.LoadMemory(bytes, frames).code(), GetParam().error);
  EXPECT_EQ(frames.Count(), 1);
  for (int threads : {0, 2}) {
    ImageError error = ImageError::None;
    // Only the file with a bad second frame delivers a frame before failing.
    EXPECT_EQ(gif_test::decodeAll(bytes, threads, &error).size(),
              name == "code_out_of_range_second_frame" ? 1u : 0u);
    EXPECT_EQ(error, GetParam().error) << threads << " threads";
  }
}

INSTANTIATE_TEST_SUITE_P(Files, GifMalformedTest, testing::ValuesIn(refusedGifs()),
                         [](const testing::TestParamInfo<testutil::MalformedFile>& param) {
                           return std::filesystem::path(param.param.path).stem().string();
                         });

// Prefixes of a valid file either fail as cut off or yield a leading run of the whole file's
// frames, pixel for pixel. Every prefix up to `denseUpTo` bytes, then every `stride`-th one
// (only to keep the sanitizer build quick).
void checkPrefixes(const std::string& name, std::size_t denseUpTo, std::size_t stride) {
  const auto bytes = gif_test::readData("gif/" + name);
  const auto whole = gif_test::decodeAll(bytes, 0);
  ASSERT_FALSE(whole.empty());
  for (std::size_t size = 0; size < bytes.size(); size += size < denseUpTo ? 1 : stride) {
    ImageError error = ImageError::None;
    const auto frames = gif_test::decodeAll(std::span(bytes.data(), size), 0, &error);
    if (error != ImageError::None) {
      ASSERT_EQ(error, ImageError::Truncated) << "prefix " << size;
      continue;
    }
    ASSERT_LE(frames.size(), whole.size()) << "prefix " << size;
    for (std::size_t i = 0; i < frames.size(); ++i) {
      ASSERT_TRUE(frames[i] == whole[i]) << "prefix " << size << " frame " << i;
    }
  }
}

TEST(GifMalformed, PrefixesOfAnAnimationFailCleanlyOrKeepCompleteFrames) {
  checkPrefixes("photo.gif", 1200, 5);
  checkPrefixes("disposal_previous.gif", SIZE_MAX, 1);
  checkPrefixes("interlaced.gif", SIZE_MAX, 1);
}

TEST(GifMalformed, RefusesAnimationsTooLargeToHoldInMemory) {
  // A 16384 x 16384 screen with five 1 x 1 frames would decode to 5 GiB.
  std::vector<uint8_t> bytes = kScreen;
  bytes[6] = bytes[8] = 0x00;
  bytes[7] = bytes[9] = 0x40;
  const std::vector<uint8_t> frame = {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0};
  for (int i = 0; i < 5; ++i) bytes.insert(bytes.end(), frame.begin(), frame.end());
  bytes.push_back(0x3B);
  image::GifInfo info;
  ASSERT_TRUE(image::readGifInfo(bytes, &info));
  EXPECT_EQ(info.frameCount, 5);
  image::GifCodec codec;
  image::ImageSequence frames;
  EXPECT_EQ(codec.LoadMemory(bytes, frames).code(), ImageError::TooLarge);
}

}  // namespace
