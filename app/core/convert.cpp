#include "app/core/convert.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "app/core/file_io.h"
#include "app/core/file_names.h"
#include "app/core/frame_bitmap.h"
#include "app/core/memory_budget.h"
#include "app/core/movie_checks.h"
#include "app/core/movie_schedule.h"
#include "image/gif/gif_stream_decoder.h"
#include "image/jpeg_codec.h"
#include "support/ordered_pipeline.h"
#include "swf/bitmap_frame.h"
#include "swf/swf_movie.h"

namespace core {
namespace {

// The working memory of converting `gif` to a movie of width x height, with and without canvas
// copies (see JobPlan).
std::pair<WorkingMemory, WorkingMemory> memoryOf(const image::GifFile& gif,
                                                 const OutputSettings& settings) {
  const int width = settings.width;
  const int height = settings.height;
  const image::GifFrameDecoder::WorkingMemory decoding = image::GifFrameDecoder::memoryFor(gif);
  const uint64_t encoder = image::resizedJpegWorkingMemory(gif.width, gif.height, width, height) +
                           FrameBitmapEncoder::extraWorkingMemory(settings, gif.width, gif.height);
  const uint64_t canvas = 4 * static_cast<uint64_t>(gif.width) * static_cast<uint64_t>(gif.height);
  // A frame's JPEG, held from its encoding until it is written: counted as a byte per pixel, well
  // above what quality 80 gives even for noise (about a quarter).
  const uint64_t jpeg = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  // A thread keeps scratch blocks of up to 32 MiB each (planes in and out, the JPEG buffer);
  // larger ones live for one frame. In place, one frame is encoded at a time, but every thread
  // that encoded one keeps its blocks.
  constexpr uint64_t kKeptPerThread = uint64_t{3} << 25;
  WorkingMemory copying{decoding.fixed, decoding.perSlot + jpeg + canvas,
                        decoding.perWorker + encoder};
  const uint64_t kept = std::min(encoder, kKeptPerThread);
  WorkingMemory inPlace{decoding.fixed + encoder - kept, decoding.perSlot + jpeg,
                        decoding.perWorker + kept};
  return {copying, inPlace};
}

// One frame on its way through the pipeline.
struct Slot {
  explicit Slot(const OutputSettings& settings) : encoder(settings) {}

