#include "image/tiff_codec.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <utility>

#include "image/checked_math.h"
#include "image/pixel_rows.h"
#include "image/tiff_memory.h"

namespace image {
namespace {

// A file may hold many pages; together they may not take more pixel memory than the largest
// single picture a decoder accepts.
constexpr std::size_t kMaxTotalPixelBytes = std::size_t{kMaxDimension} * kMaxDimension * 4;

bool hasTiffSignature(std::span<const uint8_t> bytes) {
  if (bytes.size() < 4) {
    return false;
  }
  const bool little = bytes[0] == 'I' && bytes[1] == 'I' && bytes[3] == 0;
  const bool big = bytes[0] == 'M' && bytes[1] == 'M' && bytes[2] == 0;
  const uint8_t version = little ? bytes[2] : bytes[3];
  // 42 is classic TIFF, 43 BigTIFF.
  return (little || big) && (version == 42 || version == 43);
}

struct PageLayout {
  uint32_t width = 0;
  uint32_t height = 0;
  uint16_t bitsPerSample = 0;
  uint16_t samplesPerPixel = 0;
  uint16_t photometric = 0;
  uint16_t planar = 0;
  uint16_t orientation = 0;
  uint16_t extraCount = 0;
  uint16_t firstExtra = 0;
};

PageLayout readLayout(TIFF* tiff) {
  PageLayout layout;
  TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &layout.width);
  TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &layout.height);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &layout.bitsPerSample);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &layout.samplesPerPixel);
  TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &layout.photometric);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &layout.planar);
  TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &layout.orientation);
  uint16_t* extras = nullptr;
  if (TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &layout.extraCount, &extras) != 0 &&
      layout.extraCount > 0 && extras != nullptr) {
    layout.firstExtra = extras[0];
  } else {
    layout.extraCount = 0;
  }
  return layout;
}

// 8-bit RGB or RGB with unassociated alpha in top-down strips: the samples are copied as
// they are, so what was written is read back unchanged.
bool isPlainRgb(TIFF* tiff, const PageLayout& layout) {
  const bool plainSamples =
      layout.samplesPerPixel == 3 || (layout.samplesPerPixel == 4 && layout.extraCount == 1 &&
                                      layout.firstExtra == EXTRASAMPLE_UNASSALPHA);
  return TIFFIsTiled(tiff) == 0 && layout.bitsPerSample == 8 &&
         layout.photometric == PHOTOMETRIC_RGB && layout.planar == PLANARCONFIG_CONTIG &&
         layout.orientation == ORIENTATION_TOPLEFT && plainSamples &&
         TIFFScanlineSize(tiff) == static_cast<tmsize_t>(layout.width) * layout.samplesPerPixel;
}

bool readPlainRgb(TIFF* tiff, const PageLayout& layout, ImageBuffer& frame) {
  const std::size_t channels = layout.samplesPerPixel;
  std::vector<uint8_t> line(static_cast<std::size_t>(layout.width) * channels);
  for (uint32_t y = 0; y < layout.height; ++y) {
    if (TIFFReadScanline(tiff, line.data(), y, 0) < 0) {
      return false;
    }
    uint8_t* target = frame.RowPointer(static_cast<int>(y));
    for (std::size_t i = 0; i < line.size(); i += channels) {
      target[i] = line[i + 2];
      target[i + 1] = line[i + 1];
      target[i + 2] = line[i];
      if (channels == 4) {
        target[i + 3] = line[i + 3];
      }
    }
  }
  return true;
}

uint8_t unpremultiply(uint32_t value, uint32_t alpha) {
  if (alpha == 0) {
    return 0;
  }
  return static_cast<uint8_t>(std::min<uint32_t>(255, (value * 255 + alpha / 2) / alpha));
}

