#include "image/image_buffer.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "image/checked_math.h"
#include "image/image_codec_factory.h"
#include "image/image_options.h"
#include "image/image_sequence.h"
#include "support/byte_io.h"

namespace image {
namespace {

bool isSupportedDepth(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      return true;
    default:
      return false;
  }
}

int paletteSize(int bitsPerPixel) { return bitsPerPixel <= 8 ? 1 << bitsPerPixel : 0; }

}  // namespace

ImageResult ImageBuffer::Create(int width, int height, int bitsPerPixel) {
  BitmapInfoHeader header;
  header.biWidth = width;
  header.biHeight = height;
  header.biBitCount = static_cast<uint16_t>(std::clamp(bitsPerPixel, 0, 0xFFFF));
  if (header.biBitCount != bitsPerPixel) {
    return ImageError::UnsupportedDepth;
  }
  return CreateFromHeader(header, nullptr);
}

ImageResult ImageBuffer::CreateFromHeader(const BitmapInfoHeader& header, const uint32_t* masks) {
  if (header.biWidth <= 0 || header.biHeight <= 0) {
    return ImageError::BadDimensions;
  }
  const int depth = header.biBitCount;
  if ((header.biCompression != kBiRgb && header.biCompression != kBiBitfields) ||
      !isSupportedDepth(depth)) {
    return ImageError::UnsupportedDepth;
  }
  // Stride = ((width * bpp + 31) / 32) * 4, computed without overflow.
  std::size_t rowBits = 0;
  std::size_t stride = 0;
  std::size_t total = 0;
  if (!checkedMul(static_cast<std::size_t>(header.biWidth), static_cast<std::size_t>(depth),
                  rowBits) ||
      !checkedMul((rowBits / 32) + (rowBits % 32 != 0 ? 1 : 0), 4, stride) ||
      stride > static_cast<std::size_t>(std::numeric_limits<int>::max()) ||
      !checkedMul(stride, static_cast<std::size_t>(header.biHeight), total)) {
    return ImageError::TooLarge;
  }

  ImageBuffer fresh;
  try {
    fresh.m_pixels.assign(total, 0);
    fresh.m_rows.resize(static_cast<std::size_t>(header.biHeight));
    fresh.m_palette.resize(static_cast<std::size_t>(paletteSize(depth)));
  } catch (const std::bad_alloc&) {
    return ImageError::OutOfMemory;
  }
  fresh.m_header.biWidth = header.biWidth;
  fresh.m_header.biHeight = header.biHeight;
  fresh.m_header.biBitCount = header.biBitCount;
  fresh.m_header.biCompression = depth == 16 ? header.biCompression : kBiRgb;
  fresh.m_header.biXPelsPerMeter = header.biXPelsPerMeter;
  fresh.m_header.biYPelsPerMeter = header.biYPelsPerMeter;
  fresh.m_stride = static_cast<int>(stride);
  if (depth == 16 && header.biCompression == kBiBitfields && masks != nullptr) {
    std::copy_n(masks, 3, fresh.m_masks.begin());
  }
  // Grey ramp: step 255 / (n - 1) gives 255 at 1 bpp, 17 at 4 bpp and 1 at 8 bpp.
  if (!fresh.m_palette.empty()) {
    const int step = 255 / (paletteSize(depth) - 1);
    for (std::size_t i = 0; i < fresh.m_palette.size(); ++i) {
      const auto level = static_cast<uint8_t>(static_cast<int>(i) * step);
      fresh.m_palette[i] = RgbQuad{level, level, level, 0};
    }
  }
  fresh.buildRowTable();
  *this = std::move(fresh);
  return {};
}

void ImageBuffer::buildRowTable() {
  // Storage is bottom-up: the top row is the last one in the block.
  const auto stride = static_cast<std::size_t>(m_stride);
  const std::size_t height = m_rows.size();
  for (std::size_t y = 0; y < height; ++y) {
    m_rows[y] = m_pixels.data() + stride * (height - 1 - y);
  }
}

ImageBuffer& ImageBuffer::CopyFrom(const ImageBuffer& source) {
  if (!source.IsValid() || &source == this) {
    return *this;
  }
  ImageBuffer copy;
  try {
    copy.m_pixels = source.m_pixels;
    copy.m_palette = source.m_palette;
    copy.m_rows.resize(source.m_rows.size());
  } catch (const std::bad_alloc&) {
    return *this;
  }
  copy.m_header = source.m_header;
  copy.m_masks = source.m_masks;
  copy.m_stride = source.m_stride;
  copy.buildRowTable();
  *this = std::move(copy);
  return *this;
}

void ImageBuffer::Destroy() {
  m_pixels = {};
  m_rows = {};
  m_palette = {};
  m_header = BitmapInfoHeader{};
  m_masks = {0x7C00, 0x03E0, 0x001F};
  m_stride = 0;
}

bool ImageBuffer::IsValid() const { return !m_pixels.empty(); }

