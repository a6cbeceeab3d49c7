#include "app/core/sequence_export.h"

#include <cerrno>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>
#include <vector>

#include "app/core/file_io.h"
#include "app/core/file_names.h"
#include "app/core/gif_input.h"
#include "image/gif/gif_stream_decoder.h"
#include "image/image_codec_factory.h"
#include "support/paths.h"
#include "support/replacing_file.h"
#include "support/temp_file_cleanup.h"

namespace core {
namespace {

ExportResult Export(const ExportRequest& request, const ProgressCallback& progress) {
  ExportResult result;
  GifSource opened;
  const GifSource* gif = request.source;
  if (gif == nullptr) {
    if (!opened.Open(request.gifPath, {}, &result.error)) return result;
    gif = &opened;
  }
  const image::ImageCodecFactory& factory = image::ImageCodecFactory::Instance();
  const std::unique_ptr<image::ImageCodec> codec =
      factory.CreateCodec(factory.TypeOf(request.extension));
  if (!codec) {
    result.error = "no image format for " + request.extension;
    return result;
  }
  image::ImageOptions options;
  options.Set(image::kSaveFlag, "-1");

  const std::string folder = SequenceFolder(request.outputDirectory);
  const bool folderExisted = support::DirectoryExists(folder);
  if (!EnsureDirectory(folder, &result.error)) return result;
  const int total = gif->summary().frameCount;
  // Every frame waits, complete and on disk but without its name, until the last one is written.
  std::vector<support::ReplacingFile> staged;
  staged.reserve(static_cast<std::size_t>(total));
  std::vector<uint8_t> encoded;
  const auto sink = [&](int index, const image::ImageBuffer& frame) {
    const image::GifFrame& parsed = gif->file().frames[static_cast<std::size_t>(index)];
    gif->ReleaseBefore(parsed.dataOffset + parsed.dataSize);
    const std::string path =
        SequenceFramePath(request.outputDirectory, request.gifPath, index, request.extension);
    result.error = CheckNotInput(path, request.gifPath);
    if (!result.error.empty()) return false;
    if (!codec->SaveMemory({&frame}, options, encoded)) {
      result.error = SaveErrorText(path, codec->LastError(), 0);
      return false;
    }
    support::ReplacingFile& file = staged.emplace_back();
    if (!file.open(path) || !file.write(encoded) || !file.sync()) {
      result.error = file.error();
      return false;
    }
    if (index == 0) result.firstPath = path;
    result.lastPath = path;
    if (progress) progress(index + 1, total);
    return true;
  };
  image::ImageError decodeError = image::ImageError::None;
  int delivered = 0;
  if (!image::DecodeParsedGif(gif->bytes(), gif->file(), 1, sink, &decodeError, &delivered)) {
    result.error = "frame " + std::to_string(delivered) + ": " + GifErrorText(decodeError);
  }
  if (result.error.empty()) {
    const support::DeferredTermination wholeSet;
    for (support::ReplacingFile& file : staged) {
      if (!file.commit()) {
        result.error = file.error();
        break;
      }
    }
  }
  if (!result.error.empty()) {
    staged.clear();
    std::error_code ignored;
    if (!folderExisted) std::filesystem::remove(folder, ignored);  // only while it is empty
    return result;
  }
  result.ok = true;
  result.frameCount = static_cast<int>(staged.size());
  return result;
}

}  // namespace

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
  try {
    return Export(request, progress);
  } catch (const std::bad_alloc&) {
    ExportResult result;
    result.error = "out of memory";
    return result;
  }
}

}  // namespace core
