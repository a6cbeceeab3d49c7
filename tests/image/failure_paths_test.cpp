#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "image/image_codec_factory.h"
#include "image/image_sequence.h"
#include "image/tga_codec.h"
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

using Names = std::set<std::string>;

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
      EXPECT_EQ(codec->LoadFile(CorpusPath(file), frames).code(), error);
      EXPECT_EQ(frames.Count(), error == ImageError::None ? 2 : 1);
      EXPECT_TRUE(test::SameBytes(test::Block(*frames.At(0)), test::Block(held)));
      if (error == ImageError::None) continue;

      ImageBuffer target = test::MakePicture(1, 1, 32);
      EXPECT_EQ(target.LoadFirstFrame(CorpusPath(file)).code(), error);
      EXPECT_TRUE(test::SameBytes(test::Block(target), test::Block(test::MakePicture(1, 1, 32))));
    }
  }
}

TEST(MalformedInputTest, EmptyMissingAndUnreadableFiles) {
  test::TempDir dir;
  testutil::WriteFile(dir.File("empty.tga"), {});
  std::filesystem::create_directory(dir.File("folder.ico"));  // opens, but reading fails
  for (const auto& [file, error] : {std::pair{"empty.tga", ImageError::Truncated},
                                    {"absent.bmp", ImageError::FileOpen},
                                    {"folder.ico", ImageError::FileRead}}) {
    SCOPED_TRACE(file);
    ImageSequence frames;
    EXPECT_EQ(frames.Load(dir.File(file)).code(), error);
    const ImageCodecFactory& factory = ImageCodecFactory::Instance();
    EXPECT_FALSE(factory.CreateCodec(factory.TypeOf(file))->LoadMemory({}, frames));
    EXPECT_EQ(frames.Count(), 0);
  }
}

TEST(ImageSaveTest, FailuresCreateNoFileAndKeepAnEarlierOne) {
  // 1- and 4-bit TGA, no codec (ICO decodes only), no or unknown extension, missing folder.
  const std::tuple<int, const char*, ImageError> rows[] = {
      {1, "mono.tga", ImageError::UnsupportedDepth},
      {4, "nibble.TGA", ImageError::UnsupportedDepth},
      {24, "frame.pcx", ImageError::NoCodec},
      {24, "frame.ico", ImageError::NoCodec},
      {24, "frame", ImageError::NoCodec},
      {24, "frame.webp", ImageError::NoCodec},
      {24, "absent/frame.bmp", ImageError::FileOpen}};
  for (const auto& [depth, file, error] : rows) {
    SCOPED_TRACE(file);
    test::TempDir dir;
    const ImageBuffer picture = test::MakePicture(2, 2, depth);
    const ImageResult saved = picture.Save(dir.File(file), -1);
    EXPECT_EQ(saved.code(), error);
    EXPECT_EQ(saved.message().rfind("cannot write " + dir.File(file) + ": ", 0), 0U)
        << saved.message();
    EXPECT_EQ(dir.Entries(), Names{});
  }

  test::TempDir dir;
  const std::vector<uint8_t> old = {1, 2, 3};
  testutil::WriteFile(dir.File("keep.tga"), old);
  EXPECT_FALSE(test::MakePicture(1, 1, 1).Save(dir.File("keep.tga"), -1));
  EXPECT_EQ(test::ReadFile(dir.File("keep.tga")), old);
  EXPECT_EQ(dir.Entries(), Names{"keep.tga"});
}

TEST(ImageSaveTest, InvalidImageOrEmptyListWritesNothing) {
  test::TempDir dir;
  TgaCodec codec;
  const ImageBuffer empty;
  for (const std::vector<const ImageBuffer*>& images :
       {std::vector<const ImageBuffer*>{}, {nullptr}, {&empty}}) {
    EXPECT_EQ(codec.Save(dir.File("a.tga"), images, ImageOptions{}).code(),
              ImageError::InvalidImage);
    std::vector<uint8_t> out = {7};
    EXPECT_FALSE(codec.SaveMemory(images, ImageOptions{}, out));
    EXPECT_EQ(out, std::vector<uint8_t>{7});
  }
  EXPECT_EQ(dir.Entries(), Names{});
}

}  // namespace
}  // namespace image
