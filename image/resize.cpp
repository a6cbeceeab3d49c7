#include "image/resize.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>
#include <vector>

extern "C" {
#include <libswscale/swscale.h>
}

#include "image/checked_math.h"
#include "image/image_buffer.h"
#include "image/pixel_rows.h"
#include "image/scratch_block.h"

// Resampling runs through libswscale's bicubic filter on one grey plane per colour channel.
// Scaling grey planes keeps the samples exact: packed and planar RGB formats would be taken
// through YUV inside the library. The bicubic filter is made Catmull-Rom (B = 0, C = 0.5)
// like the high-quality bicubic of other imaging libraries; libswscale widens it by the
// scale factor when shrinking and clamps its taps to the edge pixels, which is what padding
// the picture by its edge pixels and sampling the inner rectangle gives. The bit-exact and
// accurate-rounding flags make the result the same on every run and processor. Contexts and
// sample planes belong to the calling thread, so frames may be resized on several threads at
// once; each thread keeps its last ones for the next call, since successive frames of an
// animation have the same sizes and building a context or faulting in fresh plane memory costs
// a good part of scaling a frame.
//
// 32-bit pictures with transparency are resampled premultiplied, so colour under transparent
// pixels does not bleed into visible ones: the planes hold colour x alpha (0..65025) and
// alpha x 257 in 16 bits, enough that dividing back loses nothing visible even at low alpha.
// Opaque 32-bit pictures, 24-bit ones and 16-bit ones (expanded through their masks) go
// through 8-bit planes.

namespace image {
namespace {

// Rows of packed pixels: row y (0 = top) starts `step` * y bytes after `top`; `step` is negative
// for rows stored bottom-up.
struct PixelRows {
  uint8_t* top = nullptr;
  std::ptrdiff_t step = 0;

  uint8_t* row(int y) const { return top + step * y; }
};

// Plane rows are padded to a multiple of 64 bytes, so each starts as aligned as the block the
// allocator returns (16 bytes), which libswscale's vector code wants.
constexpr std::size_t kRowAlignment = 64;

struct ContextDeleter {
  void operator()(SwsContext* context) const { sws_freeContext(context); }
};
using ScaleContext = std::unique_ptr<SwsContext, ContextDeleter>;

// Sample memory a thread keeps between calls: which = 0 for source planes, 1 for target planes.
template <typename T>
KeptBlock<T>& keptSamples(int which) {
  thread_local std::array<KeptBlock<T>, 2> kept;
  return kept[static_cast<std::size_t>(which)];
}

// `count` planes of width x height samples of type T in one block, rows `stride` samples
// apart.
template <typename T>
class Planes {
 public:
  // Takes the samples from the thread's block `kept` (see ScratchBlock) when given, else
  // allocates them. The padding after each row is cleared: the scaler reads a little past the
  // row when it is narrower than its filter.
  bool allocate(int width, int height, int count, KeptBlock<T>* kept = nullptr) {
    const std::size_t perRow = kRowAlignment / sizeof(T);
    m_stride = (static_cast<std::size_t>(width) + perRow - 1) / perRow * perRow;
    std::size_t total = 0;
    std::size_t bytes = 0;
    if (m_stride * sizeof(T) > static_cast<std::size_t>(std::numeric_limits<int>::max()) ||
        !checkedMul(m_stride, static_cast<std::size_t>(height), m_plane) ||
        !checkedMul(m_plane, static_cast<std::size_t>(count), total) ||
        !checkedMul(total, sizeof(T), bytes)) {
      return false;
    }
    m_samples = m_block.allocate(total, kept);
    if (m_samples == nullptr) {
      return false;
    }
    const auto used = static_cast<std::size_t>(width);
    for (int plane = 0; plane < count; ++plane) {
      for (int y = 0; y < height; ++y) {
        std::fill(row(plane, y) + used, row(plane, y) + m_stride, T{0});
      }
    }
    return true;
  }
  T* row(int plane, int y) const {
    return m_samples + m_plane * static_cast<std::size_t>(plane) +
           m_stride * static_cast<std::size_t>(y);
  }
  int strideBytes() const { return static_cast<int>(m_stride * sizeof(T)); }

