#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "app/core/gif_input.h"
#include "app/core/progress.h"
#include "image/image_buffer.h"
#include "support/result.h"

namespace core {

// Writes one frame of an exported sequence to `path` (SequenceFramePath of file_names.h) with
// the codec its extension selects and the codec default flag, at the frame's own size and
// depth. Creates the path's folder ("quorvex/" under the output directory) when it is missing.
// Fails, with the path and reason, when the folder or file cannot be written or the codec
// refuses the frame; no partial file is left.
support::Status writeSequenceFrame(const image::ImageBuffer& frame, const std::string& path);

// One GIF whose frames are to be written as numbered image files.
struct ExportRequest {
  std::string gifPath;                // names the files; read when `source` is null
  const GifSource* source = nullptr;  // the GIF already opened by the caller, or null
  std::string outputDirectory;        // '/'-separated, ends in '/'
  std::string extension;              // ".bmp" or ".tga"
};

// The outcome of a sequence export.
struct ExportResult {
  // Success, or the path or frame and the reason.
  support::Status status;
  int frameCount = 0;     // files written
  std::string firstPath;  // the files of the first and last frame, on success
  std::string lastPath;
};

// Decodes the GIF frame by frame and writes every frame, full canvas at 32 bits per pixel as
// the decoder delivers it, to SequenceFramePath(outputDirectory, gifPath, i, extension),
// replacing files of those names. The frames are written without names (support::ReplacingFile)
// and all get their names only after the last one is on disk, with SIGINT and SIGTERM held back
// meanwhile. Fails for an unreadable or unusable GIF, a frame that does not decode, a frame file
// that would replace the GIF itself, or a file that cannot be written; nothing of the new
// sequence is then left (the "quorvex/" folder is removed when this call created it), and files
// of an earlier export of that name stay as they were. `progress` is called after each frame is
// written. Memory runs out: fails with "out of memory".
ExportResult exportGifSequence(const ExportRequest& request, const ProgressCallback& progress);

}  // namespace core
