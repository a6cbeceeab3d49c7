#include "image/jpeg_codec.h"

#include <turbojpeg.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "image/checked_math.h"
#include "image/pixel_rows.h"
#include "image/resize.h"
#include "image/scratch_block.h"

namespace image {
namespace {

struct HandleDeleter {
  void operator()(void* handle) const { tjDestroy(handle); }
};
using TurboHandle = std::unique_ptr<void, HandleDeleter>;

struct BufferDeleter {
  void operator()(unsigned char* buffer) const { tjFree(buffer); }
};
using TurboBuffer = std::unique_ptr<unsigned char, BufferDeleter>;

// The calling thread's compressor, made on first use and kept for the next picture (frames are
// encoded one after another on the same threads); null when the library cannot make one.
tjhandle threadCompressor() {
  thread_local TurboHandle handle;
  if (!handle) {
    handle.reset(tjInitCompress());
  }
  return handle.get();
}

// Runs one compression of a width x height picture, `run(handle, &jpeg, &jpegSize, flags)`
// calling the library with the given output buffer and flags, and copies the JPEG into `out`.
// Pictures up to the kept size are written into a block the thread keeps, as large as the
// library's bound for them, so that the library neither grows nor frees it; larger ones into a
// buffer the library allocates.
template <typename Run>
ImageResult compressWith(int width, int height, const Run& run, std::vector<uint8_t>& out) {
  tjhandle handle = threadCompressor();
  if (handle == nullptr) {
    return ImageError::Library;
  }
  unsigned char* jpeg = nullptr;
  unsigned long jpegSize = 0;
  thread_local KeptBlock<unsigned char> kept;
  ScratchBlock<unsigned char> block;
  const unsigned long bound = tjBufSize(width, height, TJSAMP_420);
  if (bound != static_cast<unsigned long>(-1) && bound <= kKeptScratchBytes) {
    jpeg = block.allocate(bound, &kept);
    jpegSize = bound;
  }
  const bool ownBuffer = jpeg != nullptr;
  // Baseline is TurboJPEG's default; the accurate DCT gives the better picture for the cost.
  const int result =
      run(handle, &jpeg, &jpegSize, TJFLAG_ACCURATEDCT | (ownBuffer ? TJFLAG_NOREALLOC : 0));
  TurboBuffer owned(ownBuffer ? nullptr : jpeg);
  if (result != 0 || jpeg == nullptr) {
    return ImageError::Library;
  }
  try {
    out.assign(jpeg, jpeg + jpegSize);  // keeps the capacity of a buffer reused frame to frame
  } catch (const std::bad_alloc&) {
    return ImageError::OutOfMemory;
  }
  return {};
}

// Compresses `height` rows of pixels in TurboJPEG format `format` at `pixels` (rows `pitch`
// bytes apart, bottom-up when `flags` holds TJFLAG_BOTTOMUP) into `out`.
ImageResult compress(const uint8_t* pixels, int format, int width, int pitch, int height,
                     int quality, int flags, std::vector<uint8_t>& out) {
  const auto run = [&](tjhandle handle, unsigned char** jpeg, unsigned long* size, int more) {
    return tjCompress2(handle, pixels, width, pitch, height, format, jpeg, size, TJSAMP_420,
                       quality, flags | more);
  };
  return compressWith(width, height, run, out);
}

// Y, Cb and Cr of `width` B,G,R pixels kStep bytes apart, with the fixed-point weights and
// rounding of libjpeg's own colour conversion (JFIF, 16 fraction bits). Returns the AND of the
// fourth bytes (the alpha of 32-bit pixels; 255 when every pixel is opaque), so that opacity is
// found on the way rather than in a pass of its own.
template <std::size_t kStep>
inline uint8_t toYCbCr(const uint8_t* pixels, std::size_t width, uint8_t* luma, uint8_t* blue,
                       uint8_t* red) {
  constexpr int32_t kHalf = 1 << 15;
  constexpr int32_t kChromaOffset = (128 << 16) + kHalf - 1;
  uint8_t alpha = 255;
  for (std::size_t x = 0; x < width; ++x) {
    const int32_t b = pixels[kStep * x];
    const int32_t g = pixels[kStep * x + 1];
    const int32_t r = pixels[kStep * x + 2];
    if constexpr (kStep == 4) alpha &= pixels[kStep * x + 3];
    luma[x] = static_cast<uint8_t>((19595 * r + 38470 * g + 7471 * b + kHalf) >> 16);
    blue[x] = static_cast<uint8_t>((-11059 * r - 21709 * g + 32768 * b + kChromaOffset) >> 16);
    red[x] = static_cast<uint8_t>((32768 * r - 27439 * g - 5329 * b + kChromaOffset) >> 16);
  }
  return alpha;
}

// The conversion of 24-bit and of 32-bit rows, compiled also for AVX2 and chosen when the
// processor has it: the same integer arithmetic on wider vectors, so the same samples.
[[gnu::target_clones("avx2", "default")]] uint8_t rowToYCbCr24(const uint8_t* pixels,
                                                               std::size_t width, uint8_t* luma,
                                                               uint8_t* blue, uint8_t* red) {
  return toYCbCr<3>(pixels, width, luma, blue, red);
}

[[gnu::target_clones("avx2", "default")]] uint8_t rowToYCbCr32(const uint8_t* pixels,
                                                               std::size_t width, uint8_t* luma,
                                                               uint8_t* blue, uint8_t* red) {
  return toYCbCr<4>(pixels, width, luma, blue, red);
}

// Composites `width` B,G,R,A pixels over white into B,G,R at `out`.
void compositeOverWhite(const uint8_t* row, std::size_t width, uint8_t* out) {
  for (std::size_t x = 0; x < width; ++x) {
    const uint8_t alpha = row[4 * x + 3];
    out[3 * x] = overWhite(row[4 * x], alpha);
    out[3 * x + 1] = overWhite(row[4 * x + 1], alpha);
    out[3 * x + 2] = overWhite(row[4 * x + 2], alpha);
  }
}

// Where the planes of one resized encoding lie: Y, Cb and Cr at the source's size, then the
// target's Y at width x height (read by the library to even sides, so an odd last column or row
// is repeated) and its Cb and Cr at the half size 4:2:0 keeps. Rows are padded to multiples of 64
// bytes, so each starts as aligned as its block.
struct YccLayout {
  int sourceWidth = 0;
  int sourceHeight = 0;
  int sourceStride = 0;
  int width = 0;
  int height = 0;
  int lumaWidth = 0;  // width and height rounded up to even
  int lumaHeight = 0;
  int lumaStride = 0;
  int chromaWidth = 0;
  int chromaHeight = 0;
  int chromaStride = 0;
  std::size_t sourcePlane = 0;  // bytes of one source plane
  std::size_t lumaPlane = 0;
  std::size_t chromaPlane = 0;

