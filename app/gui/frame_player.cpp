#include "app/gui/frame_player.h"

#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>
#include <chrono>
#include <system_error>

#include "app/gui/frame_image.h"

namespace gui {

CFramePlayer::CFramePlayer(QWidget* parent) : QWidget(parent) {}

CFramePlayer::~CFramePlayer() { StopWorker(); }

void CFramePlayer::StartWorker() {
  const int frameCount = m_store.frameCount();
  if (workerRunning.load() || frameCount < 2) return;
  // A worker that ended by itself still has to be joined before the next one.
  if (m_worker.joinable()) m_worker.join();
  {
    std::lock_guard lock(m_mutex);
    m_stopRequested = false;
  }
  workerRunning.store(true);
  try {
    m_worker = std::thread(&CFramePlayer::PlaybackWorker, this, frameCount, captureEnabled);
  } catch (const std::system_error&) {
    workerRunning.store(false);
  }
}

void CFramePlayer::StopWorker() {
  {
    std::lock_guard lock(m_mutex);
    m_stopRequested = true;
  }
  m_wake.notify_all();
  if (m_worker.joinable()) m_worker.join();
  {
    std::lock_guard lock(m_mutex);
    m_stopRequested = false;
  }
  workerRunning.store(false);
}

void CFramePlayer::ResetPosition() { currentIndex.store(0); }

void CFramePlayer::AcknowledgeTick(int index) {
  {
    std::lock_guard lock(m_mutex);
    m_tickedIndex = index;
  }
  m_wake.notify_all();
}

void CFramePlayer::SetCaptureSize(int width, int height) {
  captureWidth = width;
  captureHeight = height;
}

void CFramePlayer::StartCapture(const std::string& outputDirectory) {
  m_captureDirectory = outputDirectory;
  m_captureError.clear();
  {
    std::lock_guard lock(m_mutex);
    m_capturedCount = 0;
  }
  captureEnabled = true;
  QMetaObject::invokeMethod(this, &CFramePlayer::FrameStep, Qt::QueuedConnection);
}

void CFramePlayer::StopCapture() { captureEnabled = false; }

int CFramePlayer::CapturedCount() const {
  std::lock_guard lock(m_mutex);
  return m_capturedCount;
}

bool CFramePlayer::CaptureComplete() const { return CapturedCount() >= m_store.frameCount(); }

void CFramePlayer::PlaybackWorker(int frameCount, bool capturing) {
  for (int step = 0; step < frameCount; ++step) {
    PostFrameStep();
    if (!FinishStep(capturing)) return;
    if (currentIndex.load() >= frameCount - 1) break;
    currentIndex.fetch_add(1);
  }
  currentIndex.store(0);
  workerRunning.store(false);
}

bool CFramePlayer::FinishStep(bool capturing) {
  std::unique_lock lock(m_mutex);
  const int index = currentIndex.load();
  const auto stepEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStepMs);
  if (m_wake.wait_until(lock, stepEnd, [this] { return m_stopRequested; })) return false;
  m_wake.wait(lock, [&] {
    return m_stopRequested || (capturing ? m_capturedCount > index : m_tickedIndex == index);
  });
  return !m_stopRequested;
}

void CFramePlayer::PostFrameStep() {
  // Queued to the control's thread; StopWorker joins the worker before the control
  // goes, and Qt drops calls still queued for a destroyed object.
  QMetaObject::invokeMethod(this, &CFramePlayer::FrameStep, Qt::QueuedConnection);
}

void CFramePlayer::FrameStep() {
  if (captureEnabled) {
    CaptureStep();
  } else {
    update();
  }
}

void CFramePlayer::CaptureStep() {
  const int index = currentIndex.load();
  if (!captureEnabled || index != CapturedCount() || index >= m_store.frameCount()) return;
  // The paint writes the frame after drawing it; a hidden or minimised control
  // gets no paint, and the frame is written here instead.
  repaint();
  if (captureEnabled && CapturedCount() == index) CaptureFrame(index);
}

void CFramePlayer::CaptureFrame(int index) {
  const bool written = m_store.WriteFrame(m_captureDirectory, index, captureWidth, captureHeight);
  if (!written && m_captureError.empty()) m_captureError = m_store.LastErrorText();
  {
    std::lock_guard lock(m_mutex);
    m_capturedCount = index + 1;
  }
  m_wake.notify_all();
  emit frameCaptured(index, written);
}

void CFramePlayer::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const int index = currentIndex.load();
  const image::ImageBuffer* frame = m_store.isLoaded() ? m_store.frames().At(index) : nullptr;
  const QImage picture = frame != nullptr ? ToQImage(*frame) : QImage();
  if (picture.isNull()) {
    // Nothing to show: only the control's thin frame.
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    return;
  }
  // Stretched over the whole control, aspect ratio not kept, and sampled without
  // smoothing, so enlarged pixels keep hard edges.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(rect(), picture);
  painter.end();
  // Written after drawing: the preview shows the frame before its in-memory resize.
  if (captureEnabled && index == CapturedCount() && index < m_store.frameCount()) {
    CaptureFrame(index);
  }
}

}  // namespace gui
