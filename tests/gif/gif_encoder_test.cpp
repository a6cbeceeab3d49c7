// Saving GIF files: palette images keep their palette and indices, true-colour images are
// quantised, alpha 0 becomes the transparent colour. Files are read back with giflib.
#include "image/gif/gif_encoder.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "gif/gif_test_files.h"
#include "image/gif_codec.h"
#include "image/image_options.h"
#include "image/image_sequence.h"

namespace {

using image::ImageBuffer;
using image::ImageError;
using image::RgbQuad;

std::vector<uint8_t> Encode(const ImageBuffer& picture) {
  std::vector<uint8_t> out;
  ImageError error = ImageError::None;
  EXPECT_TRUE(image::EncodeGif(picture, out, &error)) << image::ToString(error);
  return out;
}

ImageBuffer DecodeFirst(const std::vector<uint8_t>& bytes) {
  image::GifCodec codec;
  image::ImageSequence frames;
  EXPECT_TRUE(codec.LoadMemory(bytes, frames)) << image::ToString(codec.LastError());
  ImageBuffer first;
  if (frames.Count() > 0) first.CopyFrom(*frames.At(0));
  return first;
}

// What giflib reads back: global table, indices of the first image, transparent index.
struct GiflibView {
  std::vector<GifColorType> colors;
  std::vector<uint8_t> indices;
  int transparent = -1;
  int width = 0;
  int height = 0;
};

GiflibView ReadWithGiflib(const std::vector<uint8_t>& bytes) {
  GiflibView view;
  gif_test::GiflibSource source{&bytes};
  GifFileType* gif = gif_test::OpenWithGiflib(source);
  EXPECT_NE(gif, nullptr);
  if (gif == nullptr) return view;
  EXPECT_EQ(DGifSlurp(gif), GIF_OK);
  EXPECT_EQ(gif->ImageCount, 1);
  view.width = gif->SWidth;
  view.height = gif->SHeight;
  if (gif->SColorMap != nullptr) {
    view.colors.assign(gif->SColorMap->Colors, gif->SColorMap->Colors + gif->SColorMap->ColorCount);
  }
  if (gif->ImageCount > 0) {
    const SavedImage& image = gif->SavedImages[0];
    view.indices.assign(image.RasterBits,
                        image.RasterBits + image.ImageDesc.Width * image.ImageDesc.Height);
    GraphicsControlBlock control;
    if (DGifSavedExtensionToGCB(gif, 0, &control) == GIF_OK) {
      view.transparent = control.TransparentColor;
    }
  }
  DGifCloseFile(gif, nullptr);
  return view;
}

// Palette images at every depth and at widths 1, 3 and 4 (packed rows with padding).
TEST(GifEncoder, PaletteImagesKeepPaletteAndIndicesExactly) {
  for (int bits : {1, 4, 8}) {
    for (int width : {1, 3, 4}) {
      SCOPED_TRACE(std::to_string(bits) + " bpp, width " + std::to_string(width));
      const int height = 3;
      const int entries = 1 << bits;
      ImageBuffer picture;
      ASSERT_TRUE(picture.Create(width, height, bits));
      std::vector<RgbQuad> palette(static_cast<std::size_t>(entries));
      for (int i = 0; i < entries; ++i) {
        palette[static_cast<std::size_t>(i)] = {static_cast<uint8_t>(i * 7),
                                                static_cast<uint8_t>(255 - i),
                                                static_cast<uint8_t>(i * 3 + 1), 0};
      }
      ASSERT_TRUE(picture.SetPalette(0, entries, palette.data()));
      std::vector<uint8_t> expected;
      for (int y = 0; y < height; ++y) {
        uint8_t* row = picture.RowPointer(y);
        for (int x = 0; x < width; ++x) {
          const int value = (x * 5 + y * 3 + 1) % entries;
          expected.push_back(static_cast<uint8_t>(value));
          const int perByte = 8 / bits;
          const int shift = 8 - bits * (x % perByte + 1);
          row[x / perByte] = static_cast<uint8_t>(row[x / perByte] | (value << shift));
        }
      }
      const GiflibView view = ReadWithGiflib(Encode(picture));
      EXPECT_EQ(view.width, width);
      EXPECT_EQ(view.height, height);
      EXPECT_EQ(view.indices, expected);
      EXPECT_EQ(view.transparent, -1);
      ASSERT_EQ(view.colors.size(), std::max<std::size_t>(static_cast<std::size_t>(entries), 2));
      for (int i = 0; i < entries; ++i) {
        const RgbQuad& p = palette[static_cast<std::size_t>(i)];
        const GifColorType& c = view.colors[static_cast<std::size_t>(i)];
        EXPECT_EQ(c.Red, p.red);
        EXPECT_EQ(c.Green, p.green);
        EXPECT_EQ(c.Blue, p.blue);
      }
    }
  }
}

int ChannelDistance(const uint8_t* a, const uint8_t* b) {
  int worst = 0;
  for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(a[c] - b[c]));
  return worst;
}

