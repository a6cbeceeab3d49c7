// The About box and the frame exports of the context menu.
#include "app/core/file_io.h"
#include "app/core/file_names.h"
#include "app/gui/about_dialog.h"
#include "app/gui/export_dialog.h"
#include "app/gui/frame_player.h"
#include "app/gui/local_path.h"
#include "app/gui/main_dialog.h"
#include "app/gui/save_path_rule.h"
#include "app/gui/ui_hooks.h"

namespace gui {

void CMainDialog::OnAboutUs() {
  CAboutDialog about(this);
  about.exec();
}

void CMainDialog::OnExportSingle() {
  if (m_gifPath.empty()) {
    showMessage(QStringLiteral("No gif files!"));
    return;
  }
  const std::optional<SaveChoice> choice = uiHooks().chooseSavePath(this, imageSaveFilters());
  if (!choice) return;
  m_singleExportPath =
      toLocalPath(imageSavePath(choice->path, choice->filterIndex, choice->typedExtension));
  const image::ImageBuffer* frame = m_player->store().frames().At(m_player->CurrentIndex());
  if (frame == nullptr) return;
  if (const image::ImageResult saved =
          exportFrameCopy(*frame, m_settings.width, m_settings.height, m_singleExportPath);
      !saved) {
    showMessage(QStringLiteral("The frame was not saved.\n%1").arg(fromLocalPath(saved.message())));
  }
}

void CMainDialog::OnExportBmpSequence() { exportSequence(".bmp"); }

void CMainDialog::OnExportTgaSequence() { exportSequence(".tga"); }

void CMainDialog::exportSequence(const std::string& extension) {
  // A folder that cannot take the files is reported before the first frame.
  if (!m_gifPath.empty()) {
    if (const support::Status writable =
            core::ensureWritableDirectory(core::sequenceFolder(m_settings.outputDirectory));
        !writable) {
      showMessage(QStringLiteral("The frames were not exported.\n%1")
                      .arg(fromLocalPath(writable.message())));
      return;
    }
  }
  CExportDialog dialog(this, m_gifPath, m_settings.outputDirectory, extension);
  dialog.exec();
}

}  // namespace gui
