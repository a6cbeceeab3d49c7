#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "common/malformed_corpus.h"
#include "image/image_codec_factory.h"
#include "image/image_sequence.h"
#include "image/tga_codec.h"
#include "image_test_util.h"

namespace image {
namespace {

using Names = std::set<std::string>;

TEST(MalformedInputTest, EachFileFailsWithItsErrorAndLeavesTheTargetAlone) {
  const ImageBuffer held = test::makePicture(2, 2, 24);
  const ImageCodecFactory& factory = ImageCodecFactory::instance();
  for (const testutil::MalformedFile& row : testutil::malformedCorpus()) {
    SCOPED_TRACE(row.path);
    const std::string path = testutil::malformedPath(row);
    ImageSequence frames;
    frames.append(std::make_unique<ImageBuffer>());
    frames.At(0)->CopyFrom(held);
    const std::unique_ptr<ImageCodec> codec = factory.CreateCodec(factory.TypeOf(row.path));
    ASSERT_NE(codec, nullptr);
    EXPECT_EQ(codec->LoadFile(path, frames).code(), row.error);
    EXPECT_EQ(frames.Count() > 1, row.error == ImageError::None);
    EXPECT_TRUE(test::sameBytes(test::block(*frames.At(0)), test::block(held)));
    if (row.error == ImageError::None) continue;

    ImageBuffer target = test::makePicture(1, 1, 32);
    EXPECT_EQ(target.LoadFirstFrame(path).code(), row.error);
    EXPECT_TRUE(test::sameBytes(test::block(target), test::block(test::makePicture(1, 1, 32))));
  }
}

TEST(MalformedInputTest, EmptyMissingAndUnreadableFiles) {
  test::TempDir dir;
  testutil::writeFile(dir.file("empty.tga"), {});
  std::filesystem::create_directory(dir.file("folder.ico"));  // opens, but reading fails
  for (const auto& [file, error] : {std::pair{"empty.tga", ImageError::Truncated},
                                    {"absent.bmp", ImageError::FileOpen},
                                    {"folder.ico", ImageError::FileRead}}) {
    SCOPED_TRACE(file);
    ImageSequence frames;
    EXPECT_EQ(frames.Load(dir.file(file)).code(), error);
    const ImageCodecFactory& factory = ImageCodecFactory::instance();
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
    const ImageBuffer picture = test::makePicture(2, 2, depth);
    const ImageResult saved = picture.Save(dir.file(file), -1);
    EXPECT_EQ(saved.code(), error);
    EXPECT_EQ(saved.message().rfind("cannot write " + dir.file(file) + ": ", 0), 0U)
        << saved.message();
    EXPECT_EQ(dir.entries(), Names{});
  }

  test::TempDir dir;
  const std::vector<uint8_t> old = {1, 2, 3};
  testutil::writeFile(dir.file("keep.tga"), old);
  EXPECT_FALSE(test::makePicture(1, 1, 1).Save(dir.file("keep.tga"), -1));
  EXPECT_EQ(test::readFile(dir.file("keep.tga")), old);
  EXPECT_EQ(dir.entries(), Names{"keep.tga"});
}

TEST(ImageSaveTest, InvalidImageOrEmptyListWritesNothing) {
  test::TempDir dir;
  TgaCodec codec;
  const ImageBuffer empty;
  for (const std::vector<const ImageBuffer*>& images :
       {std::vector<const ImageBuffer*>{}, {nullptr}, {&empty}}) {
    EXPECT_EQ(codec.Save(dir.file("a.tga"), images, ImageOptions{}).code(),
              ImageError::InvalidImage);
    std::vector<uint8_t> out = {7};
    EXPECT_FALSE(codec.saveMemory(images, ImageOptions{}, out));
    EXPECT_EQ(out, std::vector<uint8_t>{7});
  }
  EXPECT_EQ(dir.entries(), Names{});
}

}  // namespace
}  // namespace image
