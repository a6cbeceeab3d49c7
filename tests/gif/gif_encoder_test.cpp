// Saving GIF files: palette images keep their palette and indices (read back with giflib),
// true-colour images are quantised, alpha 0 becomes the transparent colour (read back with our
// decoder).
#include "image/gif/gif_encoder.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "common/temp_dir.h"
#include "gif/gif_test_files.h"
#include "image/gif_codec.h"
#include "image/image_options.h"
#include "image/image_sequence.h"

namespace {

using image::ImageBuffer;
using image::ImageError;

std::vector<uint8_t> encode(const ImageBuffer& picture) {
  std::vector<uint8_t> out;
  const image::ImageResult encoded = image::encodeGif(picture, out);
  EXPECT_TRUE(encoded) << encoded.message();
  return out;
}

ImageBuffer decodeFirst(const std::vector<uint8_t>& bytes) {
  image::GifCodec codec;
  image::ImageSequence frames;
  EXPECT_TRUE(codec.LoadMemory(bytes, frames));
  ImageBuffer first;
  if (frames.Count() > 0) first.CopyFrom(*frames.At(0));
  return first;
}

// A `bits`-per-pixel picture whose bytes at (x, y) `paint` sets.
ImageBuffer make(int width, int height, int bits,
                 const std::function<void(int x, int y, uint8_t* pixel)>& paint) {
  ImageBuffer picture;
  EXPECT_TRUE(picture.Create(width, height, bits));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) paint(x, y, picture.PixelAddress(x, y));
  }
  return picture;
}

// A 24- or 32-bit picture saved and decoded again.
struct RoundTrip {
  std::vector<uint8_t> alpha;  // of every pixel, rows from the top
  int worst = 0;               // largest B, G or R difference over the pixels that came back
  long total = 0;              // sum over those pixels of their largest difference
};

RoundTrip saveAndLoad(const ImageBuffer& picture) {
  RoundTrip trip;
  const ImageBuffer back = decodeFirst(encode(picture));
  if (back.Width() != picture.Width() || back.Height() != picture.Height()) {
    ADD_FAILURE() << "decoded " << back.Width() << " x " << back.Height();
    return trip;
  }
  for (int y = 0; y < back.Height(); ++y) {
    for (int x = 0; x < back.Width(); ++x) {
      const uint8_t* out = back.PixelAddress(x, y);
      trip.alpha.push_back(out[3]);
      int distance = 0;
      for (int c = 0; c < 3 && out[3] != 0; ++c) {
        distance = std::max(distance, std::abs(out[c] - picture.PixelAddress(x, y)[c]));
      }
      trip.worst = std::max(trip.worst, distance);
      trip.total += distance;
    }
  }
  return trip;
}

// Palette images at every depth and at widths 1, 3 and 4 (packed rows with padding).
TEST(GifEncoder, PaletteImagesKeepPaletteAndIndicesExactly) {
  for (int bits : {1, 4, 8}) {
    for (int width : {1, 3, 4}) {
      SCOPED_TRACE(std::to_string(bits) + " bpp, width " + std::to_string(width));
      const int entries = 1 << bits;
      ImageBuffer picture;
      ASSERT_TRUE(picture.Create(width, 3, bits));
      std::vector<image::RgbQuad> palette;
      for (int i = 0; i < entries; ++i) {
        palette.push_back({static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i),
                           static_cast<uint8_t>(i * 3 + 1), 0});
      }
      ASSERT_TRUE(picture.SetPalette(0, entries, palette.data()));
      std::vector<uint8_t> expected;
      const int perByte = 8 / bits;
      for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < width; ++x) {
          const int value = (x * 5 + y * 3 + 1) % entries;
          expected.push_back(static_cast<uint8_t>(value));
          picture.RowPointer(y)[x / perByte] |=
              static_cast<uint8_t>(value << (8 - bits * (x % perByte + 1)));
        }
      }
      const gif_test::GiflibPtr back = gif_test::slurpWithGiflib(encode(picture));
      ASSERT_NE(back, nullptr);
      const GifFileType& gif = *back;
      EXPECT_EQ(gif.SWidth, width);
      EXPECT_EQ(gif.SHeight, 3);
      ASSERT_EQ(gif.ImageCount, 1);
      const GifByteType* indices = gif.SavedImages[0].RasterBits;
      EXPECT_EQ(std::vector<uint8_t>(indices, indices + expected.size()), expected);
      GraphicsControlBlock control;
      EXPECT_TRUE(DGifSavedExtensionToGCB(back.get(), 0, &control) != GIF_OK ||
                  control.TransparentColor == NO_TRANSPARENT_COLOR);
      ASSERT_EQ(gif.SColorMap->ColorCount, std::max(entries, 2));
      for (int i = 0; i < entries; ++i) {
        const GifColorType& c = gif.SColorMap->Colors[i];
        const image::RgbQuad& p = palette[static_cast<std::size_t>(i)];
        EXPECT_TRUE(c.Red == p.red && c.Green == p.green && c.Blue == p.blue) << "entry " << i;
      }
    }
  }
}

