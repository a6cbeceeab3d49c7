#include "image/gif/gif_stream_decoder.h"

#include <algorithm>
#include <array>
#include <new>

#include "support/ordered_pipeline.h"

namespace image {
namespace {

// More threads than this cannot help: frames are handed out one at a time under one lock.
constexpr int kMaxThreads = 64;

}  // namespace

GifFrameDecoder::WorkingMemory GifFrameDecoder::memoryFor(const GifFile& file) {
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

ImageResult GifFrameDecoder::start() { return m_compositor.start(m_file); }

void GifFrameDecoder::decodeIndices(int index, int slot, int worker) {
  m_decoders[static_cast<std::size_t>(worker)].decode(
      m_bytes, m_file.frames[static_cast<std::size_t>(index)],
      m_slots[static_cast<std::size_t>(slot)]);
}

support::PipelineStage GifFrameDecoder::indexStage() {
  return {support::StageOrder::Parallel, false, [this](int index, int slot, int worker) {
            decodeIndices(index, slot, worker);
            return true;
          }};
}

ImageResult GifFrameDecoder::compose(int index, int slot) {
  const GifIndexBuffer& indices = m_slots[static_cast<std::size_t>(slot)];
  if (indices.status == LzwStatus::Corrupt) return ImageError::Corrupt;
  m_compositor.compose(m_bytes, m_file.frames[static_cast<std::size_t>(index)], indices);
  return {};
}

GifInfo gifInfoOf(const GifFile& file) {
  return {file.width, file.height, static_cast<int>(file.frames.size()), file.truncated};
}

ImageResult readGifInfo(std::span<const uint8_t> bytes, GifInfo* info) {
  GifFile file;
  try {
    if (ImageResult parsed = parseGif(bytes, &file); !parsed) return parsed;
  } catch (const std::bad_alloc&) {
    return ImageError::OutOfMemory;
  }
  *info = gifInfoOf(file);
  return {};
}

ImageResult decodeParsedGif(std::span<const uint8_t> bytes, const GifFile& file, int threads,
                            const GifFrameSink& sink, int* frameCount) {
  int delivered = 0;
  ImageResult result;
  try {
    threads = std::clamp(threads, 1, kMaxThreads);
    const int slots = threads > 1 ? 2 * threads : 1;
    GifFrameDecoder decoder(bytes, file, slots, threads);
    const std::array<support::PipelineStage, 2> stages = {{
        decoder.indexStage(),
        {support::StageOrder::Serial, true,
         [&](int index, int slot, int) {
           result = decoder.compose(index, slot);
           if (!result) return false;
           delivered = index + 1;
           return sink(index, decoder.canvas());
         }},
    }};
    if (result = decoder.start(); result) {
      support::runOrderedPipeline(static_cast<int>(file.frames.size()), slots, threads, stages);
    }
  } catch (const std::bad_alloc&) {
    result = ImageError::OutOfMemory;
  }
  if (frameCount != nullptr) *frameCount = delivered;
  return result;
}

ImageResult decodeGifFrames(std::span<const uint8_t> bytes, int threads, const GifFrameSink& sink,
                            int* frameCount) {
  if (frameCount != nullptr) *frameCount = 0;
  GifFile file;
  try {
    if (ImageResult parsed = parseGif(bytes, &file); !parsed) return parsed;
  } catch (const std::bad_alloc&) {
    return ImageError::OutOfMemory;
  }
  return decodeParsedGif(bytes, file, threads, sink, frameCount);
}

}  // namespace image
