#include "image/gif/gif_stream_decoder.h"

#include <algorithm>
#include <array>
#include <new>

#include "support/ordered_pipeline.h"

namespace image {
namespace {

// More threads than this cannot help: frames are handed out one at a time under one lock.
constexpr int kMaxThreads = 64;

bool Fail(ImageError reason, ImageError* error) {
  if (error != nullptr) {
    *error = reason;
  }
  return false;
}

}  // namespace

GifFrameDecoder::WorkingMemory GifFrameDecoder::MemoryFor(const GifFile& file) {
  WorkingMemory memory;
  uint64_t largestFrame = 0;
  uint64_t largestData = 0;
  uint64_t largestSaved = 0;
  for (const GifFrame& frame : file.frames) {
    const uint64_t area = static_cast<uint64_t>(frame.width) * static_cast<uint64_t>(frame.height);
    largestFrame = std::max(largestFrame, area);
    largestData = std::max<uint64_t>(largestData, frame.dataSize);
    if (frame.disposal == GifDisposal::Previous) largestSaved = std::max(largestSaved, area);
  }
  const uint64_t canvas = static_cast<uint64_t>(file.width) * static_cast<uint64_t>(file.height);
  memory.fixed = 4 * (canvas + std::min(largestSaved, canvas));
  memory.perSlot = largestFrame + LzwDecoder::kOutputSlack;
  memory.perWorker = largestData + 8;
  return memory;
}

GifFrameDecoder::GifFrameDecoder(std::span<const uint8_t> bytes, const GifFile& file, int slots,
                                 int workers)
    : m_bytes(bytes),
      m_file(file),
      m_slots(static_cast<std::size_t>(std::max(slots, 1))),
      m_decoders(static_cast<std::size_t>(std::max(workers, 1))) {}

bool GifFrameDecoder::Start(ImageError* error) { return m_compositor.Start(m_file, error); }

void GifFrameDecoder::DecodeIndices(int index, int slot, int worker) {
  m_decoders[static_cast<std::size_t>(worker)].Decode(
      m_bytes, m_file.frames[static_cast<std::size_t>(index)],
      m_slots[static_cast<std::size_t>(slot)]);
}

support::PipelineStage GifFrameDecoder::IndexStage() {
  return {support::StageOrder::kParallel, false, [this](int index, int slot, int worker) {
            DecodeIndices(index, slot, worker);
            return true;
          }};
}

bool GifFrameDecoder::Compose(int index, int slot, ImageError* error) {
  const GifIndexBuffer& indices = m_slots[static_cast<std::size_t>(slot)];
  if (indices.status == LzwStatus::Corrupt) return Fail(ImageError::Corrupt, error);
  m_compositor.Compose(m_bytes, m_file.frames[static_cast<std::size_t>(index)], indices);
  return true;
}

bool ReadGifInfo(std::span<const uint8_t> bytes, GifInfo* info, ImageError* error) {
  GifFile file;
  try {
    if (!ParseGif(bytes, &file, error)) {
      return false;
    }
  } catch (const std::bad_alloc&) {
    return Fail(ImageError::OutOfMemory, error);
  }
  info->width = file.width;
  info->height = file.height;
  info->frameCount = static_cast<int>(file.frames.size());
  return true;
}

bool DecodeParsedGif(std::span<const uint8_t> bytes, const GifFile& file, int threads,
                     const GifFrameSink& sink, ImageError* error, int* frameCount) {
  int delivered = 0;
  bool ok = false;
  try {
    threads = std::clamp(threads, 1, kMaxThreads);
    const int slots = threads > 1 ? 2 * threads : 1;
    GifFrameDecoder decoder(bytes, file, slots, threads);
    ImageError failure = ImageError::None;
    bool stopped = false;
    const std::array<support::PipelineStage, 2> stages = {{
        decoder.IndexStage(),
        {support::StageOrder::kSerial, true,
         [&](int index, int slot, int) {
           if (!decoder.Compose(index, slot, &failure)) return false;
           delivered = index + 1;
           stopped = !sink(index, decoder.Canvas());
           return !stopped;
         }},
    }};
    ok = decoder.Start(error) &&
         (support::RunOrderedPipeline(static_cast<int>(file.frames.size()), slots, threads, stages)
              .ok ||
          stopped || Fail(failure, error));
  } catch (const std::bad_alloc&) {
    ok = Fail(ImageError::OutOfMemory, error);
  }
  if (ok && error != nullptr) {
    *error = ImageError::None;
  }
  if (frameCount != nullptr) {
    *frameCount = delivered;
  }
  return ok;
}

bool DecodeGifFrames(std::span<const uint8_t> bytes, int threads, const GifFrameSink& sink,
                     ImageError* error, int* frameCount) {
  GifFile file;
  try {
    if (!ParseGif(bytes, &file, error)) {
      if (frameCount != nullptr) *frameCount = 0;
      return false;
    }
  } catch (const std::bad_alloc&) {
    if (frameCount != nullptr) *frameCount = 0;
    return Fail(ImageError::OutOfMemory, error);
  }
  return DecodeParsedGif(bytes, file, threads, sink, error, frameCount);
}

}  // namespace image
