#include "app/core/gif_input.h"

#include "app/core/file_io.h"
#include "image/image_buffer.h"

namespace core {

std::string GifErrorText(image::ImageError error) {
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
  return image::ToString(error);
}

namespace {

bool Parse(std::span<const uint8_t> bytes, image::GifFile& file, GifSummary& summary,
           std::string* error, const image::GifParseProgress& progress = {}) {
  if (bytes.empty()) {
    if (error != nullptr) *error = "the file is empty";
    return false;
  }
  image::ImageError failure = image::ImageError::None;
  if (!image::ParseGif(bytes, &file, &failure, progress)) {
    if (error != nullptr) *error = GifErrorText(failure);
    return false;
  }
  summary.width = file.width;
  summary.height = file.height;
  summary.frameCount = static_cast<int>(file.frames.size());
  summary.truncated = file.truncated;
  return true;
}

}  // namespace

bool SummarizeGif(std::span<const uint8_t> bytes, GifSummary& summary, std::string* error) {
  image::GifFile file;
  return Parse(bytes, file, summary, error);
}

bool GifSource::Open(const std::string& path, std::span<const uint8_t> bytes, std::string* error) {
  m_bytes = bytes;
  if (m_bytes.empty()) {
    const support::ReadResult read = m_mapped.open(path);
    if (!read) {
      if (error != nullptr) *error = ReadErrorText(path, read);
      return false;
    }
    m_bytes = m_mapped.bytes();
  }
  const auto release = [this](std::size_t offset) { ReleaseBefore(offset); };
  if (Parse(m_bytes, m_file, m_summary, error, release)) {
    ReleaseBefore(m_bytes.size());
    return true;
  }
  if (error != nullptr) *error = path + ": " + *error;
  return false;
}

void GifSource::ReleaseBefore(std::size_t offset) const { m_mapped.release(0, offset); }

}  // namespace core
