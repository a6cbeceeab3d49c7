#include "app/gui/ui_hooks.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace gui {
namespace {

// Qt's own file dialogs take the application's style sheet; a desktop's native
// ones would not.
constexpr QFileDialog::Options kSkinnable = QFileDialog::DontUseNativeDialog;

UiHooks realDialogs() {
  UiHooks hooks;
  hooks.showMessage = [](QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, parent);
    box.exec();
  };
  hooks.chooseGifFile = [](QWidget* parent) -> std::optional<QString> {
    const QString path = QFileDialog::getOpenFileName(parent, QString(), QString(),
                                                      "Gif Files (*.gif)", nullptr, kSkinnable);
    if (path.isEmpty()) return std::nullopt;
    return path;
  };
  hooks.chooseSavePath = [](QWidget* parent,
                            const QStringList& filters) -> std::optional<SaveChoice> {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    // No overwrite prompt and no default suffix: the caller's extension rule decides.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setOptions(dialog.options() | kSkinnable);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
      return std::nullopt;
    }
    SaveChoice choice;
    choice.path = dialog.selectedFiles().front();
    choice.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    choice.typedExtension = !QFileInfo(choice.path).suffix().isEmpty();
    return choice;
  };
  hooks.chooseDirectory = [](QWidget* parent, const QString& title) -> std::optional<QString> {
    const QString path = QFileDialog::getExistingDirectory(parent, title, QString(),
                                                           QFileDialog::ShowDirsOnly | kSkinnable);
    if (path.isEmpty()) return std::nullopt;
    return path;
  };
  hooks.openExternal = [](const QString& target) {
    const QUrl url = QUrl::fromUserInput(target, QString(), QUrl::AssumeLocalFile);
    return QDesktopServices::openUrl(url);
  };
  return hooks;
}

}  // namespace

UiHooks& uiHooks() {
  static UiHooks hooks = realDialogs();
  return hooks;
}

void resetHooks() { uiHooks() = realDialogs(); }

}  // namespace gui
