#include "image/png_codec.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "image/checked_math.h"
#include "image/pixel_rows.h"

// libpng reports every error by calling png_error, whose handler below longjmps back to the
// setjmp of the function that made the call. Jumping over C++ frames would skip destructors,
// so each setjmp sits in a small function that owns nothing: buffers, images and the libpng
// structures themselves are created and released by its caller.

namespace image {
namespace {

constexpr std::array<uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// The largest single chunk libpng may allocate (text, ICC profile and the like).
constexpr png_alloc_size_t kMaxChunkBytes = png_alloc_size_t{8} << 20;
// The most ancillary chunks libpng keeps in memory.
constexpr png_uint_32 kMaxCachedChunks = 256;

[[noreturn]] void onPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void onPngWarning(png_structp, png_const_charp) {}

struct ReadSource {
  std::span<const uint8_t> bytes;
  std::size_t offset = 0;
  bool truncated = false;
};

void readFromSource(png_structp png, png_bytep out, std::size_t length) {
  auto* source = static_cast<ReadSource*>(png_get_io_ptr(png));
  if (length > source->bytes.size() - source->offset) {
    source->truncated = true;
    png_error(png, "data ends early");
  }
  std::memcpy(out, source->bytes.data() + source->offset, length);
  source->offset += length;
}

struct WriteSink {
  std::vector<uint8_t>* out = nullptr;
  bool outOfMemory = false;
};

void writeToSink(png_structp png, png_bytep data, std::size_t length) {
  auto* sink = static_cast<WriteSink*>(png_get_io_ptr(png));
  try {
    sink->out->insert(sink->out->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    sink->outOfMemory = true;
    png_error(png, "out of memory");
  }
}

void flushSink(png_structp) {}

// Owns a libpng read or write structure and its info structure.
template <bool kWriting>
class PngHandle {
 public:
  PngHandle()
      : m_png(kWriting ? png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError,
                                                 onPngWarning)
                       : png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError,
                                                onPngWarning)) {
    if (m_png != nullptr) {
      m_info = png_create_info_struct(m_png);
    }
  }
  PngHandle(const PngHandle&) = delete;
  PngHandle& operator=(const PngHandle&) = delete;
  ~PngHandle() {
    if (m_png == nullptr) {
      return;
    }
    png_infopp info = m_info != nullptr ? &m_info : nullptr;
    if constexpr (kWriting) {
      png_destroy_write_struct(&m_png, info);
    } else {
      png_destroy_read_struct(&m_png, info, nullptr);
    }
  }
  bool IsValid() const { return m_png != nullptr && m_info != nullptr; }
  png_structp png() const { return m_png; }
  png_infop info() const { return m_info; }

 private:
  png_structp m_png = nullptr;
  png_infop m_info = nullptr;
};
using ReadHandle = PngHandle<false>;
using WriteHandle = PngHandle<true>;

// What the decoder delivers after its transformations.
struct ReadLayout {
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int channels = 0;  // 3 (B,G,R) or 4 (B,G,R,A), 8 bits each
  std::size_t rowBytes = 0;
};

// Reads the header and sets the transformations that turn any PNG into 8-bit B,G,R(,A).
bool readHeader(png_structp png, png_infop info, ReadLayout& layout) {
  if (setjmp(png_jmpbuf(png)) != 0) {
    return false;
  }
  png_read_info(png, info);
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int bitDepth = 0;
  int colourType = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, nullptr, nullptr, nullptr);
  const bool hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (colourType == PNG_COLOR_TYPE_PALETTE || bitDepth < 8 || hasTransparency) {
    png_set_expand(png);
  }
  if (bitDepth == 16) {
    png_set_scale_16(png);
  }
  if ((colourType & PNG_COLOR_MASK_COLOR) == 0) {
    png_set_gray_to_rgb(png);
  }
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  layout.width = width;
  layout.height = height;
  layout.channels = png_get_channels(png, info);
  layout.rowBytes = png_get_rowbytes(png, info);
  return true;
}

bool readRows(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png)) != 0) {
    return false;
  }
  png_read_image(png, rows);
  return true;
}

// What the encoder writes for one image.
struct WriteLayout {
  int bitDepth = 8;
  int colourType = PNG_COLOR_TYPE_RGB;
  int paletteSize = 0;
  bool convertRows = false;  // 16-bit words go through the masks to B,G,R first
};

bool writeImage(png_structp png, png_infop info, const ImageBuffer& image,
                const WriteLayout& layout, const png_color* palette, const RowConverter& rows,
                uint8_t* scratch) {
  if (setjmp(png_jmpbuf(png)) != 0) {
    return false;
  }
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.Width()),
               static_cast<png_uint_32>(image.Height()), layout.bitDepth, layout.colourType,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (layout.paletteSize > 0) {
    png_set_PLTE(png, info, palette, layout.paletteSize);
  }
  png_write_info(png, info);
  if (layout.colourType != PNG_COLOR_TYPE_PALETTE) {
    png_set_bgr(png);
  }
  for (int y = 0; y < image.Height(); ++y) {
    if (layout.convertRows) {
      rows.toBgr(y, scratch);
      png_write_row(png, scratch);
    } else {
      png_write_row(png, image.RowPointer(y));
    }
  }
  png_write_end(png, nullptr);
  return true;
}

