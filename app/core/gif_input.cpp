#include "app/core/gif_input.h"

#include "image/image_buffer.h"

namespace core {

std::string gifErrorText(image::ImageError error) {
  switch (error) {
    case image::ImageError::BadSignature:
      return "not a GIF file (it does not start with GIF87a or GIF89a)";
    case image::ImageError::Truncated:
      return "the file ends before its first frame is complete";
    case image::ImageError::NoFrames:
      return "the GIF holds no frame";
    case image::ImageError::BadDimensions:
      return "the GIF's screen has a side of 0 pixels";
    case image::ImageError::TooLarge:
      return "the GIF is larger than " + std::to_string(image::kMaxDimension) + " pixels a side";
    default:
      break;
  }
  return image::toString(error);
}

support::Status gifFailure(const image::ImageResult& failure) {
  return {failure.code() == image::ImageError::OutOfMemory ? support::Failure::OutOfMemory
                                                           : support::Failure::Refused,
          gifErrorText(failure.code())};
}

support::Status GifSource::open(const std::string& path, std::span<const uint8_t> bytes) {
  m_bytes = bytes;
  if (m_bytes.empty()) {
    if (support::Status read = m_mapped.open(path); !read) return read;
    m_bytes = m_mapped.bytes();
  }
  if (m_bytes.empty()) return {support::Failure::Refused, path + ": the file is empty"};
  const auto release = [this](std::size_t offset) { releaseBefore(offset); };
  if (const image::ImageResult parsed = image::parseGif(m_bytes, &m_file, release); !parsed) {
    return {support::Failure::Refused, path + ": " + gifErrorText(parsed.code())};
  }
  m_summary = image::gifInfoOf(m_file);
  releaseBefore(m_bytes.size());
  return {};
}

void GifSource::releaseBefore(std::size_t offset) const { m_mapped.release(0, offset); }

}  // namespace core
