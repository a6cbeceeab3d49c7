#include "image/image_codec_factory.h"

#include <gtest/gtest.h>

#include <vector>

namespace image {
namespace {

// The extension is taken from the whole path: a dotted folder hides a name without one.
TEST(ImageCodecFactoryTest, TypeOfFollowsTheLowerCasedLastExtensionOfThePath) {
  using enum ImageType;
  const std::pair<ImageType, std::vector<const char*>> rows[] = {
      {Bmp, {"a.bmp", "C:\\Pics\\walk.old.BMP"}},
      {Pcx, {"a.pcx"}},
      {Jpeg, {"a.jpg", "a.JPEG"}},
      {Gif, {"anim.GIF"}},
      {Tga, {"a.Tga", "out/dir.v2/frame00001.tga"}},
      {Tiff, {"a.tif", "a.TIFF"}},
      {Png, {"a.png"}},
      {Psd, {"a.psd"}},
      {Ico, {"a.ico"}},
      {Xpm, {"a.xpm"}},
      {Oxo, {"a.oxo"}},
      {Unknown, {"noext", "", "trailing.", "a.webp", "a.bmpx", "a. bmp", "dir.bmp/file"}},
  };
  const ImageCodecFactory& factory = ImageCodecFactory::instance();
  for (const auto& [type, paths] : rows) {
    for (const char* path : paths) EXPECT_EQ(factory.TypeOf(path), type) << path;
  }
  // Callers may store the codes, so they are fixed.
  EXPECT_EQ(static_cast<int>(Bmp), 1);
  EXPECT_EQ(static_cast<int>(Tga), 5);
  EXPECT_EQ(static_cast<int>(Oxo), 11);

  for (ImageType type : {Bmp, Jpeg, Gif, Tga, Tiff, Png, Ico}) {
    EXPECT_NE(factory.CreateCodec(type), nullptr) << static_cast<int>(type);
  }
  for (ImageType type : {Unknown, Pcx, Psd, Xpm, Oxo, static_cast<ImageType>(42)}) {
    EXPECT_EQ(factory.CreateCodec(type), nullptr) << static_cast<int>(type);
  }
}

}  // namespace
}  // namespace image
