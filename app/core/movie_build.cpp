#include "app/core/movie_build.h"

#include <cstdint>
#include <vector>

#include "app/core/file_io.h"
#include "app/core/file_names.h"
#include "app/core/movie_checks.h"
#include "swf/bitmap_frame.h"
#include "swf/swf_movie.h"

namespace core {

MovieResult BuildMovie(const OutputSettings& settings, const std::string& gifPath, int frameCount) {
  MovieResult result;
  result.outputPath = MoviePath(settings.outputDirectory, gifPath);
  result.error = CheckMovieRequest(settings, frameCount);
  if (result.error.empty()) result.error = CheckNotInput(result.outputPath, gifPath);
  if (!result.error.empty()) return result;

  swf::SwfMovie movie;
  if (!StartMovie(movie, settings, result.outputPath, result.error)) return result;
  const auto width = static_cast<float>(settings.width);
  const auto height = static_cast<float>(settings.height);
  std::vector<uint8_t> jpeg;
  for (int index = 0; index < frameCount; ++index) {
    const std::string framePath = TempFramePath(settings.outputDirectory, gifPath, index);
    std::string error;
    if (ReadFileBytes(framePath, jpeg, &error) && jpeg.empty()) error = framePath + " is empty";
    if (error.empty() && !swf::appendBitmapFrame(movie, index, width, height, jpeg)) {
      error = "cannot add " + framePath + " to the movie";
    }
    if (!error.empty()) {
      result.failedFrame = index;
      result.error = "frame " + std::to_string(index) + ": " + error;
      return result;
    }
  }
  FinishMovie(movie, result);
  return result;
}

}  // namespace core
