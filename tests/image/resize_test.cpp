#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <thread>
#include <tuple>

#include "image/image_buffer.h"
#include "image/jpeg_codec.h"
#include "image_test_util.h"

namespace image {
namespace {

// An independent reference resampler in double precision: Catmull-Rom (Keys, a = -0.5) cubic,
// pixel centres aligned, the kernel stretched by the scale factor when shrinking, taps outside
// the picture clamped to the edge pixel, weights normalised.
double cubic(double x) {
  constexpr double kA = -0.5;
  x = std::fabs(x);
  if (x < 1.0) return ((kA + 2.0) * x - (kA + 3.0)) * x * x + 1.0;
  if (x < 2.0) return ((kA * x - 5.0 * kA) * x + 8.0 * kA) * x - 4.0 * kA;
  return 0.0;
}

// The reference's normalised weights [output index][input index] for `in` values to `out`.
std::vector<std::vector<double>> weights(int in, int out) {
  const double scale = static_cast<double>(in) / out;
  const double stretch = std::max(1.0, scale);
  std::vector<std::vector<double>> weights(static_cast<std::size_t>(out),
                                           std::vector<double>(static_cast<std::size_t>(in)));
  for (std::size_t i = 0; i < weights.size(); ++i) {
    const double centre = (double(i) + 0.5) * scale;
    double total = 0.0;
    for (int j = int(std::floor(centre - 2 * stretch)); j <= int(std::ceil(centre + 2 * stretch));
         ++j) {
      const double weight = cubic((j + 0.5 - centre) / stretch);
      weights[i][std::size_t(std::clamp(j, 0, in - 1))] += weight;
      total += weight;
    }
    for (double& weight : weights[i]) weight /= total;
  }
  return weights;
}

// Smooth ramps in blue and red, hard-edged checks in green, opaque.
ImageBuffer pattern(int width, int height, int depth) {
  ImageBuffer picture = test::picture(width, height, depth);
  for (int i = 0; i < width * height; ++i) {
    const int x = i % width;
    const int y = i / width;
    const std::array<uint8_t, 4> bgra = {uint8_t(x * 255 / (width - 1)),
                                         uint8_t((x / 4 + y / 3) % 2 * 200 + 20),
                                         uint8_t(y * 255 / (height - 1)), 255};
    std::copy_n(bgra.begin(), depth / 8, picture.PixelAddress(x, y));
  }
  return picture;
}

ImageBuffer resizedCopy(const ImageBuffer& source, int width, int height) {
  ImageBuffer resized;
  resized.CopyFrom(source);
  resized.Resize(width, height);
  return resized;
}

TEST(ResizeTest, DoublingAndHalvingFollowTheReferenceBicubic) {
  for (int depth : {24, 32}) {
    const ImageBuffer source = pattern(24, 18, depth);
    // Both sides, and one side alone: the other must keep its size and its pixels.
    for (const auto& [width, height] : {std::pair{48, 36}, {12, 9}, {7, 29}, {24, 37}, {41, 18}}) {
      SCOPED_TRACE(std::to_string(depth) + " bpp to " + std::to_string(width) + " x " +
                   std::to_string(height));
      const ImageBuffer resized = resizedCopy(source, width, height);
      ASSERT_EQ(resized.Width(), width);
      ASSERT_EQ(resized.Height(), height);
      ASSERT_EQ(resized.BitsPerPixel(), depth);
      const auto across = weights(source.Width(), width);
      const auto down = weights(source.Height(), height);
      for (int channel = 0; channel < 3; ++channel) {
        double worst = 0.0;
        for (int i = 0; i < width * height; ++i) {
          double want = 0.0;
          for (int ky = 0; ky < source.Height(); ++ky) {
            const double wy = down[std::size_t(i / width)][std::size_t(ky)];
            for (int kx = 0; kx < source.Width() && wy != 0.0; ++kx) {
              want += wy * across[std::size_t(i % width)][std::size_t(kx)] *
                      source.PixelAddress(kx, ky)[channel];
            }
          }
          const int got = resized.PixelAddress(i % width, i / width)[channel];
          worst = std::max(worst, std::fabs(got - std::clamp(want, 0.0, 255.0)));
        }
        EXPECT_LE(worst, 2.0) << "channel " << channel;
      }
    }
  }
}

TEST(ResizeTest, OneByOneIsValidAndOtherRequestsItCannotServeChangeNothing) {
  for (int depth : {16, 24, 32}) {
    SCOPED_TRACE(depth);
    ImageBuffer picture = test::picture(500, 400, depth);
    std::fill_n(picture.pixels(), picture.pixelBytes(), 0x5A);
    picture.Resize(1, 1);
    ASSERT_EQ(picture.Width(), 1);
    ASSERT_EQ(picture.Height(), 1);
    EXPECT_EQ(picture.BitsPerPixel(), depth);
    EXPECT_EQ(picture.PixelAddress(0, 0)[0], 0x5A);
  }
  // Depth and requested size: width or height 0, negative, palette depths, the same size.
  for (const auto& [depth, width, height] : {std::tuple{24, 0, 5},
                                             {24, 5, 0},
                                             {32, -3, 5},
                                             {8, 20, 20},
                                             {4, 20, 20},
                                             {1, 20, 20},
                                             {32, 7, 5}}) {
    SCOPED_TRACE(testing::Message() << depth << " bpp to " << width << " x " << height);
    const ImageBuffer before = test::makePicture(7, 5, depth);
    const ImageBuffer after = resizedCopy(before, width, height);
    EXPECT_EQ(after.Width(), 7);
    EXPECT_TRUE(test::sameBytes(test::block(after), test::block(before)));
    EXPECT_TRUE(test::sameBytes(after.BitmapInfo(), before.BitmapInfo()));
  }
  ImageBuffer empty;
  empty.Resize(10, 10);
  EXPECT_FALSE(empty.IsValid());
}

TEST(ResizeTest, NearestNeighbourCopiesThePixelUnderEachCentre) {
  // Target pixel x copies source pixel floor((x + 1/2) * from / to), rows alike: whole factors
  // repeat pixels, reductions keep the pixel under the centre, no colour is mixed.
  struct Row {
    int fromWidth, fromHeight, toWidth, toHeight;
    std::vector<int> columns, rows;
  };
  const Row rows[] = {
      {3, 2, 6, 4, {0, 0, 1, 1, 2, 2}, {0, 0, 1, 1}},
      {2, 1, 6, 3, {0, 0, 0, 1, 1, 1}, {0, 0, 0}},
      {5, 4, 2, 2, {1, 3}, {1, 3}},
      {4, 1, 3, 1, {0, 2, 3}, {0}},
  };
  for (const int depth : {16, 24, 32}) {
    for (const Row& row : rows) {
      SCOPED_TRACE(testing::Message()
                   << depth << " bpp, " << row.fromWidth << " x " << row.fromHeight << " to "
                   << row.toWidth << " x " << row.toHeight);
      const ImageBuffer before = test::makePicture(row.fromWidth, row.fromHeight, depth);
      ImageBuffer after;
      after.CopyFrom(before);
      after.Resize(row.toWidth, row.toHeight, ResizeFilter::Nearest);
      ASSERT_EQ(std::tuple(after.Width(), after.Height(), after.BitsPerPixel()),
                std::tuple(row.toWidth, row.toHeight, depth));
      for (int y = 0; y < row.toHeight; ++y) {
        for (int x = 0; x < row.toWidth; ++x) {
          EXPECT_EQ(test::pixel(after, x, y),
                    test::pixel(before, row.columns[std::size_t(x)], row.rows[std::size_t(y)]));
        }
      }
    }
  }
}

TEST(ResizeTest, TransparentNeighboursDoNotBleedIntoVisiblePixels) {
  // Left half transparent red, right half opaque blue.
  ImageBuffer picture = test::picture(8, 8, 32);
  for (int i = 0; i < 64; ++i) {
    const test::Bytes bgra = test::hex(i % 8 >= 4 ? "FF 00 00 FF" : "00 00 FF 00");
    std::copy(bgra.begin(), bgra.end(), picture.PixelAddress(i % 8, i / 8));
  }
  for (const auto& [width, height] : {std::pair{19, 8}, {3, 3}}) {
    SCOPED_TRACE(width);
    const ImageBuffer resized = resizedCopy(picture, width, height);
    bool sawPartialAlpha = false;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::vector<uint8_t> pixel = test::pixel(resized, x, y);
        if (pixel[3] == 0) continue;
        sawPartialAlpha = sawPartialAlpha || pixel[3] < 255;
        EXPECT_GE(pixel[0], 254) << "dark fringe at " << x << "," << y;
        EXPECT_LE(pixel[1], 1) << x << "," << y;
        EXPECT_LE(pixel[2], 1) << "red fringe at " << x << "," << y;
      }
    }
    EXPECT_TRUE(sawPartialAlpha) << "the edge should be blended";
  }
}