// A smooth 24-bit gradient with more colours than a GIF holds comes back close and always as
// the same bytes; two 16-bit pixels come back nearly exactly, following their masks.
TEST(GifEncoder, TrueColourIsQuantisedWithinTolerance) {
  const ImageBuffer gradient = make(64, 48, 24, [](int x, int y, uint8_t* p) {
    p[0] = static_cast<uint8_t>(x * 4);
    p[1] = static_cast<uint8_t>(y * 5);
    p[2] = static_cast<uint8_t>((x + y) * 2);
  });
  const RoundTrip trip = saveAndLoad(gradient);
  EXPECT_EQ(trip.alpha, std::vector<uint8_t>(64 * 48, 255));
  EXPECT_LE(trip.total / (64 * 48), 6);
  EXPECT_LE(trip.worst, 40);
  EXPECT_EQ(encode(gradient), encode(gradient));

  ImageBuffer rgb565;
  image::BitmapInfoHeader header;
  header.biWidth = 2;
  header.biHeight = 1;
  header.biBitCount = 16;
  header.biCompression = image::kBiBitfields;
  const uint32_t masks[3] = {0xF800, 0x07E0, 0x001F};
  ASSERT_TRUE(rgb565.CreateFromHeader(header, masks));
  const uint8_t redThenGreen[4] = {0x00, 0xF8, 0xE0, 0x07};
  std::copy_n(redThenGreen, 4, rgb565.RowPointer(0));
  const ImageBuffer back = decodeFirst(encode(rgb565));
  ASSERT_TRUE(back.IsValid());
  const uint8_t* red = back.PixelAddress(0, 0);
  const uint8_t* green = back.PixelAddress(1, 0);
  EXPECT_TRUE(red[2] >= 253 && red[1] <= 2 && red[0] <= 2);
  EXPECT_TRUE(green[1] >= 253 && green[2] <= 2 && green[0] <= 2);
}

TEST(GifEncoder, AlphaZeroBecomesTransparentAndAllZeroAlphaMeansOpaque) {
  std::vector<uint8_t> alpha;
  const ImageBuffer picture = make(4, 3, 32, [&](int x, int y, uint8_t* p) {
    const bool clear = (x + y) % 3 == 0;
    const uint8_t bgra[4] = {200, 100, 50, static_cast<uint8_t>(clear ? 0 : x == 1 ? 128 : 255)};
    std::copy_n(bgra, 4, p);
    alpha.push_back(clear ? 0 : 255);
  });
  const RoundTrip trip = saveAndLoad(picture);
  EXPECT_EQ(trip.alpha, alpha);
  EXPECT_LE(trip.worst, 2);

  // As 32-bit BMP files store them: alpha bytes all 0, meaning no alpha.
  const RoundTrip opaque = saveAndLoad(make(3, 2, 32, [](int, int, uint8_t* p) { p[1] = 180; }));
  EXPECT_EQ(opaque.alpha, std::vector<uint8_t>(6, 255));
  EXPECT_LE(opaque.worst, 2);
}

TEST(GifEncoder, InvalidImageFailsAndLeavesOutputAlone) {
  std::vector<uint8_t> out = {1, 2, 3};
  EXPECT_EQ(image::encodeGif(ImageBuffer(), out).code(), ImageError::InvalidImage);
  EXPECT_EQ(out, (std::vector<uint8_t>{1, 2, 3}));
}

// Through the codec factory, chosen by an upper-case extension; loading appends the frames.
TEST(GifCodec, SavesThroughImageBufferAndLoadsBack) {
  const testutil::TempDir dir;
  const std::string path = dir.file("frame.GIF");
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(3, 3, 8));
  picture.RowPointer(1)[1] = 255;
  ASSERT_TRUE(picture.Save(path, -1));
  image::ImageSequence frames;
  ASSERT_TRUE(frames.Load(path));
  ASSERT_TRUE(frames.Load(path));
  ASSERT_EQ(frames.Count(), 2);
  EXPECT_EQ(frames.At(1)->PixelAddress(1, 1)[0], 255);  // grey-ramp entry 255: white
  EXPECT_EQ(frames.At(1)->PixelAddress(0, 0)[0], 0);
}

}  // namespace
