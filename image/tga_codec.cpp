#include "image/tga_codec.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string_view>

#include "image/checked_math.h"
#include "support/byte_io.h"

namespace image {
namespace {

constexpr std::size_t kHeaderSize = 18;
constexpr std::string_view kImageId = "VavOd -- TGA";
constexpr uint8_t kTopLeftOrigin = 0x20;
constexpr int kColourMapEntries = 256;
constexpr std::size_t kMaxRunPixels = 128;

struct TgaHeader {
  std::size_t idLength = 0;
  uint8_t colourMapType = 0;
  uint8_t imageType = 0;
  int colourMapFirst = 0;
  int colourMapLength = 0;
  uint8_t colourMapEntryBits = 0;
  int width = 0;
  int height = 0;
  int depth = 0;
  uint8_t descriptor = 0;
};

TgaHeader readHeader(std::span<const uint8_t> bytes) {
  TgaHeader header;
  header.idLength = bytes[0];
  header.colourMapType = bytes[1];
  header.imageType = bytes[2];
  header.colourMapFirst = support::readLe16(bytes, 3);
  header.colourMapLength = support::readLe16(bytes, 5);
  header.colourMapEntryBits = bytes[7];
  header.width = support::readLe16(bytes, 12);
  header.height = support::readLe16(bytes, 14);
  header.depth = bytes[16] == 15 ? 16 : bytes[16];
  header.descriptor = bytes[17];
  return header;
}

bool isRunLength(uint8_t imageType) { return imageType >= 9 && imageType <= 11; }

// Reads one run-length encoded row: a packet byte c covers (c & 0x7F) + 1 pixels, one value
// repeated (bit 0x80 set) or that many literal values. A packet that runs past the end of the
// row is clipped: its surplus pixels are skipped, and the next row starts with a new packet.
// False when the data ends inside a packet.
bool decodeRunLengthRow(std::span<const uint8_t> bytes, std::size_t& pos, std::size_t pixelBytes,
                        std::size_t width, uint8_t* row) {
  std::size_t x = 0;
  while (x < width) {
    if (pos >= bytes.size()) {
      return false;
    }
    const uint8_t packet = bytes[pos++];
    const std::size_t count = static_cast<std::size_t>(packet & 0x7F) + 1;
    const std::size_t stored = (packet & 0x80) != 0 ? pixelBytes : count * pixelBytes;
    if (stored > bytes.size() - pos) {
      return false;
    }
    const std::size_t run = std::min(count, width - x);
    const uint8_t* source = bytes.data() + pos;
    uint8_t* target = row + x * pixelBytes;
    if ((packet & 0x80) != 0) {
      for (std::size_t i = 0; i < run; ++i) {
        std::memcpy(target + i * pixelBytes, source, pixelBytes);
      }
    } else {
      std::memcpy(target, source, run * pixelBytes);
    }
    pos += stored;
    x += run;
  }
  return true;
}

}  // namespace

// Uncompressed pixel data must be complete; a file whose rows or packets end early is
// rejected as Truncated before any pixel memory is allocated where the size can be told from
// the header (for run-length data, at least one packet per 128 pixels of each row).
ImageResult TgaCodec::OnLoadMemory(std::span<const uint8_t> bytes, ImageSequence& decoded) {
  if (bytes.size() <= kHeaderSize) {
    return ImageError::Truncated;
  }
  const TgaHeader header = readHeader(bytes);
  if (header.colourMapEntryBits == 15 || header.colourMapEntryBits == 16) {
    return ImageError::BadPalette;
  }
  if (header.depth != 8 && header.depth != 16 && header.depth != 24 && header.depth != 32) {
    return ImageError::UnsupportedDepth;
  }
  if (header.width == 0 || header.height == 0) {
    return ImageError::BadDimensions;
  }
  if (header.width > kMaxDimension || header.height > kMaxDimension) {
    return ImageError::TooLarge;
  }
  std::size_t pos = kHeaderSize + header.idLength;
  if (pos > bytes.size()) {
    return ImageError::Truncated;
  }

  std::array<RgbQuad, kColourMapEntries> palette{};
  if (header.colourMapType == 1) {
    if (header.colourMapFirst + header.colourMapLength > kColourMapEntries ||
        (header.colourMapEntryBits != 24 && header.colourMapEntryBits != 32)) {
      return ImageError::BadPalette;
    }
    const std::size_t entryBytes = header.colourMapEntryBits / 8u;
    const std::size_t mapBytes = entryBytes * static_cast<std::size_t>(header.colourMapLength);
    if (mapBytes > bytes.size() - pos) {
      return ImageError::Truncated;
    }
    const auto first = static_cast<std::size_t>(header.colourMapFirst);
    for (std::size_t i = 0; i < static_cast<std::size_t>(header.colourMapLength); ++i) {
      const uint8_t* entry = bytes.data() + pos + entryBytes * i;
      palette[first + i] =
          RgbQuad{entry[0], entry[1], entry[2], entryBytes == 4 ? entry[3] : uint8_t{0}};
    }
    pos += mapBytes;
  }

  const auto pixelBytes = static_cast<std::size_t>(header.depth / 8);
  const auto width = static_cast<std::size_t>(header.width);
  const auto height = static_cast<std::size_t>(header.height);
  const std::size_t rowBytes = width * pixelBytes;
  const std::size_t leastPixelData =
      isRunLength(header.imageType)
          ? height * ((width + kMaxRunPixels - 1) / kMaxRunPixels) * (1 + pixelBytes)
          : height * rowBytes;
  if (leastPixelData > bytes.size() - pos) {
    return ImageError::Truncated;
  }

  auto picture = std::make_unique<ImageBuffer>();
  if (ImageResult created = picture->Create(header.width, header.height, header.depth); !created)
    return created;
  if (header.colourMapType == 1) {
    picture->SetPalette(0, kColourMapEntries, palette.data());
  }
  const bool topDown = (header.descriptor & kTopLeftOrigin) != 0;
  for (int j = 0; j < header.height; ++j) {
    uint8_t* row = picture->RowPointer(topDown ? j : header.height - 1 - j);
    if (isRunLength(header.imageType)) {
      if (!decodeRunLengthRow(bytes, pos, pixelBytes, width, row)) {
        return ImageError::Truncated;
      }
    } else {
      std::memcpy(row, bytes.data() + pos, rowBytes);
      pos += rowBytes;
    }
  }
  decoded.append(std::move(picture));
  return {};
}

// The file written, all values little-endian:
//
//   offset  size  field                  value
//   0       1     ID length              12
//   1       1     colour-map type        1 at 8 bpp, else 0
//   2       1     image type             1 (colour-mapped) at 8 bpp, else 2 (true-colour)
//   3       2     first colour-map entry 0
//   5       2     colour-map length      256, in every file
//   7       1     colour-map entry size  24, in every file
//   8       2     x origin               0
//   10      2     y origin               0
//   12      2     width                  pixels
//   14      2     height                 pixels
//   16      1     pixel depth            8, 16, 24 or 32
//   17      1     image descriptor       0x20: top-left origin, no alpha bits declared
//   18      12    image ID               "VavOd -- TGA", no terminator
//   30      768   colour map             at 8 bpp only: 256 entries B,G,R
//   ...           pixel rows             top row first, width x bpp / 8 bytes, no padding,
//                                        pixels as held (16-bit words and alpha kept)
ImageResult TgaCodec::OnEncode(const ImageBuffer& picture, const ImageOptions& /*options*/,
                               std::vector<uint8_t>& out) {
  const int depth = picture.BitsPerPixel();
  if (depth != 8 && depth != 16 && depth != 24 && depth != 32) {
    return ImageError::UnsupportedDepth;
  }
  // The header holds 16-bit sizes.
  if (picture.Width() > 0xFFFF || picture.Height() > 0xFFFF) {
    return ImageError::TooLarge;
  }
  const bool mapped = depth == 8;
  const auto rowBytes =
      static_cast<std::size_t>(picture.Width()) * static_cast<std::size_t>(depth / 8);
  std::size_t pixelBytes = 0;
  if (!checkedMul(rowBytes, static_cast<std::size_t>(picture.Height()), pixelBytes)) {
    return ImageError::TooLarge;
  }
  out.reserve(kHeaderSize + kImageId.size() + (mapped ? 3 * kColourMapEntries : 0) + pixelBytes);
  out.push_back(static_cast<uint8_t>(kImageId.size()));
  out.push_back(mapped ? 1 : 0);
  out.push_back(mapped ? 1 : 2);
  support::appendLe16(out, 0);
  support::appendLe16(out, kColourMapEntries);
  out.push_back(24);
  support::appendLe16(out, 0);
  support::appendLe16(out, 0);
  support::appendLe16(out, static_cast<uint32_t>(picture.Width()));
  support::appendLe16(out, static_cast<uint32_t>(picture.Height()));
  out.push_back(static_cast<uint8_t>(depth));
  out.push_back(kTopLeftOrigin);
  out.insert(out.end(), kImageId.begin(), kImageId.end());
  if (mapped) {
    std::array<RgbQuad, kColourMapEntries> palette{};
    picture.GetPalette(0, kColourMapEntries, palette.data());
    for (const RgbQuad& entry : palette) {
      out.insert(out.end(), {entry.blue, entry.green, entry.red});
    }
  }
  for (int y = 0; y < picture.Height(); ++y) {
    const uint8_t* row = picture.RowPointer(y);
    out.insert(out.end(), row, row + rowBytes);
  }
  return {};
}

}  // namespace image
