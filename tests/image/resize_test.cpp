#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include "image/image_buffer.h"
#include "image_test_util.h"

namespace image {
namespace {

// An independent reference resampler in double precision: Catmull-Rom (Keys, a = -0.5) cubic,
// pixel centres aligned, the kernel stretched by the scale factor when shrinking, taps outside
// the picture clamped to the edge pixel, weights normalised.
double Cubic(double x) {
  constexpr double a = -0.5;
  x = std::fabs(x);
  if (x < 1.0) {
    return ((a + 2.0) * x - (a + 3.0)) * x * x + 1.0;
  }
  if (x < 2.0) {
    return ((a * x - 5.0 * a) * x + 8.0 * a) * x - 4.0 * a;
  }
  return 0.0;
}

std::vector<double> Resample1d(const std::vector<double>& in, int outSize) {
  const int inSize = static_cast<int>(in.size());
  const double scale = static_cast<double>(inSize) / outSize;
  const double stretch = std::max(1.0, scale);
  std::vector<double> out(static_cast<std::size_t>(outSize));
  for (int i = 0; i < outSize; ++i) {
    const double centre = (i + 0.5) * scale;
    const int first = static_cast<int>(std::floor(centre - 2.0 * stretch));
    const int last = static_cast<int>(std::ceil(centre + 2.0 * stretch));
    double sum = 0.0;
    double weights = 0.0;
    for (int j = first; j <= last; ++j) {
      const double weight = Cubic((j + 0.5 - centre) / stretch);
      sum += weight * in[static_cast<std::size_t>(std::clamp(j, 0, inSize - 1))];
      weights += weight;
    }
    out[static_cast<std::size_t>(i)] = sum / weights;
  }
  return out;
}

// One channel plane, rows from the top.
using Plane = std::vector<std::vector<double>>;

Plane Resample2d(const Plane& in, int outWidth, int outHeight) {
  Plane rows;
  for (const auto& row : in) {
    rows.push_back(Resample1d(row, outWidth));
  }
  Plane out(static_cast<std::size_t>(outHeight),
            std::vector<double>(static_cast<std::size_t>(outWidth)));
  for (std::size_t x = 0; x < static_cast<std::size_t>(outWidth); ++x) {
    std::vector<double> column;
    for (const auto& row : rows) {
      column.push_back(row[x]);
    }
    const std::vector<double> resampled = Resample1d(column, outHeight);
    for (std::size_t y = 0; y < resampled.size(); ++y) {
      out[y][x] = resampled[y];
    }
  }
  return out;
}

Plane ChannelOf(const ImageBuffer& picture, int channel) {
  Plane plane;
  for (int y = 0; y < picture.Height(); ++y) {
    std::vector<double> row;
    for (int x = 0; x < picture.Width(); ++x) {
      row.push_back(picture.PixelAddress(x, y)[channel]);
    }
    plane.push_back(row);
  }
  return plane;
}

// A picture with smooth areas and hard edges in every channel.
ImageBuffer Pattern(int width, int height, int depth) {
  ImageBuffer picture;
  EXPECT_TRUE(picture.Create(width, height, depth));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* pixel = picture.PixelAddress(x, y);
      pixel[0] = static_cast<uint8_t>(x * 255 / std::max(1, width - 1));
      pixel[1] = static_cast<uint8_t>(((x / 4 + y / 3) % 2) * 200 + 20);
      pixel[2] = static_cast<uint8_t>(y * 255 / std::max(1, height - 1));
      if (depth == 32) {
        pixel[3] = 255;
      }
    }
  }
  return picture;
}

void ExpectMatchesReference(const ImageBuffer& source, int width, int height, double tolerance) {
  ImageBuffer resized;
  resized.CopyFrom(source);
  resized.Resize(width, height);
  ASSERT_EQ(resized.Width(), width);
  ASSERT_EQ(resized.Height(), height);
  ASSERT_EQ(resized.BitsPerPixel(), source.BitsPerPixel());
  for (int channel = 0; channel < 3; ++channel) {
    const Plane expected = Resample2d(ChannelOf(source, channel), width, height);
    double worst = 0.0;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const double want = std::clamp(
            expected[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)], 0.0, 255.0);
        worst = std::max(worst, std::fabs(resized.PixelAddress(x, y)[channel] - want));
      }
    }
    EXPECT_LE(worst, tolerance) << "channel " << channel;
  }
}

TEST(ResizeTest, DoublingAndHalvingFollowTheReferenceBicubic) {
  for (int depth : {24, 32}) {
    SCOPED_TRACE(depth);
    const ImageBuffer source = Pattern(24, 18, depth);
    ExpectMatchesReference(source, 48, 36, 2.0);
    ExpectMatchesReference(source, 12, 9, 2.0);
    ExpectMatchesReference(source, 7, 29, 2.0);
  }
}

