#include "image/image_codec.h"

#include <functional>
#include <new>

#include "support/read_file.h"
#include "support/replacing_file.h"

namespace image {

ImageCodec::~ImageCodec() = default;

bool ImageCodec::LoadFile(const std::string& path, ImageSequence& frames) {
  m_lastError = ImageError::None;
  ImageSequence decoded;
  const bool ok = Guarded([&] { return OnLoadFile(path, decoded); });
  return FinishLoad(ok, decoded, frames);
}

bool ImageCodec::LoadMemory(std::span<const uint8_t> bytes, ImageSequence& frames) {
  m_lastError = ImageError::None;
  if (bytes.empty()) {
    SetError(ImageError::Truncated);
    return false;
  }
  ImageSequence decoded;
  const bool ok = Guarded([&] { return OnLoadMemory(bytes, decoded); });
  return FinishLoad(ok, decoded, frames);
}

bool ImageCodec::Guarded(const std::function<bool()>& operation) {
  try {
    return operation();
  } catch (const std::bad_alloc&) {
    SetError(ImageError::OutOfMemory);
    return false;
  }
}

bool ImageCodec::FinishLoad(bool decodedOk, ImageSequence& decoded, ImageSequence& frames) {
  if (decodedOk && decoded.Count() == 0) {
    SetError(ImageError::NoFrames);
    decodedOk = false;
  }
  if (!decodedOk) {
    if (m_lastError == ImageError::None) {
      SetError(ImageError::Corrupt);
    }
    return false;
  }
  if (!Guarded([&] {
        frames.AppendAll(decoded);
        return true;
      })) {
    return false;
  }
  m_lastError = ImageError::None;
  return true;
}

bool ImageCodec::Save(const std::string& path, const std::vector<const ImageBuffer*>& images,
                      const ImageOptions& options) {
  m_lastError = ImageError::None;
  if (images.empty() || images.front() == nullptr || !images.front()->IsValid()) {
    SetError(ImageError::InvalidImage);
    return false;
  }
  const bool ok = Guarded([&] { return OnSave(path, *images.front(), options); });
  if (!ok && m_lastError == ImageError::None) {
    SetError(ImageError::FileWrite);
  }
  if (ok) {
    m_lastError = ImageError::None;
  }
  return ok;
}

bool ImageCodec::SaveMemory(const std::vector<const ImageBuffer*>& images,
                            const ImageOptions& options, std::vector<uint8_t>& out) {
  m_lastError = ImageError::None;
  if (images.empty() || images.front() == nullptr || !images.front()->IsValid()) {
    SetError(ImageError::InvalidImage);
    return false;
  }
  std::vector<uint8_t> encoded;
  const bool ok = Guarded([&] { return OnEncode(*images.front(), options, encoded); });
  if (!ok) {
    if (m_lastError == ImageError::None) {
      SetError(ImageError::Corrupt);
    }
    return false;
  }
  out = std::move(encoded);
  m_lastError = ImageError::None;
  return true;
}

ImageError ImageCodec::LastError() const { return m_lastError; }

void ImageCodec::SetError(ImageError error) { m_lastError = error; }

bool ImageCodec::OnLoadFile(const std::string& path, ImageSequence& decoded) {
  std::vector<uint8_t> bytes;
  if (const support::ReadResult read = support::ReadWholeFile(path, bytes); !read) {
    SetError(read.failure == support::ReadFailure::kOpen ? ImageError::FileOpen
                                                         : ImageError::FileRead);
    return false;
  }
  if (bytes.empty()) {
    SetError(ImageError::Truncated);
    return false;
  }
  return OnLoadMemory(bytes, decoded);
}

bool ImageCodec::OnLoadMemory(std::span<const uint8_t> /*bytes*/, ImageSequence& /*decoded*/) {
  SetError(ImageError::NoCodec);
  return false;
}

bool ImageCodec::OnSave(const std::string& path, const ImageBuffer& picture,
                        const ImageOptions& options) {
  std::vector<uint8_t> encoded;
  if (!OnEncode(picture, options, encoded)) {
    return false;
  }
  support::ReplacingFile file;
  if (!file.open(path)) {
    SetError(ImageError::FileOpen);
    return false;
  }
  if (!file.write(encoded) || !file.commit()) {
    SetError(ImageError::FileWrite);
    return false;
  }
  return true;
}

bool ImageCodec::OnEncode(const ImageBuffer& /*picture*/, const ImageOptions& /*options*/,
                          std::vector<uint8_t>& /*out*/) {
  SetError(ImageError::NoCodec);
  return false;
}

}  // namespace image
