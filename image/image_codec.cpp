#include "image/image_codec.h"

#include <new>

#include "image/file_io.h"

namespace image {

ImageCodec::~ImageCodec() = default;

bool ImageCodec::LoadFile(const std::string& path, ImageSequence& frames) {
  m_lastError = ImageError::None;
  ImageSequence decoded;
  bool ok = false;
  try {
    ok = OnLoadFile(path, decoded);
  } catch (const std::bad_alloc&) {
    SetError(ImageError::OutOfMemory);
  }
  return FinishLoad(ok, decoded, frames);
}

bool ImageCodec::LoadMemory(std::span<const uint8_t> bytes, ImageSequence& frames) {
  m_lastError = ImageError::None;
  if (bytes.empty()) {
    SetError(ImageError::Truncated);
    return false;
  }
  ImageSequence decoded;
  bool ok = false;
  try {
    ok = OnLoadMemory(bytes, decoded);
  } catch (const std::bad_alloc&) {
    SetError(ImageError::OutOfMemory);
  }
  return FinishLoad(ok, decoded, frames);
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
  try {
    frames.AppendAll(decoded);
  } catch (const std::bad_alloc&) {
    SetError(ImageError::OutOfMemory);
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
  bool ok = false;
  try {
    ok = OnSave(path, *images.front(), options);
  } catch (const std::bad_alloc&) {
    SetError(ImageError::OutOfMemory);
  }
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
  bool ok = false;
  try {
    ok = OnEncode(*images.front(), options, encoded);
  } catch (const std::bad_alloc&) {
    SetError(ImageError::OutOfMemory);
  }
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
  ImageError error = ImageError::None;
  if (!readWholeFile(path, bytes, error)) {
    SetError(error);
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
  ImageError error = ImageError::None;
  if (!writeFileAtomically(path, encoded, error)) {
    SetError(error);
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