// A green ramp rising left to right: after resizing, the field rises to the same end and the
// other fields, whose bits differ between the layouts, stay zero.
TEST(ResizeTest, SixteenBitPicturesKeepTheirMasks) {
  for (const auto& [name, compression, greenShift, greenMax] :
       {std::tuple{"5-6-5", kBiBitfields, 5, 63}, {"5-5-5", kBiRgb, 5, 31}}) {
    SCOPED_TRACE(name);
    ImageBuffer ramp = test::picture(8, 4, 16, {}, compression);
    for (int i = 0; i < 8 * 4; ++i) {
      const int word = (i % 8 * greenMax / 7) << greenShift;
      ramp.PixelAddress(i % 8, i / 8)[0] = uint8_t(word);
      ramp.PixelAddress(i % 8, i / 8)[1] = uint8_t(word >> 8);
    }
    const std::vector<uint8_t> info = ramp.BitmapInfo();
    ramp.Resize(15, 3);
    EXPECT_TRUE(test::sameBytes(std::span<const uint8_t>(ramp.BitmapInfo()).subspan(12),
                                std::span<const uint8_t>(info).subspan(12)))
        << "depth, compression and masks";
    int previous = 0;
    for (int x = 0; x < 15; ++x) {
      const int word = ramp.PixelAddress(x, 1)[0] | (ramp.PixelAddress(x, 1)[1] << 8);
      EXPECT_EQ(word & ~(greenMax << greenShift), 0) << "x " << x;
      EXPECT_GE(word >> greenShift, previous) << "x " << x;
      previous = word >> greenShift;
    }
    EXPECT_EQ(previous, greenMax);
  }
}

