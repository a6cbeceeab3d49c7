#include "app/core/movie_build.h"

#include <cstdint>
#include <vector>

#include "app/core/file_io.h"
#include "app/core/file_names.h"
#include "app/core/movie_checks.h"
#include "support/read_file.h"
#include "swf/bitmap_frame.h"
#include "swf/swf_movie.h"

namespace core {

MovieResult buildMovie(const OutputSettings& settings, const std::string& gifPath, int frameCount) {
  MovieResult result;
  result.outputPath = moviePath(settings.outputDirectory, gifPath);
  result.status = checkMovieRequest(settings, frameCount);
  if (result.status) result.status = checkNotInput(result.outputPath, gifPath);
  if (!result.status) return result;

  swf::SwfMovie movie;
  if (result.status = startMovie(movie, settings, result.outputPath); !result.status) {
    return result;
  }
  const auto width = static_cast<float>(settings.width);
  const auto height = static_cast<float>(settings.height);
  std::vector<uint8_t> jpeg;
  for (int index = 0; index < frameCount; ++index) {
    const std::string framePath = tempFramePath(settings.outputDirectory, gifPath, index);
    support::Status frame = support::readWholeFile(framePath, jpeg);
    if (frame && jpeg.empty()) frame = {support::Failure::Read, framePath + " is empty"};
    if (frame && !swf::appendBitmapFrame(movie, index, width, height, jpeg)) {
      frame = {support::Failure::Write, "cannot add " + framePath + " to the movie"};
    }
    if (!frame) {
      result.failedFrame = index;
      result.status = {frame.code(), "frame " + std::to_string(index) + ": " + frame.message(),
                       frame.systemError()};
      return result;
    }
  }
  finishMovie(movie, result);
  return result;
}

}  // namespace core