uint32_t readBe32(std::span<const uint8_t> bytes, std::size_t offset) {
  return (static_cast<uint32_t>(bytes[offset]) << 24) |
         (static_cast<uint32_t>(bytes[offset + 1]) << 16) |
         (static_cast<uint32_t>(bytes[offset + 2]) << 8) | bytes[offset + 3];
}

}  // namespace

bool hasPngSignature(std::span<const uint8_t> bytes) {
  return bytes.size() >= kSignature.size() &&
         std::equal(kSignature.begin(), kSignature.end(), bytes.begin());
}

ImageResult PngCodec::OnLoadMemory(std::span<const uint8_t> bytes, ImageSequence& decoded) {
  if (!hasPngSignature(bytes)) {
    return ImageError::BadSignature;
  }
  // The IHDR chunk must come first: check its size here to report TooLarge and zero sizes
  // precisely; libpng's own limits below stay as the safety net.
  constexpr std::size_t kIhdrEnd = 8 + 8 + 13;
  if (bytes.size() < kIhdrEnd) {
    return ImageError::Truncated;
  }
  if (std::memcmp(bytes.data() + 12, "IHDR", 4) != 0) {
    return ImageError::Corrupt;
  }
  const uint32_t fileWidth = readBe32(bytes, 16);
  const uint32_t fileHeight = readBe32(bytes, 20);
  if (fileWidth == 0 || fileHeight == 0) {
    return ImageError::BadDimensions;
  }
  if (fileWidth > static_cast<uint32_t>(kMaxDimension) ||
      fileHeight > static_cast<uint32_t>(kMaxDimension)) {
    return ImageError::TooLarge;
  }

  ReadHandle handle;
  if (!handle.IsValid()) {
    return ImageError::Library;
  }
  ReadSource source{bytes};
  png_set_read_fn(handle.png(), &source, readFromSource);
  png_set_user_limits(handle.png(), kMaxDimension, kMaxDimension);
  png_set_chunk_malloc_max(handle.png(), kMaxChunkBytes);
  png_set_chunk_cache_max(handle.png(), kMaxCachedChunks);

  ReadLayout layout;
  if (!readHeader(handle.png(), handle.info(), layout)) {
    return source.truncated ? ImageError::Truncated : ImageError::Corrupt;
  }
  if ((layout.channels != 3 && layout.channels != 4) ||
      layout.rowBytes != layout.width * static_cast<std::size_t>(layout.channels)) {
    return ImageError::UnsupportedDepth;
  }
  auto frame = std::make_unique<ImageBuffer>();
  if (ImageResult created = frame->Create(static_cast<int>(layout.width),
                                          static_cast<int>(layout.height), 8 * layout.channels);
      !created)
    return created;
  std::vector<png_bytep> rows(layout.height);
  for (std::size_t y = 0; y < rows.size(); ++y) {
    rows[y] = frame->RowPointer(static_cast<int>(y));
  }
  if (!readRows(handle.png(), rows.data())) {
    return source.truncated ? ImageError::Truncated : ImageError::Corrupt;
  }
  decoded.append(std::move(frame));
  return {};
}

ImageResult PngCodec::OnEncode(const ImageBuffer& picture, const ImageOptions&,
                               std::vector<uint8_t>& out) {
  WriteLayout layout;
  std::array<png_color, 256> palette{};
  const int depth = picture.BitsPerPixel();
  switch (depth) {
    case 1:
    case 4:
    case 8: {
      layout.bitDepth = depth;
      layout.colourType = PNG_COLOR_TYPE_PALETTE;
      layout.paletteSize = 1 << depth;
      std::array<RgbQuad, 256> entries{};
      picture.GetPalette(0, layout.paletteSize, entries.data());
      // The fourth byte is not alpha for palettes made by our own decoders, so every entry
      // is written opaque.
      for (int i = 0; i < layout.paletteSize; ++i) {
        const RgbQuad& entry = entries[static_cast<std::size_t>(i)];
        palette[static_cast<std::size_t>(i)] = png_color{entry.red, entry.green, entry.blue};
      }
      break;
    }
    case 16:
      layout.convertRows = true;
      break;
    case 24:
      break;
    case 32:
      layout.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
      break;
    default:
      return ImageError::UnsupportedDepth;
  }
  std::vector<uint8_t> scratch;
  if (layout.convertRows) {
    std::size_t rowBytes = 0;
    if (!checkedMul(static_cast<std::size_t>(picture.Width()), 3, rowBytes)) {
      return ImageError::TooLarge;
    }
    scratch.resize(rowBytes);
  }
  WriteHandle handle;
  if (!handle.IsValid()) {
    return ImageError::Library;
  }
  WriteSink sink{&out};
  png_set_write_fn(handle.png(), &sink, writeToSink, flushSink);
  const RowConverter rows(picture);
  if (!writeImage(handle.png(), handle.info(), picture, layout, palette.data(), rows,
                  scratch.data())) {
    out.clear();
    return sink.outOfMemory ? ImageError::OutOfMemory : ImageError::Library;
  }
  return {};
}

}  // namespace image
