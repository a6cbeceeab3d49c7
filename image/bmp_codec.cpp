#include "image/bmp_codec.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

#include "image/checked_math.h"
#include "support/byte_io.h"

namespace image {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kHeadersSize = kFileHeaderSize + kInfoHeaderSize;
constexpr std::size_t kMasksSize = 12;

BitmapInfoHeader readInfoHeader(std::span<const uint8_t> bytes) {
  const std::size_t at = kFileHeaderSize;
  BitmapInfoHeader header;
  header.biSize = support::readLe32(bytes, at);
  header.biWidth = static_cast<int32_t>(support::readLe32(bytes, at + 4));
  header.biHeight = static_cast<int32_t>(support::readLe32(bytes, at + 8));
  header.biPlanes = support::readLe16(bytes, at + 12);
  header.biBitCount = support::readLe16(bytes, at + 14);
  header.biCompression = support::readLe32(bytes, at + 16);
  header.biSizeImage = support::readLe32(bytes, at + 20);
  header.biXPelsPerMeter = static_cast<int32_t>(support::readLe32(bytes, at + 24));
  header.biYPelsPerMeter = static_cast<int32_t>(support::readLe32(bytes, at + 28));
  header.biClrUsed = support::readLe32(bytes, at + 32);
  header.biClrImportant = support::readLe32(bytes, at + 36);
  return header;
}

}  // namespace

// Loading keeps every read inside the data: the palette takes only the entries present in the
// file (missing ones keep the grey ramp) and the pixel block receives
// min(stride x height, size - bfOffBits) bytes, so a file with short pixel data still loads
// with its missing rows left zero.
ImageResult BmpCodec::OnLoadMemory(std::span<const uint8_t> bytes, ImageSequence& decoded) {
  if (bytes.size() <= kFileHeaderSize) {
    return ImageError::Truncated;
  }
  if (bytes[0] != 'B' || bytes[1] != 'M') {
    return ImageError::BadSignature;
  }
  const uint32_t offBits = support::readLe32(bytes, 10);
  if (offBits >= bytes.size() || bytes.size() < kHeadersSize) {
    return ImageError::Truncated;
  }
  const BitmapInfoHeader header = readInfoHeader(bytes);
  // Smaller headers (the 12-byte OS/2 core header) lay their fields out differently.
  if (header.biSize < kInfoHeaderSize) {
    return ImageError::Corrupt;
  }
  // The palette starts right after the header, so the header must end inside the data.
  if (header.biSize > bytes.size() - kFileHeaderSize) {
    return ImageError::Truncated;
  }
  if (header.biWidth > kMaxDimension || header.biHeight > kMaxDimension) {
    return ImageError::TooLarge;
  }
  std::array<uint32_t, 3> masks{};
  const bool hasMasks = header.biBitCount == 16 && header.biCompression == kBiBitfields;
  if (hasMasks) {
    if (bytes.size() < kHeadersSize + kMasksSize) {
      return ImageError::Truncated;
    }
    for (std::size_t i = 0; i < masks.size(); ++i) {
      masks[i] = support::readLe32(bytes, kHeadersSize + 4 * i);
    }
  }
  auto picture = std::make_unique<ImageBuffer>();
  if (ImageResult created = picture->CreateFromHeader(header, hasMasks ? masks.data() : nullptr);
      !created)
    return created;
  if (header.biBitCount <= 8) {
    const std::size_t paletteStart = kFileHeaderSize + header.biSize;
    const std::size_t available = (bytes.size() - paletteStart) / 4;
    const std::size_t count = std::min<std::size_t>(std::size_t{1} << header.biBitCount, available);
    std::vector<RgbQuad> palette(count);
    for (std::size_t i = 0; i < count; ++i) {
      const uint8_t* entry = bytes.data() + paletteStart + 4 * i;
      palette[i] = RgbQuad{entry[0], entry[1], entry[2], entry[3]};
    }
    picture->SetPalette(0, static_cast<int>(count), palette.data());
  }
  const std::size_t pixelBytes = std::min(picture->pixelBytes(), bytes.size() - offBits);
  std::memcpy(picture->pixels(), bytes.data() + offBits, pixelBytes);
  decoded.append(std::move(picture));
  return {};
}

// The file written, all values little-endian:
//
//   offset  size   field            value
//   0       2      bfType           "BM"
//   2       4      bfSize           54 + extra + stride x height
//   6       2      bfReserved1      0
//   8       2      bfReserved2      0
//   10      4      bfOffBits        54 + extra
//   14      40     BITMAPINFOHEADER the image's header as held (positive height, biSizeImage 0)
//   54      extra  palette / masks  2^bpp entries B,G,R,X at up to 8 bpp (extra = 4 x 2^bpp);
//                                   masks red, green, blue at 16 bpp with compression 3
//                                   (extra = 12); nothing otherwise
//   54+extra       pixel rows       the pixel block as stored: bottom row first, padded rows
ImageResult BmpCodec::OnEncode(const ImageBuffer& picture, const ImageOptions& /*options*/,
                               std::vector<uint8_t>& out) {
  const std::vector<uint8_t> info = picture.BitmapInfo();
  const int depth = picture.BitsPerPixel();
  std::size_t extra = 0;
  if (depth <= 8) {
    extra = 4 * (std::size_t{1} << depth);
  } else if (picture.header().biCompression == kBiBitfields) {
    extra = kMasksSize;
  }
  const std::size_t offBits = kHeadersSize + extra;
  std::size_t fileSize = 0;
  if (!checkedAdd(offBits, picture.pixelBytes(), fileSize) ||
      fileSize > std::numeric_limits<uint32_t>::max()) {
    return ImageError::TooLarge;
  }
  out.reserve(fileSize);
  out.push_back('B');
  out.push_back('M');
  support::appendLe32(out, static_cast<uint32_t>(fileSize));
  support::appendLe16(out, 0);
  support::appendLe16(out, 0);
  support::appendLe32(out, static_cast<uint32_t>(offBits));
  const auto infoEnd = info.begin() + static_cast<std::ptrdiff_t>(kInfoHeaderSize + extra);
  out.insert(out.end(), info.begin(), infoEnd);
  out.insert(out.end(), picture.pixels(), picture.pixels() + picture.pixelBytes());
  return {};
}

}  // namespace image