int ImageBuffer::Width() const { return IsValid() ? m_header.biWidth : 0; }

int ImageBuffer::Height() const { return IsValid() ? m_header.biHeight : 0; }

int ImageBuffer::BitsPerPixel() const { return IsValid() ? m_header.biBitCount : 0; }

int ImageBuffer::Stride() const { return IsValid() ? m_stride : 0; }

const BitmapInfoHeader& ImageBuffer::header() const { return m_header; }

const uint32_t* ImageBuffer::masks() const { return m_masks.data(); }

uint8_t* ImageBuffer::RowPointer(int y) {
  return const_cast<uint8_t*>(std::as_const(*this).RowPointer(y));
}

const uint8_t* ImageBuffer::RowPointer(int y) const {
  if (y < 0 || static_cast<std::size_t>(y) >= m_rows.size()) {
    return nullptr;
  }
  return m_rows[static_cast<std::size_t>(y)];
}

uint8_t* ImageBuffer::PixelAddress(int x, int y) {
  return const_cast<uint8_t*>(std::as_const(*this).PixelAddress(x, y));
}

const uint8_t* ImageBuffer::PixelAddress(int x, int y) const {
  const uint8_t* row = RowPointer(y);
  if (row == nullptr || x < 0 || x >= m_header.biWidth) {
    return nullptr;
  }
  const auto bitOffset = static_cast<std::size_t>(x) * m_header.biBitCount;
  return row + bitOffset / 8;
}

uint8_t* ImageBuffer::pixels() { return IsValid() ? m_pixels.data() : nullptr; }

const uint8_t* ImageBuffer::pixels() const { return IsValid() ? m_pixels.data() : nullptr; }

std::size_t ImageBuffer::pixelBytes() const { return m_pixels.size(); }

bool ImageBuffer::GetPalette(int first, int count, RgbQuad* out) const {
  if (!IsValid() || m_palette.empty() || first < 0 || out == nullptr) {
    return false;
  }
  const auto start = static_cast<std::size_t>(first);
  const auto wanted = static_cast<std::size_t>(std::max(count, 0));
  for (std::size_t i = 0; i < wanted && start + i < m_palette.size(); ++i) {
    out[i] = m_palette[start + i];
  }
  return true;
}

bool ImageBuffer::SetPalette(int first, int count, const RgbQuad* entries) {
  if (!IsValid() || m_palette.empty() || first < 0 || entries == nullptr) {
    return false;
  }
  const auto start = static_cast<std::size_t>(first);
  const auto wanted = static_cast<std::size_t>(std::max(count, 0));
  for (std::size_t i = 0; i < wanted && start + i < m_palette.size(); ++i) {
    m_palette[start + i] = entries[i];
  }
  return true;
}

std::vector<uint8_t> ImageBuffer::BitmapInfo() const {
  std::vector<uint8_t> info;
  if (!IsValid()) {
    return info;
  }
  info.reserve(40 + 4 * m_palette.size() + 12);
  support::appendLe32(info, m_header.biSize);
  support::appendLe32(info, static_cast<uint32_t>(m_header.biWidth));
  support::appendLe32(info, static_cast<uint32_t>(m_header.biHeight));
  support::appendLe16(info, m_header.biPlanes);
  support::appendLe16(info, m_header.biBitCount);
  support::appendLe32(info, m_header.biCompression);
  support::appendLe32(info, m_header.biSizeImage);
  support::appendLe32(info, static_cast<uint32_t>(m_header.biXPelsPerMeter));
  support::appendLe32(info, static_cast<uint32_t>(m_header.biYPelsPerMeter));
  support::appendLe32(info, m_header.biClrUsed);
  support::appendLe32(info, m_header.biClrImportant);
  if (!m_palette.empty()) {
    for (const RgbQuad& entry : m_palette) {
      info.insert(info.end(), {entry.blue, entry.green, entry.red, entry.reserved});
    }
  } else {
    for (uint32_t mask : m_masks) {
      support::appendLe32(info, mask);
    }
  }
  return info;
}

ImageResult ImageBuffer::Save(const std::string& path, int flag) const {
  const ImageCodecFactory& factory = ImageCodecFactory::instance();
  std::unique_ptr<ImageCodec> codec = factory.CreateCodec(factory.TypeOf(path));
  if (!IsValid() || !codec) {
    return saveFailure(path, IsValid() ? ImageError::NoCodec : ImageError::InvalidImage);
  }
  ImageOptions options;
  options.set(kSaveFlag, std::to_string(flag));
  return codec->Save(path, {this}, options);
}

ImageResult ImageBuffer::LoadFirstFrame(const std::string& path) {
  ImageSequence frames;
  if (ImageResult loaded = frames.Load(path); !loaded) return loaded;
  if (frames.Count() == 0) return ImageError::NoFrames;
  *this = std::move(*frames.At(0));
  return {};
}

}  // namespace image
