#include "app/core/convert.h"

#include <vector>

#include "app/core/file_names.h"
#include "app/core/frame_encoder.h"
#include "app/core/gif_input.h"
#include "app/core/movie_checks.h"
#include "image/gif/gif_stream_decoder.h"
#include "swf/bitmap_frame.h"
#include "swf/swf_movie.h"

namespace core {

MovieResult ConvertGif(const ConvertRequest& request, const ProgressCallback& progress) {
  const OutputSettings& settings = request.settings;
  MovieResult result;
  result.outputPath = MoviePath(settings.outputDirectory, request.gifPath);

  GifSource gif;
  if (!gif.Open(request.gifPath, request.gifBytes, &result.error)) return result;
  result.error = CheckMovieRequest(settings, gif.summary().frameCount);
  if (!result.error.empty()) return result;

  swf::SwfMovie movie;
  if (!StartMovie(movie, settings, result.outputPath, result.error)) return result;
  const auto width = static_cast<float>(settings.width);
  const auto height = static_cast<float>(settings.height);
  const int total = gif.summary().frameCount;
  FrameEncoder encoder(
      settings.width, settings.height, request.jobs, [&](int index, std::span<const uint8_t> jpeg) {
        if (!swf::appendBitmapFrame(movie, index, width, height, jpeg)) {
          result.failedFrame = index;
          result.error = "frame " + std::to_string(index) + ": cannot add its JPEG to the movie";
          return false;
        }
        if (progress) progress(index + 1, total);
        return true;
      });

  const auto sink = [&](int index, const image::ImageBuffer& canvas) {
    return index < total && encoder.Submit(canvas);  // never more frames than were counted
  };
  image::ImageError decodeError = image::ImageError::None;
  int delivered = 0;
  const int decodeThreads = request.jobs > 1 ? request.jobs : 0;
  const bool decoded =
      image::DecodeGifFrames(gif.bytes(), decodeThreads, sink, &decodeError, &delivered);
  const bool drained = decoded && encoder.Drain();

  if (!drained) {
    if (!encoder.Error().empty()) {
      result.error = encoder.Error();
    } else if (!decoded) {
      result.failedFrame = delivered;
      result.error = "frame " + std::to_string(delivered) + ": " + GifErrorText(decodeError);
    }
    if (result.error.empty()) result.error = "the conversion stopped";
    return result;
  }
  if (delivered != total) {
    result.error = "the decoder delivered " + std::to_string(delivered) + " of " +
                   std::to_string(total) + " frames";
    return result;
  }
  FinishMovie(movie, result);
  return result;
}

}  // namespace core
