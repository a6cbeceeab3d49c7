#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "app/core/progress.h"
#include "image/image_buffer.h"

namespace core {

// Writes one frame of an exported sequence to `path` (SequenceFramePath of file_names.h) with
// the codec its extension selects and the codec default flag, at the frame's own size and
// depth. Creates the path's folder ("quorvex/" under the output directory) when it is missing.
// False, with the path and reason in `error` (when given), when the folder or file cannot be
// written or the codec refuses the frame; no partial file is left.
bool WriteSequenceFrame(const image::ImageBuffer& frame, const std::string& path,
                        std::string* error);

// One GIF whose frames are to be written as numbered image files.
struct ExportRequest {
  std::string gifPath;                // names the files; read when gifBytes is empty
  std::span<const uint8_t> gifBytes;  // the file's bytes, when the caller has read them already
  std::string outputDirectory;        // '/'-separated, ends in '/'
  std::string extension;              // ".bmp" or ".tga"
};

// The outcome of a sequence export.
struct ExportResult {
  bool ok = false;
  int frameCount = 0;     // files written
  std::string firstPath;  // the files of the first and last frame, on success
  std::string lastPath;
  std::string error;  // the path or frame and the reason, on failure
};

// Decodes the GIF frame by frame and writes every frame, full canvas at 32 bits per pixel as
// the decoder delivers it, to SequenceFramePath(outputDirectory, gifPath, i, extension),
// replacing files of those names. Fails for an unreadable or unusable GIF, a frame that does
// not decode, or a file that cannot be written; the files this call wrote are then removed (and
// the "quorvex/" folder when this call created it), so that no partial sequence is left.
ExportResult ExportGifSequence(const ExportRequest& request, const ProgressCallback& progress);

}  // namespace core
