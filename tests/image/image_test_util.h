#pragma once

// Pictures, pixel views and codec checks shared by the image layer's tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/hex_compare.h"
#include "common/temp_dir.h"
#include "image/image_buffer.h"
#include "image/image_codec.h"
#include "image/image_sequence.h"
#include "image/pixel_rows.h"

namespace image::test {

using testutil::hex;
using testutil::readFile;
using testutil::sameBytes;
using testutil::TempDir;
using Bytes = std::vector<uint8_t>;

inline constexpr std::array<uint32_t, 3> kMasks565 = {0xF800, 0x07E0, 0x001F};

// A PNG written by another encoder (Pillow): 2 x 2 RGBA, red and green at alpha 128 / blue at
// alpha 0 and (10, 20, 30).
inline constexpr const char* kPngRgba2x2 =
    "89 50 4E 47 0D 0A 1A 0A 00 00 00 0D 49 48 44 52 00 00 00 02 00 00 00 02 08 06 00 00 00 72 "
    "B6 0D 24 00 00 00 1A 49 44 41 54 78 9C 63 F8 CF C0 F0 9F E1 3F 43 03 03 03 C3 7F 06 2E 11 "
    "B9 FF 00 37 80 05 B8 70 4C 3D 7F 00 00 00 00 49 45 4E 44 AE 42 60 82";

inline BitmapInfoHeader header(int width, int height, int depth, uint32_t compression = kBiRgb) {
  BitmapInfoHeader header;
  header.biWidth = width;
  header.biHeight = height;
  header.biBitCount = static_cast<uint16_t>(depth);
  header.biCompression = compression;
  return header;
}

// A picture of `header`'s kind (5-6-5 masks with bitfields) whose every stored byte, row
// padding included, differs from its neighbours; below 16 bits with a palette of distinct
// entries.
inline ImageBuffer makePicture(const BitmapInfoHeader& header, uint8_t seed = 1) {
  ImageBuffer picture;
  EXPECT_TRUE(picture.CreateFromHeader(header, kMasks565.data()));
  for (std::size_t i = 0; i < picture.pixelBytes(); ++i) {
    picture.pixels()[i] = static_cast<uint8_t>(seed + i * 37 + (i >> 3));
  }
  std::array<RgbQuad, 256> palette{};
  for (std::size_t i = 0; i < palette.size(); ++i) {
    palette[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), 0};
  }
  EXPECT_TRUE(header.biBitCount >= 16 || picture.SetPalette(0, 256, palette.data()));
  return picture;
}

// The same, 16 bits as 5-6-5.
inline ImageBuffer makePicture(int width, int height, int depth, uint8_t seed = 1) {
  return makePicture(header(width, height, depth, depth == 16 ? kBiBitfields : kBiRgb), seed);
}

// A zeroed picture (grey-ramp palette, 5-6-5 masks with bitfields) whose rows from the top
// start with the given hex bytes.
inline ImageBuffer picture(int width, int height, int depth, std::vector<const char*> rows = {},
                           uint32_t compression = kBiRgb) {
  ImageBuffer picture;
  EXPECT_TRUE(
      picture.CreateFromHeader(header(width, height, depth, compression), kMasks565.data()));
  for (std::size_t y = 0; y < rows.size(); ++y) {
    const Bytes bytes = hex(rows[y]);
    std::copy(bytes.begin(), bytes.end(), picture.RowPointer(static_cast<int>(y)));
  }
  return picture;
}

// The whole stored pixel block, bottom row first.
inline std::span<const uint8_t> block(const ImageBuffer& picture) {
  return {picture.pixels(), picture.pixelBytes()};
}

// The bytes of row y (from the top) that belong to the picture, not the padding.
inline Bytes rowBytes(const ImageBuffer& picture, int y) {
  const uint8_t* row = picture.RowPointer(y);
  return {row, row + (picture.Width() * picture.BitsPerPixel() + 7) / 8};
}

// The bytes of pixel (x, y) at 8 bits and above.
inline Bytes pixel(const ImageBuffer& picture, int x, int y) {
  const uint8_t* at = picture.PixelAddress(x, y);
  return {at, at + picture.BitsPerPixel() / 8};
}

