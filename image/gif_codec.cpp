#include "image/gif_codec.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "image/gif/gif_encoder.h"
#include "image/gif/gif_stream_decoder.h"

namespace image {

bool GifCodec::OnLoadMemory(std::span<const uint8_t> bytes, ImageSequence& decoded) {
  GifInfo info;
  ImageError error = ImageError::None;
  if (!ReadGifInfo(bytes, &info, &error)) {
    SetError(error);
    return false;
  }
  const std::uint64_t frameBytes =
      static_cast<std::uint64_t>(info.width) * static_cast<std::uint64_t>(info.height) * 4;
  if (frameBytes * static_cast<std::uint64_t>(info.frameCount) > kMaxDecodedBytes) {
    SetError(ImageError::TooLarge);
    return false;
  }

  // One frame needs no look-ahead; otherwise every hardware thread decodes LZW data.
  const int hardware = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const int threads = info.frameCount > 1 ? std::min(hardware, info.frameCount) : 0;
  bool copied = true;
  const bool ok = DecodeGifFrames(
      bytes, threads,
      [&](int, const ImageBuffer& frame) {
        auto copy = std::make_unique<ImageBuffer>();
        copy->CopyFrom(frame);
        if (!copy->IsValid()) {
          copied = false;
          return false;
        }
        decoded.Append(std::move(copy));
        return true;
      },
      &error, nullptr);
  if (!ok || !copied) {
    SetError(ok ? ImageError::OutOfMemory : error);
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
