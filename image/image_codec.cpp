#include "image/image_codec.h"

#include <functional>
#include <new>

#include "support/read_file.h"
#include "support/replacing_file.h"

namespace image {

ImageCodec::~ImageCodec() = default;

ImageResult ImageCodec::LoadFile(const std::string& path, ImageSequence& frames) {
  ImageSequence decoded;
  return finishLoad(guarded([&] { return OnLoadFile(path, decoded); }), decoded, frames);
}

ImageResult ImageCodec::LoadMemory(std::span<const uint8_t> bytes, ImageSequence& frames) {
  if (bytes.empty()) return ImageError::Truncated;
  ImageSequence decoded;
  return finishLoad(guarded([&] { return OnLoadMemory(bytes, decoded); }), decoded, frames);
}

ImageResult ImageCodec::guarded(const std::function<ImageResult()>& operation) {
  try {
    return operation();
  } catch (const std::bad_alloc&) {
    return ImageError::OutOfMemory;
  }
}

ImageResult ImageCodec::finishLoad(ImageResult decoded, ImageSequence& decodedFrames,
                                   ImageSequence& frames) {
  if (!decoded) return decoded;
  if (decodedFrames.Count() == 0) return ImageError::NoFrames;
  return guarded([&] {
    frames.appendAll(decodedFrames);
    return ImageResult{};
  });
}

ImageResult ImageCodec::Save(const std::string& path, const std::vector<const ImageBuffer*>& images,
                             const ImageOptions& options) {
  if (images.empty() || images.front() == nullptr || !images.front()->IsValid()) {
    return saveFailure(path, ImageError::InvalidImage);
  }
  const ImageResult saved = guarded([&] { return OnSave(path, *images.front(), options); });
  return saved ? saved : saveFailure(path, saved.code(), saved.systemError());
}

ImageResult ImageCodec::saveMemory(const std::vector<const ImageBuffer*>& images,
                                   const ImageOptions& options, std::vector<uint8_t>& out) {
  if (images.empty() || images.front() == nullptr || !images.front()->IsValid()) {
    return ImageError::InvalidImage;
  }
  std::vector<uint8_t> encoded;
  ImageResult result = guarded([&] { return OnEncode(*images.front(), options, encoded); });
  if (result) out = std::move(encoded);
  return result;
}

ImageResult ImageCodec::OnLoadFile(const std::string& path, ImageSequence& decoded) {
  std::vector<uint8_t> bytes;
  if (const support::Status read = support::readWholeFile(path, bytes); !read) {
    return {read.code() == support::Failure::Open ? ImageError::FileOpen : ImageError::FileRead,
            read.message(), read.systemError()};
  }
  if (bytes.empty()) return ImageError::Truncated;
  return OnLoadMemory(bytes, decoded);
}

ImageResult ImageCodec::OnLoadMemory(std::span<const uint8_t> /*bytes*/,
                                     ImageSequence& /*decoded*/) {
  return ImageError::NoCodec;
}

// The writer's own reason is kept: the message names the target and what the system said.
ImageResult ImageCodec::OnSave(const std::string& path, const ImageBuffer& picture,
                               const ImageOptions& options) {
  std::vector<uint8_t> encoded;
  if (ImageResult encodedOk = OnEncode(picture, options, encoded); !encodedOk) return encodedOk;
  support::ReplacingFile file;
  if (const support::Status opened = file.open(path); !opened) {
    return {ImageError::FileOpen, opened.message(), opened.systemError()};
  }
  support::Status written = file.write(encoded);
  if (written) written = file.commit();
  if (!written) return {ImageError::FileWrite, written.message(), written.systemError()};
  return {};
}

ImageResult ImageCodec::OnEncode(const ImageBuffer& /*picture*/, const ImageOptions& /*options*/,
                                 std::vector<uint8_t>& /*out*/) {
  return ImageError::NoCodec;
}

}  // namespace image
