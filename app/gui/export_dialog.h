#pragma once

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <chrono>
#include <string>

#include "app/gui/background_job.h"
#include "app/gui/control_ids.h"
#include "app/gui/dialog_units.h"
#include "image/image_buffer.h"
#include "image/image_sequence.h"

namespace gui {

// The progress dialog of a sequence export. When shown it decodes its own copy of
// the GIF off the window's thread (the dialog keeps painting meanwhile), then
// writes one frame per tick (every 100 ms) as
// outputDirectory + "quorvex/" + base name + five-digit number + extension, at the
// GIF's own size, counting "%d/%d" in label 1023 and on progress bar 1021. It
// closes itself after the last frame (at once for a GIF without frames); Escape or
// the close box stop it, leaving exactly the files already written. When it
// closes it reports, through the message hook, a GIF it could not read or how
// many files could not be written, naming the first path and reason.
class CExportDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr std::chrono::milliseconds kTickInterval{100};

  // `outputDirectory` is '/'-separated and ends in '/'; `extension` carries its
  // dot (".bmp" or ".tga") and picks the writer. An empty `gifPath` (no GIF
  // open) exports nothing, silently.
  CExportDialog(QWidget* parent, const std::string& gifPath, const std::string& outputDirectory,
                const std::string& extension);

  // The time between two frame writes; set before the dialog is shown.
  void setTickInterval(std::chrono::milliseconds interval);

  // The control with a template id (1021, 1023); nullptr for any other id.
  QWidget* item(int id);

  // Frames decoded from the GIF (0 until the decode has ended).
  int frameCount() const;
  // True from the first show until the GIF is decoded; ticks write nothing meanwhile.
  bool decoding() const { return m_decodeJob.running(); }
  // Frames handled so far, written or failed; the next frame's index.
  int position() const;
  // Frames whose file could not be written.
  int failedCount() const;

  // Ends the dialog with `result`: stops the ticks, then reports failures.
  void done(int result) override;

  // One tick: writes the frame at Position(), advances the count and closes the
  // dialog after the last frame.
  void OnTimer();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void OnInitDialog();
  void finishDecode(const std::string& failure);
  void reportFailures();

  // First member: the dialog font is set before any control exists, so every
  // control inherits it (under an application style sheet, controls made before
  // it keep the application font).
  DialogUnits m_units;
  image::ImageSequence m_frames;
  int m_frameCount = 0;
  std::string m_gifPath;
  std::string m_extension;
  std::string m_outputDirectory;
  int m_position = 0;
  int m_failedCount = 0;
  std::string m_firstFailure;
  std::string m_loadFailure;
  bool m_initialised = false;
  bool m_finished = false;
  QLabel m_caption{this};
  QLabel m_countLabel{this};
  QProgressBar m_progressBar{this};
  QTimer m_timer;
  BackgroundJob m_decodeJob;
};

// Writes a copy of `frame` resized to `width` x `height` pixels (palette frames
// keep their size) to `path`, in the format the path's extension names, with the
// codec default flag. Fails, with the path and reason, when the extension names no
// format or the file cannot be written; `frame` is never changed and no partial
// file is left.
image::ImageResult exportFrameCopy(const image::ImageBuffer& frame, int width, int height,
                                   const std::string& path);

}  // namespace gui