// `count` palette entries from `first` as B,G,R,reserved bytes; empty when there are none.
inline Bytes paletteBytes(const ImageBuffer& picture, int first, std::size_t count) {
  std::vector<RgbQuad> entries(count);
  if (!picture.GetPalette(first, static_cast<int>(count), entries.data())) return {};
  Bytes bytes;
  for (const RgbQuad& e : entries) bytes.insert(bytes.end(), {e.blue, e.green, e.red, e.reserved});
  return bytes;
}

// The picture as 8-bit B,G,R,A rows from the top, the form every depth decodes to.
inline Bytes asBgra(const ImageBuffer& picture) {
  Bytes all(static_cast<std::size_t>(picture.Width() * picture.Height()) * 4);
  const RowConverter rows(picture);
  for (int y = 0; y < picture.Height(); ++y) {
    rows.toBgra(y, all.data() + static_cast<std::size_t>(y * picture.Width()) * 4);
  }
  return all;
}

// The single frame `codec` decodes from `bytes`, or an invalid picture.
inline ImageBuffer decodeOne(ImageCodec& codec, std::span<const uint8_t> bytes) {
  ImageSequence frames;
  const ImageResult loaded = codec.LoadMemory(bytes, frames);
  EXPECT_TRUE(loaded) << loaded.message();
  EXPECT_EQ(frames.Count(), 1);
  ImageBuffer frame;
  if (frames.Count() == 1) frame.CopyFrom(*frames.At(0));
  return frame;
}

// What `codec` encodes `picture` to; empty when it fails.
inline Bytes encode(ImageCodec& codec, const ImageBuffer& picture) {
  Bytes bytes;
  const ImageResult saved = codec.saveMemory({&picture}, ImageOptions{}, bytes);
  EXPECT_TRUE(saved) << saved.message();
  return bytes;
}

// Encodes and decodes `original`: the same size and colours at 24 bits, or 32 when the
// original has alpha. Returns the encoded bytes.
inline Bytes expectSameColoursAfterRoundTrip(ImageCodec& codec, const ImageBuffer& original) {
  const Bytes encoded = encode(codec, original);
  const ImageBuffer decoded = decodeOne(codec, encoded);
  EXPECT_EQ(decoded.Width(), original.Width());
  EXPECT_EQ(decoded.Height(), original.Height());
  EXPECT_EQ(decoded.BitsPerPixel(), original.BitsPerPixel() == 32 ? 32 : 24);
  EXPECT_EQ(asBgra(decoded), asBgra(original));
  return encoded;
}

// Damaged data: decoding must fail with `error` and leave the frames already held alone.
struct MalformedCase {
  std::string name;
  Bytes bytes;
  ImageError error;
};

inline void expectEachFails(ImageCodec& codec, const std::vector<MalformedCase>& cases) {
  for (const MalformedCase& row : cases) {
    SCOPED_TRACE(row.name);
    ImageSequence frames;
    frames.append(std::make_unique<ImageBuffer>());
    const ImageResult loaded = codec.LoadMemory(row.bytes, frames);
    EXPECT_EQ(loaded.code(), row.error) << loaded.message();
    EXPECT_EQ(frames.Count(), 1);
  }
}

// `bytes` with the byte at `offset` set to `value`.
inline Bytes withByte(Bytes bytes, std::size_t offset, uint8_t value) {
  bytes.at(offset) = value;
  return bytes;
}

// Expected hex bytes at one offset of an encoded file.
struct Piece {
  std::size_t offset;
  const char* hex;
};

// Checks the file's size and each piece of it.
inline void expectLayout(std::span<const uint8_t> file, std::size_t size,
                         const std::vector<Piece>& pieces) {
  ASSERT_EQ(file.size(), size);
  for (const Piece& piece : pieces) {
    const Bytes expected = hex(piece.hex);
    ASSERT_LE(piece.offset + expected.size(), file.size()) << "piece at " << piece.offset;
    EXPECT_TRUE(sameBytes(file.subspan(piece.offset, expected.size()), expected))
        << "piece at " << piece.offset;
  }
}

}  // namespace image::test
