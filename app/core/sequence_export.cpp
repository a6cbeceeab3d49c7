#include "app/core/sequence_export.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "app/core/file_io.h"
#include "app/core/file_names.h"
#include "app/core/gif_input.h"
#include "image/gif/gif_stream_decoder.h"
#include "support/paths.h"

namespace core {

bool WriteSequenceFrame(const image::ImageBuffer& frame, const std::string& path,
                        std::string* error) {
  const std::size_t slash = path.rfind('/');
  if (slash != std::string::npos && !EnsureDirectory(path.substr(0, slash + 1), error)) {
    return false;
  }
  errno = 0;
  if (frame.Save(path, -1)) return true;
  if (error != nullptr) *error = SaveErrorText(path, frame.LastError(), errno);
  return false;
}

ExportResult ExportGifSequence(const ExportRequest& request, const ProgressCallback& progress) {
  ExportResult result;
  GifSource gif;
  if (!gif.Open(request.gifPath, request.gifBytes, &result.error)) return result;

  const std::string folder = SequenceFolder(request.outputDirectory);
  const bool folderExisted = support::DirectoryExists(folder);
  std::vector<std::string> written;
  const auto sink = [&](int index, const image::ImageBuffer& frame) {
    const std::string path =
        SequenceFramePath(request.outputDirectory, request.gifPath, index, request.extension);
    if (!WriteSequenceFrame(frame, path, &result.error)) return false;
    written.push_back(path);
    if (progress) progress(index + 1, gif.summary().frameCount);
    return true;
  };
  image::ImageError decodeError = image::ImageError::None;
  int delivered = 0;
  const bool decoded = image::DecodeGifFrames(gif.bytes(), 0, sink, &decodeError, &delivered);
  if (!decoded) {
    result.error = "frame " + std::to_string(delivered) + ": " + GifErrorText(decodeError);
  } else if (result.error.empty() && written.empty()) {
    result.error = GifErrorText(image::ImageError::NoFrames);
  }
  if (!result.error.empty()) {
    std::error_code ignored;
    for (const std::string& path : written) std::filesystem::remove(path, ignored);
    if (!folderExisted) std::filesystem::remove(folder, ignored);  // only while it is empty
    return result;
  }
  result.ok = true;
  result.frameCount = static_cast<int>(written.size());
  result.firstPath = written.front();
  result.lastPath = written.back();
  return result;
}

}  // namespace core