bool readThroughRgba(TIFF* tiff, const PageLayout& layout, ImageBuffer& frame) {
  std::vector<uint32_t> raster(static_cast<std::size_t>(layout.width) * layout.height);
  if (TIFFReadRGBAImageOriented(tiff, layout.width, layout.height, raster.data(),
                                ORIENTATION_TOPLEFT, 1) == 0) {
    return false;
  }
  const bool alpha = frame.BitsPerPixel() == 32;
  const std::size_t step = alpha ? 4 : 3;
  for (uint32_t y = 0; y < layout.height; ++y) {
    const uint32_t* source = raster.data() + static_cast<std::size_t>(y) * layout.width;
    uint8_t* target = frame.RowPointer(static_cast<int>(y));
    for (uint32_t x = 0; x < layout.width; ++x, target += step) {
      const uint32_t pixel = source[x];
      const uint32_t a = TIFFGetA(pixel);
      if (alpha) {
        target[0] = unpremultiply(TIFFGetB(pixel), a);
        target[1] = unpremultiply(TIFFGetG(pixel), a);
        target[2] = unpremultiply(TIFFGetR(pixel), a);
        target[3] = static_cast<uint8_t>(a);
      } else {
        target[0] = static_cast<uint8_t>(TIFFGetB(pixel));
        target[1] = static_cast<uint8_t>(TIFFGetG(pixel));
        target[2] = static_cast<uint8_t>(TIFFGetR(pixel));
      }
    }
  }
  return true;
}

// Decodes the current directory into `frame`, adding its pixel bytes to `totalBytes`.
ImageResult decodePage(TIFF* tiff, ImageBuffer& frame, std::size_t& totalBytes) {
  const PageLayout layout = readLayout(tiff);
  if (layout.width == 0 || layout.height == 0) {
    return ImageError::BadDimensions;
  }
  if (layout.width > static_cast<uint32_t>(kMaxDimension) ||
      layout.height > static_cast<uint32_t>(kMaxDimension)) {
    return ImageError::TooLarge;
  }
  const int depth = layout.extraCount > 0 ? 32 : 24;
  std::size_t pageBytes = 0;
  if (!checkedMul(std::size_t{layout.width} * layout.height, static_cast<std::size_t>(depth / 8),
                  pageBytes) ||
      !checkedAdd(totalBytes, pageBytes, totalBytes) || totalBytes > kMaxTotalPixelBytes) {
    return ImageError::TooLarge;
  }
  const bool plain = isPlainRgb(tiff, layout);
  if (!plain) {
    char message[1024] = {};
    if (TIFFRGBAImageOK(tiff, message) == 0) {
      return ImageError::UnsupportedDepth;
    }
  }
  if (ImageResult created =
          frame.Create(static_cast<int>(layout.width), static_cast<int>(layout.height), depth);
      !created) {
    return created;
  }
  const bool read =
      plain ? readPlainRgb(tiff, layout, frame) : readThroughRgba(tiff, layout, frame);
  return read ? ImageResult{} : ImageResult{ImageError::Corrupt};
}

struct WriteLayout {
  uint16_t bitsPerSample = 8;
  uint16_t samplesPerPixel = 3;
  uint16_t photometric = PHOTOMETRIC_RGB;
};

bool writeColourMap(TIFF* tiff, const ImageBuffer& picture) {
  const int count = 1 << picture.BitsPerPixel();
  std::array<RgbQuad, 256> entries{};
  picture.GetPalette(0, count, entries.data());
  // TIFF colour maps hold 16-bit values; 257 maps 0..255 onto 0..65535.
  std::array<std::array<uint16_t, 256>, 3> map{};
  for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
    map[0][i] = static_cast<uint16_t>(entries[i].red * 257);
    map[1][i] = static_cast<uint16_t>(entries[i].green * 257);
    map[2][i] = static_cast<uint16_t>(entries[i].blue * 257);
  }
  return TIFFSetField(tiff, TIFFTAG_COLORMAP, map[0].data(), map[1].data(), map[2].data()) != 0;
}

