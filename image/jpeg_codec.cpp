#include "image/jpeg_codec.h"

#include <turbojpeg.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "image/checked_math.h"
#include "image/pixel_rows.h"

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

void report(ImageError* error, ImageError value) {
  if (error != nullptr) {
    *error = value;
  }
}

// The calling thread's compressor, made on first use and kept for the next picture (frames are
// encoded one after another on the same threads); null when the library cannot make one.
tjhandle threadCompressor() {
  thread_local TurboHandle handle;
  if (!handle) {
    handle.reset(tjInitCompress());
  }
  return handle.get();
}

// Compresses `height` rows of pixels in TurboJPEG format `format` at `pixels` (rows `pitch`
// bytes apart, bottom-up when `flags` holds TJFLAG_BOTTOMUP) into `out`.
bool compress(const uint8_t* pixels, int format, int width, int pitch, int height, int quality,
              int flags, std::vector<uint8_t>& out, ImageError* error) {
  tjhandle handle = threadCompressor();
  if (handle == nullptr) {
    report(error, ImageError::Library);
    return false;
  }
  unsigned char* jpeg = nullptr;
  unsigned long jpegSize = 0;
  // Frames up to the kept size are written into a block the thread keeps, as large as the
  // library's bound for the picture, so that the library neither grows nor frees it; larger
  // ones into a buffer the library allocates.
  thread_local KeptBlock<unsigned char> kept;
  ScratchBlock<unsigned char> block;
  const unsigned long bound = tjBufSize(width, height, TJSAMP_420);
  if (bound != static_cast<unsigned long>(-1) && bound <= kKeptScratchBytes) {
    jpeg = block.Allocate(bound, &kept);
    jpegSize = bound;
  }
  const bool ownBuffer = jpeg != nullptr;
  // Baseline is TurboJPEG's default; the accurate DCT gives the better picture for the cost.
  const int result =
      tjCompress2(handle, pixels, width, pitch, height, format, &jpeg, &jpegSize, TJSAMP_420,
                  quality, flags | TJFLAG_ACCURATEDCT | (ownBuffer ? TJFLAG_NOREALLOC : 0));
  TurboBuffer owned(ownBuffer ? nullptr : jpeg);
  if (result != 0 || jpeg == nullptr) {
    report(error, ImageError::Library);
    return false;
  }
  try {
    std::vector<uint8_t> bytes(jpeg, jpeg + jpegSize);
    out = std::move(bytes);
  } catch (const std::bad_alloc&) {
    report(error, ImageError::OutOfMemory);
    return false;
  }
  return true;
}

// Composites `width` B,G,R,A pixels over white into B,G,R, in place (each pixel is written no
// later in the row than it was read).
void compositeRowOverWhite(uint8_t* row, std::size_t width) {
  for (std::size_t x = 0; x < width; ++x) {
    const uint8_t alpha = row[4 * x + 3];
    const uint8_t blue = OverWhite(row[4 * x], alpha);
    const uint8_t green = OverWhite(row[4 * x + 1], alpha);
    const uint8_t red = OverWhite(row[4 * x + 2], alpha);
    row[3 * x] = blue;
    row[3 * x + 1] = green;
    row[3 * x + 2] = red;
  }
}

}  // namespace

int JpegQualityFromOptions(const ImageOptions& options) {
  std::string text = options.Get(kSaveFlag);
  if (text.empty()) {
    text = options.Get(kJpegQualityTag);
  }
  if (text.empty() || text == "-1") {
    return kDefaultJpegQuality;
  }
  // strtol gives 0 for a text without a leading number and saturates on overflow.
  const long parsed = std::strtol(text.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp(parsed, 1L, 100L));
}

bool EncodeJpeg(const ImageBuffer& image, int quality, std::vector<uint8_t>& out,
                ImageError* error) {
  if (!image.IsValid()) {
    report(error, ImageError::InvalidImage);
    return false;
  }
  quality = std::clamp(quality, 1, 100);
  const int width = image.Width();
  const int height = image.Height();
  // 24-bit and opaque 32-bit pictures go to the library as they are stored.
  if (image.BitsPerPixel() == 24 || (image.BitsPerPixel() == 32 && IsOpaque(image))) {
    return compress(image.Pixels(), image.BitsPerPixel() == 24 ? TJPF_BGR : TJPF_BGRX, width,
                    image.Stride(), height, quality, TJFLAG_BOTTOMUP, out, error);
  }
  std::size_t rowBytes = 0;
  std::size_t total = 0;
  if (!checkedMul(static_cast<std::size_t>(width), 3, rowBytes) ||
      rowBytes > static_cast<std::size_t>(INT_MAX) ||
      !checkedMul(rowBytes, static_cast<std::size_t>(height), total)) {
    report(error, ImageError::TooLarge);
    return false;
  }
  std::unique_ptr<uint8_t[]> bgr;
  try {
    bgr = std::make_unique_for_overwrite<uint8_t[]>(total);
  } catch (const std::bad_alloc&) {
    report(error, ImageError::OutOfMemory);
    return false;
  }
  const RowConverter rows(image);
  for (int y = 0; y < height; ++y) {
    rows.ToBgr(y, bgr.get() + rowBytes * static_cast<std::size_t>(y));
  }
  return compress(bgr.get(), TJPF_BGR, width, static_cast<int>(rowBytes), height, quality, 0, out,
                  error);
}

