#pragma once

#include <QWidget>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "app/core/frame_store.h"

namespace gui {

// The preview of the opened GIF (control 1022). It owns the frames, draws the frame
// at the current position stretched over the whole control with hard pixel edges,
// and runs the playback worker: a thread that moves the position on by one frame
// per 100 ms and asks for a repaint, without ever touching frames, files or
// controls itself.
//
// During a capture pass every frame is written once, in order, as its JPEG frame
// file, right after it has been painted (or from the capture step itself when the
// control is hidden or minimised and no paint comes); the worker moves on only
// after the frame at the position has been written. During playback the worker
// moves on only after the window's timer tick has shown the position
// (AcknowledgeTick), so the tick sees every frame, the last one included.
class CFramePlayer : public QWidget {
  Q_OBJECT

 public:
  // The worker's pace: one frame per step.
  static constexpr int kStepMs = 100;

  explicit CFramePlayer(QWidget* parent = nullptr);
  // Stops the worker before the frames it reads are released.
  ~CFramePlayer() override;

  CFramePlayer(const CFramePlayer&) = delete;
  CFramePlayer& operator=(const CFramePlayer&) = delete;

  core::FrameStore& store() { return m_store; }
  const core::FrameStore& store() const { return m_store; }

  // 0-based position of the frame shown.
  int CurrentIndex() const { return currentIndex.load(); }
  // True from StartWorker until the worker ends by itself or StopWorker returns.
  bool WorkerRunning() const { return workerRunning.load(); }

  // Starts the worker at the current position; nothing when one runs already or the
  // GIF has fewer than two frames. A thread that cannot be created is not reported.
  void StartWorker();
  // Ends the worker without letting it move the position again and returns only
  // once it has ended. The position stays where it is. Nothing when none runs.
  void StopWorker();
  // Moves the position to frame 0. Only with the worker stopped.
  void ResetPosition();

  // The window's timer tick has shown frame `index`: a playback step waiting on
  // that frame may end.
  void AcknowledgeTick(int index);

  // The size in pixels each captured frame is resized to; sizes below 1 keep the
  // frame's own size.
  void SetCaptureSize(int width, int height);
  int CaptureWidth() const { return captureWidth; }
  int CaptureHeight() const { return captureHeight; }

  // Switches capture on: from frame 0 on, every frame shown is written under
  // `outputDirectory` (FrameStore::FramePath). Queues the write of the frame at the
  // position, so a pass of a one-frame GIF, which runs no worker, completes too.
  void StartCapture(const std::string& outputDirectory);
  // Switches capture off; frames already written stay.
  void StopCapture();
  bool CaptureEnabled() const { return captureEnabled; }
  // Frames of the pass written (or failed) so far; the pass is complete when every
  // frame of the GIF has had its turn.
  int CapturedCount() const;
  bool CaptureComplete() const;
  // The first frame file that could not be written in this pass, with the reason;
  // empty when every write succeeded.
  const std::string& CaptureError() const { return m_captureError; }

 signals:
  // Frame `index` of a capture pass has been written (`written` false: it failed).
  void frameCaptured(int index, bool written);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PlaybackWorker(int frameCount, bool capturing);
  // Sleeps one step, then waits until the frame at the position has been shown (or,
  // capturing, written). False when StopWorker asked the worker to end.
  bool FinishStep(bool capturing);
  // Worker side: asks the control's thread to run FrameStep.
  void PostFrameStep();
  void FrameStep();
  void CaptureStep();
  void CaptureFrame(int index);

  core::FrameStore m_store;
  bool captureEnabled = false;
  int captureWidth = 0;
  int captureHeight = 0;
  std::string m_captureDirectory;
  std::string m_captureError;
  std::thread m_worker;
  std::atomic<int> currentIndex{0};
  std::atomic<bool> workerRunning{false};

  // Hand-over between the worker and the control's thread.
  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_stopRequested = false;
  int m_tickedIndex = -1;
  int m_capturedCount = 0;
};

}  // namespace gui
