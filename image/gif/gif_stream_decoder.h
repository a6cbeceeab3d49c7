#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "image/gif/gif_compositor.h"
#include "image/gif/gif_parser.h"
#include "image/gif/lzw_decoder.h"
#include "image/image_buffer.h"
#include "image/image_error.h"
#include "support/ordered_pipeline.h"

namespace image {

// What a caller may want to know before decoding pixels.
struct GifInfo {
  int width = 0;  // logical screen, pixels
  int height = 0;
  int frameCount = 0;      // complete frames
  bool truncated = false;  // the data ends before the trailer; frameCount counts what is whole
};

// The summary of a parsed GIF.
GifInfo gifInfoOf(const GifFile& file);

// Fills `*info` from the container in `bytes` without decoding pixels (one pass over the
// blocks). Fails, `*info` unchanged, as ParseGif does, or with OutOfMemory.
ImageResult readGifInfo(std::span<const uint8_t> bytes, GifInfo* info);

// The decoding of one parsed GIF in the two steps a pipeline runs (support::RunOrderedPipeline):
// the LZW data of frame i into the index buffer of a slot, on any worker and in any order, then
// the compositing of frame i from that buffer, in frame order and one frame at a time.
class GifFrameDecoder {
 public:
  // What decoding a GIF holds in memory: the canvas and saved pixels in all, an index buffer per
  // slot (the largest frame, not the screen) and the joined LZW data per worker, in bytes.
  struct WorkingMemory {
    uint64_t fixed = 0;
    uint64_t perSlot = 0;
    uint64_t perWorker = 0;
  };
  static WorkingMemory memoryFor(const GifFile& file);

  // `bytes` and `file` (ParseGif of them) must outlive the decoder. `slots` and `workers` are at
  // least 1.
  GifFrameDecoder(std::span<const uint8_t> bytes, const GifFile& file, int slots, int workers);

  // Makes the canvas; fails with OutOfMemory or TooLarge without one.
  ImageResult start();

  // Decodes the LZW data of frame `index` into `slot` with worker `worker`'s decoder. Throws
  // only std::bad_alloc.
  void decodeIndices(int index, int slot, int worker);

  // DecodeIndices as a parallel pipeline stage.
  support::PipelineStage indexStage();

  // Composites frame `index` (the next one) from `slot`. Fails with Corrupt when its LZW data
  // holds an invalid code. Throws only std::bad_alloc.
  ImageResult compose(int index, int slot);

  // The full logical-screen canvas after the last Compose: 32 bpp B,G,R,A, alpha 0 where nothing
  // is drawn.
  const ImageBuffer& canvas() const { return m_compositor.canvas(); }

 private:
  std::span<const uint8_t> m_bytes;
  const GifFile& m_file;
  GifCompositor m_compositor;
  std::vector<GifIndexBuffer> m_slots;
  std::vector<LzwDecoder> m_decoders;
};

// Receives frame `index` (0-based, in file order) as the full logical-screen canvas, 32 bpp
// B,G,R,A, alpha 0 where nothing is drawn. The image is valid only during the call. Returning
// false stops the decode.
using GifFrameSink = std::function<bool(int index, const ImageBuffer& frame)>;

// Decodes every frame of the GIF `file` parsed from `bytes` and hands each composited frame to
// `sink` on the calling thread, in frame order, with `threads` threads in all (the calling
// thread among them; at most 64). With more than one thread the others decode the LZW data of
// the frames ahead, at most 2 * threads frames ahead of the sink, so memory does not grow with
// the frame count. The frames are the same for any thread count.
// Succeeds when every frame was delivered or the sink stopped the decode; fails with Corrupt for
// an invalid LZW code (the frames before it have been delivered) or OutOfMemory. `*frameCount`
// (when given) is the number of frames the sink received either way.
ImageResult decodeParsedGif(std::span<const uint8_t> bytes, const GifFile& file, int threads,
                            const GifFrameSink& sink, int* frameCount);

// ParseGif, then DecodeParsedGif; fails also with the ParseGif errors.
ImageResult decodeGifFrames(std::span<const uint8_t> bytes, int threads, const GifFrameSink& sink,
                            int* frameCount);

}  // namespace image
