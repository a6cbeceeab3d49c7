#pragma once

#include <string>

#include "app/core/movie_build.h"
#include "app/core/output_settings.h"
#include "swf/swf_movie.h"

namespace core {

// Success when a movie of `frameCount` frames can be written with `settings` (frame count, size
// and rate within their limits); otherwise Refused with the first problem as a sentence.
support::Status checkMovieRequest(const OutputSettings& settings, int frameCount);

// Opens `movie` on `path` with the settings' stage and rate and appends the settings' background
// colour (white unless another is chosen). Fails with the path and the system's reason when the
// file cannot be created.
support::Status startMovie(swf::SwfMovie& movie, const OutputSettings& settings,
                           const std::string& path);
// As above, with the header `format` gives (rate, frame count, compression) in place of the
// settings' rate.
support::Status startMovie(swf::SwfMovie& movie, const OutputSettings& settings,
                           const swf::MovieFormat& format, const std::string& path);

// Finishes `movie`, putting its file in place: `result`'s status becomes success, or takes the
// path and the reason (an earlier file of that name is then untouched).
void finishMovie(swf::SwfMovie& movie, MovieResult& result);

}  // namespace core
