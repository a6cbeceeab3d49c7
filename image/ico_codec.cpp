#include "image/ico_codec.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "image/bmp_codec.h"
#include "image/checked_math.h"
#include "image/pixel_rows.h"
#include "image/png_codec.h"
#include "support/byte_io.h"

// Icon file layout, little-endian:
//
//   ICONDIR (6 bytes)           ICONDIRENTRY (16 bytes, `count` of them after ICONDIR)
//   offset size field           offset size field
//   0      2    reserved, 0     0      1    width (0 = 256)
//   2      2    type, 1 (icon)  1      1    height (0 = 256)
//               or 2 (cursor)   2      1    colour count
//   4      2    count           3      1    reserved
//                               4      2    planes (cursor: hot spot x)
//                               6      2    bit count (cursor: hot spot y)
//                               8      4    bytes in the entry's data
//                               12     4    offset of the data from the file start
//
// The sizes in the directory are hints; the entry's own data (PNG header or DIB header) is
// what is decoded. A DIB entry is a BITMAPINFOHEADER, its colour table (or three masks for
// 16 bits with BI_BITFIELDS), the colour rows and then the AND mask, 1 bit per pixel; both
// row sets are bottom-up, padded to 4 bytes, and the header's height is twice the picture's.

namespace image {
namespace {

constexpr std::size_t kDirectorySize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kFileHeaderSize = 14;
// All frames of one file together may not take more pixel memory than the largest single
// picture a decoder accepts; entries may share their data, so the file size bounds nothing.
constexpr std::size_t kMaxTotalPixelBytes = std::size_t{kMaxDimension} * kMaxDimension * 4;

std::size_t rowStride(std::size_t width, std::size_t bitsPerPixel) {
  return (width * bitsPerPixel + 31) / 32 * 4;
}

struct DibLayout {
  BitmapInfoHeader header;  // the picture's: height halved
  std::size_t headerSize = 0;
  std::size_t maskBytes = 0;     // BI_BITFIELDS masks stored after a 40-byte header
  std::size_t paletteCount = 0;  // colour table entries present in the entry
  std::size_t colourOffset = 0;  // first byte of the colour rows
  std::size_t colourBytes = 0;
  std::size_t andStride = 0;
};

ImageResult parseDib(std::span<const uint8_t> data, DibLayout& dib) {
  if (data.size() < kInfoHeaderSize) {
    return ImageError::Truncated;
  }
  dib.headerSize = support::readLe32(data, 0);
  if (dib.headerSize < kInfoHeaderSize) {
    return ImageError::UnsupportedDepth;
  }
  if (dib.headerSize > data.size()) {
    return ImageError::Truncated;
  }
  BitmapInfoHeader& header = dib.header;
  header.biWidth = static_cast<int32_t>(support::readLe32(data, 4));
  const auto fullHeight = static_cast<int32_t>(support::readLe32(data, 8));
  header.biBitCount = support::readLe16(data, 14);
  header.biCompression = support::readLe32(data, 16);
  const uint32_t coloursUsed = support::readLe32(data, 32);
  // Negative (top-down) heights do not occur in icons.
  if (header.biWidth <= 0 || fullHeight < 2) {
    return ImageError::BadDimensions;
  }
  header.biHeight = fullHeight / 2;
  if (header.biWidth > kMaxDimension || header.biHeight > kMaxDimension) {
    return ImageError::TooLarge;
  }
  const int depth = header.biBitCount;
  if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) {
    return ImageError::UnsupportedDepth;
  }
  if (header.biCompression == kBiBitfields && (depth == 16 || depth == 32)) {
    dib.maskBytes = dib.headerSize == kInfoHeaderSize ? 12 : 0;
  } else if (header.biCompression != kBiRgb) {
    return ImageError::UnsupportedDepth;
  }
  if (depth <= 8) {
    const std::size_t capacity = std::size_t{1} << depth;
    if (coloursUsed > capacity) {
      return ImageError::BadPalette;
    }
    dib.paletteCount = coloursUsed == 0 ? capacity : coloursUsed;
  }
  const auto width = static_cast<std::size_t>(header.biWidth);
  const auto height = static_cast<std::size_t>(header.biHeight);
  dib.colourOffset = dib.headerSize + dib.maskBytes + 4 * dib.paletteCount;
  dib.colourBytes = rowStride(width, static_cast<std::size_t>(depth)) * height;
  dib.andStride = rowStride(width, 1);
  if (dib.colourOffset > data.size() || dib.colourBytes > data.size() - dib.colourOffset) {
    return ImageError::Truncated;
  }
  return {};
}

// A complete bitmap file for BmpCodec: file header, 40-byte info header, a full 2^bpp colour
// table (entries the icon leaves out are black) or the 16-bit masks, then the colour rows.
std::vector<uint8_t> buildBitmapFile(std::span<const uint8_t> data, const DibLayout& dib) {
  const int depth = dib.header.biBitCount;
  const bool sixteenBitMasks = depth == 16 && dib.header.biCompression == kBiBitfields;
  const std::size_t tableBytes =
      depth <= 8 ? (std::size_t{4} << depth) : (sixteenBitMasks ? 12 : 0);
  const std::size_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + tableBytes;
  std::vector<uint8_t> file;
  file.reserve(pixelOffset + dib.colourBytes);
  file.push_back('B');
  file.push_back('M');
  support::appendLe32(file, static_cast<uint32_t>(pixelOffset + dib.colourBytes));
  support::appendLe32(file, 0);
  support::appendLe32(file, static_cast<uint32_t>(pixelOffset));
  support::appendLe32(file, static_cast<uint32_t>(kInfoHeaderSize));
  support::appendLe32(file, static_cast<uint32_t>(dib.header.biWidth));
  support::appendLe32(file, static_cast<uint32_t>(dib.header.biHeight));
  support::appendLe16(file, 1);
  support::appendLe16(file, static_cast<uint32_t>(depth));
  support::appendLe32(file, sixteenBitMasks ? kBiBitfields : kBiRgb);
  for (int field = 0; field < 5; ++field) {  // image size, resolutions, colours used/important
    support::appendLe32(file, 0);
  }
  if (depth <= 8) {
    const auto palette = data.subspan(dib.headerSize, 4 * dib.paletteCount);
    file.insert(file.end(), palette.begin(), palette.end());
    file.resize(pixelOffset, 0);
  } else if (sixteenBitMasks) {
    const auto masks = data.subspan(kInfoHeaderSize, 12);
    file.insert(file.end(), masks.begin(), masks.end());
  }
  const auto colours = data.subspan(dib.colourOffset, dib.colourBytes);
  file.insert(file.end(), colours.begin(), colours.end());
  return file;
}

// The frame as 32-bit B,G,R,A, alpha 255 below 32 bits.
ImageResult toBgra(const ImageBuffer& source, ImageBuffer& target) {
  if (source.BitsPerPixel() == 32) {
    target.CopyFrom(source);
    return target.IsValid() ? ImageResult{} : ImageResult{ImageError::OutOfMemory};
  }
  if (ImageResult created = target.Create(source.Width(), source.Height(), 32); !created) {
    return created;
  }
  const RowConverter rows(source);
  for (int y = 0; y < source.Height(); ++y) {
    rows.toBgra(y, target.RowPointer(y));
  }
  return {};
}

bool hasAnyAlpha(const ImageBuffer& image) {
  for (int y = 0; y < image.Height(); ++y) {
    const uint8_t* row = image.RowPointer(y);
    for (int x = 0; x < image.Width(); ++x) {
      if (row[4 * static_cast<std::size_t>(x) + 3] != 0) {
        return true;
      }
    }
  }
  return false;
}

// Sets alpha from the AND mask; a mask that the entry cuts short leaves the picture opaque.
void applyAndMask(std::span<const uint8_t> data, const DibLayout& dib, ImageBuffer& image) {
  const std::size_t maskOffset = dib.colourOffset + dib.colourBytes;
  const auto height = static_cast<std::size_t>(image.Height());
  const bool complete = dib.andStride * height <= data.size() - maskOffset;
  for (std::size_t fileRow = 0; fileRow < height; ++fileRow) {
    uint8_t* row = image.RowPointer(static_cast<int>(height - 1 - fileRow));
    const uint8_t* mask = complete ? data.data() + maskOffset + fileRow * dib.andStride : nullptr;
    for (std::size_t x = 0; x < static_cast<std::size_t>(image.Width()); ++x) {
      const bool transparent = mask != nullptr && ((mask[x / 8] >> (7 - x % 8)) & 1) != 0;
      row[4 * x + 3] = transparent ? 0 : 255;
    }
  }
}

// Bytes 16..23 of a PNG stream are its width and height (IHDR comes first); 0 x 0 when the
// stream is too short, which the PNG decoder then reports.
std::size_t pngPixelCount(std::span<const uint8_t> data) {
  if (data.size() < 24) {
    return 0;
  }
  const auto width = (std::size_t{data[16]} << 24) | (std::size_t{data[17]} << 16) |
                     (std::size_t{data[18]} << 8) | data[19];
  const auto height = (std::size_t{data[20]} << 24) | (std::size_t{data[21]} << 16) |
                      (std::size_t{data[22]} << 8) | data[23];
  return width * height;  // both below 2^32: no overflow in 64 bits
}

// Decodes one entry's data into a 32-bit frame. `totalBytes` collects the pixel memory of
// the file's frames and is checked before anything is decoded.
ImageResult decodeEntry(std::span<const uint8_t> data, std::size_t& totalBytes,
                        ImageBuffer& frame) {
  const bool isPng = hasPngSignature(data);
  DibLayout dib;
  std::size_t pixels = 0;
  if (isPng) {
    pixels = pngPixelCount(data);
  } else {
    if (ImageResult result = parseDib(data, dib); !result) {
      return result;
    }
    pixels = static_cast<std::size_t>(dib.header.biWidth) *
             static_cast<std::size_t>(dib.header.biHeight);
  }
  std::size_t frameBytes = 0;
  if (!checkedMul(pixels, 4, frameBytes) || !checkedAdd(totalBytes, frameBytes, totalBytes) ||
      totalBytes > kMaxTotalPixelBytes) {
    return ImageError::TooLarge;
  }
  ImageSequence parts;
  if (isPng) {
    if (ImageResult loaded = PngCodec().LoadMemory(data, parts); !loaded) return loaded;
  } else if (ImageResult loaded = BmpCodec().LoadMemory(buildBitmapFile(data, dib), parts);
             !loaded) {
    return loaded;
  }
  if (parts.Count() != 1) {
    return ImageError::Corrupt;
  }
  if (ImageResult converted = toBgra(*parts.At(0), frame); !converted) return converted;
  if (!isPng && (dib.header.biBitCount != 32 || !hasAnyAlpha(frame))) {
    applyAndMask(data, dib, frame);
  }
  return {};
}

}  // namespace

