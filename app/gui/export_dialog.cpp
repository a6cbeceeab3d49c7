#include "app/gui/export_dialog.h"

#include <QString>
#include <atomic>
#include <memory>
#include <utility>

#include "app/core/file_io.h"
#include "app/core/file_names.h"
#include "app/core/sequence_export.h"
#include "app/gui/dialog_units.h"
#include "app/gui/ui_hooks.h"
#include "image/image_error.h"

namespace gui {

CExportDialog::CExportDialog(QWidget* parent, const std::string& gifPath,
                             const std::string& outputDirectory, const std::string& extension)
    : QDialog(parent, kDialogWindowFlags),
      m_units(useDialogFont(*this)),
      m_gifPath(gifPath),
      m_extension(extension),
      m_outputDirectory(outputDirectory) {
  setWindowTitle("On Exporting Files...");
  setModal(true);
  setFixedSize(m_units.toPixels(251, 68));

  m_caption.setText("Export Process");
  m_caption.setGeometry(m_units.toPixels(24, 18, 95, 8));
  m_countLabel.setObjectName(QString::number(ExportCountLabel));
  m_countLabel.setGeometry(m_units.toPixels(129, 17, 95, 8));
  m_progressBar.setObjectName(QString::number(ExportProgressBar));
  m_progressBar.setGeometry(m_units.toPixels(27, 37, 193, 14));
  m_progressBar.setTextVisible(false);
  m_progressBar.setRange(0, 0);
  m_progressBar.setValue(0);

  m_timer.setInterval(kTickInterval);
  connect(&m_timer, &QTimer::timeout, this, &CExportDialog::OnTimer);
}

void CExportDialog::setTickInterval(std::chrono::milliseconds interval) {
  m_timer.setInterval(interval);
}

QWidget* CExportDialog::item(int id) {
  switch (id) {
    case ExportCountLabel:
      return &m_countLabel;
    case ExportProgressBar:
      return &m_progressBar;
    default:
      return nullptr;
  }
}

int CExportDialog::frameCount() const { return m_frameCount; }

int CExportDialog::position() const { return m_position; }

int CExportDialog::failedCount() const { return m_failedCount; }

void CExportDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!m_initialised) {
    m_initialised = true;
    OnInitDialog();
  }
}

void CExportDialog::OnInitDialog() {
  auto frames = std::make_shared<image::ImageSequence>();
  auto failure = std::make_shared<std::string>();
  const std::string path = m_gifPath;
  const auto decode = [frames, failure, path](const std::atomic<bool>&) {
    if (path.empty()) return;
    if (const image::ImageResult loaded = frames->Load(path); !loaded) {
      *failure = "cannot read " + path + ": " + image::toString(loaded.code());
    }
  };
  const auto finish = [this, frames, failure] {
    m_frames = std::move(*frames);
    finishDecode(*failure);
  };
  if (!m_decodeJob.start(decode, finish)) {
    decode(std::atomic<bool>{false});
    finish();
  }
}

void CExportDialog::finishDecode(const std::string& failure) {
  m_loadFailure = failure;
  m_frameCount = m_frames.Count();
  m_progressBar.setRange(0, m_frameCount);
  m_progressBar.setValue(0);
  m_timer.start();
}

void CExportDialog::OnTimer() {
  if (m_finished || decoding()) return;
  if (m_position < m_frameCount) {
    const std::string path =
        core::sequenceFramePath(m_outputDirectory, m_gifPath, m_position, m_extension);
    if (const support::Status written = core::writeSequenceFrame(*m_frames.At(m_position), path);
        !written) {
      if (m_failedCount == 0) m_firstFailure = written.message();
      ++m_failedCount;
    }
    ++m_position;
    m_progressBar.setValue(m_position);
    m_countLabel.setText(QString::asprintf("%d/%d", m_position, m_frameCount));
  }
  if (m_position >= m_frameCount) reject();
}

void CExportDialog::done(int result) {
  m_timer.stop();
  m_decodeJob.cancel();
  QDialog::done(result);
  if (m_finished) return;
  m_finished = true;
  reportFailures();
}

void CExportDialog::reportFailures() {
  QString text;
  if (!m_loadFailure.empty()) {
    text = QString::fromLocal8Bit(m_loadFailure.c_str());
  } else if (m_failedCount > 0) {
    text = QString("%1 of %2 files could not be written.\n\n%3")
               .arg(m_failedCount)
               .arg(m_position)
               .arg(QString::fromLocal8Bit(m_firstFailure.c_str()));
  }
  const UiHooks& hooks = uiHooks();
  if (!text.isEmpty() && hooks.showMessage) hooks.showMessage(parentWidget(), text);
}

image::ImageResult exportFrameCopy(const image::ImageBuffer& frame, int width, int height,
                                   const std::string& path) {
  image::ImageBuffer copy;
  copy.CopyFrom(frame);
  copy.Resize(width, height);
  return copy.Save(path, -1);
}

}  // namespace gui
