#pragma once

#include <cstdint>
#include <string>

#include "app/core/gif_input.h"
#include "app/core/movie_build.h"
#include "app/core/output_settings.h"
#include "app/core/progress.h"

namespace core {

// One GIF to turn into a movie.
struct ConvertRequest {
  std::string gifPath;                // names the movie; read when `source` is null
  const GifSource* source = nullptr;  // the GIF already opened by the caller, or null
  OutputSettings settings;            // width, height, frameRate and outputDirectory are used
  int jobs = 1;                       // threads in all (at least 1)
  uint64_t memoryLimit = 0;           // bytes of working memory; 0: DefaultMemoryLimit()
};

// The streaming conversion: parses the GIF once, decodes its frames in order, encodes each
// full-canvas frame at settings.width x settings.height as JPEG quality 80
// (image::EncodeResizedJpeg) and writes each frame's tags to the movie file as soon as it and the
// frames before it are done, all on `jobs` threads through one ordered pipeline. The movie is
// byte-identical to BuildMovie over the files FrameStore::WriteFrame writes for the same
// settings, whatever the number of jobs, and no temporary frame file is written. Working memory
// (canvas, index buffers, frames in flight, encoder scratch) stays within the memory limit: jobs
// are reduced to fit it (see PlanJobs), and it neither grows with the frame count nor holds the
// movie. `progress` (may be empty) runs on the calling thread after each frame is written. Fails,
// writing no movie and leaving an earlier one untouched, when the file cannot be read or is not a
// usable GIF, has more frames than kMaxMovieFrames, the settings are out of range, the movie would
// replace the GIF itself, the GIF cannot be converted within the memory limit even at one job (all
// refused before any work), memory runs out, a frame does not decode or encode, or the movie cannot
// be written.
// The movie's rate, frame count, placements and passes are planned before any work
// (PlanMovieSchedule: the design's timing, or with settings.gifTiming the GIF's own, its warnings
// in the result), and settings.compress writes it compressed.
MovieResult convertGif(const ConvertRequest& request, const ProgressCallback& progress);

}  // namespace core
