#include "app/gui/frame_player.h"

#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>
#include <chrono>
#include <system_error>
#include <utility>

#include "app/gui/frame_image.h"

namespace gui {

CFramePlayer::CFramePlayer(QWidget* parent) : QWidget(parent) {}

CFramePlayer::~CFramePlayer() { StopWorker(); }

void CFramePlayer::setStore(core::FrameStore store) {
  StopWorker();
  m_store = std::move(store);
  update();
}

template <typename Body>
bool CFramePlayer::launchWorker(Body body) {
  // A worker that ended by itself still has to be joined before the next one.
  if (m_worker.joinable()) m_worker.join();
  {
    std::lock_guard lock(m_mutex);
    m_stopRequested = false;
  }
  workerRunning.store(true);
  try {
    m_worker = std::thread(std::move(body));
  } catch (const std::system_error&) {
    workerRunning.store(false);
    return false;
  }
  return true;
}

void CFramePlayer::StartWorker() {
  const int frameCount = m_store.frameCount();
  if (workerRunning.load() || frameCount < 2) return;
  launchWorker([this, frameCount] { PlaybackWorker(frameCount); });
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

void CFramePlayer::acknowledgeTick(int index) {
  {
    std::lock_guard lock(m_mutex);
    m_tickedIndex = index;
  }
  m_wake.notify_all();
}

void CFramePlayer::setCaptureSize(int width, int height) {
  captureWidth = width;
  captureHeight = height;
}

void CFramePlayer::startCapture(const std::string& outputDirectory) {
  StopWorker();
  currentIndex.store(0);
  {
    std::lock_guard lock(m_mutex);
    m_paintedIndex = -1;
    m_captureComplete = false;
    m_captureError.clear();
  }
  captureEnabled = true;
  const CaptureJob job{outputDirectory, captureWidth, captureHeight};
  const int frameCount = m_store.frameCount();
  if (!launchWorker([this, job, frameCount] { captureWorker(job, frameCount); })) {
    std::lock_guard lock(m_mutex);
    m_captureError = "no thread could be started for the capture pass";
    m_captureComplete = true;
  }
}

void CFramePlayer::stopCapture() { captureEnabled = false; }

bool CFramePlayer::captureComplete() const {
  std::lock_guard lock(m_mutex);
  return m_captureComplete;
}

std::string CFramePlayer::captureError() const {
  std::lock_guard lock(m_mutex);
  return m_captureError;
}

void CFramePlayer::PlaybackWorker(int frameCount) {
  for (int step = 0; step < frameCount; ++step) {
    postFrameStep();
    if (!finishPlaybackStep()) return;
    if (currentIndex.load() >= frameCount - 1) break;
    currentIndex.fetch_add(1);
  }
  currentIndex.store(0);
  workerRunning.store(false);
}

void CFramePlayer::captureWorker(const CaptureJob& job, int frameCount) {
  for (int index = 0; index < frameCount; ++index) {
    currentIndex.store(index);
    if (!paintAndWait(index)) return;
    const support::Status frame = m_store.WriteFrame(job.directory, index, job.width, job.height);
    const bool written = static_cast<bool>(frame);
    if (!written) {
      std::lock_guard lock(m_mutex);
      m_captureError = frame.message();
    }
    // Emitted on the control's thread, in frame order.
    QMetaObject::invokeMethod(
        this, [this, index, written] { emit frameCaptured(index, written); }, Qt::QueuedConnection);
    if (!written) break;
  }
  {
    std::lock_guard lock(m_mutex);
    m_captureComplete = true;
  }
  workerRunning.store(false);
}

bool CFramePlayer::finishPlaybackStep() {
  std::unique_lock lock(m_mutex);
  const int index = currentIndex.load();
  const auto stepEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStepMs);
  if (m_wake.wait_until(lock, stepEnd, [this] { return m_stopRequested; })) return false;
  m_wake.wait(lock, [&] { return m_stopRequested || m_tickedIndex == index; });
  return !m_stopRequested;
}

bool CFramePlayer::paintAndWait(int index) {
  postFrameStep();
  std::unique_lock lock(m_mutex);
  m_wake.wait(lock, [&] { return m_stopRequested || m_paintedIndex >= index; });
  return !m_stopRequested;
}

void CFramePlayer::postFrameStep() {
  // Queued to the control's thread; StopWorker joins the worker before the control
  // goes, and Qt drops calls still queued for a destroyed object.
  QMetaObject::invokeMethod(this, &CFramePlayer::frameStep, Qt::QueuedConnection);
}

void CFramePlayer::frameStep() {
  if (!captureEnabled) {
    update();
    return;
  }
  const int index = currentIndex.load();
  // Painted now, before the worker writes the frame; a hidden or minimised control
  // gets no paint, and the pass goes on without one.
  repaint();
  {
    std::lock_guard lock(m_mutex);
    m_paintedIndex = index;
  }
  m_wake.notify_all();
}

void CFramePlayer::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const image::ImageBuffer* frame =
      m_store.isLoaded() ? m_store.frames().At(currentIndex.load()) : nullptr;
  const QImage picture = frame != nullptr ? toQImage(*frame) : QImage();
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
}

}  // namespace gui