 private:
  ScratchBlock<T> m_block;
  T* m_samples = nullptr;
  std::size_t m_stride = 0;
  std::size_t m_plane = 0;
};

// The thread's scalers per sample type: one per plane of a picture (up to four), then the two
// slots of ResamplePlane.
constexpr int kPictureScalers = 4;

// The calling thread's scaler number `slot` for samples T from sourceWidth x sourceHeight to
// targetWidth x targetHeight; null when the library cannot make one. The library hands the
// kept context back when the sizes are the same, else replaces it.
template <typename T>
SwsContext* planeScaler(int slot, int sourceWidth, int sourceHeight, int targetWidth,
                        int targetHeight) {
  constexpr AVPixelFormat kFormat = sizeof(T) == 1 ? AV_PIX_FMT_GRAY8 : AV_PIX_FMT_GRAY16;
  const std::array<double, 2> catmullRom = {0.0, 0.5};
  thread_local std::array<ScaleContext, kPictureScalers + 2> contexts;
  ScaleContext& context = contexts[static_cast<std::size_t>(slot)];
  context.reset(sws_getCachedContext(
      context.release(), sourceWidth, sourceHeight, kFormat, targetWidth, targetHeight, kFormat,
      SWS_BICUBIC | SWS_ACCURATE_RND | SWS_BITEXACT, nullptr, nullptr, catmullRom.data()));
  return context.get();
}

// Scales `rows` source rows from `in` (the slice starting at source row y; the first starts at
// row 0) into the plane `out`, rows `inStride` and `outStride` bytes apart. Returns the number
// of target rows the slice completed, or -1. The library reads four plane pointers and strides
// whatever the format, so grey planes get arrays of four with the unused ones empty.
int scaleGrey(SwsContext* context, const uint8_t* in, int inStride, int y, int rows, uint8_t* out,
              int outStride) {
  const std::array<const uint8_t*, 4> sources = {in, nullptr, nullptr, nullptr};
  const std::array<uint8_t*, 4> targets = {out, nullptr, nullptr, nullptr};
  const std::array<int, 4> sourceStrides = {inStride, 0, 0, 0};
  const std::array<int, 4> targetStrides = {outStride, 0, 0, 0};
  return sws_scale(context, sources.data(), sourceStrides.data(), y, rows, targets.data(),
                   targetStrides.data());
}

// Scales source rows y .. y + rows - 1 of `plane` (the next slice; the first starts at row 0)
// into `target`. Returns the number of target rows the slice completed, or -1.
template <typename T>
int scaleSlice(SwsContext* context, const Planes<T>& source, int plane, int y, int rows,
               const Planes<T>& target) {
  return scaleGrey(context, reinterpret_cast<const uint8_t*>(source.row(plane, y)),
                   source.strideBytes(), y, rows, reinterpret_cast<uint8_t*>(target.row(plane, 0)),
                   target.strideBytes());
}

// One libswscale pass over every plane of `source` into `target`.
template <typename T>
bool scalePass(const Planes<T>& source, int sourceWidth, int sourceHeight, const Planes<T>& target,
               int targetWidth, int targetHeight, int count) {
  SwsContext* context = planeScaler<T>(0, sourceWidth, sourceHeight, targetWidth, targetHeight);
  if (context == nullptr) {
    return false;
  }
  for (int plane = 0; plane < count; ++plane) {
    if (scaleSlice(context, source, plane, 0, sourceHeight, target) != targetHeight) {
      return false;
    }
  }
  return true;
}

// The next size on the way from `from` to `to` pixels. With wider filters than one 32-fold
// reduction needs, libswscale's 16-bit path drifts by up to 0.2 % (measured with flat
// pictures), which dividing by a small alpha magnifies; larger reductions go in steps of at
// most 32, each a proper low-pass filter of its own.
int nextSize(int from, int to) {
  constexpr int64_t kMaxShrinkPerPass = 32;
  if (from <= to * kMaxShrinkPerPass) {
    return to;
  }
  return static_cast<int>((from + kMaxShrinkPerPass - 1) / kMaxShrinkPerPass);
}

// Scales every plane of `source` (sourceWidth x sourceHeight) into `target` in whole-picture
// passes.
template <typename T>
bool scalePlanes(const Planes<T>& source, int sourceWidth, int sourceHeight,
                 const Planes<T>& target, int targetWidth, int targetHeight, int count) {
  const Planes<T>* from = &source;
  Planes<T> step;
  int width = sourceWidth;
  int height = sourceHeight;
  for (;;) {
    const int nextWidth = nextSize(width, targetWidth);
    const int nextHeight = nextSize(height, targetHeight);
    if (nextWidth == targetWidth && nextHeight == targetHeight) {
      return scalePass(*from, width, height, target, targetWidth, targetHeight, count);
    }
    Planes<T> next;
    if (!next.allocate(nextWidth, nextHeight, count) ||
        !scalePass(*from, width, height, next, nextWidth, nextHeight, count)) {
      return false;
    }
    step = std::move(next);
    from = &step;
    width = nextWidth;
    height = nextHeight;
  }
}

// Source rows per slice when the planes are scaled band by band.
constexpr int kBandRows = 16;

// How resamplePlanes ended: every row merged, a failure of memory or of the library, or split
// refused the source.
enum class Outcome { Done, Failed, Refused };

// Resamples `count` planes of samples T from sourceWidth x sourceHeight to targetWidth x
// targetHeight. split(y0, y1, in) fills source rows y0 .. y1 - 1 of the planes `in`, or returns
// false to stop; merge(y0, y1, out) takes target rows y0 .. y1 - 1 of the planes `out`. In one
// pass the planes
// go through their scalers a band of rows at a time, so that each band is split, scaled and
// merged while it is still in the processor's cache (whole planes of a large frame are not);
// libswscale gives the same rows for any slicing. Larger reductions split and merge the whole
// picture around their steps.
template <typename T, typename Split, typename Merge>
Outcome resamplePlanes(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight,
                       int count, const Split& split, const Merge& merge) {
  Planes<T> in;
  Planes<T> out;
  if (!in.allocate(sourceWidth, sourceHeight, count, &keptSamples<T>(0)) ||
      !out.allocate(targetWidth, targetHeight, count, &keptSamples<T>(1))) {
    return Outcome::Failed;
  }
  if (nextSize(sourceWidth, targetWidth) != targetWidth ||
      nextSize(sourceHeight, targetHeight) != targetHeight) {
    if (!split(0, sourceHeight, in)) {
      return Outcome::Refused;
    }
    if (!scalePlanes(in, sourceWidth, sourceHeight, out, targetWidth, targetHeight, count)) {
      return Outcome::Failed;
    }
    merge(0, targetHeight, out);
    return Outcome::Done;
  }
  std::array<SwsContext*, 4> scalers{};
  for (int plane = 0; plane < count; ++plane) {
    scalers[static_cast<std::size_t>(plane)] =
        planeScaler<T>(plane, sourceWidth, sourceHeight, targetWidth, targetHeight);
    if (scalers[static_cast<std::size_t>(plane)] == nullptr) {
      return Outcome::Failed;
    }
  }
  int merged = 0;
  for (int y = 0; y < sourceHeight; y += kBandRows) {
    const int rows = std::min(kBandRows, sourceHeight - y);
    if (!split(y, y + rows, in)) {
      return Outcome::Refused;
    }
    int completed = 0;
    for (int plane = 0; plane < count; ++plane) {
      const int done =
          scaleSlice(scalers[static_cast<std::size_t>(plane)], in, plane, y, rows, out);
      if (done < 0 || (plane > 0 && done != completed) || done > targetHeight - merged) {
        return Outcome::Failed;
      }
      completed = done;
    }
    merge(merged, merged + completed, out);
    merged += completed;
  }
  return merged == targetHeight ? Outcome::Done : Outcome::Failed;
}

// A B,G,R,A pixel as the word B | G << 8 | R << 16 | A << 24. Whole-word loads and stores
// let the compiler vectorise the row loops below; other hosts assemble the bytes.
uint32_t loadPixel(const uint8_t* at) {
  if constexpr (std::endian::native == std::endian::little) {
    uint32_t pixel = 0;
    std::memcpy(&pixel, at, 4);
    return pixel;
  } else {
    return at[0] | (uint32_t{at[1]} << 8) | (uint32_t{at[2]} << 16) | (uint32_t{at[3]} << 24);
  }
}

void storePixel(uint32_t pixel, uint8_t* at) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(at, &pixel, 4);
  } else {
    for (int i = 0; i < 4; ++i) {
      at[i] = static_cast<uint8_t>(pixel >> (8 * i));
    }
  }
}

