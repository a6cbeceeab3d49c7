#include "image/gif_codec.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "image/gif/gif_encoder.h"
#include "image/gif/gif_stream_decoder.h"

namespace image {

bool DecodeGifSequence(std::span<const uint8_t> bytes, ImageSequence& decoded,
                       const std::atomic<bool>* cancelled, ImageError* error) {
  const auto fail = [error](ImageError reason) {
    if (error != nullptr) *error = reason;
    return false;
  };
  GifInfo info;
  ImageError failure = ImageError::None;
  if (!ReadGifInfo(bytes, &info, &failure)) return fail(failure);
  const std::uint64_t frameBytes =
      static_cast<std::uint64_t>(info.width) * static_cast<std::uint64_t>(info.height) * 4;
  if (frameBytes * static_cast<std::uint64_t>(info.frameCount) > GifCodec::kMaxDecodedBytes) {
    return fail(ImageError::TooLarge);
  }

  // One frame needs no look-ahead; otherwise every hardware thread decodes LZW data.
  const int hardware = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int threads = info.frameCount > 1 ? std::min(hardware, info.frameCount) : 0;
  ImageSequence frames;
  bool copied = true;
  bool stopped = false;
  const bool ok = DecodeGifFrames(
      bytes, threads,
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
        frames.Append(std::move(copy));
        return true;
      },
      &failure, nullptr);
  if (stopped) return fail(ImageError::None);
  if (!ok || !copied) return fail(ok ? ImageError::OutOfMemory : failure);
  decoded.AppendAll(frames);
  return true;
}

bool GifCodec::OnLoadMemory(std::span<const uint8_t> bytes, ImageSequence& decoded) {
  ImageError error = ImageError::None;
  if (!DecodeGifSequence(bytes, decoded, nullptr, &error)) {
    SetError(error);
    return false;
  }
  return true;
}

bool GifCodec::OnEncode(const ImageBuffer& picture, const ImageOptions& /*options*/,
                        std::vector<uint8_t>& out) {
  ImageError error = ImageError::None;
  if (!EncodeGif(picture, out, &error)) {
    SetError(error);
    return false;
  }
  return true;
}

}  // namespace image