bool EncodeResizedJpeg(const ImageBuffer& image, int width, int height, int quality,
                       std::vector<uint8_t>& out, ImageError* error) {
  const int depth = image.BitsPerPixel();
  const bool resizes = image.IsValid() && depth >= 16 && width >= 1 && height >= 1 &&
                       (width != image.Width() || height != image.Height());
  if (!resizes) {
    return EncodeJpeg(image, quality, out, error);
  }
  if (depth == 16) {
    // Rare enough not to deserve a path of its own: the packed 16-bit words are what the
    // encoder expands.
    ImageBuffer copy;
    copy.CopyFrom(image);
    if (!copy.IsValid()) {
      report(error, ImageError::OutOfMemory);
      return false;
    }
    copy.Resize(width, height);
    return EncodeJpeg(copy, quality, out, error);
  }
  // The resampled rows go to the library from memory the thread keeps, top-down, in the
  // formats EncodeJpeg would give it for the resized image: B,G,R or B,G,R,X when opaque (an
  // opaque picture stays opaque), else composited over white, which leaves opaque pixels as
  // they are.
  const std::size_t bytesPerPixel = depth == 32 ? 4 : 3;
  std::size_t rowBytes = 0;
  std::size_t total = 0;
  if (!checkedMul(static_cast<std::size_t>(width), bytesPerPixel, rowBytes) ||
      rowBytes > static_cast<std::size_t>(INT_MAX) ||
      !checkedMul(rowBytes, static_cast<std::size_t>(height), total)) {
    report(error, ImageError::TooLarge);
    return false;
  }
  thread_local KeptBlock<uint8_t> kept;
  ScratchBlock<uint8_t> block;
  uint8_t* pixels = block.Allocate(total, &kept);
  bool opaque = true;
  if (pixels == nullptr ||
      !ResampleInto(image, width, height, PixelRows{pixels, static_cast<std::ptrdiff_t>(rowBytes)},
                    opaque)) {
    report(error, ImageError::OutOfMemory);
    return false;
  }
  int format = depth == 24 ? TJPF_BGR : TJPF_BGRX;
  if (!opaque) {
    for (int y = 0; y < height; ++y) {
      compositeRowOverWhite(pixels + rowBytes * static_cast<std::size_t>(y),
                            static_cast<std::size_t>(width));
    }
    format = TJPF_BGR;
  }
  quality = std::clamp(quality, 1, 100);
  return compress(pixels, format, width, static_cast<int>(rowBytes), height, quality, 0, out,
                  error);
}

bool JpegCodec::OnEncode(const ImageBuffer& picture, const ImageOptions& options,
                         std::vector<uint8_t>& out) {
  ImageError error = ImageError::None;
  if (!EncodeJpeg(picture, JpegQualityFromOptions(options), out, &error)) {
    SetError(error);
    return false;
  }
  return true;
}

bool JpegCodec::OnLoadMemory(std::span<const uint8_t> bytes, ImageSequence& decoded) {
  if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8) {
    SetError(ImageError::BadSignature);
    return false;
  }
  TurboHandle handle(tjInitDecompress());
  if (!handle) {
    SetError(ImageError::Library);
    return false;
  }
  int width = 0;
  int height = 0;
  int subsampling = 0;
  int colourspace = 0;
  if (tjDecompressHeader3(handle.get(), bytes.data(), bytes.size(), &width, &height, &subsampling,
                          &colourspace) != 0) {
    SetError(ImageError::Corrupt);
    return false;
  }
  if (width < 1 || height < 1) {
    SetError(ImageError::BadDimensions);
    return false;
  }
  if (width > kMaxDimension || height > kMaxDimension) {
    SetError(ImageError::TooLarge);
    return false;
  }
  if (colourspace == TJCS_CMYK || colourspace == TJCS_YCCK) {
    SetError(ImageError::UnsupportedDepth);
    return false;
  }
  auto frame = std::make_unique<ImageBuffer>();
  if (!frame->Create(width, height, 24)) {
    SetError(frame->LastError());
    return false;
  }
  // Warnings (such as data ending early, whose missing rows the library fills with grey)
  // leave a complete picture and are accepted, as other viewers do; fatal errors are not.
  // The scan limit stops progressive files built to take unbounded time.
  const int result =
      tjDecompress2(handle.get(), bytes.data(), bytes.size(), frame->Pixels(), width,
                    frame->Stride(), height, TJPF_BGR, TJFLAG_BOTTOMUP | TJFLAG_LIMITSCANS);
  if (result != 0 && tjGetErrorCode(handle.get()) != TJERR_WARNING) {
    SetError(ImageError::Corrupt);
    return false;
  }
  decoded.Append(std::move(frame));
  return true;
}

}  // namespace image