ImageResult IcoCodec::OnLoadMemory(std::span<const uint8_t> bytes, ImageSequence& decoded) {
  if (bytes.size() < kDirectorySize) {
    return ImageError::Truncated;
  }
  const uint16_t type = support::readLe16(bytes, 2);
  if (support::readLe16(bytes, 0) != 0 || (type != 1 && type != 2)) {
    return ImageError::BadSignature;
  }
  const std::size_t count = support::readLe16(bytes, 4);
  if (count == 0) {
    return ImageError::NoFrames;
  }
  if (kDirectorySize + count * kEntrySize > bytes.size()) {
    return ImageError::Truncated;
  }
  std::size_t totalBytes = 0;
  for (std::size_t index = 0; index < count; ++index) {
    const std::size_t entry = kDirectorySize + index * kEntrySize;
    const std::size_t size = support::readLe32(bytes, entry + 8);
    const std::size_t offset = support::readLe32(bytes, entry + 12);
    if (offset > bytes.size() || size > bytes.size() - offset) {
      return ImageError::Truncated;
    }
    if (size == 0) {
      return ImageError::Corrupt;
    }
    auto frame = std::make_unique<ImageBuffer>();
    if (ImageResult result = decodeEntry(bytes.subspan(offset, size), totalBytes, *frame);
        !result) {
      return result;
    }
    decoded.append(std::move(frame));
  }
  return {};
}

}  // namespace image
