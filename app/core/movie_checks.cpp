#include "app/core/movie_checks.h"

#include <cstdint>

namespace core {

support::Status checkMovieRequest(const OutputSettings& settings, int frameCount) {
  support::Status problem = checkFrameCount(frameCount);
  if (problem) problem = checkMovieSize(settings.width, settings.height);
  if (problem) problem = checkFrameRate(settings.frameRate);
  return problem;
}

support::Status startMovie(swf::SwfMovie& movie, const OutputSettings& settings,
                           const std::string& path) {
  const auto rate = static_cast<std::uint16_t>(settings.frameRate << 8);
  return startMovie(movie, settings, swf::MovieFormat{rate, 0, false}, path);
}

support::Status startMovie(swf::SwfMovie& movie, const OutputSettings& settings,
                           const swf::MovieFormat& format, const std::string& path) {
  if (support::Status opened = movie.open(path, static_cast<float>(settings.width),
                                          static_cast<float>(settings.height), format);
      !opened) {
    return opened;
  }
  movie.setBackgroundColor(settings.background.red, settings.background.green,
                           settings.background.blue);
  return {};
}

void finishMovie(swf::SwfMovie& movie, MovieResult& result) { result.status = movie.finish(); }

}  // namespace core
