#include "app/core/frame_encoder.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "image/jpeg_codec.h"

namespace core {

FrameEncoder::FrameEncoder(int width, int height, int jobs, Emit emit)
    : m_width(width), m_height(height), m_emit(std::move(emit)) {
  const int workers = std::max(jobs, 1);
  m_slots.resize(2 * static_cast<std::size_t>(workers) + 2);
  m_workers.reserve(static_cast<std::size_t>(workers));
  for (int i = 0; i < workers; ++i) m_workers.emplace_back([this] { Work(); });
}

FrameEncoder::~FrameEncoder() {
  {
    const std::lock_guard lock(m_mutex);
    m_stopping = true;
  }
  m_workReady.notify_all();
  for (std::thread& worker : m_workers) worker.join();
}

void FrameEncoder::Work() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_workReady.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
    if (m_stopping) return;
    const int index = m_queue.front();
    m_queue.pop_front();
    Slot& slot = SlotOf(index);
    slot.state = State::Encoding;
    lock.unlock();

    // The slot belongs to this worker until its state says Done or Failed.
    image::ImageError error = image::ImageError::None;
    const bool encoded = image::EncodeResizedJpeg(slot.frame, m_width, m_height,
                                                  image::kDefaultJpegQuality, slot.jpeg, &error);
    if (!encoded) slot.error = std::string("cannot encode the JPEG: ") + image::ToString(error);

    lock.lock();
    slot.state = encoded ? State::Done : State::Failed;
    m_frameDone.notify_all();
  }
}

bool FrameEncoder::EmitOldest(bool wait, bool& emitted) {
  emitted = false;
  Slot& slot = SlotOf(m_emitted);
  {
    std::unique_lock lock(m_mutex);
    const auto finished = [&slot] {
      return slot.state == State::Done || slot.state == State::Failed;
    };
    if (wait) m_frameDone.wait(lock, finished);
    if (!finished()) return true;
  }
  if (slot.state == State::Failed) {
    m_error = "frame " + std::to_string(m_emitted) + ": " + slot.error;
    m_failed = true;
    return false;
  }
  if (!m_emit(m_emitted, slot.jpeg)) {
    m_failed = true;
    return false;
  }
  {
    const std::lock_guard lock(m_mutex);
    slot.state = State::Free;
  }
  ++m_emitted;
  emitted = true;
  return true;
}

bool FrameEncoder::Submit(const image::ImageBuffer& frame) {
  if (m_failed) return false;
  const int window = static_cast<int>(m_slots.size());
  bool emitted = true;
  while (emitted && m_emitted < m_submitted) {
    if (!EmitOldest(m_submitted - m_emitted == window, emitted)) return false;
  }
  Slot& slot = SlotOf(m_submitted);
  // The slot's buffer from an earlier frame of the same size takes the pixels as they are, which
  // spares allocating (and faulting in) a new one for every frame.
  const image::BitmapInfoHeader& from = frame.Header();
  const image::BitmapInfoHeader& to = slot.frame.Header();
  if (frame.BitsPerPixel() >= 16 && slot.frame.IsValid() && from.biWidth == to.biWidth &&
      from.biHeight == to.biHeight && from.biBitCount == to.biBitCount &&
      from.biCompression == to.biCompression &&
      std::equal(frame.Masks(), frame.Masks() + 3, slot.frame.Masks())) {
    std::memcpy(slot.frame.Pixels(), frame.Pixels(), frame.PixelBytes());
  } else if (!frame.IsValid() || !slot.frame.CopyFrom(frame).IsValid() ||
             slot.frame.Width() != frame.Width() || slot.frame.Height() != frame.Height()) {
    m_error = "frame " + std::to_string(m_submitted) + ": out of memory";
    m_failed = true;
    return false;
  }
  slot.error.clear();
  {
    const std::lock_guard lock(m_mutex);
    slot.state = State::Queued;
    m_queue.push_back(m_submitted);
  }
  ++m_submitted;
  m_workReady.notify_one();
  return true;
}

bool FrameEncoder::Drain() {
  if (m_failed) return false;
  bool emitted = false;
  while (m_emitted < m_submitted) {
    if (!EmitOldest(true, emitted)) return false;
  }
  return true;
}

}  // namespace core
