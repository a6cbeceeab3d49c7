#include "app/core/movie_checks.h"

namespace core {

std::string CheckMovieRequest(const OutputSettings& settings, int frameCount) {
  std::string problem = CheckFrameCount(frameCount);
  if (problem.empty()) problem = CheckMovieSize(settings.width, settings.height);
  if (problem.empty()) problem = CheckFrameRate(settings.frameRate);
  return problem;
}

bool StartMovie(swf::SwfMovie& movie, const OutputSettings& settings, const std::string& path,
                std::string& error) {
  if (!movie.open(path, static_cast<float>(settings.width), static_cast<float>(settings.height),
                  settings.frameRate)) {
    error = movie.lastError();
    return false;
  }
  movie.setBackgroundColor(settings.background.red, settings.background.green,
                           settings.background.blue);
  return true;
}

void FinishMovie(swf::SwfMovie& movie, MovieResult& result) {
  result.ok = movie.finish();
  if (!result.ok) result.error = movie.lastError();
}

}  // namespace core
