#include "image/gif_codec.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "image/gif/gif_encoder.h"
#include "image/gif/gif_stream_decoder.h"

namespace image {

ImageResult decodeGifSequence(std::span<const uint8_t> bytes, const GifFile& file,
                              ImageSequence& decoded, const std::atomic<bool>* cancelled) {
  const auto frameCount = static_cast<std::uint64_t>(file.frames.size());
  const std::uint64_t frameBytes =
      static_cast<std::uint64_t>(file.width) * static_cast<std::uint64_t>(file.height) * 4;
  if (frameBytes * frameCount > GifCodec::kMaxDecodedBytes) return ImageError::TooLarge;

  // Every hardware thread decodes LZW data, but no more threads than frames.
  const auto hardware =
      static_cast<std::uint64_t>(std::max(1u, std::thread::hardware_concurrency()));
  const auto threads = static_cast<int>(std::max<std::uint64_t>(1, std::min(hardware, frameCount)));
  ImageSequence frames;
  bool copied = true;
  bool stopped = false;
  ImageResult result = decodeParsedGif(
      bytes, file, threads,
      [&](int, const ImageBuffer& frame) {
        if (cancelled != nullptr && cancelled->load()) {
          stopped = true;
          return false;
        }
        auto copy = std::make_unique<ImageBuffer>();
        copy->CopyFrom(frame);
        if (!copy->IsValid()) {
          copied = false;
          return false;
        }
        frames.append(std::move(copy));
        return true;
      },
      nullptr);
  if (stopped) return ImageError::Cancelled;
  if (!result) return result;
  if (!copied) return ImageError::OutOfMemory;
  decoded.appendAll(frames);
  return {};
}

ImageResult GifCodec::OnLoadMemory(std::span<const uint8_t> bytes, ImageSequence& decoded) {
  GifFile file;
  if (ImageResult parsed = parseGif(bytes, &file); !parsed) return parsed;
  return decodeGifSequence(bytes, file, decoded, nullptr);
}

ImageResult GifCodec::OnEncode(const ImageBuffer& picture, const ImageOptions& /*options*/,
                               std::vector<uint8_t>& out) {
  return encodeGif(picture, out);
}

}  // namespace image
