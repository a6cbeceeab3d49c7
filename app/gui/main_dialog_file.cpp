// Opening a GIF: stopping what runs, loading the frames and listing the file.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTreeWidget>
#include <QUrl>
#include <atomic>
#include <memory>
#include <utility>

#include "app/gui/control_ids.h"
#include "app/gui/frame_player.h"
#include "app/gui/local_path.h"
#include "app/gui/main_dialog.h"
#include "app/gui/number_spin.h"
#include "app/gui/ui_hooks.h"

namespace gui {

void CMainDialog::OnOpenFile() {
  if (const std::optional<QString> chosen = uiHooks().chooseGifFile(this)) openGif(*chosen);
}

void CMainDialog::openGif(const QString& path) {
  if (m_isConverting) return;
  // A GIF still being decoded is abandoned for the new one.
  m_backgroundJob.cancel();
  if (!m_gifPath.empty()) StopForNewFile();
  m_propertyList->clear();
  m_gifPath = toLocalPath(path);
  m_isPlaying = true;
  m_isLoading = true;
  m_customBoxesEnabled = false;
  // The earlier frames go now: the preview shows nothing while the new ones decode.
  m_player->setStore(core::FrameStore());
  updateControls();
  m_player->store().ClearTempFrames(m_settings.outputDirectory);
  auto loaded = std::make_shared<core::FrameStore>();
  auto status = std::make_shared<support::Status>();
  const std::string gifPath = m_gifPath;
  const bool started = m_backgroundJob.start(
      [loaded, status, gifPath](const std::atomic<bool>& cancelled) {
        *status = loaded->LoadGif(gifPath, &cancelled);
      },
      [this, loaded, status] { finishOpen(*loaded, *status); });
  if (!started) {
    *status = loaded->LoadGif(gifPath);
    finishOpen(*loaded, *status);
  }
}

void CMainDialog::finishOpen(core::FrameStore& loaded, const support::Status& status) {
  m_isLoading = false;
  if (!status) {
    showOpenFailure(status.message());
    return;
  }
  const bool truncated = loaded.truncated();
  m_player->setStore(std::move(loaded));
  ShowProperties();
  // m_isPlaying is true, so this takes the stopping branch: Stopped at frame 0.
  TogglePlayback();
  if (truncated) {
    showMessage(QStringLiteral("%1: the file ends early; only its %2 complete frames are used")
                    .arg(fromLocalPath(m_gifPath))
                    .arg(frameCount()));
  }
}

void CMainDialog::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls() && item(OpenFileButton)->isEnabled())
    event->acceptProposedAction();
}

void CMainDialog::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  event->acceptProposedAction();
  if (urls.size() == 1 && urls.first().isLocalFile()) {
    openGif(urls.first().toLocalFile());
    return;
  }
  // Refused as Open File refuses a file that is no GIF.
  const QString what = urls.size() == 1 ? urls.first().toDisplayString() + ": not a local file"
                                        : QStringLiteral("only one file can be opened at a time");
  showMessage(QStringLiteral("The GIF file could not be opened.\n%1").arg(what));
}

void CMainDialog::StopForNewFile() {
  m_isPlaying = true;
  TogglePlayback();
  m_player->ResetPosition();
  m_playbackTimer.stop();
  setProgress(0, 0);
  setFrameCountText(0);
}

void CMainDialog::showOpenFailure(const std::string& reason) {
  // Back to the Empty state: no frame count ever reaches the timer or the preview.
  m_player->StopWorker();
  m_player->ResetPosition();
  m_playbackTimer.stop();
  m_gifPath.clear();
  m_isPlaying = false;
  m_settings.sourceWidth = 0;
  m_settings.sourceHeight = 0;
  setProgress(0, 0);
  setFrameCountText(0);
  updateControls();
  m_player->update();
  showMessage(QStringLiteral("The GIF file could not be opened.\n%1").arg(fromLocalPath(reason)));
}

void CMainDialog::ShowProperties() {
  const auto addRow = [this](const QString& name, qint64 value) {
    // Each row goes on top, so the list reads bottom-up in the order added.
    auto row = std::make_unique<QTreeWidgetItem>(QStringList{name, QString::number(value)});
    // The list takes the row over.
    m_propertyList->insertTopLevelItem(0, row.release());
  };
  const QFileInfo file(fromLocalPath(m_gifPath));
  if (!file.exists()) return;
  addRow(QStringLiteral("Gif Length"), file.size());
  const image::ImageBuffer* first = m_player->store().frames().At(0);
  const int width = first != nullptr ? first->Width() : 0;
  const int height = first != nullptr ? first->Height() : 0;
  addRow(QStringLiteral("Frame Width"), width);
  m_settings.sourceWidth = width;
  addRow(QStringLiteral("Frame Height"), height);
  m_settings.sourceHeight = height;
  addRow(QStringLiteral("Frame Count"), frameCount());
  // The output size follows the selected option from the start; "Custom" keeps the
  // typed size.
  applySizeForOpenedGif();
  loadDialogData();
}

}  // namespace gui
