#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "app/core/movie_build.h"
#include "app/core/output_settings.h"
#include "app/core/progress.h"

namespace core {

// One GIF to turn into a movie.
struct ConvertRequest {
  std::string gifPath;                // names the movie; read when gifBytes is empty
  std::span<const uint8_t> gifBytes;  // the file's bytes, when the caller has read them already
  OutputSettings settings;            // width, height, frameRate and outputDirectory are used
  int jobs = 1;                       // threads that decode and encode (at least 1)
};

// The streaming conversion: reads the GIF once, decodes its frames in order, encodes each
// full-canvas frame at settings.width x settings.height as JPEG quality 80
// (image::EncodeResizedJpeg) on `jobs` threads, and appends each frame to the movie in order. The
// movie is byte-identical to BuildMovie over the files FrameStore::WriteFrame writes for the same
// settings, whatever the number of jobs, and no temporary frame file is written. Memory holds the
// movie's tags plus a window of frames that does not grow with the frame count. `progress` (may be
// empty) runs on the calling thread. Fails, writing no movie and leaving an earlier one untouched,
// when the file cannot be read or is not a usable GIF, has more frames than kMaxMovieFrames
// (refused before decoding), the settings are out of range, a frame does not decode or encode, or
// the movie cannot be written.
MovieResult ConvertGif(const ConvertRequest& request, const ProgressCallback& progress);

}  // namespace core
