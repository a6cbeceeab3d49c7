#include "app/core/frame_store.h"

#include <filesystem>
#include <new>
#include <system_error>
#include <vector>

#include "app/core/file_io.h"
#include "app/core/file_names.h"
#include "app/core/gif_input.h"
#include "app/core/output_settings.h"
#include "image/gif_codec.h"
#include "image/jpeg_codec.h"
#include "support/paths.h"

namespace core {

support::Status FrameStore::LoadGif(const std::string& path, const std::atomic<bool>* cancelled) {
  m_frames.clear();
  m_frameCount = 0;
  m_gifPath = path;
  m_isLoaded = true;
  m_truncated = false;

  try {
    // Counting frames is a walk over the blocks without decoding, so a GIF too long for a movie
    // is refused before any pixel is decoded.
    GifSource gif;
    if (support::Status opened = gif.open(path, {}); !opened) return opened;
    if (support::Status counted = checkFrameCount(gif.summary().frameCount); !counted) {
      return {counted.code(), path + ": " + counted.message()};
    }
    if (const image::ImageResult decoded =
            image::decodeGifSequence(gif.bytes(), gif.file(), m_frames, cancelled);
        !decoded) {
      const support::Status failure =
          decoded.code() == image::ImageError::Cancelled
              ? support::Status{support::Failure::Cancelled, decoded.message()}
              : gifFailure(decoded);
      return {failure.code(), path + ": " + failure.message()};
    }
    m_frameCount = m_frames.Count();
    m_truncated = gif.summary().truncated;
    return {};
  } catch (const std::bad_alloc&) {
    m_frames.clear();
    return {support::Failure::OutOfMemory,
            path + ": " + gifErrorText(image::ImageError::OutOfMemory)};
  }
}

void FrameStore::ClearTempFrames(const std::string& outputDirectory) const {
  const std::string directory = TempDirectory(outputDirectory);
  if (!support::ensureDirectory(directory)) return;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
    std::error_code ignored;
    if (!entry.is_directory(ignored)) std::filesystem::remove(entry.path(), ignored);
  }
}

std::string FrameStore::TempDirectory(const std::string& outputDirectory) {
  return core::TempDirectory(outputDirectory);
}

std::string FrameStore::FramePath(const std::string& outputDirectory, int index) const {
  return tempFramePath(outputDirectory, m_gifPath, index);
}

support::Status FrameStore::WriteFrame(const std::string& outputDirectory, int index, int width,
                                       int height) const {
  const image::ImageBuffer* frame = m_frames.At(index);
  if (frame == nullptr || index >= m_frameCount) {
    return {support::Failure::Refused, "frame " + std::to_string(index) + " does not exist (" +
                                           std::to_string(m_frameCount) + " frames held)"};
  }
  if (support::Status made = support::ensureDirectory(TempDirectory(outputDirectory)); !made) {
    return made;
  }
  const std::string path = FramePath(outputDirectory, index);
  // The JPEG the streaming conversion makes of the frame at this size, so that both give the
  // same movie.
  std::vector<uint8_t> jpeg;
  if (const image::ImageResult encoded =
          image::encodeResizedJpeg(*frame, width, height, image::kDefaultJpegQuality, jpeg);
      !encoded) {
    return {support::Failure::Write, image::saveFailure(path, encoded.code()).message()};
  }
  return writeFileBytes(path, jpeg, support::Durability::Cached);
}

}  // namespace core