TEST(ResizeTest, ShrinkingFiltersInsteadOfSkippingPixels) {
  // One-pixel stripes average to grey once the kernel widens; point sampling would keep them.
  ImageBuffer stripes;
  ASSERT_TRUE(stripes.Create(64, 4, 24));
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 64; ++x) {
      std::fill_n(stripes.PixelAddress(x, y), 3, x % 2 == 0 ? 0 : 255);
    }
  }
  stripes.Resize(8, 4);
  for (int x = 1; x < 7; ++x) {
    EXPECT_NEAR(stripes.PixelAddress(x, 2)[0], 128, 4) << "x " << x;
  }
}

TEST(ResizeTest, OneByOneResultIsValid) {
  for (int depth : {16, 24, 32}) {
    SCOPED_TRACE(depth);
    ImageBuffer picture;
    ASSERT_TRUE(picture.Create(500, 400, depth));
    std::fill_n(picture.Pixels(), picture.PixelBytes(), 0x5A);
    picture.Resize(1, 1);
    ASSERT_TRUE(picture.IsValid());
    EXPECT_EQ(picture.Width(), 1);
    EXPECT_EQ(picture.Height(), 1);
    EXPECT_EQ(picture.BitsPerPixel(), depth);
    EXPECT_EQ(picture.PixelAddress(0, 0)[0], 0x5A);
  }
  ImageBuffer wide;
  ASSERT_TRUE(wide.Create(4000, 3, 24));
  wide.Resize(1, 1);
  EXPECT_EQ(wide.Width(), 1);
}

TEST(ResizeTest, RequestsItCannotServeLeaveThePictureAlone) {
  struct Row {
    const char* name;
    int depth;
    int width;
    int height;
  };
  const Row rows[] = {
      {"width 0", 24, 0, 5},   {"height 0", 24, 5, 0}, {"negative width", 32, -3, 5},
      {"8 bits", 8, 20, 20},   {"4 bits", 4, 20, 20},  {"1 bit", 1, 20, 20},
      {"same size", 32, 7, 5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ImageBuffer picture;
    ASSERT_TRUE(picture.Create(7, 5, row.depth));
    test::FillPattern(picture);
    const std::vector<uint8_t> before(picture.Pixels(), picture.Pixels() + picture.PixelBytes());
    picture.Resize(row.width, row.height);
    EXPECT_EQ(picture.Width(), 7);
    EXPECT_EQ(picture.Height(), 5);
    EXPECT_TRUE(test::SameBytes(
        std::vector<uint8_t>(picture.Pixels(), picture.Pixels() + picture.PixelBytes()), before));
  }
  ImageBuffer empty;
  empty.Resize(10, 10);
  EXPECT_FALSE(empty.IsValid());
}

TEST(ResizeTest, TransparentNeighboursDoNotBleedIntoVisiblePixels) {
  // Left half transparent red, right half opaque blue.
  ImageBuffer picture;
  ASSERT_TRUE(picture.Create(8, 8, 32));
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      uint8_t* pixel = picture.PixelAddress(x, y);
      const bool blue = x >= 4;
      pixel[0] = blue ? 255 : 0;
      pixel[2] = blue ? 0 : 255;
      pixel[3] = blue ? 255 : 0;
    }
  }
  for (const std::array<int, 2> size : {std::array<int, 2>{19, 8}, std::array<int, 2>{3, 3}}) {
    SCOPED_TRACE(size[0]);
    ImageBuffer resized;
    resized.CopyFrom(picture);
    resized.Resize(size[0], size[1]);
    bool sawPartialAlpha = false;
    for (int y = 0; y < resized.Height(); ++y) {
      for (int x = 0; x < resized.Width(); ++x) {
        const uint8_t* pixel = resized.PixelAddress(x, y);
        if (pixel[3] == 0) {
          continue;
        }
        sawPartialAlpha = sawPartialAlpha || pixel[3] < 255;
        EXPECT_GE(pixel[0], 254) << "dark fringe at " << x << "," << y;
        EXPECT_LE(pixel[1], 1) << x << "," << y;
        EXPECT_LE(pixel[2], 1) << "red fringe at " << x << "," << y;
      }
    }
    EXPECT_TRUE(sawPartialAlpha) << "the edge should be blended";
  }
}