  image::ImageBuffer frame;  // the canvas copied for the encoder, with copies
  FrameBitmapEncoder encoder;
  FrameBitmap bitmap;
  support::Status failure;  // why a stage failed on this frame
};

// Copies `canvas` into `frame`, reusing its pixels from the last frame when the size matches.
bool copyCanvas(const image::ImageBuffer& canvas, image::ImageBuffer& frame) {
  if (frame.IsValid() && frame.Width() == canvas.Width() && frame.Height() == canvas.Height()) {
    std::memcpy(frame.pixels(), canvas.pixels(), canvas.pixelBytes());
    return true;
  }
  return frame.CopyFrom(canvas).IsValid();
}

MovieResult convert(const ConvertRequest& request, const ProgressCallback& progress) {
  const OutputSettings& settings = request.settings;
  MovieResult result;
  result.outputPath = moviePath(settings.outputDirectory, request.gifPath);

  GifSource opened;
  const GifSource* gif = request.source;
  if (gif == nullptr) {
    if (result.status = opened.open(request.gifPath, {}); !result.status) return result;
    gif = &opened;
  }
  const int total = gif->summary().frameCount;
  result.status = checkMovieRequest(settings, total);
  if (result.status) result.status = checkNotInput(result.outputPath, request.gifPath);
  if (!result.status) return result;
  MovieSchedule schedule;
  if (result.status = planMovieSchedule(settings, gif->file(), total, schedule); !result.status) {
    return result;
  }
  result.warnings = schedule.warnings;
  const auto [copying, inPlace] = memoryOf(gif->file(), settings);
  const uint64_t limit = request.memoryLimit > 0 ? request.memoryLimit : defaultMemoryLimit();
  const JobPlan plan = planJobs(copying, inPlace, request.jobs, limit);
  if (plan.jobs == 0) {
    result.status = {support::Failure::Refused,
                     "converting it needs about " + mebibyteText(plan.bytes) +
                         " of working memory, more than the limit of " + mebibyteText(limit)};
    return result;
  }

  result.jobs = plan.jobs;
  image::GifFrameDecoder decoder(gif->bytes(), gif->file(), plan.slots, plan.jobs);
  if (const image::ImageResult started = decoder.start(); !started) {
    result.status = gifFailure(started);
    return result;
  }
  swf::SwfMovie movie;
  result.status = startMovie(movie, settings, movieFormatOf(settings, schedule), result.outputPath);
  if (!result.status) return result;

  std::vector<Slot> slots;
  slots.reserve(static_cast<std::size_t>(plan.slots));
  for (int i = 0; i < plan.slots; ++i) slots.emplace_back(settings);
  const auto encode = [](const image::ImageBuffer& frame, int index, Slot& slot) {
    slot.failure = slot.encoder.encode(frame, index, slot.bitmap);
    return static_cast<bool>(slot.failure);
  };
  const auto width = static_cast<float>(settings.width);
  const auto height = static_cast<float>(settings.height);
  const std::array<support::PipelineStage, 4> stages = {{
      decoder.indexStage(),
      {support::StageOrder::Serial, false,
       [&](int index, int slot, int) {
         Slot& held = slots[static_cast<std::size_t>(slot)];
         if (const image::ImageResult composed = decoder.compose(index, slot); !composed) {
           held.failure = gifFailure(composed);
           return false;
         }
         const image::GifFrame& frame = gif->file().frames[static_cast<std::size_t>(index)];
         gif->releaseBefore(frame.dataOffset + frame.dataSize);
         if (!plan.copies) return encode(decoder.canvas(), index, held);
         if (copyCanvas(decoder.canvas(), held.frame)) return true;
         held.failure = support::Failure::OutOfMemory;
         return false;
       }},
      {support::StageOrder::Parallel, false,
       [&](int index, int slot, int) {
         Slot& held = slots[static_cast<std::size_t>(slot)];
         return !plan.copies || encode(held.frame, index, held);
       }},
      {support::StageOrder::Serial, true,
       [&](int index, int slot, int) {
         Slot& held = slots[static_cast<std::size_t>(slot)];
         const swf::FramePlacement& placement =
             schedule.placements[static_cast<std::size_t>(index)];
         const FrameBitmap& bitmap = held.bitmap;
         if (bitmap.character
                 ? !swf::appendBitmapFrame(movie, index, width, height, *bitmap.character,
                                           placement)
                 : !swf::appendBitmapFrame(movie, index, width, height, bitmap.jpeg, placement)) {
           held.failure = {support::Failure::Write, "cannot add its picture to the movie"};
           return false;
         }
         if (!movie.ok()) return false;
         if (progress) progress(index + 1, total);
         return true;
       }},
  }};
  const support::PipelineResult run =
      support::runOrderedPipeline(total, plan.slots, plan.jobs, stages);
  if (!run.ok) {
    if (!movie.ok()) {
      result.status = movie.status();
    } else {
      result.failedFrame = run.failedItem;
      const support::Status& failed =
          slots[static_cast<std::size_t>(run.failedItem % plan.slots)].failure;
      result.status = {failed.code(),
                       "frame " + std::to_string(run.failedItem) + ": " + failed.message(),
                       failed.systemError()};
    }
    return result;
  }
  appendLaterPasses(movie, schedule);
  finishMovie(movie, result);
  return result;
}

}  // namespace

MovieResult convertGif(const ConvertRequest& request, const ProgressCallback& progress) {
  try {
    return convert(request, progress);
  } catch (const std::bad_alloc&) {
    MovieResult result;
    result.outputPath = moviePath(request.settings.outputDirectory, request.gifPath);
    result.status = support::Failure::OutOfMemory;
    return result;
  }
}

}  // namespace core
