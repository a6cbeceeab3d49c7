// GIF decoding under libFuzzer: the codec, and the streaming decoder on the calling thread
// against the same decoder with worker threads, which must agree frame by frame.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "image/gif/gif_stream_decoder.h"
#include "image/gif_codec.h"
#include "image/image_options.h"
#include "image/image_sequence.h"

namespace {

// Inputs whose frames would take more memory than this are only parsed: a 20-byte header
// can ask for thousands of 16384 x 16384 canvases, which tells nothing new.
constexpr std::uint64_t kMaxDecodedBytes = std::uint64_t{8} << 20;
// Re-encoding quantises with libimagequant; it is kept to small pictures for speed.
constexpr std::size_t kMaxReencodeBytes = std::size_t{1} << 20;

std::uint64_t hash(const image::ImageBuffer& frame) {
  std::uint64_t hash = 14695981039346656037ull;
  const uint8_t* p = frame.pixels();
  const std::size_t size = frame.pixelBytes();
  for (std::size_t i = 0; i < size; i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, p + i, std::min<std::size_t>(8, size - i));
    hash = (hash ^ word) * 1099511628211ull;
  }
  return hash;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  image::GifInfo info;
  if (!image::readGifInfo(bytes, &info)) {
    image::GifCodec codec;
    image::ImageSequence frames;
    if (codec.LoadMemory(bytes, frames)) {
      __builtin_trap();  // the codec accepted what the container parser refused
    }
    return 0;
  }
  const std::uint64_t frameBytes =
      static_cast<std::uint64_t>(info.width) * static_cast<std::uint64_t>(info.height) * 4;
  if (frameBytes * static_cast<std::uint64_t>(info.frameCount) > kMaxDecodedBytes) {
    return 0;
  }

  std::vector<std::uint64_t> hashes;
  int inlineCount = 0;
  const image::ImageResult inlineResult = image::decodeGifFrames(
      bytes, 0,
      [&](int, const image::ImageBuffer& frame) {
        hashes.push_back(hash(frame));
        return true;
      },
      &inlineCount);

  int threadedCount = 0;
  const image::ImageResult threadedResult = image::decodeGifFrames(
      bytes, 2,
      [&](int index, const image::ImageBuffer& frame) {
        if (static_cast<std::size_t>(index) >= hashes.size() ||
            hashes[static_cast<std::size_t>(index)] != hash(frame)) {
          __builtin_trap();
        }
        return true;
      },
      &threadedCount);
  if (inlineResult.code() != threadedResult.code() || inlineCount != threadedCount) {
    __builtin_trap();
  }

  image::GifCodec codec;
  image::ImageSequence frames;
  if (static_cast<bool>(codec.LoadMemory(bytes, frames)) != static_cast<bool>(inlineResult)) {
    __builtin_trap();
  }
  if (frames.Count() > 0 && frames.At(0)->pixelBytes() <= kMaxReencodeBytes) {
    std::vector<uint8_t> encoded;
    if (!codec.saveMemory({frames.At(0)}, image::ImageOptions{}, encoded)) {
      __builtin_trap();
    }
  }
  return 0;
}