// Copies `width` pixels of kBytes bytes (B, G, R first) into three planes. Returns 255 when
// every pixel of the row is opaque (always without an alpha byte), less otherwise: opacity is
// found on the way rather than in a pass of its own.
template <std::size_t kBytes>
uint32_t splitPacked(const uint8_t* row, std::size_t width, uint8_t* blue, uint8_t* green,
                     uint8_t* red) {
  if constexpr (kBytes == 4) {
    uint32_t all = 0xFFFFFFFFU;
    for (std::size_t x = 0; x < width; ++x) {
      const uint32_t pixel = loadPixel(row + 4 * x);
      blue[x] = static_cast<uint8_t>(pixel);
      green[x] = static_cast<uint8_t>(pixel >> 8);
      red[x] = static_cast<uint8_t>(pixel >> 16);
      all &= pixel;
    }
    return all >> 24;
  } else {
    for (std::size_t x = 0; x < width; ++x) {
      blue[x] = row[kBytes * x];
      green[x] = row[kBytes * x + 1];
      red[x] = row[kBytes * x + 2];
    }
    return 255;
  }
}

// The reverse of splitPacked; a fourth byte (alpha) is set opaque.
template <std::size_t kBytes>
void mergePacked(const uint8_t* blue, const uint8_t* green, const uint8_t* red, std::size_t width,
                 uint8_t* row) {
  if constexpr (kBytes == 4) {
    for (std::size_t x = 0; x < width; ++x) {
      const uint32_t pixel = blue[x] | (static_cast<uint32_t>(green[x]) << 8) |
                             (static_cast<uint32_t>(red[x]) << 16) | 0xFF000000U;
      storePixel(pixel, row + 4 * x);
    }
  } else {
    for (std::size_t x = 0; x < width; ++x) {
      row[kBytes * x] = blue[x];
      row[kBytes * x + 1] = green[x];
      row[kBytes * x + 2] = red[x];
    }
  }
}