TEST(ResizeTest, FlatColourStaysExact) {
  ImageBuffer opaque;
  ASSERT_TRUE(opaque.Create(9, 7, 32));
  ImageBuffer translucent;
  ASSERT_TRUE(translucent.Create(9, 7, 32));
  for (int y = 0; y < 7; ++y) {
    for (int x = 0; x < 9; ++x) {
      const std::array<uint8_t, 4> colour = {17, 200, 99, 255};
      std::copy(colour.begin(), colour.end(), opaque.PixelAddress(x, y));
      const std::array<uint8_t, 4> faint = {17, 200, 99, 100};
      std::copy(faint.begin(), faint.end(), translucent.PixelAddress(x, y));
    }
  }
  opaque.Resize(31, 4);
  translucent.Resize(31, 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 31; ++x) {
      EXPECT_EQ(std::vector<uint8_t>(opaque.PixelAddress(x, y), opaque.PixelAddress(x, y) + 4),
                (std::vector<uint8_t>{17, 200, 99, 255}));
      const uint8_t* pixel = translucent.PixelAddress(x, y);
      EXPECT_NEAR(pixel[0], 17, 1);
      EXPECT_NEAR(pixel[1], 200, 1);
      EXPECT_NEAR(pixel[2], 99, 1);
      EXPECT_EQ(pixel[3], 100);
    }
  }
}

TEST(ResizeTest, SixteenBitPicturesKeepTheirMasks) {
  struct Row {
    const char* name;
    std::array<uint32_t, 3> masks;
    uint16_t word;  // a flat colour in that layout
  };
  const Row rows[] = {
      {"5-6-5", {0xF800, 0x07E0, 0x001F}, static_cast<uint16_t>((20 << 11) | (45 << 5) | 9)},
      {"5-5-5", {0x7C00, 0x03E0, 0x001F}, static_cast<uint16_t>((20 << 10) | (27 << 5) | 9)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    BitmapInfoHeader header;
    header.biWidth = 6;
    header.biHeight = 4;
    header.biBitCount = 16;
    header.biCompression = kBiBitfields;
    ImageBuffer flat;
    ASSERT_TRUE(flat.CreateFromHeader(header, row.masks.data()));
    ImageBuffer ramp;
    ASSERT_TRUE(ramp.CreateFromHeader(header, row.masks.data()));
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 6; ++x) {
        flat.PixelAddress(x, y)[0] = static_cast<uint8_t>(row.word & 0xFF);
        flat.PixelAddress(x, y)[1] = static_cast<uint8_t>(row.word >> 8);
        // Blue field rising 0, 6, 12 ... 30 from left to right.
        ramp.PixelAddress(x, y)[0] = static_cast<uint8_t>(x * 6);
      }
    }
    flat.Resize(13, 9);
    ramp.Resize(11, 4);
    EXPECT_EQ(flat.Header().biCompression, kBiBitfields);
    EXPECT_EQ(std::vector<uint32_t>(flat.Masks(), flat.Masks() + 3),
              std::vector<uint32_t>(row.masks.begin(), row.masks.end()));
    for (int y = 0; y < 9; ++y) {
      for (int x = 0; x < 13; ++x) {
        const uint8_t* pixel = flat.PixelAddress(x, y);
        EXPECT_EQ(pixel[0] | (pixel[1] << 8), row.word) << x << "," << y;
      }
    }
    int previous = -1;
    for (int x = 0; x < 11; ++x) {
      const uint8_t* pixel = ramp.PixelAddress(x, 2);
      const int blue = (pixel[0] | (pixel[1] << 8)) & 0x1F;
      EXPECT_GE(blue, previous) << "x " << x;
      EXPECT_EQ((pixel[0] | (pixel[1] << 8)) & ~0x1F, 0) << "other fields stay 0";
      previous = blue;
    }
    EXPECT_EQ(previous, 30);
  }
}

TEST(ResizeTest, ResultIsTheSameOnEveryThread) {
  ImageBuffer source = Pattern(150, 100, 32);
  for (int y = 0; y < 100; ++y) {
    source.PixelAddress(y, y)[3] = static_cast<uint8_t>(y * 2);
  }
  ImageBuffer serial;
  serial.CopyFrom(source);
  serial.Resize(317, 211);
  const std::vector<uint8_t> expected(serial.Pixels(), serial.Pixels() + serial.PixelBytes());

  std::array<ImageBuffer, 4> copies;
  for (ImageBuffer& copy : copies) {
    copy.CopyFrom(source);
  }
  std::vector<std::thread> threads;
  for (ImageBuffer& copy : copies) {
    threads.emplace_back([&copy] { copy.Resize(317, 211); });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  for (const ImageBuffer& copy : copies) {
    EXPECT_TRUE(test::SameBytes(
        std::vector<uint8_t>(copy.Pixels(), copy.Pixels() + copy.PixelBytes()), expected));
  }
}

}  // namespace
}  // namespace image
