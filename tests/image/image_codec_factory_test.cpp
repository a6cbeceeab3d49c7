#include "image/image_codec_factory.h"

#include <gtest/gtest.h>

namespace image {
namespace {

struct TypeRow {
  const char* path;
  ImageType type;
};

TEST(ImageCodecFactoryTest, TypeOfFollowsTheLowerCasedLastExtension) {
  const TypeRow rows[] = {
      {"a.bmp", ImageType::Bmp},
      {"a.pcx", ImageType::Pcx},
      {"a.jpg", ImageType::Jpeg},
      {"a.jpeg", ImageType::Jpeg},
      {"anim.GIF", ImageType::Gif},
      {"a.Tga", ImageType::Tga},
      {"a.tif", ImageType::Tiff},
      {"a.TIFF", ImageType::Tiff},
      {"a.png", ImageType::Png},
      {"a.psd", ImageType::Psd},
      {"a.ico", ImageType::Ico},
      {"a.xpm", ImageType::Xpm},
      {"a.oxo", ImageType::Oxo},
      {"C:\\Pics\\walk.old.BMP", ImageType::Bmp},
      {"out/dir.v2/frame00001.tga", ImageType::Tga},
      {"noextension", ImageType::Unknown},
      {"", ImageType::Unknown},
      {"trailing.", ImageType::Unknown},
      {"a.webp", ImageType::Unknown},
      {"a.bmpx", ImageType::Unknown},
      {"a. bmp", ImageType::Unknown},
      // The extension is taken from the whole path, so a dotted folder hides a name without
      // an extension of its own.
      {"dir.bmp/file", ImageType::Unknown},
      {"dir.v2/file", ImageType::Unknown},
  };
  const ImageCodecFactory& factory = ImageCodecFactory::Instance();
  for (const TypeRow& row : rows) {
    SCOPED_TRACE(row.path);
    EXPECT_EQ(factory.TypeOf(row.path), row.type);
  }
}

TEST(ImageCodecFactoryTest, CodeValuesAreFixed) {
  EXPECT_EQ(static_cast<int>(ImageType::Bmp), 1);
  EXPECT_EQ(static_cast<int>(ImageType::Jpeg), 3);
  EXPECT_EQ(static_cast<int>(ImageType::Gif), 4);
  EXPECT_EQ(static_cast<int>(ImageType::Tga), 5);
  EXPECT_EQ(static_cast<int>(ImageType::Ico), 9);
  EXPECT_EQ(static_cast<int>(ImageType::Oxo), 11);
}

TEST(ImageCodecFactoryTest, CodecsOnlyForTypesThatHaveOne) {
  const ImageCodecFactory& factory = ImageCodecFactory::Instance();
  EXPECT_NE(factory.CreateCodec(ImageType::Bmp), nullptr);
  EXPECT_NE(factory.CreateCodec(ImageType::Tga), nullptr);
  for (ImageType type : {ImageType::Unknown, ImageType::Pcx, ImageType::Psd, ImageType::Xpm,
                         ImageType::Oxo, static_cast<ImageType>(42)}) {
    SCOPED_TRACE(static_cast<int>(type));
    EXPECT_EQ(factory.CreateCodec(type), nullptr);
  }
  EXPECT_EQ(&ImageCodecFactory::Instance(), &factory);
}

}  // namespace
}  // namespace image
