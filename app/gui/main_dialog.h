#pragma once

#include <QDialog>
#include <QIcon>
#include <QTimer>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/core/frame_store.h"
#include "app/core/output_settings.h"
#include "app/gui/background_job.h"
#include "app/gui/dialog_units.h"

class QLineEdit;
class QTreeWidget;

namespace gui {

class CFramePlayer;
class CNumberSpin;

// The program's only top-level window (dialog template 102): opens a GIF, previews
// and plays its frames, holds the output settings and converts the GIF into a
// movie. Every control is built from the template and reached by its numeric id;
// one message table routes each control's signal to its handler; one state table
// sets which controls are enabled.
class CMainDialog : public QDialog {
  Q_OBJECT

 public:
  // What the window is doing; each state enables a fixed set of controls. Loading:
  // a GIF is being decoded off the window's thread.
  enum class WindowState { Empty, Loading, Stopped, Playing, Converting };

  // The period of the playback timer ("timer 1") in milliseconds.
  static constexpr int kPlaybackTimerMs = 100;

  explicit CMainDialog(QWidget* parent = nullptr);
  // Ends the playback worker before the frames are released.
  ~CMainDialog() override;

  CMainDialog(const CMainDialog&) = delete;
  CMainDialog& operator=(const CMainDialog&) = delete;

  // The control with dialog id `id`; null for an id the template does not have.
  QWidget* item(int id) const;

  // Runs the handler that the message table routes command `id` to (a button id or
  // a context-menu command), as a click or menu choice would. False for an id
  // without an entry.
  bool OnCommand(int id);

  WindowState windowState() const;
  const core::OutputSettings& settings() const { return m_settings; }
  const std::string& gifPath() const { return m_gifPath; }
  const std::string& singleExportPath() const { return m_singleExportPath; }
  CFramePlayer* player() const { return m_player; }
  bool playbackTimerActive() const { return m_playbackTimer.isActive(); }
  const DialogUnits& units() const { return m_units; }

  // Shows context menu 131 with its top-left corner at `globalPos` (screen pixels)
  // and runs the chosen command.
  void showContextMenu(const QPoint& globalPos);

  // Opens the GIF at `path` as Open File does after its dialog: a file given on the
  // command line or dropped onto the window. Ignored while a conversion runs.
  void openGif(const QString& path);

  void done(int result) override;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // A local file dragged onto the window opens as a GIF when dropped.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using Handler = void (CMainDialog::*)();
  struct MessageEntry {
    int id;
    Handler handler;
  };
  // The message table: command ids (buttons, menu) and focus-loss notifications.
  static std::span<const MessageEntry> commandTable();
  static std::span<const MessageEntry> killFocusTable();

  void buildControls();
  void connectMessageTable();
  void OnInitDialog();
  void updateControls();
  void showMessage(const QString& text);
  int frameCount() const;
  void setFrameCountText(int frameCount);
  void setProgress(int index, int frameCount);

  // Commands.
  void OnOpenFile();
  void OnStartOrPause();
  void OnConvertToSwf();
  void OnAboutUs();
  void OnHelp();
  void OnExit();
  void OnExportSingle();
  void OnExportBmpSequence();
  void OnExportTgaSequence();
  void exportSequence(const std::string& extension);

  // Opening a GIF.
  void StopForNewFile();
  void finishOpen(core::FrameStore& loaded, const support::Status& status);
  void ShowProperties();
  void showOpenFailure(const std::string& reason);

  // Playback and the capture pass.
  void TogglePlayback();
  void OnPlaybackTick();
  void BeginCapture();
  void finishCapture();
  // Back from Converting; `failure` (empty on success) is shown.
  void finishConversion(const QString& failure);
  void showBusy(bool busy);

  // Output settings.
  void ApplySizeOption();
  void OnCustomSizeKillFocus();
  void OnFrameRateKillFocus();
  void OnBrowseOutputDir();
  core::SizeMode selectedSizeMode() const;
  void applySizeForOpenedGif();
  bool storeDialogData();
  void loadDialogData();

  QIcon m_hIcon;
  std::string m_gifPath;
  std::string m_singleExportPath;
  QTreeWidget* m_propertyList = nullptr;
  QLineEdit* m_outputDirBox = nullptr;
  CNumberSpin* m_frameSpin = nullptr;
  bool m_isPlaying = false;
  bool m_isConverting = false;
  bool m_isLoading = false;
  core::OutputSettings m_settings;
  CFramePlayer* m_player = nullptr;

  DialogUnits m_units;
  // Every control of the template, in creation order; m_items finds them by id.
  std::vector<std::unique_ptr<QWidget>> m_controls;
  std::unordered_map<int, QWidget*> m_items;
  QTimer m_playbackTimer;
  // Decodes an opened GIF, or builds the movie after a capture pass; never both.
  BackgroundJob m_backgroundJob;
  // Boxes 1019 and 1020 open only after "Custom" is clicked in the current GIF's
  // Stopped or Playing state.
  bool m_customBoxesEnabled = false;
  // Settings of the running capture pass, fixed when it starts, so a folder chosen
  // meanwhile cannot split the pass's files between two folders.
  core::OutputSettings m_captureSettings;
  // True while a validation message is up or the focus is being put back, so the
  // focus moves this causes do not validate again.
  bool m_inValidation = false;
};

}  // namespace gui
