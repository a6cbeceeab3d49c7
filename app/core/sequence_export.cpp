#include "app/core/sequence_export.h"

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

ExportResult exportSequence(const ExportRequest& request, const ProgressCallback& progress) {
  ExportResult result;
  GifSource opened;
  const GifSource* gif = request.source;
  if (gif == nullptr) {
    if (result.status = opened.open(request.gifPath, {}); !result.status) return result;
    gif = &opened;
  }
  const image::ImageCodecFactory& factory = image::ImageCodecFactory::instance();
  const std::unique_ptr<image::ImageCodec> codec =
      factory.CreateCodec(factory.TypeOf(request.extension));
  if (!codec) {
    result.status = {support::Failure::Refused, "no image format for " + request.extension};
    return result;
  }
  image::ImageOptions options;
  options.set(image::kSaveFlag, "-1");

  const std::string folder = sequenceFolder(request.outputDirectory);
  const bool folderExisted = support::DirectoryExists(folder);
  if (result.status = support::ensureDirectory(folder); !result.status) return result;
  const int total = gif->summary().frameCount;
  // Every frame waits, complete and on disk but without its name, until the last one is written.
  std::vector<support::ReplacingFile> staged;
  staged.reserve(static_cast<std::size_t>(total));
  std::vector<uint8_t> encoded;
  const auto sink = [&](int index, const image::ImageBuffer& frame) {
    const image::GifFrame& parsed = gif->file().frames[static_cast<std::size_t>(index)];
    gif->releaseBefore(parsed.dataOffset + parsed.dataSize);
    const std::string path =
        sequenceFramePath(request.outputDirectory, request.gifPath, index, request.extension);
    if (result.status = checkNotInput(path, request.gifPath); !result.status) return false;
    if (const image::ImageResult saved = codec->saveMemory({&frame}, options, encoded); !saved) {
      result.status = {support::Failure::Write, image::saveFailure(path, saved.code()).message()};
      return false;
    }
    support::ReplacingFile& file = staged.emplace_back();
    result.status = file.open(path);
    if (result.status) result.status = file.write(encoded);
    if (result.status) result.status = file.sync();
    if (!result.status) return false;
    if (index == 0) result.firstPath = path;
    result.lastPath = path;
    if (progress) progress(index + 1, total);
    return true;
  };
  int delivered = 0;
  const image::ImageResult decoded =
      image::decodeParsedGif(gif->bytes(), gif->file(), 1, sink, &delivered);
  if (result.status && !decoded) {
    const support::Status failure = gifFailure(decoded);
    result.status = {failure.code(),
                     "frame " + std::to_string(delivered) + ": " + failure.message()};
  }
  if (result.status) {
    const support::DeferredTermination wholeSet;
    for (support::ReplacingFile& file : staged) {
      if (result.status = file.commit(); !result.status) break;
    }
  }
  if (!result.status) {
    staged.clear();
    std::error_code ignored;
    if (!folderExisted) std::filesystem::remove(folder, ignored);  // only while it is empty
    return result;
  }
  result.frameCount = static_cast<int>(staged.size());
  return result;
}

}  // namespace

support::Status writeSequenceFrame(const image::ImageBuffer& frame, const std::string& path) {
  if (const std::size_t slash = path.rfind('/'); slash != std::string::npos) {
    if (support::Status made = support::ensureDirectory(path.substr(0, slash + 1)); !made) {
      return made;
    }
  }
  const image::ImageResult saved = frame.Save(path, -1);
  if (saved) return {};
  return {saved.code() == image::ImageError::FileOpen ? support::Failure::Open
                                                      : support::Failure::Write,
          saved.message(), saved.systemError()};
}

ExportResult exportGifSequence(const ExportRequest& request, const ProgressCallback& progress) {
  try {
    return exportSequence(request, progress);
  } catch (const std::bad_alloc&) {
    ExportResult result;
    result.status = support::Failure::OutOfMemory;
    return result;
  }
}

}  // namespace core
