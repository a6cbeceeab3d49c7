#include "image/gif/gif_stream_decoder.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "image/gif/gif_compositor.h"
#include "image/gif/gif_parser.h"
#include "image/gif/lzw_decoder.h"

namespace image {
namespace {

// Decodes the LZW data of upcoming frames on worker threads into a ring of index buffers.
// Frame i uses slot i % window; a worker takes frame j only once frame j - window has been
// released, so at most `window` frames are held at a time. Without workers, Acquire decodes
// on the calling thread.
class LzwPipeline {
 public:
  LzwPipeline(std::span<const uint8_t> bytes, const GifFile& file, int threads)
      : m_bytes(bytes),
        m_frames(file.frames),
        m_frameTotal(static_cast<int>(file.frames.size())),
        m_window(threads > 0 ? 2 * threads : 1),
        m_slots(static_cast<std::size_t>(m_window)) {
    // Reserved first: a failed allocation after some threads had started would destroy
    // joinable threads.
    m_workers.reserve(static_cast<std::size_t>(std::max(threads, 0)));
    for (int i = 0; i < threads; ++i) {
      try {
        m_workers.emplace_back([this] { Work(); });
      } catch (const std::system_error&) {
        // Fewer workers only slow the decode down; none at all means decoding inline.
        break;
      }
    }
  }

  LzwPipeline(const LzwPipeline&) = delete;
  LzwPipeline& operator=(const LzwPipeline&) = delete;

  ~LzwPipeline() {
    {
      std::lock_guard lock(m_mutex);
      m_stop = true;
    }
    m_spaceFreed.notify_all();
    for (std::thread& worker : m_workers) {
      worker.join();
    }
  }

  // The decoded indices of frame `index`, which must be the next frame not yet released;
  // null when decoding ran out of memory. Valid until Release(index).
  const GifIndexBuffer* Acquire(int index) {
    Slot& slot = SlotOf(index);
    if (m_workers.empty()) {
      try {
        m_inlineDecoder.Decode(m_bytes, m_frames[static_cast<std::size_t>(index)], slot.buffer);
      } catch (const std::bad_alloc&) {
        return nullptr;
      }
      return &slot.buffer;
    }
    std::unique_lock lock(m_mutex);
    m_frameReady.wait(lock, [&] { return slot.ready; });
    return slot.failed ? nullptr : &slot.buffer;
  }

  // Hands frame `index`'s slot back to the workers.
  void Release(int index) {
    if (m_workers.empty()) {
      return;
    }
    {
      std::lock_guard lock(m_mutex);
      SlotOf(index).ready = false;
      m_released = index + 1;
    }
    m_spaceFreed.notify_all();
  }

 private:
  struct Slot {
    GifIndexBuffer buffer;
    bool ready = false;
    bool failed = false;
  };

  Slot& SlotOf(int index) { return m_slots[static_cast<std::size_t>(index % m_window)]; }

  void Work() {
    LzwDecoder decoder;
    for (;;) {
      int index = 0;
      {
        std::unique_lock lock(m_mutex);
        m_spaceFreed.wait(lock, [&] {
          return m_stop || m_next >= m_frameTotal || m_next < m_released + m_window;
        });
        if (m_stop || m_next >= m_frameTotal) {
          return;
        }
        index = m_next++;
      }
      Slot& slot = SlotOf(index);
      bool failed = false;
      try {
        decoder.Decode(m_bytes, m_frames[static_cast<std::size_t>(index)], slot.buffer);
      } catch (const std::bad_alloc&) {
        failed = true;
      }
      {
        std::lock_guard lock(m_mutex);
        slot.failed = failed;
        slot.ready = true;
      }
      m_frameReady.notify_all();
    }
  }

  std::span<const uint8_t> m_bytes;
  const std::vector<GifFrame>& m_frames;
  const int m_frameTotal;
  const int m_window;
  std::vector<Slot> m_slots;
  LzwDecoder m_inlineDecoder;

  std::mutex m_mutex;
  std::condition_variable m_frameReady;  // a slot became ready
  std::condition_variable m_spaceFreed;  // a slot was released, or stop
  int m_next = 0;                        // next frame a worker takes
  int m_released = 0;                    // frames the sink is done with
  bool m_stop = false;
  std::vector<std::thread> m_workers;  // last member: started after everything they use
};

// More workers than this cannot help: frames are handed out one at a time under one lock.
constexpr int kMaxThreads = 64;

bool Fail(ImageError reason, ImageError* error) {
  if (error != nullptr) {
    *error = reason;
  }
  return false;
}

bool DecodeParsed(std::span<const uint8_t> bytes, const GifFile& file, int threads,
                  const GifFrameSink& sink, ImageError* error, int* frameCount) {
  GifCompositor compositor;
  if (!compositor.Start(file, error)) {
    return false;
  }
  LzwPipeline pipeline(bytes, file, std::min(threads, kMaxThreads));
  const int total = static_cast<int>(file.frames.size());
  for (int index = 0; index < total; ++index) {
    const GifIndexBuffer* indices = pipeline.Acquire(index);
    if (indices == nullptr) {
      return Fail(ImageError::OutOfMemory, error);
    }
    if (indices->status == LzwStatus::Corrupt) {
      return Fail(ImageError::Corrupt, error);
    }
    compositor.Compose(bytes, file.frames[static_cast<std::size_t>(index)], *indices);
    pipeline.Release(index);
    *frameCount = index + 1;
    if (!sink(index, compositor.Canvas())) {
      break;
    }
  }
  return true;
}

}  // namespace

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

bool DecodeGifFrames(std::span<const uint8_t> bytes, int threads, const GifFrameSink& sink,
                     ImageError* error, int* frameCount) {
  int delivered = 0;
  bool ok = false;
  try {
    GifFile file;
    ok = ParseGif(bytes, &file, error) &&
         DecodeParsed(bytes, file, threads, sink, error, &delivered);
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

}  // namespace image