// B, G, R as three 8-bit planes: 24-bit pixels, opaque 32-bit pixels, or 16-bit words
// expanded through their masks and packed again afterwards. Refused when a 32-bit pixel turns
// out to be transparent.
Outcome resizeColour(const ImageBuffer& source, int targetWidthPx, int targetHeight,
                     const PixelRows& target) {
  const auto width = static_cast<std::size_t>(source.Width());
  const auto targetWidth = static_cast<std::size_t>(targetWidthPx);
  const int depth = source.BitsPerPixel();
  const std::array<MaskField, 3> fields = {
      MaskField(source.masks()[2]), MaskField(source.masks()[1]), MaskField(source.masks()[0])};
  const auto split = [&](int y0, int y1, const Planes<uint8_t>& in) {
    for (int y = y0; y < y1; ++y) {
      const uint8_t* row = source.RowPointer(y);
      uint8_t* blue = in.row(0, y);
      uint8_t* green = in.row(1, y);
      uint8_t* red = in.row(2, y);
      if (depth == 32) {
        if (splitPacked<4>(row, width, blue, green, red) != 255) {
          return false;
        }
      } else if (depth == 24) {
        splitPacked<3>(row, width, blue, green, red);
      } else {
        for (std::size_t x = 0; x < width; ++x) {
          const uint32_t word = row[2 * x] | (static_cast<uint32_t>(row[2 * x + 1]) << 8);
          blue[x] = fields[0].expand(word);
          green[x] = fields[1].expand(word);
          red[x] = fields[2].expand(word);
        }
      }
    }
    return true;
  };
  const auto merge = [&](int y0, int y1, const Planes<uint8_t>& out) {
    for (int y = y0; y < y1; ++y) {
      uint8_t* row = target.row(y);
      const uint8_t* blue = out.row(0, y);
      const uint8_t* green = out.row(1, y);
      const uint8_t* red = out.row(2, y);
      if (depth == 32) {
        mergePacked<4>(blue, green, red, targetWidth, row);
      } else if (depth == 24) {
        mergePacked<3>(blue, green, red, targetWidth, row);
      } else {
        for (std::size_t x = 0; x < targetWidth; ++x) {
          const uint32_t word =
              fields[0].pack(blue[x]) | fields[1].pack(green[x]) | fields[2].pack(red[x]);
          row[2 * x] = static_cast<uint8_t>(word & 0xFF);
          row[2 * x + 1] = static_cast<uint8_t>(word >> 8);
        }
      }
    }
  };
  return resamplePlanes<uint8_t>(source.Width(), source.Height(), targetWidthPx, targetHeight, 3,
                                 split, merge);
}

