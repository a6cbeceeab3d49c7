#include "image/gif/gif_encoder.h"

#include <gif_lib.h>
#include <libimagequant.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <memory>
#include <new>
#include <utility>

#include "image/checked_math.h"
#include "image/pixel_rows.h"

namespace image {
namespace {

// A picture reduced to what a GIF holds: at most 256 colours and one index per pixel, rows
// from the top.
struct IndexedPicture {
  std::vector<GifColorType> colors;
  std::vector<uint8_t> indices;
  int transparentIndex = -1;
};

struct RgbaPixel {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
  uint8_t alpha;
};

struct LiqAttrDeleter {
  void operator()(liq_attr* attr) const { liq_attr_destroy(attr); }
};
struct LiqImageDeleter {
  void operator()(liq_image* image) const { liq_image_destroy(image); }
};
struct LiqResultDeleter {
  void operator()(liq_result* result) const { liq_result_destroy(result); }
};
struct ColorMapDeleter {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

// Palette images: the indices as stored (1 and 4 bpp unpacked) and all 2^bpp palette entries.
void takePalette(const ImageBuffer& picture, IndexedPicture& indexed) {
  const RowConverter rows(picture);
  for (const RgbQuad& entry : rows.palette()) {
    indexed.colors.push_back(GifColorType{entry.red, entry.green, entry.blue});
  }
  const auto width = static_cast<std::size_t>(picture.Width());
  for (int y = 0; y < picture.Height(); ++y) {
    rows.toIndexes(y, indexed.indices.data() + width * static_cast<std::size_t>(y));
  }
}

// True-colour images as R,G,B,A for the quantiser, alpha reduced to 0 or 255. A 32-bit picture
// whose alpha bytes are all 0 carries no alpha (as in 32-bit BMP files) and counts as opaque.
void takeRgba(const ImageBuffer& picture, std::vector<RgbaPixel>& rgba) {
  const int width = picture.Width();
  bool alphaUsed = false;
  if (picture.BitsPerPixel() == 32) {
    for (int y = 0; y < picture.Height() && !alphaUsed; ++y) {
      const uint8_t* row = picture.RowPointer(y);
      for (int x = 0; x < width && !alphaUsed; ++x) alphaUsed = row[4 * x + 3] != 0;
    }
  }
  const RowConverter rows(picture);
  std::vector<uint8_t> bgra(4 * static_cast<std::size_t>(width));
  RgbaPixel* target = rgba.data();
  for (int y = 0; y < picture.Height(); ++y) {
    rows.toBgra(y, bgra.data());
    for (const uint8_t* p = bgra.data(); p != bgra.data() + bgra.size(); p += 4, ++target) {
      const bool transparent = alphaUsed && p[3] == 0;
      *target = transparent ? RgbaPixel{0, 0, 0, 0} : RgbaPixel{p[2], p[1], p[0], 255};
    }
  }
}

ImageResult quantise(const ImageBuffer& picture, IndexedPicture& indexed) {
  const std::size_t pixels = indexed.indices.size();
  std::vector<RgbaPixel> rgba(pixels);
  takeRgba(picture, rgba);

  std::unique_ptr<liq_attr, LiqAttrDeleter> attr(liq_attr_create());
  if (!attr) {
    return ImageError::OutOfMemory;
  }
  std::unique_ptr<liq_image, LiqImageDeleter> image(
      liq_image_create_rgba(attr.get(), rgba.data(), picture.Width(), picture.Height(), 0.0));
  if (!image) {
    return ImageError::Library;
  }
  liq_result* rawResult = nullptr;
  if (liq_image_quantize(image.get(), attr.get(), &rawResult) != LIQ_OK) {
    return ImageError::Library;
  }
  std::unique_ptr<liq_result, LiqResultDeleter> result(rawResult);
  if (liq_write_remapped_image(result.get(), image.get(), indexed.indices.data(), pixels) !=
      LIQ_OK) {
    return ImageError::Library;
  }
  const liq_palette* palette = liq_get_palette(result.get());
  const std::size_t count = std::min<std::size_t>(palette->count, 256);
  // Input alpha is 0 or 255, so entries are transparent or opaque; should the quantiser
  // still make several transparent entries, they all become the first one.
  std::array<uint8_t, 256> remap{};
  for (std::size_t i = 0; i < count; ++i) {
    const liq_color& color = palette->entries[i];
    remap[i] = static_cast<uint8_t>(i);
    if (color.a < 128) {
      if (indexed.transparentIndex < 0) {
        indexed.transparentIndex = static_cast<int>(i);
      }
      remap[i] = static_cast<uint8_t>(indexed.transparentIndex);
    }
    indexed.colors.push_back(GifColorType{color.r, color.g, color.b});
  }
  if (indexed.transparentIndex >= 0) {
    for (uint8_t& index : indexed.indices) {
      index = remap[index];
    }
  }
  if (indexed.colors.empty()) {
    return ImageError::Library;
  }
  return {};
}

int writeToVector(GifFileType* gif, const GifByteType* data, int length) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  try {
    out->insert(out->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return length;
}

// Writes header, screen descriptor with the global colour table, the graphic control
// extension when a colour is transparent, one image descriptor, the LZW data and the
// trailer, all through giflib.
ImageResult writeGif(const IndexedPicture& indexed, int width, int height,
                     std::vector<uint8_t>& out) {
  // A colour table holds a power of two entries, 2 to 256; unused ones stay black.
  const int tableSize =
      static_cast<int>(std::bit_ceil(std::max<std::size_t>(indexed.colors.size(), 2)));
  std::vector<GifColorType> table(static_cast<std::size_t>(tableSize), GifColorType{0, 0, 0});
  std::copy(indexed.colors.begin(), indexed.colors.end(), table.begin());
  std::unique_ptr<ColorMapObject, ColorMapDeleter> map(GifMakeMapObject(tableSize, table.data()));
  if (!map) {
    return ImageError::OutOfMemory;
  }

  int status = 0;
  GifFileType* gif = EGifOpen(&out, &writeToVector, &status);
  if (gif == nullptr) {
    return ImageError::Library;
  }
  EGifSetGifVersion(gif, true);
  bool ok = EGifPutScreenDesc(gif, width, height, map->BitsPerPixel, 0, map.get()) == GIF_OK;
  if (ok && indexed.transparentIndex >= 0) {
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSAL_UNSPECIFIED;
    control.UserInputFlag = false;
    control.DelayTime = 0;
    control.TransparentColor = indexed.transparentIndex;
    GifByteType extension[4];
    const std::size_t length = EGifGCBToExtension(&control, extension);
    ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) ==
         GIF_OK;
  }
  ok = ok && EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
  std::vector<GifPixelType> line(static_cast<std::size_t>(width));
  for (int y = 0; ok && y < height; ++y) {
    const auto begin = indexed.indices.begin() + static_cast<std::ptrdiff_t>(y) * width;
    std::copy(begin, begin + width, line.begin());
    ok = EGifPutLine(gif, line.data(), width) == GIF_OK;
  }
  // Closing writes the trailer and frees the handle whatever happened before.
  ok = EGifCloseFile(gif, &status) == GIF_OK && ok;
  return ok ? ImageResult{} : ImageResult{ImageError::Library};
}

}  // namespace

ImageResult encodeGif(const ImageBuffer& picture, std::vector<uint8_t>& out) {
  if (!picture.IsValid()) {
    return ImageError::InvalidImage;
  }
  std::size_t pixels = 0;
  if (!checkedMul(static_cast<std::size_t>(picture.Width()),
                  static_cast<std::size_t>(picture.Height()), pixels)) {
    return ImageError::TooLarge;
  }
  IndexedPicture indexed;
  indexed.indices.resize(pixels);
  if (picture.BitsPerPixel() <= 8) {
    takePalette(picture, indexed);
  } else if (ImageResult quantised = quantise(picture, indexed); !quantised) {
    return quantised;
  }
  std::vector<uint8_t> encoded;
  if (ImageResult written = writeGif(indexed, picture.Width(), picture.Height(), encoded);
      !written) {
    return written;
  }
  out = std::move(encoded);
  return {};
}

}  // namespace image
