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

QString movieFailureText(const std::string& moviePath, const std::string& reason) {
  return QStringLiteral("The movie %1 was not written.\n%2")
      .arg(fromLocalPath(moviePath), fromLocalPath(reason));
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
  updateControls();
  m_frameSpin->SetValueRange(0.0, frameCount(), 1.0);
  m_playbackTimer.start();
  setFrameCountText(frameCount());
}

void CMainDialog::OnPlaybackTick() {
  const int count = frameCount();
  if (count <= 0) {
    m_playbackTimer.stop();
    return;
  }
  const int index = m_player->CurrentIndex();
  if (m_isConverting) {
    updateControls();
    setProgress(index, count);
    if (m_player->captureComplete()) finishCapture();
    return;
  }
  setProgress(index, count);
  if (index + 1 == count) {
    // The last frame has been shown: back to frame 0, stopped. This also holds in
    // the Stopped state, and on every tick for a one-frame GIF.
    m_player->StopWorker();
    m_player->ResetPosition();
    m_isPlaying = true;
    TogglePlayback();
    return;
  }
  m_player->acknowledgeTick(index);
}

void CMainDialog::OnConvertToSwf() {
  if (m_outputDirBox->text().size() < 3) {
    showMessage(QStringLiteral("Please select the directory for converted files"));
    return;
  }
  if (m_gifPath.empty() || frameCount() <= 0 || m_isConverting) return;
  // A size (or rate) no movie can have is known now; the capture pass would only
  // spend its time before the movie build refuses it.
  if (const support::Status problem = core::checkMovieRequest(m_settings, frameCount()); !problem) {
    showMessage(movieFailureText(core::moviePath(m_settings.outputDirectory, m_gifPath),
                                 problem.message()));
    return;
  }
  // A folder that cannot take the frame files is known now, not after the last frame.
  if (const support::Status writable =
          core::ensureWritableDirectory(core::TempDirectory(m_settings.outputDirectory));
      !writable) {
    showMessage(movieFailureText(core::moviePath(m_settings.outputDirectory, m_gifPath),
                                 writable.message()));
    return;
  }
  BeginCapture();
}

void CMainDialog::BeginCapture() {
  m_player->StopWorker();
  m_player->ResetPosition();
  m_captureSettings = m_settings;
  m_player->startCapture(m_captureSettings.outputDirectory);
  m_isConverting = true;
  m_customBoxesEnabled = false;
  updateControls();
  m_playbackTimer.start();
  m_player->StartWorker();
}

void CMainDialog::finishCapture() {
  m_player->stopCapture();
  m_playbackTimer.stop();
  // The worker ends by itself after the last frame; this joins it, and the
  // position goes back to frame 0 even when the stop came first.
  m_player->StopWorker();
  m_player->ResetPosition();
  m_player->update();
  setProgress(0, frameCount());
  if (const std::string failure = m_player->captureError(); !failure.empty()) {
    finishConversion(QStringLiteral("The movie was not written: a frame could not be saved.\n%1")
                         .arg(fromLocalPath(failure)));
    return;
  }
  // The window stays in the Converting state until the movie is written.
  auto result = std::make_shared<core::MovieResult>();
  const core::OutputSettings settings = m_captureSettings;
  const std::string gifPath = m_gifPath;
  const int count = frameCount();
  const auto build = [result, settings, gifPath, count](const std::atomic<bool>&) {
    *result = core::buildMovie(settings, gifPath, count);
  };
  const auto report = [this, result] {
    finishConversion(result->status
                         ? QString()
                         : movieFailureText(result->outputPath, result->status.message()));
  };
  if (!m_backgroundJob.start(build, report)) {
    build(std::atomic<bool>{false});
    report();
  }
}

void CMainDialog::finishConversion(const QString& failure) {
  m_isConverting = false;
  m_isPlaying = false;
  updateControls();
  if (!failure.isEmpty()) showMessage(failure);
}

}  // namespace gui