// Fills `line` with row y in the file's sample order.
void fileRow(const ImageBuffer& picture, const RowConverter& rows, int y,
             std::vector<uint8_t>& line) {
  const int depth = picture.BitsPerPixel();
  if (depth <= 8) {
    std::copy_n(picture.RowPointer(y), line.size(), line.begin());
    return;
  }
  const std::size_t channels = depth == 32 ? 4 : 3;
  if (channels == 4) {
    rows.toBgra(y, line.data());
  } else {
    rows.toBgr(y, line.data());
  }
  for (std::size_t i = 0; i < line.size(); i += channels) {
    std::swap(line[i], line[i + 2]);
  }
}

// Writes `picture` as a one-page TIFF into `bytes`.
ImageResult encodeTiff(const ImageBuffer& picture, std::vector<uint8_t>& bytes) {
  const int depth = picture.BitsPerPixel();
  WriteLayout layout;
  if (depth <= 8) {
    layout = {static_cast<uint16_t>(depth), 1, PHOTOMETRIC_PALETTE};
  } else if (depth == 32) {
    layout.samplesPerPixel = 4;
  }
  std::size_t lineBits = 0;
  if (!checkedMul(static_cast<std::size_t>(picture.Width()),
                  static_cast<std::size_t>(layout.bitsPerSample) * layout.samplesPerPixel,
                  lineBits)) {
    return ImageError::TooLarge;
  }
  std::vector<uint8_t> line((lineBits + 7) / 8);

  TiffMemory file(bytes);
  TIFF* tiff = file.get();
  if (tiff == nullptr) {
    return ImageError::Library;
  }
  const auto width = static_cast<uint32_t>(picture.Width());
  const auto height = static_cast<uint32_t>(picture.Height());
  bool ok = TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width) != 0 &&
            TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height) != 0 &&
            TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, layout.bitsPerSample) != 0 &&
            TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, layout.samplesPerPixel) != 0 &&
            TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, layout.photometric) != 0 &&
            TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) != 0 &&
            TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) != 0 &&
            TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW) != 0 &&
            TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0)) != 0 &&
            TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) != 0 &&
            TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 96.0) != 0 &&
            TIFFSetField(tiff, TIFFTAG_YRESOLUTION, 96.0) != 0;
  if (ok && depth == 32) {
    const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    ok = TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &extra) != 0;
  }
  if (ok && depth <= 8) {
    ok = writeColourMap(tiff, picture);
  }
  const RowConverter rows(picture);
  for (uint32_t y = 0; ok && y < height; ++y) {
    fileRow(picture, rows, static_cast<int>(y), line);
    ok = TIFFWriteScanline(tiff, line.data(), y, 0) >= 0;
  }
  if (ok && TIFFWriteDirectory(tiff) != 0 && !file.failed()) {
    return {};
  }
  return file.outOfMemory() ? ImageError::OutOfMemory : ImageError::Library;
}

}  // namespace

ImageResult TiffCodec::OnLoadMemory(std::span<const uint8_t> bytes, ImageSequence& decoded) {
  if (!hasTiffSignature(bytes)) {
    return bytes.size() < 4 ? ImageError::Truncated : ImageError::BadSignature;
  }
  TiffMemory file(bytes);
  if (file.get() == nullptr) {
    return ImageError::Corrupt;
  }
  std::size_t totalBytes = 0;
  do {
    auto frame = std::make_unique<ImageBuffer>();
    if (ImageResult result = decodePage(file.get(), *frame, totalBytes); !result) {
      return result;
    }
    decoded.append(std::move(frame));
  } while (TIFFReadDirectory(file.get()) != 0);
  return {};
}

ImageResult TiffCodec::OnEncode(const ImageBuffer& picture, const ImageOptions&,
                                std::vector<uint8_t>& out) {
  std::vector<uint8_t> bytes;
  if (ImageResult result = encodeTiff(picture, bytes); !result) {
    return result;
  }
  out = std::move(bytes);
  return {};
}

}  // namespace image
