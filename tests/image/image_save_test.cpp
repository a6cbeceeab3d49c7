#include <gtest/gtest.h>

#include "image/bmp_codec.h"
#include "image/image_buffer.h"
#include "image/tga_codec.h"
#include "image_test_util.h"

namespace image {
namespace {

using Names = std::set<std::string>;

TEST(ImageSaveTest, SavedFileHoldsExactlyTheEncodedBytesAndReplacesAnEarlierOne) {
  test::TempDir dir;
  const ImageBuffer picture = test::MakePicture(3, 1, 24);
  BmpCodec bmp;
  ASSERT_TRUE(picture.Save(dir.File("frame.BMP"), -1));
  EXPECT_EQ(picture.LastError(), ImageError::None);
  EXPECT_TRUE(test::SameBytes(test::ReadFile(dir.File("frame.BMP")), test::Encode(bmp, picture)));

  const ImageBuffer other = test::MakePicture(2, 1, 8);
  ASSERT_TRUE(other.Save(dir.File("frame.BMP"), -1));
  EXPECT_TRUE(test::SameBytes(test::ReadFile(dir.File("frame.BMP")), test::Encode(bmp, other)));
  EXPECT_EQ(dir.Entries(), Names{"frame.BMP"});
}

TEST(ImageSaveTest, FailuresCreateNoFileAndKeepAnEarlierOne) {
  struct Row {
    const char* name;
    int depth;
    const char* file;
    ImageError error;
  };
  const Row rows[] = {
      {"1-bit TGA", 1, "mono.tga", ImageError::UnsupportedDepth},
      {"4-bit TGA", 4, "nibble.TGA", ImageError::UnsupportedDepth},
      {"pcx", 24, "frame.pcx", ImageError::NoCodec},
      {"ico (decode only)", 24, "frame.ico", ImageError::NoCodec},
      {"no extension", 24, "frame", ImageError::NoCodec},
      {"unknown extension", 24, "frame.webp", ImageError::NoCodec},
      {"missing folder", 24, "absent/frame.bmp", ImageError::FileOpen},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    test::TempDir dir;
    const ImageBuffer picture = test::MakePicture(2, 2, row.depth);
    EXPECT_FALSE(picture.Save(dir.File(row.file), -1));
    EXPECT_EQ(picture.LastError(), row.error);
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
    EXPECT_FALSE(codec.Save(dir.File("a.tga"), images, ImageOptions{}));
    EXPECT_EQ(codec.LastError(), ImageError::InvalidImage);
    std::vector<uint8_t> out = {7};
    EXPECT_FALSE(codec.SaveMemory(images, ImageOptions{}, out));
    EXPECT_EQ(out, std::vector<uint8_t>{7});
  }
  EXPECT_EQ(dir.Entries(), Names{});
}

}  // namespace
}  // namespace image
