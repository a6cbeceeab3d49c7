// Movies of lossless, transparent and auto frames, with other backgrounds, qualities and the
// nearest-neighbour filter: each bitmap decoded back (zlib here, JPEG through the codec) and
// compared with the GIF's frames.
#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/core/convert.h"
#include "common/movie_frames.h"
#include "common/swf_tag_walker.h"
#include "common/temp_dir.h"
#include "common/test_gif.h"
#include "image/gif/gif_stream_decoder.h"

namespace core {
namespace {

using testutil::filledFrame;
using testutil::makeGif;
using Rgba = std::array<uint8_t, 4>;

constexpr uint16_t kLossless = 20;
constexpr uint16_t kJpeg2 = 21;
constexpr uint16_t kJpeg3 = 35;
constexpr uint16_t kLossless2 = 36;

// 6 x 4 screen: frame 0 draws entry 5 at (1, 1)-(3, 2), frame 1 adds entry 200 at (3, 0)-(4, 1);
// the rest of the screen stays transparent.
std::vector<uint8_t> spriteGif() {
  return makeGif(
      6, 4, {{1, 1, 3, 2, std::vector<uint8_t>(6, 5)}, {3, 0, 2, 2, std::vector<uint8_t>(4, 200)}});
}

// Every frame of `gif` as the decoder composites it: rows of B, G, R, A from the top.
std::vector<std::vector<Rgba>> gifFramesOf(const std::vector<uint8_t>& gif) {
  std::vector<std::vector<Rgba>> frames;
  const image::ImageResult decoded = image::decodeGifFrames(
      gif, 1,
      [&frames](int, const image::ImageBuffer& canvas) {
        std::vector<Rgba>& pixels = frames.emplace_back();
        for (int y = 0; y < canvas.Height(); ++y) {
          for (int x = 0; x < canvas.Width(); ++x) {
            const uint8_t* p = canvas.PixelAddress(x, y);
            pixels.push_back({p[2], p[1], p[0], p[3]});  // as R, G, B, A
          }
        }
        return true;
      },
      nullptr);
  EXPECT_TRUE(decoded) << decoded.message();
  return frames;
}

// The pixels of a DefineBitsLossless(2) tag as R, G, B, A (alpha 255 without alpha), rows from
// the top: format 3 through its table, format 5 from A R G B.
std::vector<Rgba> losslessPixels(const swftest::WalkedTag& tag, int& width, int& height) {
  const std::vector<uint8_t>& body = tag.body;
  const bool alpha = tag.code == kLossless2;
  const int format = body[2];
  width = body[3] | body[4] << 8;
  height = body[5] | body[6] << 8;
  const std::size_t dataAt = format == 3 ? 8 : 7;
  std::vector<uint8_t> raw(1 << 20);
  uLongf size = static_cast<uLongf>(raw.size());
  EXPECT_EQ(uncompress(raw.data(), &size, body.data() + dataAt, body.size() - dataAt), Z_OK);
  std::vector<Rgba> pixels;
  if (format == 3) {
    const std::size_t colours = body[7] + 1U;
    const std::size_t entry = alpha ? 4 : 3;
    const std::size_t stride = (static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const uint8_t* c = &raw[entry * raw[entry * colours + static_cast<std::size_t>(y) * stride +
                                            static_cast<std::size_t>(x)]];
        pixels.push_back({c[0], c[1], c[2], alpha ? c[3] : uint8_t{255}});
      }
    }
  } else {
    for (std::size_t i = 0; i < static_cast<std::size_t>(width * height); ++i) {
      const uint8_t* p = &raw[4 * i];
      pixels.push_back({p[1], p[2], p[3], alpha ? p[0] : uint8_t{255}});
    }
  }
  return pixels;
}

class FrameFormats : public ::testing::Test {
 protected:
  // Converts `gif` with `settings` (size, folder filled in) and walks the movie.
  swftest::WalkedMovie convert(const std::vector<uint8_t>& gif, OutputSettings settings,
                               int factor = 1) {
    testutil::writeFile(m_dir.file("clip.gif"), gif);
    const std::vector<std::vector<Rgba>> frames = gifFramesOf(gif);
    settings.width = (gif[6] | gif[7] << 8) * factor;
    settings.height = (gif[8] | gif[9] << 8) * factor;
    settings.outputDirectory = m_dir.path().string() + "/";
    const MovieResult result = convertGif({m_dir.file("clip.gif"), {}, settings, 2, 0}, {});
    EXPECT_TRUE(result.status) << result.status.message();
    swftest::WalkedMovie movie = swftest::walkSwf(testutil::readFile(result.outputPath));
    EXPECT_TRUE(movie.ok) << movie.error;
    return movie;
  }

