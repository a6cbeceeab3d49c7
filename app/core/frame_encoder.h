#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "image/image_buffer.h"

namespace core {

// Encodes frames at a given size as JPEG (the codec default, quality 80) on worker threads,
// exactly as FrameStore::WriteFrame does, and hands the JPEG bytes back on the
// caller's thread in frame order. A fixed window of frame buffers (2 * jobs + 2) is reused from
// frame to frame, so memory does not grow with the number of frames.
//
// Used from one thread: Submit and Drain must be called by the same thread.
class FrameEncoder {
 public:
  // Receives the JPEG of frame `index`; the bytes are valid only during the call. Returning
  // false stops the encoder (Submit and Drain then return false).
  using Emit = std::function<bool(int index, std::span<const uint8_t> jpeg)>;

  // Frames are resized to width x height pixels and encoded by `jobs` threads (at least 1).
  FrameEncoder(int width, int height, int jobs, Emit emit);
  // Stops the workers; frames not yet emitted are dropped.
  ~FrameEncoder();
  FrameEncoder(const FrameEncoder&) = delete;
  FrameEncoder& operator=(const FrameEncoder&) = delete;

  // Queues a copy of the next frame (numbered from 0 in submission order), first emitting the
  // frames that are done and, when the window is full, waiting for the oldest. False when a frame
  // failed to encode (Error() says why), Emit returned false or the copy ran out of memory.
  bool Submit(const image::ImageBuffer& frame);

  // Waits for every queued frame and emits them in order. False as for Submit.
  bool Drain();

  // Why Submit or Drain returned false because of a frame; empty when Emit stopped it.
  const std::string& Error() const { return m_error; }

 private:
  enum class State { Free, Queued, Encoding, Done, Failed };
  struct Slot {
    State state = State::Free;
    image::ImageBuffer frame;
    std::vector<uint8_t> jpeg;
    std::string error;
  };

  void Work();
  // Emits the oldest frame, waiting for it when `wait`; false when it is not ready (and
  // !wait), failed, or Emit refused it.
  bool EmitOldest(bool wait, bool& emitted);
  Slot& SlotOf(int index) { return m_slots[static_cast<std::size_t>(index) % m_slots.size()]; }

  const int m_width;
  const int m_height;
  const Emit m_emit;
  std::vector<Slot> m_slots;
  std::deque<int> m_queue;
  int m_submitted = 0;
  int m_emitted = 0;
  bool m_stopping = false;
  bool m_failed = false;
  std::string m_error;
  std::mutex m_mutex;
  std::condition_variable m_workReady;
  std::condition_variable m_frameDone;
  std::vector<std::thread> m_workers;
};

}  // namespace core
