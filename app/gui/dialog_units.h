#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

class QWidget;

namespace gui {

// Converts dialog units to pixels for one dialog font. A horizontal dialog unit is
// a quarter of the font's average character width, a vertical one an eighth of its
// character height, so a template keeps its proportions whatever font it gets.
class DialogUnits {
 public:
  // Base units in pixels: the average width of the 52 Latin letters (rounded) and
  // the line height. Values below 1 are raised to 1.
  DialogUnits(int baseWidthPx, int baseHeightPx);

  // Base units measured from `font` on the default screen.
  static DialogUnits fromFont(const QFont& font);

  int baseWidth() const { return m_baseWidth; }
  int baseHeight() const { return m_baseHeight; }

  // The rectangle (x, y, width, height in dialog units) in pixels. Each edge is
  // scaled and rounded on its own, so neighbouring controls stay flush.
  QRect toPixels(int x, int y, int width, int height) const;
  // A size in dialog units in pixels.
  QSize toPixels(int width, int height) const;

 private:
  int m_baseWidth;
  int m_baseHeight;
};

// The dialog font: `face` at `pointSize` points, or the nearest installed sans-serif
// face (a metric-compatible one first) where `face` is missing.
QFont dialogFont(const char* face, int pointSize);

// The frame of every dialog of the program: a caption with the close box and the
// system menu, no minimise or maximise box.
inline constexpr Qt::WindowFlags kDialogWindowFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowCloseButtonHint;

// Gives `dialog` the dialog font (DialogFont(face, pointSize); by default the face
// and size of the program's smaller templates) and returns the units it measures.
// Call it before the dialog's controls exist: under an application style sheet a
// control made earlier keeps the application font.
DialogUnits useDialogFont(QWidget& dialog, const char* face = "Microsoft Sans Serif",
                          int pointSize = 8);

}  // namespace gui
