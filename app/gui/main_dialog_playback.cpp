// Playback, the capture pass and the conversion that follows it.
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <atomic>
#include <memory>

#include "app/core/file_io.h"
#include "app/core/file_names.h"
#include "app/core/movie_build.h"
#include "app/core/movie_checks.h"
#include "app/gui/frame_player.h"
#include "app/gui/local_path.h"
#include "app/gui/main_dialog.h"
#include "app/gui/number_spin.h"
#include "app/gui/ui_hooks.h"

namespace gui {
namespace {

QString MovieFailureText(const std::string& moviePath, const std::string& reason) {
  return QStringLiteral("The movie %1 was not written.\n%2")
      .arg(FromLocalPath(moviePath), FromLocalPath(reason));
}

}  // namespace

void CMainDialog::TogglePlayback() {
  if (!m_isPlaying) {
    m_isPlaying = true;
    m_player->StartWorker();
  } else {
    m_isPlaying = false;
    m_player->StopWorker();
    m_player->update();
  }
  UpdateControls();
  m_frameSpin->SetValueRange(0.0, FrameCount(), 1.0);
  m_playbackTimer.start();
  SetFrameCountText(FrameCount());
}

void CMainDialog::OnPlaybackTick() {
  const int frameCount = FrameCount();
  if (frameCount <= 0) {
    m_playbackTimer.stop();
    return;
  }
  const int index = m_player->CurrentIndex();
  if (m_isConverting) {
    UpdateControls();
    SetProgress(index, frameCount);
    if (m_player->CaptureComplete()) FinishCapture();
    return;
  }
  SetProgress(index, frameCount);
  if (index + 1 == frameCount) {
    // The last frame has been shown: back to frame 0, stopped. This also holds in
    // the Stopped state, and on every tick for a one-frame GIF.
    m_player->StopWorker();
    m_player->ResetPosition();
    m_isPlaying = true;
    TogglePlayback();
    return;
  }
  m_player->AcknowledgeTick(index);
}

void CMainDialog::OnConvertToSwf() {
  if (m_outputDirBox->text().size() < 3) {
    ShowMessage(QStringLiteral("Please select the directory for converted files"));
    return;
  }
  if (m_gifPath.empty() || FrameCount() <= 0 || m_isConverting) return;
  // A size (or rate) no movie can have is known now; the capture pass would only
  // spend its time before the movie build refuses it.
  if (const support::Status problem = core::CheckMovieRequest(m_settings, FrameCount()); !problem) {
    ShowMessage(MovieFailureText(core::MoviePath(m_settings.outputDirectory, m_gifPath),
                                 problem.message()));
    return;
  }
  // A folder that cannot take the frame files is known now, not after the last frame.
  if (const support::Status writable =
          core::EnsureWritableDirectory(core::TempDirectory(m_settings.outputDirectory));
      !writable) {
    ShowMessage(MovieFailureText(core::MoviePath(m_settings.outputDirectory, m_gifPath),
                                 writable.message()));
    return;
  }
  BeginCapture();
}

void CMainDialog::BeginCapture() {
  m_player->StopWorker();
  m_player->ResetPosition();
  m_captureSettings = m_settings;
  m_player->StartCapture(m_captureSettings.outputDirectory);
  m_isConverting = true;
  m_customBoxesEnabled = false;
  UpdateControls();
  m_playbackTimer.start();
  m_player->StartWorker();
}

void CMainDialog::FinishCapture() {
  m_player->StopCapture();
  m_playbackTimer.stop();
  // The worker ends by itself after the last frame; this joins it, and the
  // position goes back to frame 0 even when the stop came first.
  m_player->StopWorker();
  m_player->ResetPosition();
  m_player->update();
  SetProgress(0, FrameCount());
  if (const std::string failure = m_player->CaptureError(); !failure.empty()) {
    FinishConversion(QStringLiteral("The movie was not written: a frame could not be saved.\n%1")
                         .arg(FromLocalPath(failure)));
    return;
  }
  // The window stays in the Converting state until the movie is written.
  auto result = std::make_shared<core::MovieResult>();
  const core::OutputSettings settings = m_captureSettings;
  const std::string gifPath = m_gifPath;
  const int frameCount = FrameCount();
  const auto build = [result, settings, gifPath, frameCount](const std::atomic<bool>&) {
    *result = core::BuildMovie(settings, gifPath, frameCount);
  };
  const auto report = [this, result] {
    FinishConversion(result->status
                         ? QString()
                         : MovieFailureText(result->outputPath, result->status.message()));
  };
  if (!m_backgroundJob.Start(build, report)) {
    build(std::atomic<bool>{false});
    report();
  }
}

void CMainDialog::FinishConversion(const QString& failure) {
  m_isConverting = false;
  m_isPlaying = false;
  UpdateControls();
  if (!failure.isEmpty()) ShowMessage(failure);
}

}  // namespace gui