// The converter's one-step encoding looks like Resize followed by EncodeJpeg: the colour
// conversion is affine and the resampling linear, so the two ways of making the JPEG differ by
// rounding, and where transparent pixels meet opaque ones by the order of compositing and
// resampling. Checked on photo-like, flat and partly transparent pictures, also with one side
// kept and at odd sizes, whose last column and row the library reads past the picture.
TEST(ResizeTest, ResizedJpegLooksLikeResizeThenEncode) {
  // Smooth gradients with seeded noise of a few levels, as in photographs.
  ImageBuffer photo = test::picture(30, 20, 32);
  uint32_t seed = 12345;
  for (int i = 0; i < 30 * 20; ++i) {
    seed = seed * 1103515245 + 12345;
    const int noise = static_cast<int>(seed >> 28) - 8;
    const int x = i % 30;
    const int y = i / 30;
    const std::array<uint8_t, 4> bgra = {uint8_t(40 + 5 * x + noise), uint8_t(60 + 6 * y - noise),
                                         uint8_t(200 - 3 * x - 2 * y + noise), 255};
    std::copy(bgra.begin(), bgra.end(), photo.PixelAddress(x, y));
  }
  ImageBuffer flat = test::picture(30, 20, 24);
  std::fill_n(flat.pixels(), flat.pixelBytes(), 0xE8);
  ImageBuffer transparent;
  transparent.CopyFrom(photo);
  for (int y = 5; y < 15; ++y) {
    for (int x = 8; x < 20; ++x) transparent.PixelAddress(x, y)[3] = uint8_t(x * 12);
  }
  // Least PSNR (dB) and most mean difference of the last column or row (levels).
  const struct {
    const char* name;
    const ImageBuffer& picture;
    double psnr;
    double edge;
  } pictures[] = {{"photo-like", photo, 38.0, 4.5},
                  {"flat", flat, 80.0, 0.5},
                  {"transparent", transparent, 33.0, 4.5}};
  JpegCodec codec;
  for (const auto& [name, source, leastPsnr, mostEdge] : pictures) {
    for (const auto& [width, height] :
         {std::pair{60, 40}, {15, 10}, {30, 61}, {41, 20}, {41, 31}}) {
      SCOPED_TRACE(testing::Message() << name << " to " << width << " x " << height);
      std::vector<uint8_t> direct;
      std::vector<uint8_t> reference;
      ASSERT_TRUE(encodeResizedJpeg(source, width, height, 80, direct));
      ASSERT_TRUE(encodeJpeg(resizedCopy(source, width, height), 80, reference));
      const ImageBuffer got = test::decodeOne(codec, direct);
      const ImageBuffer want = test::decodeOne(codec, reference);
      ASSERT_EQ(std::pair(got.Width(), got.Height()), std::pair(width, height));
      double squares = 0.0;
      std::array<double, 2> edges{};  // last column, last row: summed differences
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
          for (int c = 0; c < 3; ++c) {
            const double difference = got.PixelAddress(x, y)[c] - want.PixelAddress(x, y)[c];
            squares += difference * difference;
            if (x == width - 1) edges[0] += std::fabs(difference) / (3.0 * height);
            if (y == height - 1) edges[1] += std::fabs(difference) / (3.0 * width);
          }
        }
      }
      const double meanSquare = std::max(squares / (3.0 * width * height), 1e-9);
      EXPECT_GE(10.0 * std::log10(255.0 * 255.0 / meanSquare), leastPsnr);
      EXPECT_LE(edges[0], mostEdge);
      EXPECT_LE(edges[1], mostEdge);
    }
  }
}

TEST(ResizeTest, ResultIsTheSameOnEveryThread) {
  ImageBuffer source = pattern(150, 100, 32);
  for (int y = 0; y < 100; ++y) source.PixelAddress(y, y)[3] = static_cast<uint8_t>(y * 2);
  const ImageBuffer serial = resizedCopy(source, 317, 211);
  std::array<ImageBuffer, 4> copies;
  std::vector<std::thread> threads;
  for (ImageBuffer& copy : copies) {
    threads.emplace_back([&copy, &source] { copy = resizedCopy(source, 317, 211); });
  }
  for (std::thread& thread : threads) thread.join();
  for (const ImageBuffer& copy : copies) {
    EXPECT_TRUE(test::sameBytes(test::block(copy), test::block(serial)));
  }
}

}  // namespace
}  // namespace image
