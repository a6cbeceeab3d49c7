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
// transparent pixels over white as the movie shows them, and runs the playback
// worker: a thread that moves the position on by one frame per 100 ms and asks for
// a repaint, without ever touching controls itself.
//
// During a capture pass the worker steps through every frame once, in order: it
// asks the control's thread to paint the frame, waits until it has been painted
// (or, with the control hidden or minimised, until the paint was asked for), then
// writes the frame's JPEG file itself and moves on at once. The frames are never
// changed, so the worker reads them while they are shown. During playback the
// worker moves on only after the window's timer tick has shown the position
// (AcknowledgeTick), so the tick sees every frame, the last one included.
class CFramePlayer : public QWidget {
  Q_OBJECT

 public:
  // The worker's pace during playback: one frame per step.
  static constexpr int kStepMs = 100;

  explicit CFramePlayer(QWidget* parent = nullptr);
  // Stops the worker before the frames it reads are released.
  ~CFramePlayer() override;

  CFramePlayer(const CFramePlayer&) = delete;
  CFramePlayer& operator=(const CFramePlayer&) = delete;

  const core::FrameStore& store() const { return m_store; }
  // Replaces the frames. Only with the worker stopped.
  void setStore(core::FrameStore store);

  // 0-based position of the frame shown.
  int CurrentIndex() const { return currentIndex.load(); }
  // True from StartWorker or StartCapture until the worker ends by itself or
  // StopWorker returns.
  bool WorkerRunning() const { return workerRunning.load(); }

  // Starts playback at the current position; nothing when a worker runs already or
  // the GIF has fewer than two frames. A thread that cannot be created is not
  // reported.
  void StartWorker();
  // Ends the worker without letting it move the position again and returns only
  // once it has ended. The position stays where it is. Nothing when none runs.
  void StopWorker();
  // Moves the position to frame 0. Only with the worker stopped.
  void ResetPosition();

  // The window's timer tick has shown frame `index`: a playback step waiting on
  // that frame may end.
  void acknowledgeTick(int index);

  // The size in pixels each captured frame is resized to; sizes below 1 keep the
  // frame's own size.
  void setCaptureSize(int width, int height);
  int CaptureWidth() const { return captureWidth; }
  int CaptureHeight() const { return captureHeight; }

  // Starts a capture pass from frame 0 (the worker must be stopped): every frame is
  // painted and then written under `outputDirectory` (FrameStore::FramePath) at the
  // capture size. The pass stops at the first frame that cannot be written.
  void startCapture(const std::string& outputDirectory);
  // Switches capture off; frames already written stay.
  void stopCapture();
  bool CaptureEnabled() const { return captureEnabled; }
  // True once the pass has written its last frame or stopped at a failed one.
  bool captureComplete() const;
  // The first frame file that could not be written in this pass, with the reason;
  // empty when every write succeeded.
  std::string captureError() const;

 signals:
  // Frame `index` of a capture pass has been written (`written` false: it failed).
  void frameCaptured(int index, bool written);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // What a capture pass writes, fixed when it starts.
  struct CaptureJob {
    std::string directory;
    int width = 0;
    int height = 0;
  };

  // Starts the worker thread on `body`; false when it cannot be created.
  template <typename Body>
  bool launchWorker(Body body);
  void PlaybackWorker(int frameCount);
  void captureWorker(const CaptureJob& job, int frameCount);
  // Sleeps one step, then waits until the window's tick has shown the position.
  // False when StopWorker asked the worker to end.
  bool finishPlaybackStep();
  // Asks the control's thread to paint the position and waits until it has. False
  // when StopWorker asked the worker to end.
  bool paintAndWait(int index);
  // Worker side: asks the control's thread to run FrameStep.
  void postFrameStep();
  void frameStep();

  core::FrameStore m_store;
  bool captureEnabled = false;
  int captureWidth = 0;
  int captureHeight = 0;
  std::thread m_worker;
  std::atomic<int> currentIndex{0};
  std::atomic<bool> workerRunning{false};

  // Hand-over between the worker and the control's thread.
  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_stopRequested = false;
  int m_tickedIndex = -1;
  int m_paintedIndex = -1;
  bool m_captureComplete = false;
  std::string m_captureError;
};

}  // namespace gui
