#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "image/bmp_codec.h"
#include "image/image_sequence.h"
#include "image/tga_codec.h"
#include "image_test_util.h"

namespace image {
namespace {

struct MalformedRow {
  const char* file;  // under tests/data/malformed/
  ImageError error;  // None: the file is damaged but loads by design
};

// What each file of the malformed corpus holds is in its name.
const MalformedRow kRows[] = {
    {"bmp/truncated_header.bmp", ImageError::Truncated},
    {"bmp/cut_info_header.bmp", ImageError::Truncated},
    {"bmp/wrong_signature.bmp", ImageError::BadSignature},
    {"bmp/offbits_past_end.bmp", ImageError::Truncated},
    {"bmp/zero_width.bmp", ImageError::BadDimensions},
    {"bmp/negative_height.bmp", ImageError::BadDimensions},
    {"bmp/huge_width.bmp", ImageError::TooLarge},
    {"bmp/overflowing_dims.bmp", ImageError::TooLarge},
    {"bmp/depth_2.bmp", ImageError::UnsupportedDepth},
    {"bmp/rle8_compression.bmp", ImageError::UnsupportedDepth},
    {"bmp/core_header.bmp", ImageError::Corrupt},
    {"bmp/info_header_past_end.bmp", ImageError::Truncated},
    {"bmp/cut_bitfield_masks.bmp", ImageError::Truncated},
    {"bmp/truncated_pixels.bmp", ImageError::None},
    {"tga/truncated_header.tga", ImageError::Truncated},
    {"tga/header_only.tga", ImageError::Truncated},
    {"tga/zero_width.tga", ImageError::BadDimensions},
    {"tga/huge_dims.tga", ImageError::TooLarge},
    {"tga/depth_4.tga", ImageError::UnsupportedDepth},
    {"tga/depth_0.tga", ImageError::UnsupportedDepth},
    {"tga/colour_map_past_256.tga", ImageError::BadPalette},
    {"tga/colour_map_16bit_entries.tga", ImageError::BadPalette},
    {"tga/colour_map_cut.tga", ImageError::Truncated},
    {"tga/id_past_end.tga", ImageError::Truncated},
    {"tga/truncated_pixels.tga", ImageError::Truncated},
    {"tga/rle_truncated.tga", ImageError::Truncated},
    {"tga/rle_missing_rows.tga", ImageError::Truncated},
    {"tga/rle_packet_overrun.tga", ImageError::None},
};

std::string CorpusPath(const char* file) {
  return std::string(QUORVEX_TEST_DATA_DIR) + "/malformed/" + file;
}

std::unique_ptr<ImageCodec> CodecFor(const std::string& file) {
  if (file.starts_with("bmp/")) {
    return std::make_unique<BmpCodec>();
  }
  return std::make_unique<TgaCodec>();
}

TEST(MalformedInputTest, EachFileFailsWithItsErrorAndLeavesTheTargetAlone) {
  for (const MalformedRow& row : kRows) {
    SCOPED_TRACE(row.file);
    ImageSequence frames;
    auto held = std::make_unique<ImageBuffer>();
    ASSERT_TRUE(held->Create(2, 2, 24));
    held->Pixels()[0] = 0x5A;
    frames.Append(std::move(held));

    std::unique_ptr<ImageCodec> codec = CodecFor(row.file);
    const bool loaded = codec->LoadFile(CorpusPath(row.file), frames);
    EXPECT_EQ(codec->LastError(), row.error) << ToString(codec->LastError());
    if (row.error == ImageError::None) {
      EXPECT_TRUE(loaded);
      EXPECT_EQ(frames.Count(), 2);
      continue;
    }
    EXPECT_FALSE(loaded);
    ASSERT_EQ(frames.Count(), 1);
    EXPECT_EQ(frames.At(0)->Width(), 2);
    EXPECT_EQ(frames.At(0)->Pixels()[0], 0x5A);

    ImageBuffer target;
    ASSERT_TRUE(target.Create(1, 1, 32));
    EXPECT_FALSE(target.LoadFirstFrame(CorpusPath(row.file)));
    EXPECT_EQ(target.LastError(), row.error);
    EXPECT_EQ(target.BitsPerPixel(), 32);
  }
}

TEST(MalformedInputTest, EmptyAndMissingInputs) {
  BmpCodec codec;
  ImageSequence frames;
  EXPECT_FALSE(codec.LoadMemory({}, frames));
  EXPECT_EQ(codec.LastError(), ImageError::Truncated);
  EXPECT_FALSE(codec.LoadFile(CorpusPath("bmp/does_not_exist.bmp"), frames));
  EXPECT_EQ(codec.LastError(), ImageError::FileOpen);
  EXPECT_FALSE(codec.LoadFile(CorpusPath("bmp"), frames));
  EXPECT_EQ(codec.LastError(), ImageError::FileRead);

  test::TempDir dir;
  { std::ofstream(dir.File("empty.tga")); }
  TgaCodec tga;
  EXPECT_FALSE(tga.LoadFile(dir.File("empty.tga"), frames));
  EXPECT_EQ(tga.LastError(), ImageError::Truncated);
  EXPECT_EQ(frames.Count(), 0);
}

}  // namespace
}  // namespace image