  testutil::TempDir m_dir;
};

TEST_F(FrameFormats, LosslessFramesHoldTheGifPixelsExactly) {
  struct Row {
    const char* name;
    bool transparent;
    RgbColor background;
    int factor;  // nearest-neighbour enlargement
    uint16_t code;
  };
  const Row rows[] = {
      {"over white", false, {255, 255, 255}, 1, kLossless},
      {"over green, nearest at 2x", false, {0, 255, 0}, 2, kLossless},
      {"transparent, nearest at 3x", true, {0, 0, 255}, 3, kLossless2},
  };
  const std::vector<std::vector<Rgba>> gifFrames = gifFramesOf(spriteGif());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    OutputSettings settings;
    settings.frameFormat = FrameFormat::Lossless;
    settings.keepTransparency = row.transparent;
    settings.background = row.background;
    settings.scaleFilter = image::ResizeFilter::Nearest;
    const swftest::WalkedMovie movie = convert(spriteGif(), settings, row.factor);
    EXPECT_EQ(movie.tags[0].body, (std::vector<uint8_t>{row.background.red, row.background.green,
                                                        row.background.blue}));
    int frame = 0;
    for (const swftest::WalkedTag& tag : movie.tags) {
      if (tag.code != kLossless && tag.code != kLossless2) continue;
      EXPECT_EQ(tag.code, row.code);
      EXPECT_EQ(tag.body[2], 3);  // few colours: colour mapped
      int width = 0;
      int height = 0;
      const std::vector<Rgba> pixels = losslessPixels(tag, width, height);
      ASSERT_EQ(width, 6 * row.factor);
      ASSERT_EQ(height, 4 * row.factor);
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
          Rgba expected =
              gifFrames[std::size_t(frame)][std::size_t(y / row.factor * 6 + x / row.factor)];
          // Transparent pixels: premultiplied to nothing, or the background.
          if (expected[3] == 0) {
            expected = row.transparent ? Rgba{0, 0, 0, 0}
                                       : Rgba{row.background.red, row.background.green,
                                              row.background.blue, 255};
          }
          EXPECT_EQ(pixels[std::size_t(y * width + x)], expected) << x << ", " << y;
        }
      }
      ++frame;
    }
    EXPECT_EQ(frame, 2);
  }
}

TEST_F(FrameFormats, TransparentFramesTakeTheFrameBeforeOffTheStage) {
  for (const auto& [format, code] :
       {std::pair{FrameFormat::Lossless, kLossless2}, std::pair{FrameFormat::Jpeg, kJpeg3}}) {
    OutputSettings settings;
    settings.frameFormat = format;
    settings.keepTransparency = true;
    const swftest::WalkedMovie movie = convert(spriteGif(), settings);
    // SetBackgroundColor | bitmap, DefineShape3, PlaceObject2, ShowFrame | bitmap, DefineShape3,
    // RemoveObject2 of frame 0's depth, PlaceObject2, ShowFrame | End
    EXPECT_EQ(movie.codes(), (std::vector<uint16_t>{9, code, 32, 26, 1, code, 32, 28, 26, 1, 0}));
    EXPECT_EQ(movie.tags[7].body, (std::vector<uint8_t>{1, 0}));
  }
}

TEST_F(FrameFormats, AutoKeepsTheSmallerForm) {
  // Flat colours compress to almost nothing; noise enlarged smoothly does not.
  std::vector<uint8_t> noise(64 * 48);
  std::srand(7);
  for (uint8_t& index : noise) index = static_cast<uint8_t>(std::rand());
  const std::pair<std::vector<uint8_t>, uint16_t> rows[] = {
      {makeGif(40, 30, {filledFrame(40, 30, 3), filledFrame(40, 30, 9)}), kLossless},
      {makeGif(64, 48, {{0, 0, 64, 48, noise}}), kJpeg2},
  };
  for (const auto& [gif, code] : rows) {
    OutputSettings settings;
    settings.frameFormat = FrameFormat::Auto;
    for (const swftest::WalkedTag& tag : convert(gif, settings, 2).tags) {
      if (tag.code == kLossless || tag.code == kJpeg2) {
        EXPECT_EQ(tag.code, code);
      }
    }
  }
}

TEST_F(FrameFormats, JpegFramesAreCompositedOverTheBackground) {
  OutputSettings settings;
  settings.background = {0, 255, 0};
  settings.jpegQuality = 95;
  // A 4 x 4 picture in the corner of a 16 x 16 screen: the rest shows the green background.
  const swftest::WalkedMovie movie =
      convert(makeGif(16, 16, {{0, 0, 4, 4, std::vector<uint8_t>(16, 0)}}), settings);
  ASSERT_EQ(movie.tags[1].code, kJpeg2);
  const image::ImageSequence frames = testutil::decodeBitmapTag(movie.tags[1]);
  ASSERT_EQ(frames.Count(), 1);
  const uint8_t* pixel = frames.At(0)->PixelAddress(12, 12);  // B, G, R
  EXPECT_LT(std::abs(pixel[0] - 0) + std::abs(pixel[1] - 255) + std::abs(pixel[2] - 0), 12);
}

}  // namespace
}  // namespace core
