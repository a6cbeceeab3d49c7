#include "app/core/frame_store.h"

#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "app/core/file_io.h"
#include "app/core/file_names.h"
#include "app/core/gif_input.h"
#include "app/core/output_settings.h"
#include "image/image_codec_factory.h"
#include "image/jpeg_codec.h"

namespace core {

bool FrameStore::Fail(std::string text) {
  m_lastErrorText = std::move(text);
  return false;
}

bool FrameStore::LoadGif(const std::string& path) {
  m_frames.Clear();
  m_frameCount = 0;
  m_gifPath = path;
  m_isLoaded = true;
  m_lastErrorText.clear();

  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadFileBytes(path, bytes, &error)) return Fail(error);
  // Counting frames is a walk over the blocks without decoding, so a GIF too long for a movie is
  // refused before any pixel is decoded.
  GifSummary summary;
  if (!SummarizeGif(bytes, summary, &error)) return Fail(path + ": " + error);
  if (const std::string problem = CheckFrameCount(summary.frameCount); !problem.empty()) {
    return Fail(path + ": " + problem);
  }

  const image::ImageCodecFactory& factory = image::ImageCodecFactory::Instance();
  const std::unique_ptr<image::ImageCodec> codec = factory.CreateCodec(image::ImageType::Gif);
  if (!codec || !codec->LoadMemory(bytes, m_frames)) {
    return Fail(path + ": " +
                image::ToString(codec ? codec->LastError() : image::ImageError::NoCodec));
  }
  if (const std::string problem = CheckFrameCount(m_frames.Count()); !problem.empty()) {
    m_frames.Clear();
    return Fail(path + ": " + problem);
  }
  m_frameCount = m_frames.Count();
  return true;
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

bool FrameStore::WriteFrame(const std::string& outputDirectory, int index, int width, int height) {
  image::ImageBuffer* frame = m_frames.At(index);
  if (frame == nullptr || index >= m_frameCount) {
    return Fail("frame " + std::to_string(index) + " does not exist (" +
                std::to_string(m_frameCount) + " frames held)");
  }
  std::string error;
  if (!EnsureDirectory(TempDirectory(outputDirectory), &error)) return Fail(error);
  const std::string path = FramePath(outputDirectory, index);
  // The JPEG the streaming conversion makes of the frame at this size, so that both give the
  // same movie; the held frame is resized afterwards, as later captures start from it.
  std::vector<uint8_t> jpeg;
  image::ImageError encodeError = image::ImageError::None;
  if (!image::EncodeResizedJpeg(*frame, width, height, image::kDefaultJpegQuality, jpeg,
                                &encodeError)) {
    return Fail(SaveErrorText(path, encodeError, 0));
  }
  frame->Resize(width, height);
  if (!WriteFileBytes(path, jpeg, &error)) return Fail(error);
  m_lastErrorText.clear();
  return true;
}

}  // namespace core
