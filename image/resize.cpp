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

extern "C" {
#include <libswscale/swscale.h>
}

#include "image/checked_math.h"
#include "image/image_buffer.h"
#include "image/pixel_rows.h"

// Resampling runs through libswscale's bicubic filter on one grey plane per colour channel.
// Scaling grey planes keeps the samples exact: packed and planar RGB formats would be taken
// through YUV inside the library. The bicubic filter is made Catmull-Rom (B = 0, C = 0.5)
// like the high-quality bicubic of other imaging libraries; libswscale widens it by the
// scale factor when shrinking and clamps its taps to the edge pixels, which is what padding
// the picture by its edge pixels and sampling the inner rectangle gives. The bit-exact and
// accurate-rounding flags make the result the same on every run and processor. Every call
// builds its own context, so frames may be resized on several threads at once.
//
// 32-bit pictures with transparency are resampled premultiplied, so colour under transparent
// pixels does not bleed into visible ones: the planes hold colour x alpha (0..65025) and
// alpha x 257 in 16 bits, enough that dividing back loses nothing visible even at low alpha.
// Opaque 32-bit pictures, 24-bit ones and 16-bit ones (expanded through their masks) go
// through 8-bit planes.

namespace image {
namespace {

// Plane rows are padded to a multiple of 64 bytes, so each starts as aligned as the block the
// allocator returns (16 bytes), which libswscale's vector code wants.
constexpr std::size_t kRowAlignment = 64;

struct ContextDeleter {
  void operator()(SwsContext* context) const { sws_freeContext(context); }
};
using ScaleContext = std::unique_ptr<SwsContext, ContextDeleter>;

// `count` planes of width x height samples of type T in one block, rows `stride` samples
// apart.
template <typename T>
class Planes {
 public:
  bool Allocate(int width, int height, int count) {
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
    try {
      m_samples = std::make_unique_for_overwrite<T[]>(total);
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }
  T* Row(int plane, int y) const {
    return m_samples.get() + m_plane * static_cast<std::size_t>(plane) +
           m_stride * static_cast<std::size_t>(y);
  }
  int StrideBytes() const { return static_cast<int>(m_stride * sizeof(T)); }

 private:
  std::unique_ptr<T[]> m_samples;
  std::size_t m_stride = 0;
  std::size_t m_plane = 0;
};

// One libswscale pass over every plane of `source` into `target`.
template <typename T>
bool scalePass(const Planes<T>& source, int sourceWidth, int sourceHeight, Planes<T>& target,
               int targetWidth, int targetHeight, int count) {
  constexpr AVPixelFormat kFormat = sizeof(T) == 1 ? AV_PIX_FMT_GRAY8 : AV_PIX_FMT_GRAY16;
  const std::array<double, 2> catmullRom = {0.0, 0.5};
  ScaleContext context(sws_getContext(sourceWidth, sourceHeight, kFormat, targetWidth, targetHeight,
                                      kFormat, SWS_BICUBIC | SWS_ACCURATE_RND | SWS_BITEXACT,
                                      nullptr, nullptr, catmullRom.data()));
  if (!context) {
    return false;
  }
  const int sourceStride = source.StrideBytes();
  const int targetStride = target.StrideBytes();
  for (int plane = 0; plane < count; ++plane) {
    const uint8_t* in = reinterpret_cast<const uint8_t*>(source.Row(plane, 0));
    uint8_t* out = reinterpret_cast<uint8_t*>(target.Row(plane, 0));
    if (sws_scale(context.get(), &in, &sourceStride, 0, sourceHeight, &out, &targetStride) !=
        targetHeight) {
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

// Scales every plane of `source` (sourceWidth x sourceHeight) into `target`.
template <typename T>
bool scalePlanes(const Planes<T>& source, int sourceWidth, int sourceHeight, Planes<T>& target,
                 int targetWidth, int targetHeight, int count) {
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
    if (!next.Allocate(nextWidth, nextHeight, count) ||
        !scalePass(*from, width, height, next, nextWidth, nextHeight, count)) {
      return false;
    }
    step = std::move(next);
    from = &step;
    width = nextWidth;
    height = nextHeight;
  }
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

// Copies `width` pixels of kBytes bytes (B, G, R first) into three planes.
template <std::size_t kBytes>
void splitPacked(const uint8_t* row, std::size_t width, uint8_t* blue, uint8_t* green,
                 uint8_t* red) {
  if constexpr (kBytes == 4) {
    for (std::size_t x = 0; x < width; ++x) {
      const uint32_t pixel = loadPixel(row + 4 * x);
      blue[x] = static_cast<uint8_t>(pixel);
      green[x] = static_cast<uint8_t>(pixel >> 8);
      red[x] = static_cast<uint8_t>(pixel >> 16);
    }
  } else {
    for (std::size_t x = 0; x < width; ++x) {
      blue[x] = row[kBytes * x];
      green[x] = row[kBytes * x + 1];
      red[x] = row[kBytes * x + 2];
    }
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
// expanded through their masks and packed again afterwards.
bool resizeColour(const ImageBuffer& source, ImageBuffer& target) {
  const auto width = static_cast<std::size_t>(source.Width());
  const auto targetWidth = static_cast<std::size_t>(target.Width());
  const int depth = source.BitsPerPixel();
  const std::array<MaskField, 3> fields = {
      MaskField(source.Masks()[2]), MaskField(source.Masks()[1]), MaskField(source.Masks()[0])};
  Planes<uint8_t> in;
  Planes<uint8_t> out;
  if (!in.Allocate(source.Width(), source.Height(), 3) ||
      !out.Allocate(target.Width(), target.Height(), 3)) {
    return false;
  }
  for (int y = 0; y < source.Height(); ++y) {
    const uint8_t* row = source.RowPointer(y);
    uint8_t* blue = in.Row(0, y);
    uint8_t* green = in.Row(1, y);
    uint8_t* red = in.Row(2, y);
    if (depth == 32) {
      splitPacked<4>(row, width, blue, green, red);
    } else if (depth == 24) {
      splitPacked<3>(row, width, blue, green, red);
    } else {
      for (std::size_t x = 0; x < width; ++x) {
        const uint32_t word = row[2 * x] | (static_cast<uint32_t>(row[2 * x + 1]) << 8);
        blue[x] = fields[0].Expand(word);
        green[x] = fields[1].Expand(word);
        red[x] = fields[2].Expand(word);
      }
    }
  }
  if (!scalePlanes(in, source.Width(), source.Height(), out, target.Width(), target.Height(), 3)) {
    return false;
  }
  for (int y = 0; y < target.Height(); ++y) {
    uint8_t* row = target.RowPointer(y);
    const uint8_t* blue = out.Row(0, y);
    const uint8_t* green = out.Row(1, y);
    const uint8_t* red = out.Row(2, y);
    if (depth == 32) {
      mergePacked<4>(blue, green, red, targetWidth, row);
    } else if (depth == 24) {
      mergePacked<3>(blue, green, red, targetWidth, row);
    } else {
      for (std::size_t x = 0; x < targetWidth; ++x) {
        const uint32_t word =
            fields[0].Pack(blue[x]) | fields[1].Pack(green[x]) | fields[2].Pack(red[x]);
        row[2 * x] = static_cast<uint8_t>(word & 0xFF);
        row[2 * x + 1] = static_cast<uint8_t>(word >> 8);
      }
    }
  }
  return true;
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
bool resizeWithAlpha(const ImageBuffer& source, ImageBuffer& target) {
  Planes<uint16_t> in;
  Planes<uint16_t> out;
  if (!in.Allocate(source.Width(), source.Height(), 4) ||
      !out.Allocate(target.Width(), target.Height(), 4)) {
    return false;
  }
  const auto width = static_cast<std::size_t>(source.Width());
  for (int y = 0; y < source.Height(); ++y) {
    premultiplyRow(source.RowPointer(y), width, in.Row(0, y), in.Row(1, y), in.Row(2, y),
                   in.Row(3, y));
  }
  if (!scalePlanes(in, source.Width(), source.Height(), out, target.Width(), target.Height(), 4)) {
    return false;
  }
  const auto targetWidth = static_cast<std::size_t>(target.Width());
  for (int y = 0; y < target.Height(); ++y) {
    unpremultiplyRow(out.Row(0, y), out.Row(1, y), out.Row(2, y), out.Row(3, y), targetWidth,
                     target.RowPointer(y));
  }
  return true;
}

}  // namespace

void ImageBuffer::Resize(int newWidth, int newHeight) {
  if (!IsValid() || newWidth < 1 || newHeight < 1 || BitsPerPixel() < 16) {
    return;
  }
  if (newWidth == Width() && newHeight == Height()) {
    return;
  }
  BitmapInfoHeader header = Header();
  header.biWidth = newWidth;
  header.biHeight = newHeight;
  ImageBuffer resized;
  if (!resized.CreateFromHeader(header, Masks())) {
    return;
  }
  // Premultiplying changes nothing where every pixel is opaque, so such pictures take the
  // cheaper 8-bit colour path and stay opaque.
  const bool done = BitsPerPixel() == 32 && !IsOpaque(*this) ? resizeWithAlpha(*this, resized)
                                                             : resizeColour(*this, resized);
  if (!done) {
    return;
  }
  const ImageError lastError = m_lastError;
  *this = std::move(resized);
  m_lastError = lastError;
}

}  // namespace image
