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
    ShowMessage(QStringLiteral("No gif files!"));
    return;
  }
  const std::optional<SaveChoice> choice = Hooks().chooseSavePath(this, ImageSaveFilters());
  if (!choice) return;
  m_singleExportPath =
      ToLocalPath(ImageSavePath(choice->path, choice->filterIndex, choice->typedExtension));
  const image::ImageBuffer* frame = m_player->store().frames().At(m_player->CurrentIndex());
  if (frame == nullptr) return;
  if (const image::ImageResult saved =
          ExportFrameCopy(*frame, m_settings.width, m_settings.height, m_singleExportPath);
      !saved) {
    ShowMessage(QStringLiteral("The frame was not saved.\n%1").arg(FromLocalPath(saved.message())));
  }
}

void CMainDialog::OnExportBmpSequence() { ExportSequence(".bmp"); }

void CMainDialog::OnExportTgaSequence() { ExportSequence(".tga"); }

void CMainDialog::ExportSequence(const std::string& extension) {
  // A folder that cannot take the files is reported before the first frame.
  if (!m_gifPath.empty()) {
    if (const support::Status writable =
            core::EnsureWritableDirectory(core::SequenceFolder(m_settings.outputDirectory));
        !writable) {
      ShowMessage(QStringLiteral("The frames were not exported.\n%1")
                      .arg(FromLocalPath(writable.message())));
      return;
    }
  }
  CExportDialog dialog(this, m_gifPath, m_settings.outputDirectory, extension);
  dialog.exec();
}

}  // namespace gui