// Splits `width` B,G,R,A pixels into colour x alpha (0..65025) and alpha x 257 (0..65535).
void premultiplyRow(const uint8_t* row, std::size_t width, uint16_t* blue, uint16_t* green,
                    uint16_t* red, uint16_t* alpha) {
  for (std::size_t x = 0; x < width; ++x) {
    const uint32_t pixel = loadPixel(row + 4 * x);
    const uint32_t a = pixel >> 24;
    blue[x] = static_cast<uint16_t>((pixel & 0xFF) * a);
    green[x] = static_cast<uint16_t>(((pixel >> 8) & 0xFF) * a);
    red[x] = static_cast<uint16_t>(((pixel >> 16) & 0xFF) * a);
    alpha[x] = static_cast<uint16_t>(a * 257);
  }
}

// premultiplied / (alpha / 257), rounded; the filter's overshoot above alpha is clamped.
uint32_t unpremultiply(uint16_t premultiplied, float scale) {
  // Rounding half up in float arithmetic, as the movies' bytes have always been made.
  // NOLINTNEXTLINE(bugprone-incorrect-roundings)
  const auto colour = static_cast<int32_t>(static_cast<float>(premultiplied) * scale + 0.5F);
  return static_cast<uint32_t>(std::min(colour, 255));
}

// The reverse of premultiplyRow; a fully transparent pixel gets colour 0.
void unpremultiplyRow(const uint16_t* blue, const uint16_t* green, const uint16_t* red,
                      const uint16_t* alpha, std::size_t width, uint8_t* row) {
  for (std::size_t x = 0; x < width; ++x) {
    const uint32_t a = alpha[x];
    // Dividing by at least 1 and masking afterwards keeps the loop free of branches, so the
    // compiler vectorises it.
    const float scale = 257.0F / static_cast<float>(std::max(a, 1U));
    const uint32_t visible = 0U - static_cast<uint32_t>(a != 0);
    const uint32_t colour = unpremultiply(blue[x], scale) | (unpremultiply(green[x], scale) << 8) |
                            (unpremultiply(red[x], scale) << 16);
    const uint32_t pixel = (colour & visible) | (((a + 128) / 257) << 24);
    storePixel(pixel, row + 4 * x);
  }
}

// B,G,R premultiplied by alpha and alpha itself, as 16-bit planes.
bool resizeWithAlpha(const ImageBuffer& source, int targetWidthPx, int targetHeight,
                     const PixelRows& target) {
  const auto width = static_cast<std::size_t>(source.Width());
  const auto targetWidth = static_cast<std::size_t>(targetWidthPx);
  const auto split = [&](int y0, int y1, const Planes<uint16_t>& in) {
    for (int y = y0; y < y1; ++y) {
      premultiplyRow(source.RowPointer(y), width, in.row(0, y), in.row(1, y), in.row(2, y),
                     in.row(3, y));
    }
    return true;
  };
  const auto merge = [&](int y0, int y1, const Planes<uint16_t>& out) {
    for (int y = y0; y < y1; ++y) {
      unpremultiplyRow(out.row(0, y), out.row(1, y), out.row(2, y), out.row(3, y), targetWidth,
                       target.row(y));
    }
  };
  return resamplePlanes<uint16_t>(source.Width(), source.Height(), targetWidthPx, targetHeight, 4,
                                  split, merge) == Outcome::Done;
}

