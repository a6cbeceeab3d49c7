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

namespace core {

bool FrameStore::Fail(std::string text) {
  m_lastErrorText = std::move(text);
  return false;
}

bool FrameStore::LoadGif(const std::string& path, const std::atomic<bool>* cancelled) {
  m_frames.Clear();
  m_frameCount = 0;
  m_gifPath = path;
  m_isLoaded = true;
  m_truncated = false;
  m_lastErrorText.clear();

  try {
    // Counting frames is a walk over the blocks without decoding, so a GIF too long for a movie
    // is refused before any pixel is decoded.
    GifSource gif;
    std::string error;
    if (!gif.Open(path, {}, &error)) return Fail(error);
    if (const std::string problem = CheckFrameCount(gif.summary().frameCount); !problem.empty()) {
      return Fail(path + ": " + problem);
    }
    image::ImageError decodeError = image::ImageError::None;
    if (!image::DecodeGifSequence(gif.bytes(), gif.file(), m_frames, cancelled, &decodeError)) {
      return Fail(path + ": " +
                  (decodeError == image::ImageError::None ? std::string("the loading was cancelled")
                                                          : GifErrorText(decodeError)));
    }
    m_frameCount = m_frames.Count();
    m_truncated = gif.summary().truncated;
    return true;
  } catch (const std::bad_alloc&) {
    m_frames.Clear();
    return Fail(path + ": " + GifErrorText(image::ImageError::OutOfMemory));
  }
}

void FrameStore::ClearTempFrames(const std::string& outputDirectory) const {
  const std::string directory = TempDirectory(outputDirectory);
  if (!EnsureDirectory(directory, nullptr)) return;
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
  return TempFramePath(outputDirectory, m_gifPath, index);
}

bool FrameStore::WriteFrame(const std::string& outputDirectory, int index, int width, int height,
                            std::string* error) const {
  const image::ImageBuffer* frame = m_frames.At(index);
  if (frame == nullptr || index >= m_frameCount) {
    if (error != nullptr) {
      *error = "frame " + std::to_string(index) + " does not exist (" +
               std::to_string(m_frameCount) + " frames held)";
    }
    return false;
  }
  if (!EnsureDirectory(TempDirectory(outputDirectory), error)) return false;
  const std::string path = FramePath(outputDirectory, index);
  // The JPEG the streaming conversion makes of the frame at this size, so that both give the
  // same movie.
  std::vector<uint8_t> jpeg;
  image::ImageError encodeError = image::ImageError::None;
  if (!image::EncodeResizedJpeg(*frame, width, height, image::kDefaultJpegQuality, jpeg,
                                &encodeError)) {
    if (error != nullptr) *error = SaveErrorText(path, encodeError, 0);
    return false;
  }
  return WriteFileBytes(path, jpeg, error, support::Durability::kCached);
}

}  // namespace core
