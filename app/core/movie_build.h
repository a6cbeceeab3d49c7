#pragma once

#include <string>
#include <vector>

#include "app/core/output_settings.h"
#include "support/result.h"

namespace core {

// The outcome of writing one movie. On failure no movie was written and an earlier file of
// that name is untouched.
struct MovieResult {
  // Success, or a sentence with the path and the reason. Starts as a failure: only a movie put
  // in place makes it a success.
  support::Status status{support::Failure::Write, "no movie was written"};
  std::string outputPath;  // the movie's path (also on failure: the path it would have had)
  int failedFrame = -1;    // the frame whose picture was missing or unreadable, else -1
  int jobs = 0;            // threads the streaming conversion ran on (the memory limit may
                           // have reduced them); 0 when it did not start
  std::vector<std::string> warnings;  // what the user should hear of a movie written anyway
};

// The movie build: reads the frame files TempFramePath(0 .. frameCount-1) written by
// FrameStore::WriteFrame and writes MoviePath(settings.outputDirectory, gifPath): a white
// background, then per frame i its JPEG as bitmap 2i+1 on a stage-sized shape 2i placed at depth
// i+1, and a ShowFrame. The stage is settings.width x settings.height pixels at
// settings.frameRate. Fails before writing anything for a frame count outside
// 1..kMaxMovieFrames, a size or rate outside the limits, a movie path naming the GIF itself, or a
// missing, empty or unreadable frame file (naming the frame); fails when the movie file cannot
// be written. Frames go to the file as they are read (swf::SwfMovie), so the movie is never held
// in memory.
MovieResult buildMovie(const OutputSettings& settings, const std::string& gifPath, int frameCount);

}  // namespace core