  std::size_t sourceBytes() const { return 3 * sourcePlane; }
  std::size_t targetBytes() const { return lumaPlane + 2 * chromaPlane; }
};

// `width` rounded up to a multiple of 64, so that plane rows start as aligned as their block.
bool alignedStride(int width, int& stride) {
  const int64_t rounded = (int64_t{width} + 63) / 64 * 64;
  stride = static_cast<int>(rounded);
  return rounded <= INT_MAX;
}

// The layout for a sourceWidth x sourceHeight picture encoded at width x height; false when a
// size does not fit memory's counts.
bool planYcc(int sourceWidth, int sourceHeight, int width, int height, YccLayout& layout) {
  layout.sourceWidth = sourceWidth;
  layout.sourceHeight = sourceHeight;
  layout.width = width;
  layout.height = height;
  layout.lumaWidth = width + (width & 1);
  layout.lumaHeight = height + (height & 1);
  layout.chromaWidth = layout.lumaWidth / 2;
  layout.chromaHeight = layout.lumaHeight / 2;
  std::size_t bytes = 0;
  return alignedStride(sourceWidth, layout.sourceStride) &&
         alignedStride(layout.lumaWidth, layout.lumaStride) &&
         alignedStride(layout.chromaWidth, layout.chromaStride) &&
         checkedMul(static_cast<std::size_t>(layout.sourceStride),
                    static_cast<std::size_t>(sourceHeight), layout.sourcePlane) &&
         checkedMul(static_cast<std::size_t>(layout.lumaStride),
                    static_cast<std::size_t>(layout.lumaHeight), layout.lumaPlane) &&
         checkedMul(static_cast<std::size_t>(layout.chromaStride),
                    static_cast<std::size_t>(layout.chromaHeight), layout.chromaPlane) &&
         checkedMul(layout.sourcePlane, 3, bytes) && checkedMul(layout.chromaPlane, 2, bytes) &&
         bytes <= SIZE_MAX - layout.lumaPlane;
}

using YccPlanes = std::array<uint8_t*, 3>;

// Colour conversion: every row of `image` (24 or 32 bpp) into the source planes, transparent
// pixels over white first (with the movie's white behind it, that is what resampling
// premultiplied colour and then compositing gives). `composited` holds one 24-bit row.
void toYccPlanes(const ImageBuffer& image, const YccLayout& layout, const YccPlanes& planes,
                 uint8_t* composited) {
  const auto width = static_cast<std::size_t>(layout.sourceWidth);
  for (int y = 0; y < layout.sourceHeight; ++y) {
    const uint8_t* row = image.RowPointer(y);
    const auto offset = static_cast<std::size_t>(layout.sourceStride) * static_cast<std::size_t>(y);
    if (image.BitsPerPixel() == 24) {
      rowToYCbCr24(row, width, planes[0] + offset, planes[1] + offset, planes[2] + offset);
    } else if (rowToYCbCr32(row, width, planes[0] + offset, planes[1] + offset,
                            planes[2] + offset) != 255) {
      // A transparent pixel: the row again, over white.
      compositeOverWhite(row, width, composited);
      rowToYCbCr24(composited, width, planes[0] + offset, planes[1] + offset, planes[2] + offset);
    }
    // The scaler reads a little past a row narrower than its filter.
    for (uint8_t* plane : planes) {
      std::fill(plane + offset + width, plane + offset + layout.sourceStride, uint8_t{0});
    }
  }
}

// Resampling: Y to width x height, Cb and Cr straight to the chroma size, whose sample centres
// fall between the luma pairs as JFIF places them; then the odd last column and row of Y
// repeated to the even size the library reads.
bool resampleYcc(const YccLayout& layout, const YccPlanes& source, const YccPlanes& target) {
  const auto from = [&](std::size_t plane) {
    return SamplePlane{source[plane], layout.sourceWidth, layout.sourceHeight, layout.sourceStride};
  };
  const SamplePlane luma{target[0], layout.width, layout.height, layout.lumaStride};
  const auto chroma = [&](std::size_t plane) {
    return SamplePlane{target[plane], layout.chromaWidth, layout.chromaHeight, layout.chromaStride};
  };
  if (!resamplePlane(from(0), luma, 0) || !resamplePlane(from(1), chroma(1), 1) ||
      !resamplePlane(from(2), chroma(2), 1)) {
    return false;
  }
  const auto lumaRow = [&](int y) {
    return target[0] + static_cast<std::size_t>(layout.lumaStride) * static_cast<std::size_t>(y);
  };
  for (int y = 0; y < layout.height && layout.width < layout.lumaWidth; ++y) {
    lumaRow(y)[layout.width] = lumaRow(y)[layout.width - 1];
  }
  if (layout.height < layout.lumaHeight) {
    std::memcpy(lumaRow(layout.height), lumaRow(layout.height - 1),
                static_cast<std::size_t>(layout.lumaWidth));
  }
  return true;
}

// Compression: the target planes through TurboJPEG, which then only transforms and codes them.
ImageResult compressYcc(const YccLayout& layout, const YccPlanes& target, int quality,
                        std::vector<uint8_t>& out) {
  std::array<const unsigned char*, 3> planes = {target[0], target[1], target[2]};
  const std::array<int, 3> strides = {layout.lumaStride, layout.chromaStride, layout.chromaStride};
  const auto run = [&](tjhandle handle, unsigned char** jpeg, unsigned long* size, int flags) {
    return tjCompressFromYUVPlanes(handle, planes.data(), layout.width, strides.data(),
                                   layout.height, TJSAMP_420, jpeg, size, quality, flags);
  };
  return compressWith(layout.width, layout.height, run, out);
}

}  // namespace

int jpegQualityFromOptions(const ImageOptions& options) {
  std::string text = options.get(kSaveFlag);
  if (text.empty()) {
    text = options.get(kJpegQualityTag);
  }
  if (text.empty() || text == "-1") {
    return kDefaultJpegQuality;
  }
  // strtol gives 0 for a text without a leading number and saturates on overflow.
  const long parsed = std::strtol(text.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp(parsed, 1L, 100L));
}

ImageResult encodeJpeg(const ImageBuffer& image, int quality, std::vector<uint8_t>& out) {
  if (!image.IsValid()) {
    return ImageError::InvalidImage;
  }
  quality = std::clamp(quality, 1, 100);
  const int width = image.Width();
  const int height = image.Height();
  // 24-bit and opaque 32-bit pictures go to the library as they are stored.
  if (image.BitsPerPixel() == 24 || (image.BitsPerPixel() == 32 && isOpaque(image))) {
    return compress(image.pixels(), image.BitsPerPixel() == 24 ? TJPF_BGR : TJPF_BGRX, width,
                    image.Stride(), height, quality, TJFLAG_BOTTOMUP, out);
  }
  std::size_t rowBytes = 0;
  std::size_t total = 0;
  if (!checkedMul(static_cast<std::size_t>(width), 3, rowBytes) ||
      rowBytes > static_cast<std::size_t>(INT_MAX) ||
      !checkedMul(rowBytes, static_cast<std::size_t>(height), total)) {
    return ImageError::TooLarge;
  }
  std::unique_ptr<uint8_t[]> bgr;
  try {
    bgr = std::make_unique_for_overwrite<uint8_t[]>(total);
  } catch (const std::bad_alloc&) {
    return ImageError::OutOfMemory;
  }
  const RowConverter rows(image);
  for (int y = 0; y < height; ++y) {
    rows.toBgr(y, bgr.get() + rowBytes * static_cast<std::size_t>(y));
  }
  return compress(bgr.get(), TJPF_BGR, width, static_cast<int>(rowBytes), height, quality, 0, out);
}

ImageResult encodeResizedJpeg(const ImageBuffer& image, int width, int height, int quality,
                              std::vector<uint8_t>& out) {
  const int depth = image.BitsPerPixel();
  const bool resizes = image.IsValid() && depth >= 16 && width >= 1 && height >= 1 &&
                       (width != image.Width() || height != image.Height());
  if (!resizes) {
    return encodeJpeg(image, quality, out);
  }
  if (depth == 16) {
    // Rare enough not to deserve a path of its own.
    ImageBuffer copy;
    copy.CopyFrom(image);
    if (!copy.IsValid()) {
      return ImageError::OutOfMemory;
    }
    copy.Resize(width, height);
    return encodeJpeg(copy, quality, out);
  }
  YccLayout layout;
  if (!planYcc(image.Width(), image.Height(), width, height, layout)) {
    return ImageError::TooLarge;
  }
  thread_local KeptBlock<uint8_t> keptSource;
  thread_local KeptBlock<uint8_t> keptTarget;
  ScratchBlock<uint8_t> sourceBlock;
  ScratchBlock<uint8_t> targetBlock;
  uint8_t* source = sourceBlock.allocate(layout.sourceBytes(), &keptSource);
  uint8_t* target = targetBlock.allocate(layout.targetBytes(), &keptTarget);
  std::vector<uint8_t> composited;
  try {
    composited.resize(depth == 32 ? 3 * static_cast<std::size_t>(layout.sourceWidth) : 0);
  } catch (const std::bad_alloc&) {
    source = nullptr;
  }
  if (source == nullptr || target == nullptr) {
    return ImageError::OutOfMemory;
  }
  const YccPlanes sourcePlanes = {source, source + layout.sourcePlane,
                                  source + 2 * layout.sourcePlane};
  const YccPlanes targetPlanes = {target, target + layout.lumaPlane,
                                  target + layout.lumaPlane + layout.chromaPlane};
  toYccPlanes(image, layout, sourcePlanes, composited.data());
  if (!resampleYcc(layout, sourcePlanes, targetPlanes)) {
    return ImageError::OutOfMemory;
  }
  return compressYcc(layout, targetPlanes, std::clamp(quality, 1, 100), out);
}

uint64_t resizedJpegWorkingMemory(int sourceWidth, int sourceHeight, int width, int height) {
  const auto plane = [](int w, int h) {
    return static_cast<uint64_t>((w + 63) / 64 * 64) * static_cast<uint64_t>(std::max(h, 1));
  };
  // Above the kept size the library's own buffer grows with the JPEG instead.
  const uint64_t output = std::min<uint64_t>(
      tjBufSize(std::max(width, 1), std::max(height, 1), TJSAMP_420), kKeptScratchBytes);
  const uint64_t source = static_cast<uint64_t>(sourceWidth) * static_cast<uint64_t>(sourceHeight);
  // Kept at the source size: a 24-bit composited copy; resized: Y, Cb, Cr planes of the source
  // and the target's planes.
  const uint64_t kept = 3 * source;
  const uint64_t resized = 3 * plane(sourceWidth, sourceHeight) + plane(width + 1, height + 1) +
                           2 * plane(width / 2 + 1, height / 2 + 1);
  return (sourceWidth == width && sourceHeight == height ? kept : resized) + output;
}

ImageResult JpegCodec::OnEncode(const ImageBuffer& picture, const ImageOptions& options,
                                std::vector<uint8_t>& out) {
  return encodeJpeg(picture, jpegQualityFromOptions(options), out);
}

ImageResult JpegCodec::OnLoadMemory(std::span<const uint8_t> bytes, ImageSequence& decoded) {
  if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8) {
    return ImageError::BadSignature;
  }
  TurboHandle handle(tjInitDecompress());
  if (!handle) {
    return ImageError::Library;
  }
  int width = 0;
  int height = 0;
  int subsampling = 0;
  int colourspace = 0;
  if (tjDecompressHeader3(handle.get(), bytes.data(), bytes.size(), &width, &height, &subsampling,
                          &colourspace) != 0) {
    return ImageError::Corrupt;
  }
  if (width < 1 || height < 1) {
    return ImageError::BadDimensions;
  }
  if (width > kMaxDimension || height > kMaxDimension) {
    return ImageError::TooLarge;
  }
  if (colourspace == TJCS_CMYK || colourspace == TJCS_YCCK) {
    return ImageError::UnsupportedDepth;
  }
  auto frame = std::make_unique<ImageBuffer>();
  if (ImageResult created = frame->Create(width, height, 24); !created) return created;
  // Warnings (such as data ending early, whose missing rows the library fills with grey)
  // leave a complete picture and are accepted, as other viewers do; fatal errors are not.
  // The scan limit stops progressive files built to take unbounded time.
  const int result =
      tjDecompress2(handle.get(), bytes.data(), bytes.size(), frame->pixels(), width,
                    frame->Stride(), height, TJPF_BGR, TJFLAG_BOTTOMUP | TJFLAG_LIMITSCANS);
  if (result != 0 && tjGetErrorCode(handle.get()) != TJERR_WARNING) {
    return ImageError::Corrupt;
  }
  decoded.append(std::move(frame));
  return {};
}

}  // namespace image
