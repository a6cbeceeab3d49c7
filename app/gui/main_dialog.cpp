#include "app/gui/main_dialog.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSlider>
#include <QTreeWidget>
#include <array>

#include "app/gui/control_factory.h"
#include "app/gui/control_ids.h"
#include "app/gui/data_files.h"
#include "app/gui/dialog_template.h"
#include "app/gui/frame_player.h"
#include "app/gui/local_path.h"
#include "app/gui/number_spin.h"
#include "app/gui/output_folder.h"
#include "app/gui/skin.h"
#include "app/gui/ui_hooks.h"

namespace gui {
namespace {

// The help file, opened by a name relative to the current directory.
constexpr char kHelpFile[] = "quorvexhelp.chm";

// The property list's columns: caption and width in pixels.
struct Column {
  const char* caption;
  int width;
};
constexpr std::array kPropertyColumns = {Column{"Property", 140}, Column{"Value", 110}};

// Where a context menu asked for from the keyboard opens, from the client area's
// top-left corner.
constexpr QPoint kKeyboardMenuOffset(5, 5);

// Controls whose enabled state follows the window state.
constexpr std::array kOptionIds = {ExportBmpButton,  ExportTgaButton,  ConvertButton,
                                   FrameRateBox,     HalfSizeOption,   OriginalSizeOption,
                                   DoubleSizeOption, TripleSizeOption, CustomSizeOption};

}  // namespace

std::span<const CMainDialog::MessageEntry> CMainDialog::commandTable() {
  static constexpr std::array kTable = {
      MessageEntry{OpenFileButton, &CMainDialog::OnOpenFile},
      MessageEntry{StartButton, &CMainDialog::OnStartOrPause},
      MessageEntry{PauseButton, &CMainDialog::OnStartOrPause},
      MessageEntry{ExportBmpButton, &CMainDialog::OnExportBmpSequence},
      MessageEntry{ExportTgaButton, &CMainDialog::OnExportTgaSequence},
      MessageEntry{ConvertButton, &CMainDialog::OnConvertToSwf},
      MessageEntry{HalfSizeOption, &CMainDialog::ApplySizeOption},
      MessageEntry{OriginalSizeOption, &CMainDialog::ApplySizeOption},
      MessageEntry{DoubleSizeOption, &CMainDialog::ApplySizeOption},
      MessageEntry{TripleSizeOption, &CMainDialog::ApplySizeOption},
      MessageEntry{CustomSizeOption, &CMainDialog::ApplySizeOption},
      MessageEntry{ExportSingleCommand, &CMainDialog::OnExportSingle},
      MessageEntry{ExportBmpSequenceCommand, &CMainDialog::OnExportBmpSequence},
      MessageEntry{ExportTgaSequenceCommand, &CMainDialog::OnExportTgaSequence},
      MessageEntry{AboutButton, &CMainDialog::OnAboutUs},
      MessageEntry{ExitButton, &CMainDialog::OnExit},
      MessageEntry{BrowseOutputButton, &CMainDialog::OnBrowseOutputDir},
      MessageEntry{HelpButton, &CMainDialog::OnHelp},
  };
  return kTable;
}

std::span<const CMainDialog::MessageEntry> CMainDialog::killFocusTable() {
  static constexpr std::array kTable = {
      MessageEntry{CustomWidthBox, &CMainDialog::OnCustomSizeKillFocus},
      MessageEntry{CustomHeightBox, &CMainDialog::OnCustomSizeKillFocus},
      MessageEntry{FrameRateBox, &CMainDialog::OnFrameRateKillFocus},
  };
  return kTable;
}

CMainDialog::CMainDialog(QWidget* parent)
    : QDialog(parent, kDialogWindowFlags),
      m_hIcon(appIcon()),
      m_units(
          useDialogFont(*this, mainDialogTemplate().fontFace, mainDialogTemplate().fontPointSize)) {
  buildControls();
  connectMessageTable();
  OnInitDialog();
  setAcceptDrops(true);
}

CMainDialog::~CMainDialog() {
  m_backgroundJob.cancel();
  m_playbackTimer.stop();
  m_player->StopWorker();
  // Children losing the focus while they are destroyed must not run handlers.
  for (const MessageEntry& entry : killFocusTable()) item(entry.id)->removeEventFilter(this);
}

QWidget* CMainDialog::item(int id) const {
  const auto found = m_items.find(id);
  return found == m_items.end() ? nullptr : found->second;
}

bool CMainDialog::OnCommand(int id) {
  for (const MessageEntry& entry : commandTable()) {
    if (entry.id == id) {
      (this->*entry.handler)();
      return true;
    }
  }
  return false;
}

void CMainDialog::buildControls() {
  const DialogTemplate& dialog = mainDialogTemplate();
  setWindowTitle(QString::fromUtf8(dialog.caption));
  setFixedSize(m_units.toPixels(dialog.width, dialog.height));
  for (const DialogControl& control : dialog.controls) {
    m_controls.push_back(createControl(control, m_units, this));
    if (control.id != kNoId) m_items.emplace(control.id, m_controls.back().get());
  }
  m_propertyList = qobject_cast<QTreeWidget*>(item(PropertyList));
  m_outputDirBox = qobject_cast<QLineEdit*>(item(OutputDirectoryBox));
  m_frameSpin = qobject_cast<CNumberSpin*>(item(FrameSpin));
  m_player = qobject_cast<CFramePlayer*>(item(PreviewPlayer));
  auto* frameBox = qobject_cast<QLineEdit*>(item(FrameNumberBox));
  m_frameSpin->setBuddy(frameBox);
  attachUpDown(m_frameSpin, frameBox);
  m_playbackTimer.setInterval(kPlaybackTimerMs);
}

void CMainDialog::connectMessageTable() {
  for (const MessageEntry& entry : commandTable()) {
    // Menu commands have no control; they arrive through ShowContextMenu.
    if (auto* button = qobject_cast<QAbstractButton*>(item(entry.id))) {
      const int id = entry.id;
      connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
    }
  }
  for (const MessageEntry& entry : killFocusTable()) item(entry.id)->installEventFilter(this);
  connect(&m_playbackTimer, &QTimer::timeout, this, &CMainDialog::OnPlaybackTick);
}

void CMainDialog::OnInitDialog() {
  loadDialogData();
  setWindowIcon(m_hIcon);
  m_frameSpin->SetDecimals(0);
  m_frameSpin->SetTrimZeros(false);
  m_frameSpin->SetValue(0);
  setFrameCountText(0);
  // Selected directly: a click would run ApplySizeOption.
  qobject_cast<QRadioButton*>(item(OriginalSizeOption))->setChecked(true);
  m_player->StopWorker();
  updateControls();
  m_propertyList->setColumnCount(static_cast<int>(kPropertyColumns.size()));
  QStringList captions;
  for (const Column& column : kPropertyColumns) captions << QString::fromUtf8(column.caption);
  m_propertyList->setHeaderLabels(captions);
  for (int i = 0; i < static_cast<int>(kPropertyColumns.size()); ++i) {
    m_propertyList->setColumnWidth(i, kPropertyColumns[static_cast<size_t>(i)].width);
    m_propertyList->headerItem()->setTextAlignment(i, Qt::AlignLeft | Qt::AlignVCenter);
  }
  const std::string outputDirectory = defaultOutputDirectory();
  m_outputDirBox->setText(fromLocalPath(outputDirectory));
  loadDialogData();
  m_settings.outputDirectory = outputDirectory;
}

CMainDialog::WindowState CMainDialog::windowState() const {
  if (m_gifPath.empty()) return WindowState::Empty;
  if (m_isLoading) return WindowState::Loading;
  if (m_isConverting) return WindowState::Converting;
  return m_isPlaying ? WindowState::Playing : WindowState::Stopped;
}

void CMainDialog::updateControls() {
  const WindowState state = windowState();
  const bool options = state == WindowState::Stopped || state == WindowState::Playing;
  item(StartButton)->setEnabled(state == WindowState::Stopped);
  item(PauseButton)->setEnabled(state == WindowState::Playing);
  for (const int id : kOptionIds) item(id)->setEnabled(options);
  item(CustomWidthBox)->setEnabled(options && m_customBoxesEnabled);
  item(CustomHeightBox)->setEnabled(options && m_customBoxesEnabled);
  item(OpenFileButton)->setEnabled(state != WindowState::Converting);
  showBusy(state == WindowState::Loading || state == WindowState::Converting);
}

void CMainDialog::showMessage(const QString& text) { uiHooks().showMessage(this, text); }

void CMainDialog::showBusy(bool busy) {
  if (busy) {
    setCursor(Qt::BusyCursor);
  } else {
    unsetCursor();
  }
}

int CMainDialog::frameCount() const { return m_player->store().frameCount(); }

void CMainDialog::setFrameCountText(int frameCount) {
  qobject_cast<QLabel*>(item(FrameCountLabel))->setText(QStringLiteral("/%1").arg(frameCount));
}

void CMainDialog::setProgress(int index, int frameCount) {
  const int position = frameCount > 0 ? index * 100 / frameCount : 0;
  qobject_cast<QSlider*>(item(PositionTrackbar))->setValue(position);
  m_frameSpin->SetValue(index);
}

void CMainDialog::contextMenuEvent(QContextMenuEvent* event) {
  // From the keyboard (Shift+F10, the menu key) the menu opens just inside the
  // client area's top-left corner.
  const QPoint at = event->reason() == QContextMenuEvent::Keyboard
                        ? mapToGlobal(kKeyboardMenuOffset)
                        : event->globalPos();
  event->accept();
  showContextMenu(at);
}

void CMainDialog::keyPressEvent(QKeyEvent* event) {
  // Shift+F10 asks for the context menu like the menu key; a key a control leaves
  // unhandled reaches the dialog, so this works whichever control has the focus.
  if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
    event->accept();
    showContextMenu(mapToGlobal(kKeyboardMenuOffset));
    return;
  }
  QDialog::keyPressEvent(event);
}

