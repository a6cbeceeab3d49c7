// The "Export Config" group: size options, custom size, frame rate and the output
// folder, with the data exchange of the three number boxes.
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <array>

#include "app/gui/control_ids.h"
#include "app/gui/dialog_data.h"
#include "app/gui/frame_player.h"
#include "app/gui/local_path.h"
#include "app/gui/main_dialog.h"
#include "app/gui/ui_hooks.h"

namespace gui {
namespace {

struct SizeOption {
  int id;
  core::SizeMode mode;
};
// In the order the buttons are tested: the first selected one wins.
constexpr std::array kSizeOptions = {
    SizeOption{HalfSizeOption, core::SizeMode::HalfSize},
    SizeOption{OriginalSizeOption, core::SizeMode::ActualSize},
    SizeOption{DoubleSizeOption, core::SizeMode::DoubleSize},
    SizeOption{TripleSizeOption, core::SizeMode::TripleSize},
    SizeOption{CustomSizeOption, core::SizeMode::CustomSize},
};

}  // namespace

core::SizeMode CMainDialog::selectedSizeMode() const {
  for (const SizeOption& option : kSizeOptions) {
    if (qobject_cast<QRadioButton*>(item(option.id))->isChecked()) return option.mode;
  }
  return core::SizeMode::ActualSize;
}

void CMainDialog::ApplySizeOption() {
  m_customBoxesEnabled = false;
  m_player->store().ClearTempFrames(m_settings.outputDirectory);
  m_settings.sizeMode = selectedSizeMode();
  if (m_settings.sizeMode == core::SizeMode::CustomSize) {
    // The typed size, and the capture size, stay as they are.
    m_customBoxesEnabled = true;
  } else if (const auto size = core::sizeForOption(m_settings.sizeMode, m_settings.sourceWidth,
                                                   m_settings.sourceHeight)) {
    m_settings.width = size->first;
    m_settings.height = size->second;
    m_player->setCaptureSize(m_settings.width, m_settings.height);
    loadDialogData();
  }
  updateControls();
}

void CMainDialog::applySizeForOpenedGif() {
  m_settings.sizeMode = selectedSizeMode();
  if (const auto size = core::sizeForOption(m_settings.sizeMode, m_settings.sourceWidth,
                                            m_settings.sourceHeight)) {
    m_settings.width = size->first;
    m_settings.height = size->second;
  }
  m_player->setCaptureSize(m_settings.width, m_settings.height);
}

void CMainDialog::OnCustomSizeKillFocus() {
  storeDialogData();
  // Whatever was stored counts, even a value the range check refused.
  m_player->setCaptureSize(m_settings.width, m_settings.height);
}

void CMainDialog::OnFrameRateKillFocus() { storeDialogData(); }

bool CMainDialog::storeDialogData() {
  struct Binding {
    int id;
    int* field;
    int minimum;
    int maximum;
  };
  const std::array bindings = {
      Binding{CustomWidthBox, &m_settings.width, 0, core::kMaxWidth},
      Binding{CustomHeightBox, &m_settings.height, 0, core::kMaxHeight},
      Binding{FrameRateBox, &m_settings.frameRate, core::kMinFrameRate, core::kMaxFrameRate},
  };
  for (const Binding& binding : bindings) {
    auto* box = qobject_cast<QLineEdit*>(item(binding.id));
    const FieldResult result =
        storeIntegerField(box->text(), binding.minimum, binding.maximum, *binding.field);
    if (result != FieldResult::Stored) {
      m_inValidation = true;
      showMessage(fieldMessage(result, binding.minimum, binding.maximum));
      box->setFocus(Qt::OtherFocusReason);
      box->selectAll();
      m_inValidation = false;
      return false;
    }
  }
  return true;
}

void CMainDialog::loadDialogData() {
  qobject_cast<QLineEdit*>(item(CustomWidthBox))->setText(QString::number(m_settings.width));
  qobject_cast<QLineEdit*>(item(CustomHeightBox))->setText(QString::number(m_settings.height));
  qobject_cast<QLineEdit*>(item(FrameRateBox))->setText(QString::number(m_settings.frameRate));
}

void CMainDialog::OnBrowseOutputDir() {
  const std::optional<QString> chosen = uiHooks().chooseDirectory(this, QStringLiteral("Open"));
  if (!chosen || chosen->isEmpty()) return;
  QString directory = QDir::fromNativeSeparators(*chosen);
  // Only a root already ends in '/'.
  if (!directory.endsWith(QLatin1Char('/'))) directory += QLatin1Char('/');
  m_outputDirBox->setText(directory);
  loadDialogData();
  m_settings.outputDirectory = toLocalPath(directory);
}

}  // namespace gui