// A 24-bit picture with few colours comes back nearly exactly; a smooth gradient with
// more colours than a GIF holds comes back close.
TEST(GifEncoder, TrueColourIsQuantisedWithinTolerance) {
  ImageBuffer few;
  ASSERT_TRUE(few.Create(5, 4, 24));
  const uint8_t colours[4][3] = {{10, 200, 30}, {250, 250, 250}, {0, 0, 0}, {90, 20, 160}};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) std::memcpy(few.PixelAddress(x, y), colours[(x + y) % 4], 3);
  }
  const ImageBuffer fewBack = DecodeFirst(Encode(few));
  ASSERT_TRUE(fewBack.IsValid());
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) {
      const uint8_t* out = fewBack.PixelAddress(x, y);
      EXPECT_LE(ChannelDistance(out, few.PixelAddress(x, y)), 2) << x << "," << y;
      EXPECT_EQ(out[3], 255);
    }
  }

  ImageBuffer gradient;
  ASSERT_TRUE(gradient.Create(64, 48, 24));
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      uint8_t* p = gradient.PixelAddress(x, y);
      p[0] = static_cast<uint8_t>(x * 4);
      p[1] = static_cast<uint8_t>(y * 5);
      p[2] = static_cast<uint8_t>((x + y) * 2);
    }
  }
  const ImageBuffer back = DecodeFirst(Encode(gradient));
  ASSERT_TRUE(back.IsValid());
  long total = 0;
  int worst = 0;
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      const int distance = ChannelDistance(back.PixelAddress(x, y), gradient.PixelAddress(x, y));
      total += distance;
      worst = std::max(worst, distance);
    }
  }
  EXPECT_LE(total / (64 * 48), 6);
  EXPECT_LE(worst, 40);
}

TEST(GifEncoder, AlphaZeroBecomesTheTransparentColour) {
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(4, 3, 32));
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) {
      uint8_t* p = picture.PixelAddress(x, y);
      const bool clear = (x + y) % 3 == 0;
      p[0] = 200;
      p[1] = 100;
      p[2] = 50;
      p[3] = clear ? 0 : (x == 1 ? 128 : 255);
    }
  }
  const auto bytes = Encode(picture);
  const GiflibView view = ReadWithGiflib(bytes);
  ASSERT_GE(view.transparent, 0);
  const ImageBuffer back = DecodeFirst(bytes);
  ASSERT_TRUE(back.IsValid());
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) {
      const bool clear = (x + y) % 3 == 0;
      const uint8_t* out = back.PixelAddress(x, y);
      EXPECT_EQ(out[3], clear ? 0 : 255) << x << "," << y;
      EXPECT_EQ(view.indices[static_cast<std::size_t>(y * 4 + x)] == view.transparent, clear);
      if (!clear) {
        EXPECT_LE(ChannelDistance(out, picture.PixelAddress(x, y)), 2);
      }
    }
  }
}

// 32-bit pictures whose alpha bytes are all 0 (as 32-bit BMP files store them) are opaque.
TEST(GifEncoder, AllZeroAlphaMeansNoAlpha) {
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(3, 2, 32));
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) picture.PixelAddress(x, y)[1] = 180;
  }
  const auto bytes = Encode(picture);
  EXPECT_EQ(ReadWithGiflib(bytes).transparent, -1);
  const ImageBuffer back = DecodeFirst(bytes);
  EXPECT_EQ(back.PixelAddress(2, 1)[3], 255);
  EXPECT_LE(std::abs(back.PixelAddress(2, 1)[1] - 180), 2);
}

TEST(GifEncoder, SixteenBitPixelsFollowTheirMasks) {
  ImageBuffer picture;
  image::BitmapInfoHeader header;
  header.biWidth = 2;
  header.biHeight = 1;
  header.biBitCount = 16;
  header.biCompression = image::kBiBitfields;
  const uint32_t masks[3] = {0xF800, 0x07E0, 0x001F};  // 5-6-5
  ASSERT_TRUE(picture.CreateFromHeader(header, masks));
  const uint8_t pixels[4] = {0x00, 0xF8, 0xE0, 0x07};  // pure red, pure green
  std::memcpy(picture.RowPointer(0), pixels, 4);
  const ImageBuffer back = DecodeFirst(Encode(picture));
  ASSERT_TRUE(back.IsValid());
  const uint8_t* red = back.PixelAddress(0, 0);
  const uint8_t* green = back.PixelAddress(1, 0);
  EXPECT_TRUE(red[2] >= 253 && red[1] <= 2 && red[0] <= 2);
  EXPECT_TRUE(green[1] >= 253 && green[2] <= 2 && green[0] <= 2);
}

TEST(GifEncoder, SameImageGivesSameBytes) {
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(40, 30, 24));
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      uint8_t* p = picture.PixelAddress(x, y);
      p[0] = static_cast<uint8_t>(x * 6 ^ y);
      p[1] = static_cast<uint8_t>(y * 8);
      p[2] = static_cast<uint8_t>((x * y) & 0xFF);
    }
  }
  EXPECT_EQ(Encode(picture), Encode(picture));
}

TEST(GifEncoder, InvalidImageFailsAndLeavesOutputAlone) {
  ImageBuffer empty;
  std::vector<uint8_t> out = {1, 2, 3};
  ImageError error = ImageError::None;
  EXPECT_FALSE(image::EncodeGif(empty, out, &error));
  EXPECT_EQ(error, ImageError::InvalidImage);
  EXPECT_EQ(out, (std::vector<uint8_t>{1, 2, 3}));
}

TEST(GifCodec, SavesThroughImageBufferAndLoadsBack) {
  const auto folder = std::filesystem::temp_directory_path() / "quorvex_gif_codec_test";
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "frame.GIF").string();
  std::filesystem::remove(path);
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(3, 3, 8));
  picture.RowPointer(1)[1] = 255;
  ASSERT_TRUE(picture.Save(path, -1)) << image::ToString(picture.LastError());
  image::ImageSequence frames;
  ASSERT_TRUE(frames.Load(path));
  ASSERT_EQ(frames.Count(), 1);
  EXPECT_EQ(frames.At(0)->PixelAddress(1, 1)[0], 255);  // grey-ramp entry 255: white
  EXPECT_EQ(frames.At(0)->PixelAddress(0, 0)[0], 0);
  std::filesystem::remove_all(folder);
}

}  // namespace