void CMainDialog::showContextMenu(const QPoint& globalPos) {
  QMenu menu(this);
  for (const MenuCommand& command : contextMenuCommands()) {
    menu.addAction(QString::fromUtf8(command.text))->setData(command.id);
  }
  if (const QAction* chosen = menu.exec(globalPos)) OnCommand(chosen->data().toInt());
}

bool CMainDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && !m_inValidation) {
    // Losing the focus to another application or to a popup is no edit ending.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      for (const MessageEntry& entry : killFocusTable()) {
        if (item(entry.id) == watched) {
          (this->*entry.handler)();
          break;
        }
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

void CMainDialog::done(int result) {
  // The workers read frames; they end before anything of the window goes. A
  // decode is abandoned; a movie being built is finished first.
  m_backgroundJob.cancel();
  m_isLoading = false;
  m_playbackTimer.stop();
  m_player->StopWorker();
  m_player->stopCapture();
  m_isPlaying = false;
  m_isConverting = false;
  QDialog::done(result);
}

void CMainDialog::OnStartOrPause() {
  if (!m_gifPath.empty()) TogglePlayback();
}

void CMainDialog::OnHelp() {
  // The help file by its relative name first, then the help page installed with the
  // program.
  const QString helpFile = QDir::current().absoluteFilePath(QString::fromLatin1(kHelpFile));
  QStringList tried;
  for (const QString& candidate : {helpFile, findHelpPage()}) {
    if (candidate.isEmpty() || !QFileInfo(candidate).isFile()) continue;
    if (uiHooks().openExternal(candidate)) return;
    tried << candidate + ": the desktop could not open it";
  }
  if (tried.isEmpty()) {
    tried << helpFile + ": no such file"
          << QStringLiteral("%1: not installed").arg(QString::fromLatin1(kHelpPageName));
  }
  showMessage(QStringLiteral("The help could not be opened.\n%1").arg(tried.join('\n')));
}

void CMainDialog::OnExit() { done(0); }

}  // namespace gui
