#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "image/image_codec.h"

namespace image {

// The JPEG quality used when the options ask for the codec's default.
inline constexpr int kDefaultJpegQuality = 80;

// JPEG files through libjpeg-turbo's TurboJPEG interface. Decoding gives one 24-bit frame
// (grey-scale files are expanded to B,G,R); CMYK files are not supported. Encoding writes a
// baseline JFIF file with 4:2:0 chroma subsampling and the accurate integer DCT, so equal
// input gives equal bytes.
class JpegCodec final : public ImageCodec {
 private:
  ImageResult OnLoadMemory(std::span<const uint8_t> bytes, ImageSequence& decoded) override;
  ImageResult OnEncode(const ImageBuffer& picture, const ImageOptions& options,
                       std::vector<uint8_t>& out) override;
};

// The quality (1..100) a save with `options` asks for: the text of kSaveFlag, or of
// kJpegQualityTag when that is empty; kDefaultJpegQuality when the text is empty or "-1";
// otherwise its leading decimal integer (0 when it does not begin with one), clamped to
// 1..100.
int jpegQualityFromOptions(const ImageOptions& options);

// Encodes `image` (any depth; palette and 16-bit pixels are expanded, 32-bit pixels are
// composited over white) as a baseline 4:2:0 JPEG at `quality`, clamped to 1..100, replacing
// the contents of `out`. Fails, `out` unchanged, for an invalid image (InvalidImage), a failure
// of the library (Library) or of memory (OutOfMemory).
ImageResult encodeJpeg(const ImageBuffer& image, int quality, std::vector<uint8_t>& out);

// Encodes `image` resized to width x height pixels as a baseline 4:2:0 JPEG at `quality`,
// replacing the contents of `out`: the picture (transparent pixels over white) is turned into
// Y, Cb and Cr at its own size, Y resampled to width x height and Cb and Cr to the half size the
// JPEG keeps, with the filter of ImageBuffer::Resize. Looks like EncodeJpeg of a copy after
// Resize(width, height) (not byte for byte) at about half the work when enlarging. Gives
// exactly EncodeJpeg(image) when Resize would change nothing (same size, a size below 1, a
// palette image), and EncodeJpeg of the resized copy for 16-bit images. Deterministic. Failures
// as for EncodeJpeg, plus TooLarge or OutOfMemory when the planes cannot be had.
ImageResult encodeResizedJpeg(const ImageBuffer& image, int width, int height, int quality,
                              std::vector<uint8_t>& out);

// The most working memory (bytes) EncodeResizedJpeg of a 32-bit sourceWidth x sourceHeight
// picture at width x height asks for, the JPEG it returns not included: the composited copy of a
// transparent picture at its own size, or the planes when resizing, and the library's output
// buffer. A thread keeps blocks up to 32 MiB
// of it for its next picture.
uint64_t resizedJpegWorkingMemory(int sourceWidth, int sourceHeight, int width, int height);

}  // namespace image