// `source` resampled to width x height pixels of its depth, written to `target`.
bool resampleInto(const ImageBuffer& source, int width, int height, const PixelRows& target) {
  // Premultiplying changes nothing where every pixel is opaque, so such pictures take the
  // cheaper 8-bit colour path and stay opaque; the first transparent pixel sends the picture
  // to the premultiplied path from the start.
  const Outcome colour = resizeColour(source, width, height, target);
  return colour == Outcome::Refused ? resizeWithAlpha(source, width, height, target)
                                    : colour == Outcome::Done;
}

// Every pixel of `target` (width x height) copies the pixel of `source` under its centre:
// source column floor((x + 1/2) * sourceWidth / width), and the same for rows.
void sampleNearest(const ImageBuffer& source, int width, int height, const PixelRows& target) {
  const auto bytes = static_cast<std::size_t>(source.BitsPerPixel() / 8);
  std::vector<std::size_t> columns(static_cast<std::size_t>(width));
  for (int x = 0; x < width; ++x) {
    columns[static_cast<std::size_t>(x)] =
        bytes *
        static_cast<std::size_t>((2 * int64_t{x} + 1) * source.Width() / (2 * int64_t{width}));
  }
  for (int y = 0; y < height; ++y) {
    const int sourceY =
        static_cast<int>((2 * int64_t{y} + 1) * source.Height() / (2 * int64_t{height}));
    const uint8_t* from = source.RowPointer(sourceY);
    uint8_t* to = target.row(y);
    for (const std::size_t column : columns) {
      std::memcpy(to, from + column, bytes);
      to += bytes;
    }
  }
}

}  // namespace

bool resamplePlane(const SamplePlane& source, const SamplePlane& target, int slot) {
  if (nextSize(source.width, target.width) == target.width &&
      nextSize(source.height, target.height) == target.height) {
    SwsContext* context = planeScaler<uint8_t>(kPictureScalers + slot, source.width, source.height,
                                               target.width, target.height);
    return context != nullptr && scaleGrey(context, source.data, source.stride, 0, source.height,
                                           target.data, target.stride) == target.height;
  }
  // Large reductions go in steps through planes of their own.
  Planes<uint8_t> in;
  Planes<uint8_t> out;
  if (!in.allocate(source.width, source.height, 1) ||
      !out.allocate(target.width, target.height, 1)) {
    return false;
  }
  const auto width = static_cast<std::size_t>(source.width);
  for (int y = 0; y < source.height; ++y) {
    std::memcpy(in.row(0, y), source.data + static_cast<std::ptrdiff_t>(source.stride) * y, width);
  }
  if (!scalePlanes(in, source.width, source.height, out, target.width, target.height, 1)) {
    return false;
  }
  for (int y = 0; y < target.height; ++y) {
    std::memcpy(target.data + static_cast<std::ptrdiff_t>(target.stride) * y, out.row(0, y),
                static_cast<std::size_t>(target.width));
  }
  return true;
}

void ImageBuffer::Resize(int newWidth, int newHeight, ResizeFilter filter) {
  if (!IsValid() || newWidth < 1 || newHeight < 1 || BitsPerPixel() < 16) {
    return;
  }
  if (newWidth == Width() && newHeight == Height()) {
    return;
  }
  BitmapInfoHeader resizedHeader = header();
  resizedHeader.biWidth = newWidth;
  resizedHeader.biHeight = newHeight;
  ImageBuffer resized;
  if (!resized.CreateFromHeader(resizedHeader, masks())) {
    return;
  }
  // Stored bottom-up: row y from the top lies one stride below row y - 1 in memory.
  const PixelRows rows{resized.RowPointer(0), -static_cast<std::ptrdiff_t>(resized.Stride())};
  if (filter == ResizeFilter::Nearest) {
    sampleNearest(*this, newWidth, newHeight, rows);
  } else if (!resampleInto(*this, newWidth, newHeight, rows)) {
    return;
  }
  *this = std::move(resized);
}

}  // namespace image
