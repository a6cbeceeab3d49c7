#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "image/image_codec_factory.h"
#include "image/image_sequence.h"
#include "image_test_util.h"

namespace image {
namespace {

// Every file of tests/data/malformed/, by the error it must fail with (what each holds is in its
// name); None: damaged, but loads by design.
const std::pair<ImageError, std::vector<const char*>> kCorpus[] = {
    {ImageError::Truncated,
     {"bmp/truncated_header.bmp", "bmp/cut_info_header.bmp", "bmp/offbits_past_end.bmp",
      "bmp/info_header_past_end.bmp", "bmp/cut_bitfield_masks.bmp", "tga/truncated_header.tga",
      "tga/header_only.tga", "tga/colour_map_cut.tga", "tga/id_past_end.tga",
      "tga/truncated_pixels.tga", "tga/rle_truncated.tga", "tga/rle_missing_rows.tga",
      "ico/truncated_directory.ico", "ico/entry_offset_past_end.ico", "ico/entry_size_past_end.ico",
      "ico/entry_size_wraps.ico", "ico/dib_colour_rows_cut.ico", "ico/png_entry_cut.ico"}},
    {ImageError::BadSignature, {"bmp/wrong_signature.bmp", "ico/cursor_type_3.ico"}},
    {ImageError::BadDimensions,
     {"bmp/zero_width.bmp", "bmp/negative_height.bmp", "tga/zero_width.tga"}},
    {ImageError::TooLarge,
     {"bmp/huge_width.bmp", "bmp/overflowing_dims.bmp", "tga/huge_dims.tga",
      "ico/dib_huge_width.ico"}},
    {ImageError::UnsupportedDepth,
     {"bmp/depth_2.bmp", "bmp/rle8_compression.bmp", "tga/depth_4.tga", "tga/depth_0.tga",
      "ico/dib_core_header.ico"}},
    {ImageError::BadPalette,
     {"tga/colour_map_past_256.tga", "tga/colour_map_16bit_entries.tga",
      "ico/dib_palette_300.ico"}},
    {ImageError::Corrupt, {"bmp/core_header.bmp"}},
    {ImageError::NoFrames, {"ico/zero_entries.ico"}},
    {ImageError::None, {"bmp/truncated_pixels.bmp", "tga/rle_packet_overrun.tga"}},
};

std::string CorpusPath(const std::string& file) {
  return std::string(QUORVEX_TEST_DATA_DIR) + "/malformed/" + file;
}

TEST(MalformedInputTest, EachFileFailsWithItsErrorAndLeavesTheTargetAlone) {
  const ImageBuffer held = test::MakePicture(2, 2, 24);
  const ImageCodecFactory& factory = ImageCodecFactory::Instance();
  for (const auto& [error, files] : kCorpus) {
    for (const char* file : files) {
      SCOPED_TRACE(file);
      ImageSequence frames;
      frames.Append(std::make_unique<ImageBuffer>());
      frames.At(0)->CopyFrom(held);
      const std::unique_ptr<ImageCodec> codec = factory.CreateCodec(factory.TypeOf(file));
      ASSERT_NE(codec, nullptr);
      EXPECT_EQ(codec->LoadFile(CorpusPath(file), frames), error == ImageError::None);
      EXPECT_EQ(codec->LastError(), error) << ToString(codec->LastError());
      EXPECT_EQ(frames.Count(), error == ImageError::None ? 2 : 1);
      EXPECT_TRUE(test::SameBytes(test::Block(*frames.At(0)), test::Block(held)));
      if (error == ImageError::None) continue;

      ImageBuffer target = test::MakePicture(1, 1, 32);
      EXPECT_FALSE(target.LoadFirstFrame(CorpusPath(file)));
      EXPECT_EQ(target.LastError(), error);
      EXPECT_TRUE(test::SameBytes(test::Block(target), test::Block(test::MakePicture(1, 1, 32))));
    }
  }
}

TEST(MalformedInputTest, EmptyMissingAndUnreadableInputs) {
  test::TempDir dir;
  testutil::WriteFile(dir.File("empty.tga"), {});
  struct Row {
    std::string path;
    ImageType type;
    ImageError error;
  };
  const Row rows[] = {
      {dir.File("empty.tga"), ImageType::Tga, ImageError::Truncated},
      {dir.File("absent.bmp"), ImageType::Bmp, ImageError::FileOpen},
      {CorpusPath("ico"), ImageType::Ico, ImageError::FileRead},  // a folder opens, reads fail
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    const std::unique_ptr<ImageCodec> codec = ImageCodecFactory::Instance().CreateCodec(row.type);
    ImageSequence frames;
    EXPECT_FALSE(codec->LoadFile(row.path, frames));
    EXPECT_EQ(codec->LastError(), row.error);
    EXPECT_FALSE(codec->LoadMemory({}, frames));
    EXPECT_EQ(codec->LastError(), ImageError::Truncated);
    EXPECT_EQ(frames.Count(), 0);
  }
}

}  // namespace
}  // namespace image
