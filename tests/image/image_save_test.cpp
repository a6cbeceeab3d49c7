#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "image/bmp_codec.h"
#include "image/image_buffer.h"
#include "image_test_util.h"

namespace image {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(ImageSaveTest, SavedFileHoldsExactlyTheEncodedBytes) {
  test::TempDir dir;
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(3, 1, 24));
  test::FillPattern(picture);
  ASSERT_TRUE(picture.Save(dir.File("frame.BMP"), -1));
  EXPECT_EQ(picture.LastError(), ImageError::None);
  const std::vector<uint8_t> file = test::ReadFile(dir.File("frame.BMP"));
  ASSERT_EQ(file.size(), 66u);
  EXPECT_TRUE(test::SameBytes(std::span(file).first(2), test::Hex("42 4D")));
  EXPECT_THAT(dir.Entries(), ElementsAre("frame.BMP"));
}

TEST(ImageSaveTest, SavingReplacesAnExistingFile) {
  test::TempDir dir;
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(1, 1, 8));
  ASSERT_TRUE(picture.Save(dir.File("frame.tga"), -1));
  ASSERT_TRUE(picture.Create(2, 1, 24));
  ASSERT_TRUE(picture.Save(dir.File("frame.tga"), -1));
  EXPECT_EQ(test::ReadFile(dir.File("frame.tga")).size(), 36u);
  EXPECT_THAT(dir.Entries(), ElementsAre("frame.tga"));
}

struct FailureRow {
  const char* name;
  int depth;
  const char* file;
  ImageError error;
};

TEST(ImageSaveTest, FailuresCreateNoFile) {
  const FailureRow rows[] = {
      {"1-bit TGA", 1, "mono.tga", ImageError::UnsupportedDepth},
      {"4-bit TGA", 4, "nibble.TGA", ImageError::UnsupportedDepth},
      {"pcx", 24, "frame.pcx", ImageError::NoCodec},
      {"psd", 24, "frame.psd", ImageError::NoCodec},
      {"no extension", 24, "frame", ImageError::NoCodec},
      {"unknown extension", 24, "frame.webp", ImageError::NoCodec},
      {"missing folder", 24, "absent/frame.bmp", ImageError::FileOpen},
  };
  for (const FailureRow& row : rows) {
    SCOPED_TRACE(row.name);
    test::TempDir dir;
    ImageBuffer picture;
    ASSERT_TRUE(picture.Create(2, 2, row.depth));
    EXPECT_FALSE(picture.Save(dir.File(row.file), -1));
    EXPECT_EQ(picture.LastError(), row.error);
    EXPECT_THAT(dir.Entries(), IsEmpty());
  }
}

TEST(ImageSaveTest, InvalidImageOrEmptyListWritesNothing) {
  test::TempDir dir;
  BmpCodec codec;
  ImageBuffer empty;
  EXPECT_FALSE(codec.Save(dir.File("a.bmp"), {}, ImageOptions{}));
  EXPECT_EQ(codec.LastError(), ImageError::InvalidImage);
  EXPECT_FALSE(codec.Save(dir.File("a.bmp"), {nullptr}, ImageOptions{}));
  EXPECT_FALSE(codec.Save(dir.File("a.bmp"), {&empty}, ImageOptions{}));
  EXPECT_EQ(codec.LastError(), ImageError::InvalidImage);
  EXPECT_THAT(dir.Entries(), IsEmpty());
}

TEST(ImageSaveTest, ExistingFileSurvivesAFailedSave) {
  test::TempDir dir;
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(1, 1, 24));
  ASSERT_TRUE(picture.Save(dir.File("keep.tga"), -1));
  ImageBuffer mono;
  ASSERT_TRUE(mono.Create(1, 1, 1));
  EXPECT_FALSE(mono.Save(dir.File("keep.tga"), -1));
  EXPECT_EQ(test::ReadFile(dir.File("keep.tga")).size(), 33u);
  EXPECT_THAT(dir.Entries(), ElementsAre("keep.tga"));
}

TEST(ImageSaveTest, OptionsReplaceAndDefaultToEmpty) {
  ImageOptions options;
  EXPECT_EQ(options.Get(kSaveFlag), "");
  options.Set(kSaveFlag, "-1");
  options.Set(kJpegQualityTag, "75");
  options.Set(kSaveFlag, "90");
  EXPECT_EQ(options.Get(kSaveFlag), "90");
  EXPECT_EQ(options.Get(kJpegQualityTag), "75");
  EXPECT_EQ(options.Get(7), "");
}

}  // namespace
}  // namespace image
