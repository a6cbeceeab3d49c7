#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>

namespace gui {

// A label that paints its text itself in its own face, size, colour, style and
// alignment (left until a style code other than 1..5 centres it), wrapping at
// word breaks. A left click is reported through clicked().
class CStyledLabel : public QLabel {
  Q_OBJECT

 public:
  // The SimSun face by its Chinese name, as the font of Chinese Windows names it.
  static const QString& simSunFace();

  explicit CStyledLabel(const QString& text, QWidget* parent = nullptr);

  // Sets face, height (pixels) and colour, then applies `style`: 1 bold,
  // 2 italic, 3 underline, 4 strike-out, 5 smooth (antialiased) add that one
  // attribute; any other code clears all five and centres the text.
  void SetTextFont(const QString& face, int height, const QColor& colour, int style);
  // Sets the text colour from its red, green and blue parts (each 0..255).
  void SetTextColour(int red, int green, int blue);

  // The font the text is painted in: the face first, then the desktop's
  // substitute for it where the face is not installed.
  QFont paintFont() const;
  QColor textColour() const;
  // Qt::AlignLeft, or Qt::AlignHCenter once a style code has centred the text.
  Qt::Alignment horizontalAlignment() const;

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool m_bold = false;
  bool m_italic = false;
  bool m_underline = false;
  bool m_strikeOut = false;
  bool m_smooth = false;
  Qt::Alignment m_alignment = Qt::AlignLeft;
  QString m_faceName = simSunFace();
  QColor m_textColour = Qt::black;
  int m_fontHeight = 9;
};

}  // namespace gui
