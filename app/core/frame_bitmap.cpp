#include "app/core/frame_bitmap.h"

#include <cstdint>

#include "image/jpeg_codec.h"
#include "image/pixel_rows.h"
#include "swf/bitmap_frame.h"
#include "swf/bitmap_pixels.h"
#include "swf/swf_jpeg_bitmap.h"
#include "swf/swf_lossless_bitmap.h"

namespace core {
namespace {

// Dithered or photo-like pictures compress about as well with the fast effort as with the small
// one, in far less time; flat-colour art compresses a fifth better with the small effort, and
// quickly. Data the fast effort shrinks to less than an eighth counts as flat and is compressed
// again with the small one (the alpha plane of a JPEG3 frame, being flat, always gets it).
constexpr std::size_t kFlatRatio = 8;
// Auto first compresses one row in kSampleEvery on its own to guess the lossless size.
constexpr int kSampleEvery = 8;
// Auto skips the lossless form when the sample says it would be this much larger than the JPEG
// (a guess from a sample errs by some percent).
constexpr std::size_t kAutoMarginPercent = 125;

constexpr RgbColor kWhite{0xFF, 0xFF, 0xFF};
constexpr RgbColor kBlack{0x00, 0x00, 0x00};

swf::BgraPixels pixelsOf(const image::ImageBuffer& picture) {
  // Stored bottom-up: row y from the top lies one stride below row y - 1 in memory.
  return {picture.RowPointer(0), -static_cast<std::ptrdiff_t>(picture.Stride()), picture.Width(),
          picture.Height()};
}

const support::Status kOutOfMemory{support::Failure::OutOfMemory};

support::Status jpegFailure(const image::ImageResult& failure) {
  return {failure.code() == image::ImageError::OutOfMemory ? support::Failure::OutOfMemory
                                                           : support::Failure::Write,
          "cannot encode the JPEG: " + failure.message()};
}

// The size of the DefineBitsJPEG2 tag of a JPEG of `bytes` bytes: header, id and the marker
// bytes around it.
std::size_t jpeg2TagSize(std::size_t bytes) { return bytes + 14; }

}  // namespace

const image::ImageBuffer* FrameBitmapEncoder::atMovieSize(const image::ImageBuffer& frame) {
  if (frame.Width() == m_settings.width && frame.Height() == m_settings.height) return &frame;
  if (!m_scaled.CopyFrom(frame).IsValid()) return nullptr;
  m_scaled.Resize(m_settings.width, m_settings.height, m_settings.scaleFilter);
  const bool scaled =
      m_scaled.Width() == m_settings.width && m_scaled.Height() == m_settings.height;
  return scaled ? &m_scaled : nullptr;
}

const image::ImageBuffer* FrameBitmapEncoder::over(const image::ImageBuffer& picture,
                                                   const RgbColor& background) {
  if (image::isOpaque(picture)) return &picture;
  const image::RgbQuad under{background.blue, background.green, background.red, 0};
  return image::compositeOver(picture, under, m_composited) ? &m_composited : nullptr;
}

support::Status FrameBitmapEncoder::encodeJpeg(const image::ImageBuffer& frame, int index,
                                               FrameBitmap& out) {
  const int quality = m_settings.jpegQuality;
  if (!m_settings.keepTransparency && m_settings.scaleFilter == image::ResizeFilter::Bicubic) {
    // Over the background first, then resampled: what the movie shows of a resampled picture.
    const image::ImageBuffer* source =
        m_settings.background == kWhite ? &frame : over(frame, m_settings.background);
    if (source == nullptr) {
      return kOutOfMemory;
    }
    const image::ImageResult encoded =
        image::encodeResizedJpeg(*source, m_settings.width, m_settings.height, quality, out.jpeg);
    return encoded ? support::Status{} : jpegFailure(encoded);
  }
  const image::ImageBuffer* scaled = atMovieSize(frame);
  const image::ImageBuffer* colours =
      scaled == nullptr
          ? nullptr
          : over(*scaled, m_settings.keepTransparency ? kBlack : m_settings.background);
  if (colours == nullptr) {
    return kOutOfMemory;
  }
  if (const image::ImageResult encoded = image::encodeJpeg(*colours, quality, out.jpeg); !encoded) {
    return jpegFailure(encoded);
  }
  if (!m_settings.keepTransparency) return {};
  if (!image::alphaPlane(*scaled, m_alpha)) {
    return kOutOfMemory;
  }
  out.character = std::make_unique<swf::SwfJpegBitmap>(swf::frameBitmapId(index), out.jpeg, m_alpha,
                                                       swf::ZlibEffort::Small);
  out.jpeg.clear();
  return {};
}

support::Status FrameBitmapEncoder::encodeLossless(const image::ImageBuffer& frame, int index,
                                                   std::size_t smallerThan, FrameBitmap& out) {
  const image::ImageBuffer* scaled = atMovieSize(frame);
  const image::ImageBuffer* pixels = scaled == nullptr || m_settings.keepTransparency
                                         ? scaled
                                         : over(*scaled, m_settings.background);
  if (pixels == nullptr) {
    return kOutOfMemory;
  }
  const swf::LosslessAlpha alpha =
      m_settings.keepTransparency ? swf::LosslessAlpha::Keep : swf::LosslessAlpha::Ignore;
  // Against a JPEG, a sample first: most photo-like frames end here, at a fraction of the work.
  if (smallerThan != SIZE_MAX &&
      swf::estimateLosslessSize(pixelsOf(*pixels), alpha, kSampleEvery, swf::ZlibEffort::Fast) /
              kAutoMarginPercent * 100 >
          smallerThan) {
    return {};
  }
  swf::LosslessData& data = m_lossless;
  swf::prepareLosslessData(pixelsOf(*pixels), alpha, data);
  auto bitmap = std::make_unique<swf::SwfLosslessBitmap>(swf::frameBitmapId(index), data,
                                                         swf::ZlibEffort::Fast);
  // Data that shrinks this well is flat: the small effort is worth its time there.
  if (bitmap->isValid() && bitmap->tagSize() * kFlatRatio < data.bytes.size()) {
    bitmap = std::make_unique<swf::SwfLosslessBitmap>(swf::frameBitmapId(index), data,
                                                      swf::ZlibEffort::Small);
  }
  if (!bitmap->isValid()) return {support::Failure::Write, "cannot compress the lossless picture"};
  out.character = std::move(bitmap);
  out.jpeg.clear();
  return {};
}

support::Status FrameBitmapEncoder::encode(const image::ImageBuffer& frame, int index,
                                           FrameBitmap& out) {
  out.character.reset();
  switch (m_settings.frameFormat) {
    case FrameFormat::Jpeg:
      return encodeJpeg(frame, index, out);
    case FrameFormat::Lossless:
      return encodeLossless(frame, index, SIZE_MAX, out);
    case FrameFormat::Auto:
      break;
  }
  if (support::Status jpeg = encodeJpeg(frame, index, out); !jpeg) return jpeg;
  const std::size_t jpegSize =
      out.character ? out.character->tagSize() : jpeg2TagSize(out.jpeg.size());
  FrameBitmap lossless;
  if (support::Status made = encodeLossless(frame, index, jpegSize, lossless); !made) return made;
  if (lossless.character && lossless.character->tagSize() < jpegSize) {
    out.character = std::move(lossless.character);
    out.jpeg.clear();
  }
  return {};
}

uint64_t FrameBitmapEncoder::extraWorkingMemory(const OutputSettings& settings, int sourceWidth,
                                                int sourceHeight) {
  const uint64_t source = 4 * uint64_t(sourceWidth) * uint64_t(sourceHeight);
  const uint64_t target = 4 * uint64_t(settings.width) * uint64_t(settings.height);
  const bool plainJpeg = settings.frameFormat == FrameFormat::Jpeg && !settings.keepTransparency &&
                         settings.scaleFilter == image::ResizeFilter::Bicubic;
  if (plainJpeg) return settings.background == kWhite ? 0 : source;
  // The scaled frame, a composited copy, the alpha plane, the lossless data and its zlib stream
  // with the built tag (each at most about the scaled frame's size), and the other form's bytes
  // when both are made.
  const uint64_t perForm = 2 * target;
  return 2 * target + target / 4 + (settings.frameFormat == FrameFormat::Auto ? 2 : 1) * perForm;
}

}  // namespace core
