#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/image_error.h"

namespace image {

// One palette entry as stored in a DIB: blue, green, red and a fourth byte (alpha when the
// palette came from an image library, otherwise 0).
struct RgbQuad {
  uint8_t blue = 0;
  uint8_t green = 0;
  uint8_t red = 0;
  uint8_t reserved = 0;
};

// The 40-byte BITMAPINFOHEADER, held in host order; BitmapInfo() serialises it little-endian.
struct BitmapInfoHeader {
  uint32_t biSize = 40;
  int32_t biWidth = 0;
  int32_t biHeight = 0;
  uint16_t biPlanes = 1;
  uint16_t biBitCount = 0;
  uint32_t biCompression = 0;
  uint32_t biSizeImage = 0;
  int32_t biXPelsPerMeter = 0;
  int32_t biYPelsPerMeter = 0;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;
};

inline constexpr uint32_t kBiRgb = 0;        // uncompressed
inline constexpr uint32_t kBiBitfields = 3;  // 16-bit pixels decoded with three masks

// Decoders refuse pictures with a larger side, which bounds the memory a hostile file can ask
// for to 16384 x 16384 x 4 bytes.
inline constexpr int kMaxDimension = 16384;

// How Resize samples: bicubic (Catmull-Rom, widened when shrinking; transparent pictures
// resampled premultiplied), or nearest neighbour, where every target pixel copies the source
// pixel under its centre, so enlarging by a whole factor repeats pixels and no colour is made
// that the picture does not have.
enum class ResizeFilter { Bicubic, Nearest };

// One picture held as a bottom-up device-independent bitmap: the last row is stored first,
// every row padded to a multiple of 4 bytes, and a row table gives each row from the top.
//
// Pixel layout: 32 bpp = bytes B,G,R,A; 24 bpp = B,G,R; 16 bpp = one little-endian word
// decoded with Masks(); 8 bpp = one palette index per byte; 1 and 4 bpp = packed indexes,
// most significant bits first. An image is valid exactly when it holds pixel memory.
//
// Move-only; a deep copy is made only through CopyFrom.
class ImageBuffer {
 public:
  ImageBuffer() = default;
  ImageBuffer(const ImageBuffer&) = delete;
  ImageBuffer& operator=(const ImageBuffer&) = delete;
  ImageBuffer(ImageBuffer&&) noexcept = default;
  ImageBuffer& operator=(ImageBuffer&&) noexcept = default;
  ~ImageBuffer() = default;

  // Makes a zero-filled width x height image (pixels) of `bitsPerPixel` (1, 4, 8, 16, 24 or
  // 32), uncompressed, with the grey-ramp palette at up to 8 bits and 5-5-5 masks at 16 bits.
  // Fails, image unchanged, for a size or depth CreateFromHeader rejects.
  ImageResult Create(int width, int height, int bitsPerPixel);

  // Makes a zero-filled image from a BITMAPINFOHEADER: its width, height, bit count,
  // compression and resolution are taken; compression is kept only at 16 bpp (3 = masks from
  // `masks`, three values red, green, blue; null keeps the 5-5-5 default) and stored as 0 at
  // any other depth. Fails, image unchanged, when width or height <= 0 (BadDimensions), the
  // compression is not 0 or 3 or the depth is not 1/4/8/16/24/32 (UnsupportedDepth), the size
  // overflows (TooLarge) or memory runs out (OutOfMemory).
  ImageResult CreateFromHeader(const BitmapInfoHeader& header, const uint32_t* masks = nullptr);

  // Deep copy of `source` (header, masks, pixels, palette). Does nothing when `source` is
  // invalid or is this image; when memory runs out the image stays as it was.
  ImageBuffer& CopyFrom(const ImageBuffer& source);

  // Frees pixels, row table and palette; the image becomes invalid.
  void Destroy();

  bool IsValid() const;
  // Size in pixels, bits per pixel and bytes per stored row; all 0 for an invalid image.
  int Width() const;
  int Height() const;
  int BitsPerPixel() const;
  int Stride() const;
  const BitmapInfoHeader& header() const;
  // The three 16-bit channel masks red, green, blue (meaningful at 16 bpp only).
  const uint32_t* masks() const;

  // Start of row y counted from the top; null when y is outside 0..Height()-1.
  uint8_t* RowPointer(int y);
  const uint8_t* RowPointer(int y) const;
  // Address of pixel (x, y) from the top-left at 8 bpp and above (at 1 and 4 bpp the byte
  // holding it); null when (x, y) lies outside the image.
  uint8_t* PixelAddress(int x, int y);
  const uint8_t* PixelAddress(int x, int y) const;
  // The bottom-up pixel block, Stride() * Height() bytes; null for an invalid image.
  uint8_t* pixels();
  const uint8_t* pixels() const;
  // Size of the pixel block in bytes.
  std::size_t pixelBytes() const;

  // Copies palette entries first..first+count-1 to out[0..count-1] (GetPalette) or from
  // entries[0..count-1] (SetPalette), skipping indexes >= 2^bpp. False when the image is
  // invalid, above 8 bpp, first < 0 or the buffer is null.
  bool GetPalette(int first, int count, RgbQuad* out) const;
  bool SetPalette(int first, int count, const RgbQuad* entries);

  // A BITMAPINFO block, little-endian: the 40-byte header followed by the 2^bpp palette
  // entries (4 bytes each) at up to 8 bpp or the three 32-bit masks above 8 bpp. Empty for an
  // invalid image.
  std::vector<uint8_t> BitmapInfo() const;

  // Writes the image with the codec that the extension of `path` selects; `flag` becomes the
  // kSaveFlag option (-1 = the codec's default, JPEG quality 80). Creates no file on failure,
  // which is InvalidImage, NoCodec or the codec's error, its message "cannot write <path>:
  // <reason>" (for a file error the system's reason).
  ImageResult Save(const std::string& path, int flag) const;

  // Replaces the image with the first frame decoded from the file at `path`. Fails, image
  // unchanged, when there is no codec for the extension or the file does not decode.
  ImageResult LoadFirstFrame(const std::string& path);

  // Grows the image by `margin` pixels on every side, repeating the edge pixels outwards (the
  // corner blocks take the corner pixels). Does nothing below 8 bpp, for a margin < 1, for an
  // invalid image or when the larger image cannot be made.
  void PadEdges(int margin);

  // Resamples the image to newWidth x newHeight pixels at the same depth with `filter`. Does
  // nothing for an invalid image, a size below 1 or a depth below 16 bpp (palette images are
  // never resized).
  void Resize(int newWidth, int newHeight, ResizeFilter filter = ResizeFilter::Bicubic);

 private:
  void buildRowTable();

  BitmapInfoHeader m_header;
  std::array<uint32_t, 3> m_masks{0x7C00, 0x03E0, 0x001F};
  int m_stride = 0;
  std::vector<uint8_t> m_pixels;
  std::vector<uint8_t*> m_rows;
  std::vector<RgbQuad> m_palette;
};

}  // namespace image
